#!/usr/bin/env python3
"""Makes sure that each hardening check can fail: every test spoils one
property in a copy of the real Tolvane.exe and expects exactly that check to
report it, while the unspoilt file passes them all.

usage: test_check_pe.py PATH-TO-Tolvane.exe"""

import struct
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import check_pe  # noqa: E402
import pe_file  # noqa: E402

EXE = None


def failed_checks(data):
    return {name for name, passed, _ in check_pe.check(pe_file.PeFile(data)) if not passed}


class SpoiltCopies(unittest.TestCase):
    def setUp(self):
        self.data = bytearray(Path(EXE).read_bytes())
        self.pe = pe_file.PeFile(self.data)

    def set_u16(self, offset, value):
        struct.pack_into("<H", self.data, offset, value)

    def set_u32(self, offset, value):
        struct.pack_into("<I", self.data, offset, value)

    def clear_dll_characteristic(self, flag):
        self.set_u16(self.pe.optional_offset + 70, self.pe.dll_characteristics & ~flag)

    def assert_only_failure(self, expected):
        self.assertEqual(failed_checks(self.data), {expected})

    def test_unspoilt_file_passes(self):
        self.assertEqual(failed_checks(self.data), set())

    def test_no_aslr(self):
        self.clear_dll_characteristic(pe_file.DLLCHAR_DYNAMIC_BASE)
        self.assert_only_failure("ASLR (DYNAMIC_BASE)")

    def test_relocations_stripped(self):
        self.set_u16(self.pe.pe_offset + 22,
                     self.pe.characteristics | pe_file.IMAGE_FILE_RELOCS_STRIPPED)
        self.assert_only_failure("relocations kept (.reloc present, not stripped)")

    def test_no_high_entropy(self):
        self.clear_dll_characteristic(pe_file.DLLCHAR_HIGH_ENTROPY_VA)
        self.assert_only_failure("HIGH_ENTROPY_VA")

    def test_no_dep(self):
        self.clear_dll_characteristic(pe_file.DLLCHAR_NX_COMPAT)
        self.assert_only_failure("NX_COMPAT (DEP)")

    def test_writable_code(self):
        index = [s.name for s in self.pe.sections].index(".text")
        flags_offset = self.pe.optional_offset + self.section_table_start() + 40 * index + 36
        self.set_u32(flags_offset, self.pe.sections[index].flags | pe_file.SCN_MEM_WRITE)
        self.assert_only_failure("no section both writable and executable")

    def section_table_start(self):
        (optional_size,) = struct.unpack_from("<H", self.data, self.pe.pe_offset + 20)
        return optional_size

    def test_foreign_dll(self):
        name = b"msvcrt.dll\0"
        at = self.data.find(name)
        self.assertGreater(at, 0)
        self.data[at:at + len(name)] = b"libfoo.dll\0"
        self.assert_only_failure("imports from Windows system DLLs only")

    def test_console_subsystem(self):
        self.set_u16(self.pe.optional_offset + 68, 3)
        self.assert_only_failure("GUI subsystem")

    def test_time_stamp(self):
        self.set_u32(self.pe.pe_offset + 8, 0x6553F100)
        self.assert_only_failure("no time stamp")

    def test_dll_search_not_restricted(self):
        name = b"SetDefaultDllDirectories\0"
        at = self.data.find(name)
        self.assertGreater(at, 0)
        self.data[at:at + len(name)] = b"SetDefaultDllDirectorieZ\0"
        self.assert_only_failure("SetDefaultDllDirectories looked up at run time, not imported")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        sys.exit(2)
    EXE = sys.argv.pop(1)
    unittest.main()
