"""The usage path: a command line without /Option shows only the usage box,
and however the box is dismissed the process ends with exit code 11."""

import unittest

import tolvane_e2e as e2e

# How long a dismissed box may take to end the process: generous, Wine is slow
# on a loaded machine.
EXIT_WITHIN_MS = 3000


class UsageBoxTest(unittest.TestCase):
    """What the usage box shows, for command lines that offer no option."""

    def assert_only_usage_box(self, result):
        self.assertIsNone(result.failure)
        self.assertEqual(result.seen_kinds(), [e2e.USAGE_BOX],
                         "only the usage box may become visible")
        box = result.window()
        self.assertEqual(box.text, e2e.caption("usage_box"))
        self.assertTrue(box["foreground"])

        self.assertEqual(box.child(e2e.ID_MESSAGE_TEXT).text, e2e.expected()["usage"])
        buttons = box.visible_children("Button")
        self.assertEqual([(b.id, b.text) for b in buttons], [(e2e.ID_OK, "OK")])
        icons = [c for c in box.visible_children("Static") if c.icon]
        self.assertEqual(icons, [], "the usage box shows no icon")
        self.assertEqual(result.exit_code, 11)

    def test_empty_command_line(self):
        self.assert_only_usage_box(e2e.run("", ["wait-window", "dump", "key:Enter",
                                                "wait-exit:10000"]))

    def test_switches_without_option(self):
        # The hidden dialog's one-second countdown runs out while the box is
        # up; that must neither end the process nor show the dialog.
        result = e2e.run("/Title x /Timeout 1",
                         ["wait-window", "dump", "sleep:2500", "dump", "key:Enter",
                          "wait-exit:10000"])
        self.assert_only_usage_box(result)
        self.assertEqual(result.window(1).text, e2e.caption("usage_box"),
                         "the box is still up after 2.5 s")
        self.assertGreater(result.exit_after_visible_ms, 2500)


class UsageDismissalTest(unittest.TestCase):
    """Each way of dismissing the usage box ends the process with 11. (The
    box is the system's: Alt+F4 or a click on OK is what Esc or Enter is.)"""

    def dismiss(self, *steps):
        result = e2e.run("", ["wait-window:#32770", *steps, "wait-exit:10000"])
        self.assertIsNone(result.failure)
        self.assertEqual(result.seen_kinds(), [e2e.USAGE_BOX])
        self.assertEqual(result.exit_code, 11)
        self.assertLess(result.exit_after_visible_ms, EXIT_WITHIN_MS)
        return result

    def test_enter(self):
        self.dismiss("key:Enter")

    def test_escape(self):
        self.dismiss("key:Esc")

    def test_close_box(self):
        self.dismiss("click-close")

    def test_wm_close(self):
        self.dismiss("post:WM_CLOSE")

    def test_nothing_but_a_dismissal_ends_it(self):
        # Without input the box stays: the process must still be alive when
        # the driver gives up waiting, and is then killed by it.
        result = e2e.run("", ["wait-window:#32770", "wait-exit:1500"])
        self.assertTrue(result.timed_out)
        self.assertIsNone(result.exit_code)


if __name__ == "__main__":
    unittest.main()
