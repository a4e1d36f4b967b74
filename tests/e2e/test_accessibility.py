"""What a screen reader reads of the dialog and hears from it, read from
outside the process as a screen reader does: the client objects of the
window and its controls, and the events that the program raises. What
Windows keeps outside the objects (the live-region setting of the countdown
label) Wine does not answer; its trace shows the program's call instead."""

import unittest

import tolvane_e2e as e2e

ROLE_SYSTEM_DIALOG = 18
ROLE_SYSTEM_GROUPING = 20
LIVE_SETTING = "{c12bcd8e-2a8e-4950-8ae7-3625111d58eb}"
FULL_DESCRIPTION = "{0d4450ff-6aef-4f33-95dd-7befa72a4391}"
HELP_TEXT = "{08555685-0977-45c7-a7a6-abaf5684121a}"
POSITION_IN_SET = "{33d1dc54-641e-4d76-a6b1-13f341c1f896}"
SIZE_OF_SET = "{1600d33c-3b9f-4369-9431-aa293f344cf1}"
TAIL = ('/Title Backup /Text "Scegli il tipo" /Option Completo /Option "&Incrementale" '
        '/Default 2 /Timeout 12')


def announcement(seconds):
    # With row 2 of TAIL selected.
    return e2e.announcement(seconds, 2, "&Incrementale")


def accessible(result, control_id):
    return result.step(f"accessible:{control_id}")["accessible"]


class AccessibilityTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # Left alone for 7.5 s, the countdown passes 10 and 5.
        ids = [0, e2e.ID_FRAME, e2e.row_id(1), e2e.row_id(2), e2e.ID_TEMPO]
        cls.result = e2e.run(TAIL, ["wait-window", *[f"accessible:{i}" for i in ids],
                                    "sleep:7500", "key:Esc", "wait-exit:5000"],
                             wine_debug="-all,fixme+oleacc")

    def setUp(self):
        self.assertIsNone(self.result.failure)

    def test_the_dialog_asks_its_question(self):
        dialog = accessible(self.result, 0)
        self.assertEqual((dialog["role"], dialog["name"], dialog["description"]),
                         (ROLE_SYSTEM_DIALOG, "Backup", "Scegli il tipo"))
        # The eight hidden rows are not there.
        self.assertEqual(dialog["children"], [e2e.ID_TESTO, e2e.ID_FRAME, e2e.row_id(1),
                                              e2e.row_id(2), e2e.ID_OK, e2e.ID_CANCEL,
                                              e2e.ID_TEMPO])
        self.assertEqual(dialog["child_count"], 7)
        self.assertEqual(dialog["numbered_children"], dialog["children"])
        self.assertEqual(dialog["last_child"], e2e.ID_TEMPO)

    def test_the_rows_are_grouped_under_the_question(self):
        frame = accessible(self.result, e2e.ID_FRAME)
        self.assertEqual((frame["role"], frame["name"]), (ROLE_SYSTEM_GROUPING, "Scegli il tipo"))
        self.assertEqual([accessible(self.result, e2e.row_id(r))["name"] for r in (1, 2)],
                         ["Completo", "Incrementale"])

    def test_each_object_names_its_window_and_answers_late_bound_calls(self):
        for control_id in (0, e2e.ID_FRAME, e2e.ID_TEMPO):
            with self.subTest(control_id):
                seen = accessible(self.result, control_id)
                self.assertTrue(seen["ole_window_is_own"])
                # VT_I4, left out, VT_EMPTY, VT_I2, by reference.
                self.assertEqual(seen["dispatch_names"], [seen["name"]] * 5)

    def test_the_countdown_is_a_polite_live_region(self):
        self.assertIn(accessible(self.result, e2e.ID_TEMPO)["name"],
                      [announcement(12), announcement(11)])
        calls = [line for line in self.result.stderr.splitlines()
                 if "AccPropServices_SetHwndProp" in line and LIVE_SETTING in line]
        self.assertEqual(len(calls), 1, self.result.stderr[-2000:])
        self.assertIn("{VT_I4: 1}", calls[0], "Polite")

    def test_ui_automation_gets_the_question_and_the_positions(self):
        # Dynamic annotation, which Wine does not keep: its trace shows the calls.
        def annotated(prop, value):
            return [line for line in self.result.stderr.splitlines()
                    if "AccPropServices_SetHwndProp" in line and prop in line and value in line]
        for prop in (FULL_DESCRIPTION, HELP_TEXT):
            self.assertEqual(len(annotated(prop, 'L"Scegli il tipo"')), 1, prop)
        for position in (1, 2):
            self.assertEqual(len(annotated(POSITION_IN_SET, f"{{VT_I4: {position}}}")), 1)
        self.assertEqual(len(annotated(SIZE_OF_SET, "{VT_I4: 2}")), 2)

    def test_announced_when_shown_then_at_ten_and_five(self):
        heard = [(e["name"], e["at_ms"]) for e in self.result.win_events
                 if e["event"] == "live_region"]
        self.assertEqual([name for name, _ in heard],
                         [announcement(12), announcement(10), announcement(5)])
        for (_, at), expected in zip(heard, (0, 2000, 7000)):
            self.assertLess(abs(at - expected), 700, heard)

    def test_a_stopped_countdown_says_nothing_more(self):
        result = e2e.run(TAIL, ["wait-window", "key:Shift", "sleep:2500", "key:Esc",
                                "wait-exit:5000"])
        self.assertIsNone(result.failure)
        heard = [e["name"] for e in result.win_events if e["event"] == "live_region"]
        self.assertEqual(heard, [announcement(12)])

    def test_long_texts_beyond_the_bmp_stay_whole(self):
        face = "\U0001F600"
        result = e2e.run(f'/Text "{face * 7000}" /Option "{face * 7000}" /Timeout 30',
                         ["wait-window", "accessible:0", f"accessible:{e2e.ID_TEMPO}",
                          "key:Esc", "wait-exit:5000"])
        self.assertIsNone(result.failure)
        description = accessible(result, 0)["description"]
        self.assertLessEqual(len(description.encode("utf-16-le")) // 2,
                             e2e.expected()["max_spoken"])
        self.assertTrue(description.endswith(face + "\u2026"), description[-10:])
        self.assertFalse(any(0xD800 <= ord(c) <= 0xDFFF for c in description), "a cut pair")
        # The option, the same text, is cut alike in the countdown's sentence.
        self.assertTrue(accessible(result, e2e.ID_TEMPO)["name"].endswith(": " + description))


if __name__ == "__main__":
    unittest.main()
