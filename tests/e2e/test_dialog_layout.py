"""The choice dialog as it comes up: captions, styles, tab order, the
preselected row and texts outside the ANSI code page. Its geometry is
test_dialog_dpi's."""

import unittest

import tolvane_e2e as e2e

WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000
BS_PUSHBUTTON = 0x00
SS_CENTER = 0x01
SS_RIGHT = 0x02


class WindowStyleTest(unittest.TestCase):
    """Captions, border and control kinds."""

    @classmethod
    def setUpClass(cls):
        cls.result = e2e.run(e2e.option_tail(3), ["wait-window", "dump", "key:Esc", "wait-exit:10000"])

    def setUp(self):
        self.assertIsNone(self.result.failure)
        self.window = self.result.window()

    def test_only_the_dialog_is_shown(self):
        self.assertEqual(self.result.seen_kinds(), [e2e.DIALOG])
        self.assertEqual(self.result.exit_code, 0)

    def test_default_captions(self):
        self.assertEqual(self.window.text, e2e.caption("title"))
        self.assertEqual(self.window.child(e2e.ID_TESTO).text, e2e.caption("prompt"))
        self.assertEqual(self.window.child(e2e.ID_OK).text, e2e.caption("ok"))
        self.assertEqual(self.window.child(e2e.ID_CANCEL).text, e2e.caption("annulla"))
        self.assertEqual(self.window.child(e2e.ID_FRAME).text, "")

    def test_fixed_border_without_minimize_or_maximize(self):
        style = self.window.style
        self.assertFalse(style & WS_THICKFRAME, "the user cannot resize the window")
        self.assertFalse(style & WS_MINIMIZEBOX)
        self.assertFalse(style & WS_MAXIMIZEBOX)
        self.assertEqual(style & WS_CAPTION, WS_CAPTION)
        self.assertTrue(style & WS_SYSMENU)
        self.assertFalse(self.window["owner"], "shown without an owner")

    def test_control_kinds(self):
        child = self.window.child
        self.assertEqual(child(e2e.ID_OK).style & e2e.BS_TYPEMASK, e2e.BS_DEFPUSHBUTTON)
        self.assertEqual(child(e2e.ID_CANCEL).style & e2e.BS_TYPEMASK, BS_PUSHBUTTON)
        self.assertEqual(child(e2e.ID_FRAME).style & e2e.BS_TYPEMASK, e2e.BS_GROUPBOX)
        self.assertEqual(child(e2e.ID_TESTO).style & e2e.SS_TYPEMASK, SS_CENTER)
        self.assertEqual(child(e2e.ID_TEMPO).style & e2e.SS_TYPEMASK, SS_RIGHT)
        self.assertEqual(child(e2e.ID_TESTO).cls.lower(), "static")
        self.assertEqual(child(e2e.ID_TEMPO).cls.lower(), "static")

    def test_no_countdown_label_without_timeout(self):
        self.assertFalse(self.window.child(e2e.ID_TEMPO).visible)


class LaunchStateTest(unittest.TestCase):
    """Whatever show command the launcher sets in STARTUPINFO, the dialog
    comes up visible and not maximized, and minimized exactly when that was
    asked. (Wine applies no launcher command to the usage box, whose first
    show is the system's: only Windows can show what the program does to it.)"""

    TIMEOUT = 180

    def test_every_show_command(self):
        # The program's logic says which of the twelve asks for minimized.
        for show, minimized in enumerate(e2e.expected()["starts_minimized"]):
            with self.subTest(show=show):
                result = e2e.run(e2e.option_tail(2), ["wait-window", "dump", "post:WM_CLOSE",
                                                      "wait-exit:10000"], show=show)
                self.assertIsNone(result.failure)
                window = result.window()
                self.assertTrue(window["visible"])
                self.assertFalse(window["maximized"])
                self.assertEqual(window["minimized"], minimized)
                self.assertEqual(result.exit_code, 0)


class TabOrderTest(unittest.TestCase):
    def test_tab_walks_rows_ok_annulla(self):
        # The rows are one group: Tab enters it at the selected row.
        result = e2e.run(e2e.option_tail(3, "/Default 2"),
                         ["wait-window", "dump", "key:Tab", "dump", "key:Tab", "dump",
                          "key:Tab", "dump", "key:Shift+Tab", "dump", "key:Esc",
                          "wait-exit:10000"])
        self.assertIsNone(result.failure)
        self.assertEqual([w.focus for w in result.windows()],
                         [e2e.row_id(2), e2e.ID_OK, e2e.ID_CANCEL, e2e.row_id(2), e2e.ID_CANCEL])
        self.assertEqual([w.child(e2e.row_id(2)).check for w in result.windows()], [1] * 5,
                         "moving the focus does not change the selection")
        self.assertEqual(result.exit_code, 0)

    def test_arrows_stay_on_shown_rows(self):
        # From the last shown row the arrow key must not reach the hidden
        # rows below it.
        result = e2e.run(e2e.option_tail(3, "/Default 3"),
                         ["wait-window", "key:Down", "dump", "key:Enter", "wait-exit:10000"])
        self.assertIsNone(result.failure)
        window = result.window()
        focused = window.focus
        self.assertIn(focused, [e2e.row_id(r) for r in (1, 2, 3)])
        checked = [c.id for c in window.children if c.check == 1]
        self.assertEqual(checked, [focused], "the focused row is the selected one")
        self.assertEqual(result.exit_code, focused - e2e.row_id(1) + 1)


class TextsTest(unittest.TestCase):
    """The texts of the switches as the controls show them."""

    def test_outside_the_ansi_code_page(self):
        # A character beyond the BMP included, every text arrives unchanged.
        title = "日本語 Ελληνικά 😀"
        prompt = "Ünïcödé: scegli 😀"
        options = ["日本語", "Ελληνικά", "Ünïcödé", "😀 faccina"]
        tail = " ".join([f'/Title "{title}"', f'/Text "{prompt}"']
                        + [f'/Option "{text}"' for text in options])
        result = e2e.run(tail, ["wait-window", "dump", f"click:{e2e.row_id(4)}", "dump",
                                f"click:{e2e.ID_OK}", "wait-exit:10000"])
        self.assertIsNone(result.failure)
        window = result.window()
        self.assertEqual(window.text, title)
        self.assertEqual(window.child(e2e.ID_TESTO).text, prompt)
        self.assertEqual([window.child(e2e.row_id(r)).text for r in range(1, 5)], options)
        self.assertEqual(result.window(1).child(e2e.row_id(4)).check, 1)
        self.assertEqual(result.exit_code, 4)

    def test_empty_values(self):
        # An empty option still takes its row and its number.
        result = e2e.run('/Title "" /Text "" /Option "" /Option Due',
                         ["wait-window", "dump", "key:Enter", "wait-exit:10000"])
        self.assertIsNone(result.failure)
        window = result.window()
        self.assertEqual(window.text, "")
        self.assertEqual(window.child(e2e.ID_TESTO).text, "")
        first = window.child(e2e.row_id(1))
        self.assertEqual((first.text, first.visible, first.enabled, first.check),
                         ("", True, True, 1))
        self.assertEqual(window.child(e2e.row_id(2)).text, "Due")
        self.assertEqual(result.exit_code, 1)


if __name__ == "__main__":
    unittest.main()
