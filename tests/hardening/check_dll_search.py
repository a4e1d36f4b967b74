#!/usr/bin/env python3
"""Checks at run time, under Wine, that Tolvane.exe restricts the DLL search
to System32 before it does anything else: its first call into a DLL other
than the run-time's own (KERNEL32, msvcrt, ntdll) must be preceded by
SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), made by the program
itself and successful, with no LoadLibrary before it.

Wine's relay trace lists every call that the program makes into Wine's DLLs,
with the return address that tells who called. A run with a one-second
countdown must end with exit code 1, so the trace covers a whole real run.

usage: check_dll_search.py PATH-TO-Tolvane.exe   (in the end-to-end tests'
                                                 environment, TOLVANE_E2E_STATE)
       check_dll_search.py --self-test"""

import os
import re
import subprocess
import sys
import unittest
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import wine_env  # noqa: E402

LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800
RUNTIME_DLLS = {"kernel32", "kernelbase", "msvcrt", "ntdll"}
TAIL = ["/Option", "Uno", "/Timeout", "1"]
NO_START = "the trace shows no start of %s"

LOADED = re.compile(r'^([0-9a-f]+):trace:loaddll:\w+ Loaded L"(.*)" at ([0-9A-Fa-f]+): native')
# Only a run that asks the user of another session needs these.
ASKING_ONLY = re.compile(r'trace:loaddll:.*Loaded L".*\\(wtsapi32|userenv)\.dll"', re.IGNORECASE)
CALL = re.compile(r"^([0-9a-f]+):Call ([\w.-]+)\.(\w+)\((.*)\) ret=([0-9a-f]+)$")
RET = re.compile(r"^([0-9a-f]+):Ret  ([\w.-]+)\.(\w+)\(\) retval=([0-9a-f]+) ret=([0-9a-f]+)$")


def analyse(lines, exe_name, image_size):
    """A list of problems found in a relay trace; empty when the program
    restricted the DLL search first."""
    thread = base = None
    before = []  # the program's calls before the restriction
    restricted = None  # the return address of that call
    result = None
    for line in lines:
        line = line.rstrip("\n")
        if thread is None:
            loaded = LOADED.match(line)
            if loaded and loaded.group(2).lower().endswith("\\" + exe_name.lower()):
                thread, base = loaded.group(1), int(loaded.group(3), 16)
            continue
        if not line.startswith(thread + ":"):
            continue
        call = CALL.match(line)
        if call and restricted is None:
            if not base <= int(call.group(5), 16) < base + image_size:
                continue  # a call between Wine's own DLLs
            dll, function, args = call.group(2), call.group(3), call.group(4)
            if function == "SetDefaultDllDirectories":
                if int(args, 16) != LOAD_LIBRARY_SEARCH_SYSTEM32:
                    return ["SetDefaultDllDirectories was called with %s, not 0x800" % args]
                restricted = call.group(5)
            else:
                before.append("%s.%s" % (dll, function))
            continue
        ret = RET.match(line)
        if ret and restricted is not None and ret.group(3) == "SetDefaultDllDirectories" \
                and ret.group(5) == restricted:
            result = int(ret.group(4), 16)
            break

    if thread is None:
        return [NO_START % exe_name]
    if restricted is None:
        return ["%s never called SetDefaultDllDirectories" % exe_name]
    problems = []
    if result != 1:
        problems.append("SetDefaultDllDirectories did not succeed (returned %s)" % result)
    early = [c for c in before
             if c.split(".")[0].lower() not in RUNTIME_DLLS or "LoadLibrary" in c]
    if early:
        problems.append("called before the DLL search was restricted: %s" % ", ".join(early))
    return problems


def run(exe):
    exe = Path(exe).resolve()
    image_size = pefile.PE(str(exe), fast_load=True).OPTIONAL_HEADER.SizeOfImage
    state = wine_env.load(os.environ["TOLVANE_E2E_STATE"])
    env = dict(wine_env.wine_environment(state["display"], state["prefix"]),
               WINEDEBUG="+loaddll,+relay")

    def start(_):
        # The trace runs to a hundred megabytes: it is read as it comes.
        process = subprocess.Popen(["wine", str(exe), *TAIL], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, text=True, errors="replace")
        problems = analyse(process.stderr, exe.name, image_size)
        problems += ["an ordinary run loaded %s.dll" % asking.group(1)
                     for asking in map(ASKING_ONLY.search, process.stderr) if asking]
        try:
            code = process.wait(timeout=120)
        except subprocess.TimeoutExpired:
            process.kill()
            code = None
        return problems, code

    # A start that Wine lost leaves no trace of the program and status 1.
    problems, code = wine_env.start_again_if_lost(
        start, lambda outcome: outcome == ([NO_START % exe.name], 1))
    if code != 1:
        problems.append("%s %s ended with %s, not 1" % (exe.name, " ".join(TAIL), code))
    return problems


class Analysis(unittest.TestCase):
    """The analysis on small made-up traces, so that it is known to fail."""

    HEAD = ['0024:trace:loaddll:build_module Loaded L"Z:\\\\b\\\\Tolvane.exe" at '
            '0000000140000000: native',
            "0024:Call msvcrt.__wgetmainargs(0021fd40,0021fd48) ret=140001234",
            "0030:Call user32.CreateWindowExW(0) ret=140001000",
            "0024:Call user32.GetDC(0) ret=7b012345",
            "0024:Call KERNEL32.GetProcAddress(7b600000,14000b01a) ret=140009351"]
    RESTRICT = ["0024:Call KERNEL32.SetDefaultDllDirectories(00000800) ret=14000935d",
                "0024:Ret  KERNEL32.SetDefaultDllDirectories() retval=00000001 ret=14000935d"]
    TAIL = ["0024:Call comctl32.InitCommonControlsEx(0021fe00) ret=140009370"]

    def problems(self, lines):
        return analyse(lines, "Tolvane.exe", 0x20000)

    def test_restriction_first(self):
        self.assertEqual(self.problems(self.HEAD + self.RESTRICT + self.TAIL), [])

    def test_restriction_missing(self):
        self.assertTrue(self.problems(self.HEAD + self.TAIL))

    def test_restriction_after_a_window_call(self):
        self.assertTrue(self.problems(self.HEAD + self.TAIL + self.RESTRICT))

    def test_load_library_before(self):
        load = ["0024:Call KERNEL32.LoadLibraryW(14000c000) ret=140001111"]
        self.assertTrue(self.problems(self.HEAD + load + self.RESTRICT + self.TAIL))

    def test_other_flags(self):
        other = [line.replace("00000800", "00001000") for line in self.RESTRICT]
        self.assertTrue(self.problems(self.HEAD + other + self.TAIL))

    def test_failed_call(self):
        failed = [self.RESTRICT[0], self.RESTRICT[1].replace("retval=00000001", "retval=00000000")]
        self.assertTrue(self.problems(self.HEAD + failed + self.TAIL))

    def test_call_from_another_module_does_not_count(self):
        foreign = ["0024:Call KERNEL32.SetDefaultDllDirectories(00000800) ret=7b0a0000",
                   "0024:Ret  KERNEL32.SetDefaultDllDirectories() retval=00000001 ret=7b0a0000"]
        self.assertTrue(self.problems(self.HEAD + foreign + self.TAIL))


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return 0 if unittest.main(argv=argv[:1], exit=False).result.wasSuccessful() else 1
    if len(argv) != 2:
        print("\n".join(__doc__.strip().splitlines()[-2:]), file=sys.stderr)
        return 2
    problems = run(argv[1])
    for problem in problems:
        print("FAIL", problem)
    if not problems:
        print("ok   %s restricts the DLL search to System32 before anything else" % argv[1])
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
