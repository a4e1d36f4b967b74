"""The dialog on screens of 120 to 192 DPI: every size and position is
the layout's twips converted at that DPI, the window stays centred, and the
text grows with the DPI.

These runs have a Wine environment of their own (display, prefix and
wineserver, next to the shared one's state folder), whose DPI setting they
change: the shared environment stays at 96 DPI for every other test. The
prefix is kept for the next run.
"""

import os
import unittest
import warnings
from pathlib import Path

import tolvane_e2e as e2e
import wine_env

REFERENCE_DPI = 96
# 168 DPI (175 %) has halves that the others lack: 5970 twips are 696.5 px.
DPIS = (120, 144, 168, 192)
ROW_COUNTS = (1, 3, 10)
PROMPT = "Scegli il tipo di copia"


def dpi_state_dir():
    shared = Path(os.environ.get("TOLVANE_E2E_STATE") or e2e.REPO / "build" / "e2e")
    return shared.with_name(shared.name + "-dpi")


class DpiTest(e2e.DialogGeometryMixin, unittest.TestCase):
    TIMEOUT = 300

    @classmethod
    def setUpClass(cls):
        for program in (e2e.tolvane_exe(), e2e.driver_exe()):
            if not program.is_file():
                raise RuntimeError(f"{program} is missing: build the Windows preset first")
        state_dir = dpi_state_dir()
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
            for rows in ROW_COUNTS:
                cls.results[dpi, rows] = e2e.run(
                    e2e.option_tail(rows, f'/Text "{PROMPT}"'),
                    ["wait-window", "sleep:300", "dump", f"ink:{e2e.ID_TESTO}", "key:Esc",
                     "wait-exit:10000"],
                    environment=environment)

    def result(self, dpi, rows):
        result = self.results[dpi, rows]
        self.assertIsNone(result.failure)
        self.assertEqual(result.exit_code, 0)
        return result

    def test_sizes_and_positions(self):
        for dpi in (REFERENCE_DPI, *DPIS):
            for rows in ROW_COUNTS:
                with self.subTest(dpi=dpi, rows=rows):
                    result = self.result(dpi, rows)
                    screen = (result.screen["width"], result.screen["height"])
                    self.assertEqual(screen, (1280, 1024), "the screen in physical pixels")
                    self.assert_geometry(result.window(), rows, dpi, screen)

    def test_text_grows_with_the_dpi(self):
        # The ink of the prompt, read back from the screen: its width grows
        # in proportion to the DPI (within what hinting changes), its height
        # grows too.
        def ink(dpi):
            step = self.result(dpi, 3).step("ink")
            self.assertIsNotNone(step["ink"]["box"], f"no prompt text drawn at {dpi} DPI")
            left, top, right, bottom = step["ink"]["box"]
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
