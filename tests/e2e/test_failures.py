"""A failure is never an answer: whatever way the process fails, it ends at
once with the error code 11 and shows no window. tolvane_crasher.exe makes
the failures after the same preparation of the process as Tolvane.exe."""

import unittest

import tolvane_e2e as e2e


NO_HANDLER_IN_RUNTIME = 0xC0000139
# Built next to the driver.
CRASHER = e2e.driver_exe().parent / "tolvane_crasher.exe"

class FailureTest(unittest.TestCase):
    def test_every_failure_ends_with_the_error_code(self):
        # "none" does not fail: the check that the program runs at all.
        cases = [("none", 0), ("access-violation", 11), ("stack-overflow", 11),
                 ("stack-overrun", 11), ("terminate", 11), ("abort", 11),
                 ("uncaught-exception", 11), ("invalid-parameter", 11),
                 # Wine's heap lets a double free pass and the program runs on
                 # to its end; Windows ends it with 0xC0000374, past every
                 # handler (see docs/windows-checklist.md).
                 ("heap-corruption", 0)]
        for how, expected in cases:
            with self.subTest(how):
                result = e2e.run(how, ["wait-exit:10000"], exe=CRASHER)
                self.assertIsNone(result.failure)
                if result.exit_code == NO_HANDLER_IN_RUNTIME:
                    # Wine's msvcrt.dll has no _set_invalid_parameter_handler,
                    # so only Windows shows the handler's end (see
                    # docs/windows-checklist.md). Elsewhere an exception ends
                    # this mode with its own code: only the handler gives 11.
                    self.assertEqual(how, "invalid-parameter")
                    continue
                self.assertEqual(result.exit_code, expected,
                                 f"exit code 0x{(result.exit_code or 0):08x}")
                self.assertEqual(result.seen_windows, [])

    def test_a_dialog_not_fully_made_is_never_shown(self):
        # Windows refuses one control (a CBT hook says no): the frame, a
        # shown row, a row that is never shown, the countdown's label.
        for control_id in (e2e.ID_FRAME, e2e.row_id(2), e2e.row_id(5), e2e.ID_TEMPO):
            with self.subTest(control_id):
                result = e2e.run("/Option Uno /Option Due /Timeout 3", ["wait-exit:10000"],
                                 refuse_control=control_id)
                self.assertIsNone(result.failure)
                self.assertEqual(result.exit_code, 11)
                self.assertEqual(result.seen_windows, [])


if __name__ == "__main__":
    unittest.main()
