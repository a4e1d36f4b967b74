"""The ways out of the dialog: OK ends the process with the selected option's
number, Cancel and every way of closing the window with 0."""

import unittest

import tolvane_e2e as e2e

# Three options with the second preselected, so that a wrong row, a cancel
# and an OK are all told apart by the exit code.
TAIL = e2e.option_tail(3, "/Default 2")
COUNTDOWN_SECONDS = 5
COUNTDOWN_TAIL = e2e.option_tail(3, f"/Default 2 /Timeout {COUNTDOWN_SECONDS}")

# How long an ending may take to end the process: generous, Wine is slow on a
# loaded machine.
EXIT_WITHIN_MS = 3000


class EndingTest(unittest.TestCase):
    TIMEOUT = 180

    def end(self, tail, steps, expected_exit):
        result = e2e.run(tail, ["wait-window", "dump", *steps, "wait-exit:10000"])
        self.assertIsNone(result.failure)
        self.assertEqual(result.seen_kinds(), [e2e.DIALOG])
        self.assertEqual(result.exit_code, expected_exit)
        ending = [s for s in result.steps if s["step"] == steps[-1]][-1]
        self.assertLess(result.exit_after_visible_ms - ending["started_ms"], EXIT_WITHIN_MS,
                        "the process ends right after the action")
        return result

    def test_endings(self):
        cases = [
            # (name, tail, steps, exit code)
            ("Cancel button", TAIL, [f"click:{e2e.ID_CANCEL}"], 0),
            ("Esc", TAIL, ["key:Esc"], 0),
            ("close box", TAIL, ["click-close"], 0),
            ("Alt+F4", TAIL, ["key:Alt+F4"], 0),
            ("WM_CLOSE", TAIL, ["post:WM_CLOSE"], 0),
            ("SC_CLOSE", TAIL, ["post:WM_SYSCOMMAND:SC_CLOSE"], 0),
            ("WM_ENDSESSION", TAIL, ["send:WM_ENDSESSION:TRUE"], 0),
            ("Alt+A", TAIL, ["key:Alt+A"], 0),
            ("Alt+O", TAIL, ["key:Alt+O"], 2),
            ("Enter", TAIL, ["key:Enter"], 2),
            ("OK button", TAIL, [f"click:{e2e.ID_OK}"], 2),
            ("Space on OK", TAIL, ["key:Tab", "key:Space"], 2),
            ("Enter on Annulla", TAIL, ["key:Tab", "key:Tab", "key:Enter"], 0),
            ("another row, then OK", TAIL, [f"click:{e2e.row_id(3)}", f"click:{e2e.ID_OK}"], 3),
            ("Up arrow, then Alt+O", TAIL, ["key:Up", "key:Alt+O"], 1),
            ("no countdown", e2e.option_tail(1), ["sleep:2500", "key:Enter"], 1),
        ]
        for name, tail, steps, expected in cases:
            with self.subTest(name):
                self.end(tail, steps, expected)

    def test_endings_during_countdown(self):
        cases = [
            ("Cancel button", [f"click:{e2e.ID_CANCEL}"], 0),
            ("Esc", ["key:Esc"], 0),
            ("close box", ["click-close"], 0),
            ("WM_CLOSE", ["post:WM_CLOSE"], 0),
            ("OK button", [f"click:{e2e.ID_OK}"], 2),
            ("Enter", ["key:Enter"], 2),
        ]
        for name, steps, expected in cases:
            with self.subTest(name):
                result = self.end(COUNTDOWN_TAIL, steps, expected)
                self.assertTrue(result.window().child(e2e.ID_TEMPO).visible)
                self.assertLess(result.exit_after_visible_ms, COUNTDOWN_SECONDS * 1000,
                                "ended by the action, before the countdown ran out")

    def test_ok_without_a_selected_row(self):
        # /Default 5 names no shown row: OK does nothing until a row is chosen.
        result = e2e.run(e2e.option_tail(3, "/Default 5"),
                         ["wait-window", "dump", f"click:{e2e.ID_OK}", "sleep:1000", "dump",
                          "key:Enter", "sleep:500", "dump", f"click:{e2e.row_id(3)}",
                          f"click:{e2e.ID_OK}", "wait-exit:10000"])
        self.assertIsNone(result.failure, "the dialog stays up after OK and Enter")
        first, after_click, after_enter = result.windows()
        rows = range(1, e2e.max_rows() + 1)
        self.assertEqual([first.child(e2e.row_id(r)).check for r in rows], [0] * len(rows))
        self.assertEqual(first.focus, e2e.ID_OK, "with no row selected the focus starts on OK")
        for later in (after_click, after_enter):
            self.assertEqual(self.state(later), self.state(first), "OK changed nothing")
        self.assertEqual(result.exit_code, 3)

    def test_ok_without_a_selected_row_keeps_the_countdown(self):
        # A click on OK is no stopping event: with no row selected the
        # countdown goes on.
        result = e2e.run(e2e.option_tail(3, f"/Default 5 /Timeout {COUNTDOWN_SECONDS}"),
                         ["wait-window", f"click:{e2e.ID_OK}", "sleep:2000", "dump",
                          "key:Esc", "wait-exit:10000"])
        self.assertIsNone(result.failure)
        tempo = result.window().child(e2e.ID_TEMPO)
        self.assertTrue(tempo.visible, "the countdown still runs")
        self.assertIn(tempo.text, [e2e.countdown_text(n) for n in range(COUNTDOWN_SECONDS)],
                      "and has gone on counting")
        self.assertEqual(result.exit_code, 0)

    def test_where_nobody_can_see_it(self):
        # In a window station of its own, which has no display, the program
        # asks the user through a copy on the driver's desktop, and the copy's
        # answer is its own; only the usage box ends at once with the error
        # code, with no window anywhere.
        cases = [
            ("usage box", "/Title x", [], 11),
            ("an answer", TAIL, ["wait-window", f"click:{e2e.row_id(3)}", f"click:{e2e.ID_OK}"], 3),
            ("countdown", COUNTDOWN_TAIL, ["wait-window"], 2),
            ("countdown taking nothing", e2e.option_tail(3, "/Default 5 /Timeout 30"),
             ["wait-window", f"click:{e2e.row_id(1)}", f"click:{e2e.ID_OK}"], 1),
        ]
        for name, tail, steps, code in cases:
            with self.subTest(name):
                result = e2e.run(tail, [*steps, "wait-exit:15000"], own_station=True)
                self.assertIsNone(result.failure)
                self.assertEqual(result.exit_code, code)
                self.assertEqual(result.seen_kinds(), [e2e.DIALOG] if steps else [])
                if tail == COUNTDOWN_TAIL:
                    self.assertGreater(result.exit_ms, COUNTDOWN_SECONDS * 1000)
                elif not steps:
                    self.assertLess(result.exit_ms, 10000, "well before any countdown")

    def test_a_stray_copy_variable_changes_nothing(self):
        # A copy's variable that names no waiting process: the run answers as
        # any other, with its own codes.
        result = e2e.run(TAIL, ["wait-window", "key:Enter", "wait-exit:10000"],
                         variables={e2e.expected()["waiting_process_variable"]: "4:8"})
        self.assertIsNone(result.failure)
        self.assertEqual(result.exit_code, 2)

    def test_the_question_goes_with_its_script(self):
        # A deployment tool ends the script at its time limit: the copy's
        # window leaves the user's screen with it.
        result = e2e.run(TAIL, ["wait-window", "end-process:5000"], own_station=True)
        self.assertIsNone(result.failure)
        self.assertEqual(result.seen_kinds(), [e2e.DIALOG])
        self.assertLess(result.step("end-process")["windows_gone_ms"], 5000)

    @staticmethod
    def state(window):
        return (window.text, window.rect, window["visible"],
                [(c.id, c.text, c.visible, c.enabled, c.check) for c in window.children])


if __name__ == "__main__":
    unittest.main()
