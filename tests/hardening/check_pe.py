#!/usr/bin/env python3
"""Checks the hardening of a built Tolvane.exe from its PE headers: ASLR with
relocations kept, high-entropy ASLR, DEP, no section both writable and
executable, imports from Windows system DLLs only, the GUI subsystem, no time
stamp, and the restricted DLL search that start-up sets up.

usage: check_pe.py PATH-TO-Tolvane.exe    (exit status 1 when a check fails)"""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import pe_file  # noqa: E402

# DLLs that every Windows since 7 has in System32, without any add-on.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "imm32.dll",
    "kernel32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll",
}


def check(pe):
    """A list of (name, passed, detail) for every check."""
    results = []

    def record(name, passed, detail=""):
        results.append((name, bool(passed), detail))

    chars = pe.dll_characteristics
    relocs = pe.relocation_count()
    reloc_section = pe.section_of(pe.directory(pe_file.DIR_BASERELOC)[0])
    record("ASLR (DYNAMIC_BASE)", chars & pe_file.DLLCHAR_DYNAMIC_BASE)
    record("relocations kept (.reloc present, not stripped)",
           relocs > 0 and reloc_section is not None
           and not pe.characteristics & pe_file.IMAGE_FILE_RELOCS_STRIPPED,
           "%d relocations in %s" % (relocs, reloc_section.name if reloc_section else "no section"))
    record("HIGH_ENTROPY_VA", chars & pe_file.DLLCHAR_HIGH_ENTROPY_VA)
    record("image base above 4 GiB", pe.image_base >= 1 << 32, "0x%x" % pe.image_base)
    record("NX_COMPAT (DEP)", chars & pe_file.DLLCHAR_NX_COMPAT)

    both = [s.name for s in pe.sections
            if s.flags & pe_file.SCN_MEM_WRITE and s.flags & pe_file.SCN_MEM_EXECUTE]
    record("no section both writable and executable", not both, ", ".join(both))

    imports = pe.imports()
    delay = pe.delay_imports()
    foreign = sorted(name for name in list(imports) + list(delay)
                     if name.lower() not in SYSTEM_DLLS)
    record("imports from Windows system DLLs only", imports and not foreign,
           ", ".join(foreign) if foreign else ", ".join(sorted(imports)))

    record("GUI subsystem", pe.subsystem == pe_file.IMAGE_SUBSYSTEM_WINDOWS_GUI,
           "subsystem %d" % pe.subsystem)

    stamps = {"COFF header": pe.time_date_stamp, "resources": pe.resource_time_stamp(),
              "exports": pe.export_time_stamp()}
    for i, stamp in enumerate(pe.debug_time_stamps()):
        stamps["debug entry %d" % i] = stamp
    stamped = ["%s 0x%x" % (where, stamp) for where, stamp in stamps.items() if stamp]
    record("no time stamp", not stamped, ", ".join(stamped))

    # Windows 7 without its 2011 loader update lacks SetDefaultDllDirectories:
    # importing it would keep the program from starting there, so start-up
    # looks it up by name at run time.
    kernel32 = {f for dll, fs in imports.items() if dll.lower() == "kernel32.dll" for f in fs}
    all_imported = {f for fs in list(imports.values()) + list(delay.values()) for f in fs}
    record("SetDefaultDllDirectories looked up at run time, not imported",
           "SetDefaultDllDirectories" not in all_imported
           and {"GetProcAddress", "GetModuleHandleW"} <= kernel32
           and b"SetDefaultDllDirectories\0" in pe.data)
    return results


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        results = check(pe_file.PeFile.load(argv[1]))
    except (OSError, pe_file.PeError) as error:
        print("cannot read %s: %s" % (argv[1], error), file=sys.stderr)
        return 1
    for name, passed, detail in results:
        print("%-4s %s%s" % ("ok" if passed else "FAIL", name, " (%s)" % detail if detail else ""))
    return 0 if all(passed for _, passed, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
