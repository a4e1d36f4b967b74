#!/usr/bin/env python3
"""Checks the hardening of a built Tolvane.exe from its PE headers: ASLR with
relocations kept, high-entropy ASLR, DEP, no section both writable and
executable, imports from Windows system DLLs only, the GUI subsystem, no time
stamp, and the restricted DLL search that start-up sets up.

usage: check_pe.py PATH-TO-Tolvane.exe    (exit status 1 when a check fails)"""

import sys
from pathlib import Path

import pefile

# DLLs that every Windows since 7 has in System32, without any add-on.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "imm32.dll",
    "kernel32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll",
}


def imports(pe, delayed=True):
    """{DLL name: [function names]} of the import table, and by default of the
    delay-load table too."""
    entries = list(getattr(pe, "DIRECTORY_ENTRY_IMPORT", []))
    if delayed:
        entries += getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
    table = {}
    for entry in entries:
        table.setdefault(entry.dll.decode(), []).extend(
            i.name.decode() for i in entry.imports if i.name)
    return table


def check(data):
    """A list of (name, passed, detail) for every check of the image `data`."""
    pe = pefile.PE(data=bytes(data))
    header, optional = pe.FILE_HEADER, pe.OPTIONAL_HEADER
    results = []

    def record(name, passed, detail=""):
        results.append((name, bool(passed), detail))

    relocs = sum(1 for block in getattr(pe, "DIRECTORY_ENTRY_BASERELOC", [])
                 for entry in block.entries if entry.type != 0)
    reloc_rva = optional.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]].VirtualAddress
    reloc_section = pe.get_section_by_rva(reloc_rva) if reloc_rva else None
    record("ASLR (DYNAMIC_BASE)", optional.IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE)
    record("relocations kept (.reloc present, not stripped)",
           relocs > 0 and reloc_section is not None and not header.IMAGE_FILE_RELOCS_STRIPPED,
           "%d relocations in %s" % (relocs, section_name(reloc_section)))
    record("HIGH_ENTROPY_VA", optional.IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA)
    record("image base above 4 GiB", optional.ImageBase >= 1 << 32, "0x%x" % optional.ImageBase)
    record("NX_COMPAT (DEP)", optional.IMAGE_DLLCHARACTERISTICS_NX_COMPAT)

    both = [section_name(s) for s in pe.sections
            if s.IMAGE_SCN_MEM_WRITE and s.IMAGE_SCN_MEM_EXECUTE]
    record("no section both writable and executable", not both, ", ".join(both))

    direct = imports(pe, delayed=False)
    every = imports(pe)
    foreign = sorted(name for name in every if name.lower() not in SYSTEM_DLLS)
    record("imports from Windows system DLLs only", direct and not foreign,
           ", ".join(foreign) if foreign else ", ".join(sorted(direct)))

    gui = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
    record("GUI subsystem", optional.Subsystem == gui, "subsystem %d" % optional.Subsystem)

    stamps = {"COFF header": header.TimeDateStamp}
    for where, attribute in (("resources", "DIRECTORY_ENTRY_RESOURCE"),
                             ("exports", "DIRECTORY_ENTRY_EXPORT")):
        if hasattr(pe, attribute):
            stamps[where] = getattr(pe, attribute).struct.TimeDateStamp
    for i, entry in enumerate(getattr(pe, "DIRECTORY_ENTRY_DEBUG", [])):
        stamps["debug entry %d" % i] = entry.struct.TimeDateStamp
    stamped = ["%s 0x%x" % (where, stamp) for where, stamp in stamps.items() if stamp]
    # MSVC's /Brepro puts a hash of the contents where the times go, and says
    # so with a REPRO (16) debug entry: the same source still gives the same bytes.
    repro = any(e.struct.Type == 16 for e in getattr(pe, "DIRECTORY_ENTRY_DEBUG", []))
    record("no time stamp", not stamped or repro,
           ", ".join(stamped) + (" (hashes, /Brepro)" if stamped and repro else ""))

    # Windows 7 without its 2011 loader update lacks SetDefaultDllDirectories:
    # importing it would keep the program from starting there, so start-up
    # looks it up by name at run time.
    kernel32 = {f for dll, fs in direct.items() if dll.lower() == "kernel32.dll" for f in fs}
    all_imported = {f for fs in every.values() for f in fs}
    record("SetDefaultDllDirectories looked up at run time, not imported",
           "SetDefaultDllDirectories" not in all_imported
           and {"GetProcAddress", "GetModuleHandleW"} <= kernel32
           and b"SetDefaultDllDirectories\0" in data)
    return results


def section_name(section):
    return section.Name.rstrip(b"\0").decode(errors="replace") if section else "no section"


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        results = check(Path(argv[1]).read_bytes())
    except (OSError, pefile.PEFormatError) as error:
        print("cannot read %s: %s" % (argv[1], error), file=sys.stderr)
        return 1
    for name, passed, detail in results:
        print("%-4s %s%s" % ("ok" if passed else "FAIL", name, " (%s)" % detail if detail else ""))
    return 0 if all(passed for _, passed, _ in results) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
