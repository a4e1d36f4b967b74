"""Tolvane.exe called from a real batch file run by Wine's cmd.exe: the script
waits for it and sees its exit code through ERRORLEVEL."""

import unittest
from pathlib import Path

import tolvane_e2e as e2e

BATCH_DIR = Path(__file__).resolve().parent / "batch"


class UsageErrorlevelTest(unittest.TestCase):
    """The usage box, dismissed by a driver attached from outside, gives the
    calling script ERRORLEVEL 11."""

    def run_batch_and_dismiss(self, batch_name):
        # The pause before Enter makes sure the script really waited for the
        # program rather than reading an ERRORLEVEL left from before.
        dismisser = e2e.attach(e2e.MESSAGE_BOX_CLASS,
                               ["wait-window", "dump", "sleep:1000", "key:Enter",
                                "wait-exit:10000"],
                               title=e2e.caption("usage_box"))
        status, output = e2e.run_batch(
            BATCH_DIR / batch_name, {"TOLVANE_EXE": e2e.windows_path(e2e.tolvane_exe())})
        result = dismisser.result()

        self.assertIsNone(result.failure)
        self.assertEqual(result.exit_code, 11)
        self.assertEqual(result.window().child(e2e.ID_MESSAGE_TEXT).text, e2e.usage_text())
        self.assertEqual(output.split(), ["errorlevel=11", "if-errorlevel-11=taken",
                                          "if-errorlevel-12=skipped"])
        self.assertEqual(status, 11, "the script's own exit code")

    def test_plain_call(self):
        self.run_batch_and_dismiss("usage_errorlevel.bat")

    def test_start_wait(self):
        self.run_batch_and_dismiss("usage_errorlevel_start_wait.bat")


if __name__ == "__main__":
    unittest.main()
