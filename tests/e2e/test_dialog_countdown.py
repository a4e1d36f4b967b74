"""The countdown: it shows the seconds left, one step a second, performs OK
about a second after it has shown 0, and any interaction stops it for good.

Times are measured from the moment the dialog became visible, with generous
bounds: a countdown of S seconds must end between S + 0.5 and S + 3 s.
"""

import unittest

import tolvane_e2e as e2e

TYPICAL_TAIL = ('/Title Backup /Text "Scegli il tipo" /Option Completo /Option Incrementale '
                '/Default 2 /Timeout {seconds}')


def click_points():
    """Client points of the dialog with three rows at 96 DPI that hit no
    control, from the layout: each halfway across a gap."""
    client, controls = e2e.layout(3, 96)
    frame, first, last, ok = (controls[i] for i in (e2e.ID_FRAME, e2e.row_id(1), e2e.row_id(3),
                                                     e2e.ID_OK))

    def between(low, high):
        return (low + high) // 2

    return {
        "frame, below the rows": (between(frame[0], frame[0] + frame[2]),
                                  between(last[1] + last[3], frame[1] + frame[3])),
        "frame, beside the rows": (between(first[0] + first[2], frame[0] + frame[2]),
                                   between(first[1], first[1] + first[3])),
        "background below the buttons": (client[0] // 2, between(ok[1] + ok[3], client[1])),
    }


class CountdownRunsOutTest(unittest.TestCase):
    """Left alone, the dialog counts down and takes the selected option."""

    TIMEOUT = 180

    def run_out(self, tail, seconds, expected_exit):
        result = e2e.run(tail, ["wait-window", "dump",
                                f"watch:{e2e.ID_TEMPO}:{(seconds + 5) * 1000}", "wait-exit:5000"])
        self.assertIsNone(result.failure)
        watch = result.step("watch")
        self.assertTrue(watch["process_ended"], "the countdown ended the process")
        states = watch["states"]
        self.assertEqual([s["text"] for s in states],
                         [e2e.countdown_text(n) for n in range(seconds, -1, -1)])
        self.assertTrue(all(s["visible"] for s in states), states)
        # The first state is what the watch read when it began, which may be
        # late on a loaded machine: only the changes after it are timed.
        changes = [s["at_ms"] for s in states[1:]]
        self.assertLessEqual(changes[0], 1700, f"the first step within a second: {changes}")
        for earlier, later in zip(changes, changes[1:]):
            self.assertTrue(500 <= later - earlier <= 1700,
                            f"one step a second: {changes}")
        self.assertEqual(result.exit_code, expected_exit)
        self.assertTrue((seconds + 0.5) * 1000 <= result.exit_after_visible_ms
                        <= (seconds + 3) * 1000,
                        f"ended {result.exit_after_visible_ms} ms after it became visible")
        return result

    def test_typical_run(self):
        seconds = 3
        result = self.run_out(TYPICAL_TAIL.format(seconds=seconds), seconds, 2)
        window = result.window()
        self.assertEqual(window.text, "Backup")
        self.assertEqual(window.child(e2e.ID_TESTO).text, "Scegli il tipo")
        rows = [window.child(e2e.row_id(r)) for r in (1, 2)]
        self.assertEqual([(r.text, r.visible, r.enabled) for r in rows],
                         [("Completo", True, True), ("Incrementale", True, True)])
        self.assertEqual([r.check for r in rows], [0, 1])
        self.assertFalse(window.child(e2e.row_id(3)).visible)
        tempo = window.child(e2e.ID_TEMPO)
        self.assertTrue(tempo.visible)
        self.assertEqual(tempo.text, e2e.countdown_text(seconds))

    def test_one_second(self):
        self.run_out(e2e.option_tail(3, "/Timeout 1"), 1, 1)

    def test_focus_notification_of_an_unchecked_row(self):
        # Windows notifies a click when an unchecked radio button merely gets
        # the focus, as Wine does not: it selects nothing, so the countdown
        # runs on and takes the default.
        result = e2e.run(e2e.option_tail(3, "/Timeout 2"),
                         ["wait-window", f"post:WM_COMMAND:{e2e.row_id(3)}", "sleep:300", "dump",
                          "wait-exit:6000"])
        self.assertIsNone(result.failure)
        window = result.window()
        self.assertTrue(window.child(e2e.ID_TEMPO).visible, "the countdown still runs")
        self.assertEqual([window.child(e2e.row_id(r)).check for r in (1, 2, 3)], [1, 0, 0])
        self.assertEqual(result.exit_code, 1)

    def test_run_out_with_no_row_selected(self):
        # The default names a row that is not shown: the countdown reaches 0
        # and stays there, each tick's OK doing nothing. Selecting a row then
        # stops it, and OK takes that row.
        result = e2e.run(e2e.option_tail(3, "/Default 5 /Timeout 2"),
                         ["wait-window", f"watch:{e2e.ID_TEMPO}:5000", "dump",
                          f"click:{e2e.row_id(2)}", "dump", "sleep:1500", "dump",
                          f"click:{e2e.ID_OK}", "wait-exit:5000"])
        self.assertIsNone(result.failure)
        watch = result.step("watch")
        self.assertFalse(watch["process_ended"])
        self.assertEqual([s["text"] for s in watch["states"]],
                         [e2e.countdown_text(n) for n in (2, 1, 0)])
        expired, selected, later = result.windows()
        self.assertTrue(expired.child(e2e.ID_TEMPO).visible, "0 stays on show")
        self.assertEqual(expired.child(e2e.ID_TEMPO).text, e2e.countdown_text(0))
        self.assertEqual(selected.child(e2e.row_id(2)).check, 1)
        self.assertFalse(selected.child(e2e.ID_TEMPO).visible,
                         "selecting a row stops the countdown")
        self.assertFalse(later.child(e2e.ID_TEMPO).visible)
        self.assertEqual(result.exit_code, 2)


class CountdownStopTest(unittest.TestCase):
    """Each interaction stops a running countdown: the label goes away and
    stays away past the next tick. One stop is also waited out well past the
    moment the countdown would have ended, with the dialog still up."""

    TIMEOUT = 240

    SECONDS = 5
    TAIL = e2e.option_tail(3, f"/Default 1 /Timeout {SECONDS}")
    # A and O are the access keys of Annulla and OK, I the marked letter of a row.
    ACCESS_KEYS_TAIL = f'/Option "&Completo" /Option "&Incrementale" /Timeout {SECONDS}'

    def stop_and_wait(self, action, ending=("key:Esc",), expected_exit=0, tail=TAIL,
                      past_the_end=False):
        wait_ms = self.SECONDS * 1000 + 1500 if past_the_end else 1500
        result = e2e.run(tail, ["wait-window", "dump", *action, "dump", f"sleep:{wait_ms}",
                                "dump", *ending, "wait-exit:5000"])
        self.assertIsNone(result.failure, "the dialog must still be up after the wait")
        before, stopped, after = result.windows()
        self.assertTrue(before.child(e2e.ID_TEMPO).visible, "the countdown was running")
        self.assertEqual(before.child(e2e.ID_TEMPO).text, e2e.countdown_text(self.SECONDS))
        self.assertFalse(stopped.child(e2e.ID_TEMPO).visible, "stopped: the label goes away")
        self.assertFalse(after.child(e2e.ID_TEMPO).visible, "and it stays away")
        dumps = [s for s in result.steps if s["step"] == "dump"]
        self.assertLess(dumps[1]["started_ms"], self.SECONDS * 1000,
                        "stopped while the countdown still ran")
        # Checked after a tick would have come, or after the countdown
        # would have ended.
        checked_after = ((self.SECONDS + 1.5) * 1000 if past_the_end
                         else dumps[1]["started_ms"] + 1000)
        self.assertGreater(dumps[-1]["started_ms"], checked_after)
        self.assertEqual(result.exit_code, expected_exit)
        return stopped, after

    def test_clicks_stop_it(self):
        # Client points at 96 DPI with three rows, from the layout: in the
        # frame below and beside the rows, and below the buttons.
        points = click_points()
        clicks = {
            "prompt": [f"click:{e2e.ID_TESTO}"],
            "countdown label": [f"click:{e2e.ID_TEMPO}"],
            **{name: ["click-client:{}:{}".format(*point)] for name, point in points.items()},
        }
        for name, action in clicks.items():
            with self.subTest(name):
                stopped, _ = self.stop_and_wait(action)
                self.assertEqual(stopped.child(e2e.row_id(1)).check, 1,
                                 "the click changes no selection")

    def test_keys_stop_it(self):
        # Without Alt, access keys too only stop the countdown.
        for key in ("Shift", "X", "A", "O", "I"):
            with self.subTest(key=key):
                # The first one is waited out past the end.
                stopped, _ = self.stop_and_wait([f"key:{key}"], tail=self.ACCESS_KEYS_TAIL,
                                                past_the_end=key == "Shift")
                self.assertEqual(stopped.child(e2e.row_id(1)).check, 1)
                self.assertEqual(stopped.child(e2e.row_id(2)).check, 0)

    def test_selecting_a_row_with_the_mouse(self):
        stopped, after = self.stop_and_wait([f"click:{e2e.row_id(3)}"], [f"click:{e2e.ID_OK}"], 3)
        self.assertEqual(stopped.child(e2e.row_id(3)).check, 1)
        self.assertEqual(after.child(e2e.row_id(1)).check, 0)

    def test_selecting_a_row_with_the_arrow_key(self):
        stopped, _ = self.stop_and_wait(["key:Down"], ["key:Enter"], 2)
        self.assertEqual(stopped.child(e2e.row_id(2)).check, 1)
        self.assertEqual(stopped.focus, e2e.row_id(2))

    def test_selecting_a_row_with_its_access_key(self):
        stopped, _ = self.stop_and_wait(["key:Alt+I"], ["key:Enter"], 2, self.ACCESS_KEYS_TAIL)
        self.assertEqual(stopped.child(e2e.row_id(2)).check, 1)

    def test_typed_characters_only_stop_it(self):
        # Every printable ASCII character, some accented ones and one beyond
        # the BMP, typed during the countdown and again after it: no access
        # key answers, whatever the rows' marked letters.
        text = "".join(chr(c) for c in range(0x20, 0x7F)) + "àèéìòù€£§°ç😀"
        tail = ("/Option &Uno /Option &Due /Option &Tre /Option &Quattro /Option &Sei "
                f"/Timeout {self.SECONDS}")
        stopped, after = self.stop_and_wait([f"type:{text}", "sleep:500"],
                                            [f"type:{text}", "sleep:500", "key:Esc"], 0, tail)
        for window in (stopped, after):
            self.assertEqual(window.child(e2e.row_id(1)).check, 1, "the selection stays")

    def test_tab_off_a_row(self):
        stopped, after = self.stop_and_wait(["key:Tab"])
        self.assertEqual(stopped.focus, e2e.ID_OK)
        self.assertEqual(after.child(e2e.row_id(1)).check, 1)

    def test_focus_off_a_row_without_a_key(self):
        # Pressing OK takes the focus off the row; sliding off the button
        # before the release takes the press back, so no click follows and
        # only the row's loss of the focus is left to stop the countdown.
        below_the_buttons = click_points()["background below the buttons"]
        stopped, after = self.stop_and_wait(["drag:{}:{}:{}".format(e2e.ID_OK, *below_the_buttons)])
        self.assertEqual(stopped.focus, e2e.ID_OK)
        self.assertEqual(after.child(e2e.row_id(1)).check, 1)


if __name__ == "__main__":
    unittest.main()
