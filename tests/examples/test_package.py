#!/usr/bin/env python3
"""Builds the release archive twice, each time from a clean build folder of its
own, and checks that both archives are the same bytes, that they hold exactly
the expected files and that SHA256SUMS holds for them."""

import hashlib
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "hardening"))
import check_pe  # noqa: E402
PICTURES = ["docs/img/" + path.name for path in sorted((ROOT / "docs" / "img").glob("*.png"))]
EXPECTED = ["Tolvane.exe", "README.md", "docs/guida.md", "LICENSE", *PICTURES, "SHA256SUMS"]


def build(work, name):
    output = work / name / "Tolvane-1.00-win64.zip"
    subprocess.run(["bash", str(ROOT / "scripts/package.sh"), "--no-install",
                    "--build-dir", str(work / name / "build"), "--output", str(output)],
                   check=True, stdout=subprocess.DEVNULL)
    return output


def check(first, second, build_exe):
    problems = []
    if first.read_bytes() != second.read_bytes():
        problems.append("two clean builds gave different archives")

    with zipfile.ZipFile(first) as archive:
        names = archive.namelist()
        if names != EXPECTED:
            return problems + [f"the archive holds {names}, expected {EXPECTED}"]
        if archive.testzip() is not None:
            problems.append("an entry fails its CRC check")
        data = {name: archive.read(name) for name in names}
        for entry in archive.infolist():
            if entry.date_time != (2026, 1, 1, 0, 0, 0):
                problems.append(f"{entry.filename} is dated {entry.date_time}")

    for name in ("README.md", "docs/guida.md", "LICENSE", *PICTURES):
        if data[name] != (ROOT / name).read_bytes():
            problems.append(f"{name} in the archive differs from the source file")
    if data["Tolvane.exe"] != build_exe.read_bytes():
        problems.append("Tolvane.exe in the archive differs from the one built")
    # The hardening checks, the time stamp's among them.
    for name, passed, detail in check_pe.check(data["Tolvane.exe"]):
        if not passed:
            problems.append(f"Tolvane.exe fails the check {name!r} ({detail})")
    if b"Copyright (c) 2026 Tolvane contributors" not in data["LICENSE"]:
        problems.append("LICENSE lacks the copyright line")

    listed = {}
    for line in data["SHA256SUMS"].decode("ascii").splitlines():
        digest, separator, name = line.partition("  ")
        if not separator or len(digest) != 64:
            problems.append(f"SHA256SUMS: malformed line {line!r}")
            continue
        listed[name] = digest
    if sorted(listed) != sorted(EXPECTED[:-1]):
        problems.append(f"SHA256SUMS lists {sorted(listed)}, expected {sorted(EXPECTED[:-1])}")
    for name, digest in listed.items():
        if name in data and hashlib.sha256(data[name]).hexdigest() != digest:
            problems.append(f"SHA256SUMS: wrong digest for {name}")
    return problems


def main():
    with tempfile.TemporaryDirectory(prefix="tolvane-package-") as work:
        work = Path(work)
        first = build(work, "one")
        second = build(work, "two")
        problems = check(first, second, work / "one" / "build" / "Tolvane.exe")
    for problem in problems:
        print("FAIL: " + problem)
    if not problems:
        print("ok: the archive is reproducible, complete and SHA256SUMS holds")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
