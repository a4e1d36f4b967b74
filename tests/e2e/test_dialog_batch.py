"""A batch file run by Wine's cmd.exe walks an IF ERRORLEVEL ladder after
calling Tolvane.exe, while a driver attached from outside answers the dialog
(or dismisses the usage box); the branch taken must match the answer."""

import unittest
from pathlib import Path

import tolvane_e2e as e2e

LADDER = Path(__file__).resolve().parent / "batch" / "errorlevel_ladder.bat"

# The title tells the dialog of this test from any other window.
TITLE = "Scala"


class ErrorlevelLadderTest(unittest.TestCase):

    def run_ladder(self, args, window_class, steps, title=TITLE):
        # The pause before the answer makes sure the script really waited for
        # the program rather than reading an ERRORLEVEL left from before.
        answerer = e2e.attach(window_class, ["wait-window", "dump", "sleep:500", *steps,
                                             "wait-exit:10000"], title=title)
        _, output = e2e.run_batch(LADDER, {"TOLVANE_EXE": e2e.windows_path(e2e.tolvane_exe()),
                                           "TOLVANE_ARGS": args})
        result = answerer.result()
        self.assertIsNone(result.failure)
        return result, output.split()

    def test_branches(self):
        three = f"/Title {TITLE} " + e2e.option_tail(3)
        cases = [
            # (name, switches, steps of the answer, exit code, branch)
            ("option 1", three, [f"click:{e2e.row_id(1)}", f"click:{e2e.ID_OK}"], 1, "option1"),
            ("option 3", three + " /Default 3", ["key:Enter"], 3, "option3"),
            ("option 3 by arrows", three, ["key:Down", "key:Down", "key:Alt+O"], 3, "option3"),
            ("option 10", f"/Title {TITLE} " + e2e.option_tail(10, "/Default 10"), ["key:Enter"],
             10, "option10"),
            ("cancel", three + " /Default 2", [f"click:{e2e.ID_CANCEL}"], 0, "cancel"),
        ]
        for name, args, steps, code, branch in cases:
            with self.subTest(name):
                result, output = self.run_ladder(args, e2e.DIALOG_CLASS, steps)
                self.assertEqual(result.exit_code, code)
                self.assertEqual(output, [f"errorlevel={code}", f"branch={branch}"])

    def test_usage_branch(self):
        result, output = self.run_ladder(f"/Title {TITLE}", e2e.MESSAGE_BOX_CLASS, ["key:Enter"],
                                         title=e2e.caption("usage_box"))
        self.assertEqual(result.exit_code, 11)
        self.assertEqual(output, ["errorlevel=11", "branch=usage"])


if __name__ == "__main__":
    unittest.main()
