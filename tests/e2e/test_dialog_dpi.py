"""The dialog on screens of 96 to 192 DPI: every size and position is the
layout's twips converted at that DPI, as the program's logic gives them, the
window stays centred, the rows carry the options, and the text grows with
the DPI.

These runs have a Wine environment of their own (display, prefix and
wineserver, next to the shared one's state folder), whose DPI setting they
change: the shared environment stays at 96 DPI for every other test. The
prefix is kept for the next run.
"""

import unittest
import warnings

import tolvane_e2e as e2e
import wine_env

REFERENCE_DPI = 96
# 168 DPI (175 %) has halves that the others lack: 5970 twips are 696.5 px.
DPIS = (120, 144, 168, 192)
ROW_COUNTS = (1, 3, 10)
PROMPT = "Scegli il tipo di copia"
# The prompt wraps inside its fixed box and a long option is cut off at its
# row's edge; no control moves or grows.
LONG_PROMPT = " ".join(["parola"] * 60)
LONG_OPTION = "opzione " * 40
# Runs made at the reference DPI only, by the number of options given.
GEOMETRY_TAILS = {2: e2e.option_tail(2, "/Title Geometria /Text Prova"),
                  12: e2e.option_tail(12, "/Title Geometria /Text Prova"),
                  "long": f'/Text "{LONG_PROMPT}" /Option Uno /Option "{LONG_OPTION}" /Option Tre'}


class DpiTest(unittest.TestCase):
    TIMEOUT = 300

    @classmethod
    def setUpClass(cls):
        e2e.require_programs()
        shared = e2e.shared_state_dir()
        state_dir = shared.with_name(shared.name + "-dpi")
        cls.addClassCleanup(wine_env.stop, state_dir)
        with warnings.catch_warnings():
            # Xvfb is meant to outlive the object that started it.
            warnings.simplefilter("ignore", ResourceWarning)
            state = wine_env.start(state_dir)
        environment = e2e.Environment(state_dir, state)
        # Every run is made here, one DPI setting after the other, since each
        # change restarts the environment's Wine session.
        cls.results = {}
        for dpi in (REFERENCE_DPI, *DPIS):
            wine_env.set_dpi(state_dir, dpi)
            tails = {rows: e2e.option_tail(rows, f'/Text "{PROMPT}"') for rows in ROW_COUNTS}
            if dpi == REFERENCE_DPI:
                tails.update({("given", key): tail for key, tail in GEOMETRY_TAILS.items()})
            for key, tail in tails.items():
                cls.results[dpi, key] = e2e.run(
                    tail, ["wait-window", "sleep:300", "dump", f"ink:{e2e.ID_TESTO}", "key:Esc",
                           "wait-exit:10000"],
                    environment=environment)

    def result(self, dpi, key):
        result = self.results[dpi, key]
        self.assertIsNone(result.failure)
        self.assertEqual(result.exit_code, 0)
        return result

    def assert_geometry(self, window, rows, dpi):
        client, controls = e2e.layout(rows, dpi)
        self.assertEqual(window.client_size, client, "client area")
        for control_id, expected in controls.items():
            with self.subTest(control=control_id):
                left, top, right, bottom = window.child(control_id).rect
                self.assertEqual((left, top, right - left, bottom - top), expected)
        # The driver, DPI-aware, sees the screen in physical pixels.
        screen = wine_env.SCREEN_SIZE
        left, top, right, bottom = window.rect
        self.assertLessEqual(abs(left - (screen[0] - (right - left)) / 2), 1,
                             f"centred across the screen: {window.rect}")
        self.assertLessEqual(abs(top - (screen[1] - (bottom - top)) / 2), 1,
                             f"centred down the screen: {window.rect}")

    def test_sizes_and_positions(self):
        for dpi in (REFERENCE_DPI, *DPIS):
            for rows in ROW_COUNTS:
                with self.subTest(dpi=dpi, rows=rows):
                    self.assert_geometry(self.result(dpi, rows).window(), rows, dpi)

    def test_rows_carry_the_options(self):
        # Ten rows at most: of twelve options the last two are ignored.
        for given in (2, 12):
            with self.subTest(options=given):
                window = self.result(REFERENCE_DPI, ("given", given)).window()
                shown = min(given, e2e.max_rows())
                self.assert_geometry(window, shown, REFERENCE_DPI)
                self.assert_rows(window, shown)

    def assert_rows(self, window, shown):
        """The first `shown` rows carry the options in order; the rest are
        hidden, disabled, empty and unchecked."""
        for row in range(1, e2e.max_rows() + 1):
            with self.subTest(row=row):
                child = window.child(e2e.row_id(row))
                self.assertEqual(child.style & e2e.BS_TYPEMASK, e2e.BS_AUTORADIOBUTTON)
                if row <= shown:
                    self.assertTrue(child.visible and child.enabled)
                    self.assertEqual(child.text, f"Scelta{row}")
                else:
                    self.assertFalse(child.visible, "a row beyond the options stays hidden")
                    self.assertFalse(child.enabled, "a row beyond the options stays disabled")
                    self.assertEqual(child.text, "")
                    self.assertEqual(child.check, 0)

    def test_long_texts_move_nothing(self):
        window = self.result(REFERENCE_DPI, ("given", "long")).window()
        self.assertEqual(window.child(e2e.ID_TESTO).text, LONG_PROMPT)
        self.assertEqual(window.child(e2e.row_id(2)).text, LONG_OPTION.strip())
        self.assert_geometry(window, 3, REFERENCE_DPI)

    def test_text_grows_with_the_dpi(self):
        # The ink of the prompt, read back from the screen: its width grows
        # in proportion to the DPI (within what hinting changes), its height
        # grows too.
        def ink(dpi):
            box = self.result(dpi, 3).step("ink")["ink"]
            self.assertIsNotNone(box, f"no prompt text drawn at {dpi} DPI")
            left, top, right, bottom = box
            return right - left, bottom - top

        reference_width, reference_height = ink(REFERENCE_DPI)
        for dpi in DPIS:
            with self.subTest(dpi=dpi):
                width, height = ink(dpi)
                scale = dpi / REFERENCE_DPI
                self.assertTrue(0.85 * scale <= width / reference_width <= 1.15 * scale,
                                f"prompt {width} px wide at {dpi} DPI, "
                                f"{reference_width} px at {REFERENCE_DPI}")
                self.assertGreater(height, reference_height)


if __name__ == "__main__":
    unittest.main()
