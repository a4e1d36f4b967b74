#!/usr/bin/env python3
"""Runs one of the example batch files under Wine's cmd.exe, answers its dialog
through the test driver (attached to the dialog by its window class) and
checks what the batch file printed, i.e. the branch that it took, and the exit
code that Tolvane.exe gave it.

    run_example.py CASE          run one case
    run_example.py --list        the case names
    run_example.py --check-files the example files: CRLF, ASCII, each one run

The display, the Wine prefix and the programs come from the end-to-end tests'
helpers (tests/e2e/tolvane_e2e.py), with the same environment variables.
"""

import argparse
import os
import shutil
import sys
import unittest
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

# The dialog is answered with keys, as a user would: the focus starts on the
# selected option, the arrow keys move the selection, Enter is OK and Esc is
# Annulla. (The driver's mouse clicks were not reliable enough under Wine.)


@dataclass
class Case:
    bat: str
    steps: list  # driver steps; empty when no window is expected
    output: list  # the lines that the batch file must print, in full
    code: int | None = None  # Tolvane's exit code, as the driver saw it
    where: str = "path"  # Tolvane.exe on the PATH, "beside" the batch or "missing"
    usage_box: bool = False  # the window to answer is the usage box, not the dialog
    args: list = field(default_factory=list)  # "@NAME" stands for the file NAME below
    files: dict = field(default_factory=dict)  # NAME -> text, written with CRLF
    options: list | None = None  # option texts that the "dump" step must show
    min_ms: float = 0  # least time from the window's appearance to the program's end


CASES = {
    "backup-completo": Case(
        "backup.bat", ["wait-window", "key:Up", "key:Enter", "wait-exit:10000"],
        ["Backup completo."], code=1),
    "backup-annullato": Case(
        "backup.bat", ["wait-window", "key:Esc", "wait-exit:10000"],
        ["Backup annullato."], code=0),
    "backup-accanto": Case(
        "backup.bat", ["wait-window", "key:Enter", "wait-exit:10000"],
        ["Backup incrementale."], code=2, where="beside"),
    "backup-senza-tolvane": Case(
        "backup.bat", [],
        ["Nessun backup: Tolvane non ha chiesto il tipo (codice 9009)."], where="missing"),
    "manutenzione-cestino": Case(
        "manutenzione.bat", ["wait-window", "key:Down", "key:Down", "key:Enter", "wait-exit:10000"],
        ["Svuotamento del Cestino."], code=3),
    "manutenzione-chiusa": Case(
        "manutenzione.bat", ["wait-window", "key:Alt+F4", "wait-exit:10000"],
        ["Nessuna operazione."], code=0),
    "manutenzione-senza-tolvane": Case(
        "manutenzione.bat", [],
        ["Nessuna operazione: Tolvane non ha mostrato il menu."], where="missing"),
    "notturno-predefinita": Case(
        "notturno.bat", ["wait-window", "wait-exit:15000"],
        ["Aggiornamento senza riavvio."], code=2, min_ms=4500),
    "notturno-rimanda": Case(
        "notturno.bat", ["wait-window", "key:Down", "key:Enter", "wait-exit:10000"],
        ["Aggiornamento rimandato."], code=3),
    "start-wait-no": Case(
        "start-wait.bat", ["wait-window", "key:Down", "key:Enter", "wait-exit:10000"],
        ["Installazione senza gli esempi."], code=2),
    "elenco-voce": Case(
        "elenco.bat",
        ["wait-window", "dump", "key:Down", "key:Down", "key:Enter", "wait-exit:10000"],
        ["Voce scelta: C:/Dati"], code=3, args=["@server.txt"],
        files={"server.txt": "Server-1\nServer 2 (copia)\nC:/Dati\n"},
        options=["Server-1", "Server 2 (copia)", "C:/Dati"]),
    # Of eleven lines the first ten are offered, and the tenth is chosen.
    "elenco-decima": Case(
        "elenco.bat", ["wait-window", "dump", *["key:Down"] * 9, "key:Enter", "wait-exit:10000"],
        ["Voce scelta: Voce 10"], code=10, args=["@dieci.txt"],
        files={"dieci.txt": "".join(f"Voce {n}\n" for n in range(1, 12))},
        options=[f"Voce {n}" for n in range(1, 11)]),
    "elenco-vuoto": Case(
        "elenco.bat", ["wait-window", "key:Enter", "wait-exit:10000"],
        ["Nessuna voce da proporre: l'elenco e' vuoto."], code=11, args=["@vuoto.txt"],
        files={"vuoto.txt": ""}, usage_box=True),
}


def crlf(text):
    return text.replace("\n", "\r\n").encode("ascii")


class Example(unittest.TestCase):
    """Runs the case named `case` (run_case), or checks the files (check_files)."""

    case = None

    def run_case(self):
        import tolvane_e2e as e2e

        case = CASES[self.case]
        # Tolvane.exe is on Wine's PATH only when a case puts it there. (An
        # empty WINEPATH would not do: Wine's cmd.exe takes an empty PATH
        # entry for a hit and runs nothing.)
        os.environ.pop("WINEPATH", None)
        env = e2e.Environment.get()
        work = env.scratch_file("")
        work.mkdir()
        bat = EXAMPLES / case.bat
        extra_env = {}
        if case.where == "beside":
            shutil.copy(bat, work / case.bat)
            shutil.copy(e2e.tolvane_exe(), work / "Tolvane.exe")
            bat = work / case.bat
        elif case.where == "path":
            extra_env["WINEPATH"] = e2e.windows_path(e2e.tolvane_exe().parent)
        for name, text in case.files.items():
            (work / name).write_bytes(crlf(text))
        if case.args:
            # The helper runs a batch file without arguments: a one-line batch
            # file calls the example with them.
            args = " ".join(f'"{e2e.windows_path(work / a[1:])}"' if a.startswith("@") else a
                            for a in case.args)
            (work / "call.bat").write_bytes(crlf(f'@call "{e2e.windows_path(bat)}" {args}\n'))
            bat = work / "call.bat"

        title = e2e.caption("usage_box") if case.usage_box else None
        answer = e2e.attach(e2e.DIALOG_CLASS, case.steps, title=title) if case.steps else None
        _, output = e2e.run_batch(bat, extra_env)
        result = answer.result() if answer else None

        lines = output.splitlines()
        if case.where == "missing":
            # cmd.exe itself complains first that it finds no Tolvane.exe.
            self.assertIn("Tolvane.exe", lines[0] if lines else "", "cmd.exe's complaint")
            lines = lines[1:]
        self.assertEqual(lines, case.output, "what the batch file printed")
        if result is None:
            return
        self.assertIsNone(result.failure)
        self.assertEqual(result.exit_code, case.code)
        self.assertGreaterEqual(result.exit_after_visible_ms, case.min_ms,
                                "the time from the window's appearance to the program's end")
        if case.options is not None:
            shown = [c.text for c in result.window().visible_children("Button")
                     if e2e.row_id(1) <= c.id <= e2e.row_id(e2e.max_rows())]
            self.assertEqual(shown, case.options)

    def check_files(self):
        bats = sorted(p.name for p in EXAMPLES.glob("*.bat"))
        self.assertTrue(bats, f"no batch files in {EXAMPLES}")
        for name in bats:
            with self.subTest(name):
                data = (EXAMPLES / name).read_bytes()
                self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), "lines end with CRLF")
                self.assertTrue(data.endswith(b"\r\n"), "the last line too")
                # cmd.exe reads it in the OEM code page.
                self.assertTrue(data.isascii(), "plain ASCII")
                self.assertIn(name, {case.bat for case in CASES.values()}, "no case runs it")
        for name, case in CASES.items():
            self.assertIn(case.bat, bats, f"case {name}: no such file")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--check-files", action="store_true")
    parser.add_argument("case", nargs="?", choices=sorted(CASES))
    options = parser.parse_args()
    if options.list:
        print("\n".join(CASES))
        return 0
    if not (options.check_files or options.case):
        parser.error("give a case, --list or --check-files")
    test = Example("check_files" if options.check_files else "run_case")
    test.case = options.case
    return 0 if unittest.TextTestRunner(verbosity=2).run(test).wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
