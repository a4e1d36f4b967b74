#!/usr/bin/env python3
"""Makes sure that each hardening check can fail: every test spoils one
property in a copy of the real Tolvane.exe and expects exactly that check to
report it, while the unspoilt file passes them all.

usage: test_check_pe.py PATH-TO-Tolvane.exe"""

import sys
import unittest
from pathlib import Path

import pefile

sys.path.insert(0, str(Path(__file__).resolve().parent))
import check_pe  # noqa: E402

EXE = None


def failed_checks(data):
    return {name for name, passed, _ in check_pe.check(data) if not passed}


class SpoiltCopies(unittest.TestCase):
    def setUp(self):
        self.data = Path(EXE).read_bytes()
        self.pe = pefile.PE(data=self.data)

    def spoil(self, change, expected):
        """Changes the parsed headers, writes the image back and expects only
        the check `expected` to fail."""
        change(self.pe)
        self.assertEqual(failed_checks(self.pe.write()), {expected})

    def spoil_bytes(self, old, new, expected):
        at = self.data.find(old)
        self.assertGreater(at, 0)
        data = self.data[:at] + new + self.data[at + len(old):]
        self.assertEqual(failed_checks(data), {expected})

    def test_unspoilt_file_passes(self):
        self.assertEqual(failed_checks(self.data), set())

    def clear_dll_characteristic(self, flag, expected):
        def clear(pe):
            pe.OPTIONAL_HEADER.DllCharacteristics &= ~pefile.DLL_CHARACTERISTICS[flag]
        self.spoil(clear, expected)

    def test_no_aslr(self):
        self.clear_dll_characteristic("IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE",
                                      "ASLR (DYNAMIC_BASE)")

    def test_relocations_stripped(self):
        def strip(pe):
            pe.FILE_HEADER.Characteristics |= pefile.IMAGE_CHARACTERISTICS[
                "IMAGE_FILE_RELOCS_STRIPPED"]
        self.spoil(strip, "relocations kept (.reloc present, not stripped)")

    def test_no_high_entropy(self):
        self.clear_dll_characteristic("IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA",
                                      "HIGH_ENTROPY_VA")

    def test_no_dep(self):
        self.clear_dll_characteristic("IMAGE_DLLCHARACTERISTICS_NX_COMPAT", "NX_COMPAT (DEP)")

    def test_writable_code(self):
        def writable_text(pe):
            text = next(s for s in pe.sections if s.Name.rstrip(b"\0") == b".text")
            text.Characteristics |= pefile.SECTION_CHARACTERISTICS["IMAGE_SCN_MEM_WRITE"]
        self.spoil(writable_text, "no section both writable and executable")

    def test_foreign_dll(self):
        self.spoil_bytes(b"msvcrt.dll\0", b"libfoo.dll\0", "imports from Windows system DLLs only")

    def test_console_subsystem(self):
        console = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_CUI"]
        self.spoil(lambda pe: setattr(pe.OPTIONAL_HEADER, "Subsystem", console), "GUI subsystem")

    def test_time_stamp(self):
        self.spoil(lambda pe: setattr(pe.FILE_HEADER, "TimeDateStamp", 0x6553F100),
                   "no time stamp")

    def test_dll_search_not_restricted(self):
        self.spoil_bytes(b"SetDefaultDllDirectories\0", b"SetDefaultDllDirectorieZ\0",
                         "SetDefaultDllDirectories looked up at run time, not imported")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        sys.exit(2)
    EXE = sys.argv.pop(1)
    unittest.main()
