#!/usr/bin/env python3
"""Builds the release archive twice, each time from a clean build folder of its
own, and checks that both archives are the same bytes, that they hold exactly
the expected files and that SHA256SUMS holds for them.

With --signed it packages with a throwaway certificate and a release URL
instead: the exe in the archive must verify, keep its version record and run
under Wine (in the end-to-end tests' environment), the manifests must follow
the schemas in ../shared/schemas, and a wrong password or a missing
certificate must fail with a message and leave nothing behind."""

import hashlib
import os
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
URL = "https://github.com/tolvane/tolvane/releases/download/v1.00/Tolvane-1.00-win64.zip"
SCHEMAS = ROOT.parent / "shared" / "schemas"
WINGET = "winget/Tolvane.Tolvane.{}yaml", "winget-1.10.0/manifest.{}.1.10.0.json"
MANIFESTS = {WINGET[0].format(name): WINGET[1].format(kind) for name, kind in
             (("", "version"), ("locale.it-IT.", "defaultLocale"), ("installer.", "installer"))}
MANIFESTS["tolvane.json"] = "scoop-manifest.schema.json"


def build(work, name, *options, env=None, check=True):
    output = work / name / "Tolvane-1.00-win64.zip"
    run = subprocess.run(["bash", str(ROOT / "scripts/package.sh"), "--no-install",
                          "--build-dir", str(work / name / "build"), "--output", str(output),
                          *options], check=check, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, env=env)
    return output if check else run.stderr


def check(first, second, build_exe):
    problems = []
    if first.read_bytes() != second.read_bytes():
        problems.append("two clean builds gave different archives")
    return problems + check_archive(first, build_exe.read_bytes())


def check_archive(path, exe=None):
    """The files, dates, sources and SHA256SUMS of one archive; Tolvane.exe
    must be the bytes `exe`, when given."""
    problems = []
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        if names != EXPECTED:
            return [f"the archive holds {names}, expected {EXPECTED}"]
        if archive.testzip() is not None:
            problems.append("an entry fails its CRC check")
        data = {name: archive.read(name) for name in names}
        for entry in archive.infolist():
            if entry.date_time != (2026, 1, 1, 0, 0, 0):
                problems.append(f"{entry.filename} is dated {entry.date_time}")

    for name in ("README.md", "docs/guida.md", "LICENSE", *PICTURES):
        if data[name] != (ROOT / name).read_bytes():
            problems.append(f"{name} in the archive differs from the source file")
    if exe is not None and data["Tolvane.exe"] != exe:
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


def throwaway_certificate(work):
    """A CA of its own and a code-signing certificate from it, in signer.pfx."""
    (work / "password").write_text("un segreto")
    (work / "signer.ext").write_text("keyUsage=critical,digitalSignature\n"
                                     "extendedKeyUsage=codeSigning\n")
    for args in (["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key",
                  "-out", "ca.pem", "-days", "2", "-subj", "/CN=Tolvane Test CA",
                  "-addext", "basicConstraints=critical,CA:TRUE"],
                 ["req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key",
                  "-out", "signer.csr", "-subj", "/CN=Tolvane Test Signer"],
                 ["x509", "-req", "-in", "signer.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                  "-CAcreateserial", "-days", "2", "-extfile", "signer.ext", "-out", "signer.pem"],
                 ["pkcs12", "-export", "-inkey", "signer.key", "-in", "signer.pem",
                  "-out", "signer.pfx", "-passout", "file:password"]):
        subprocess.run(["openssl", *args], cwd=work, check=True, capture_output=True)


def version_record(exe):
    import pefile
    return {key: value for info in pefile.PE(data=exe).FileInfo[0]
            if info.Key == b"StringFileInfo" for table in info.StringTable
            for key, value in table.entries.items()}


def check_signed(work):
    import jsonschema
    import yaml
    sys.path.insert(0, str(ROOT / "tests" / "e2e"))
    import tolvane_e2e

    throwaway_certificate(work)
    pfx = str(work / "signer.pfx")
    problems = []
    # A failure must say why and leave no archive behind (nor anything else).
    for name, pfx_file, password, said in (("wrong-password", pfx, "sbagliata", "signing with"),
                                           ("missing-pfx", pfx + ".missing", "", "not a file")):
        env = dict(os.environ, TOLVANE_SIGN_PFX=pfx_file, TOLVANE_SIGN_PASSWORD=password)
        stderr = build(work, name, "--release-url", URL, env=env, check=False)
        left = sorted(p.name for p in (work / name).glob("*") if p.name != "build")
        if said not in stderr or left:
            problems.append(f"{name}: said {stderr!r}, left {left}")

    env = dict(os.environ, TOLVANE_SIGN_PFX=pfx,
               TOLVANE_SIGN_PASSWORD=(work / "password").read_text())
    archive = build(work, "signed", "--release-url", URL, env=env)
    problems += check_archive(archive)  # SHA256SUMS lists the signed bytes
    exe = work / "Tolvane.exe"
    exe.write_bytes(zipfile.ZipFile(archive).read("Tolvane.exe"))
    verify = subprocess.run(["osslsigncode", "verify", "-CAfile", str(work / "ca.pem"),
                             "-in", str(exe)], capture_output=True, text=True)
    if verify.returncode != 0:
        problems.append("the signature does not verify:\n" + verify.stdout + verify.stderr)
    # Without its signature it is the exe built, and so reproducible.
    built = (work / "signed" / "build" / "Tolvane.exe").read_bytes()
    subprocess.run(["osslsigncode", "remove-signature", "-in", str(exe), "-out",
                    str(work / "unsigned.exe")], capture_output=True)
    if (exe.read_bytes() == built or (work / "unsigned.exe").read_bytes() != built
            or version_record(exe.read_bytes()) != version_record(built)):
        problems.append("Tolvane.exe is not the exe built plus a signature, or lost its "
                        "version record")
    run = tolvane_e2e.run("/Option a /Default 1 /Timeout 1", steps=["wait-exit:10000"], exe=exe)
    if run.failure or run.exit_code != 1:
        problems.append(f"the signed exe under Wine: {run.failure}, exit code {run.exit_code}")

    digest = hashlib.sha256(archive.read_bytes()).hexdigest()
    for name, schema in MANIFESTS.items():
        try:
            text = (archive.parent / name).read_text()
            jsonschema.validate(yaml.safe_load(text),
                                yaml.safe_load((SCHEMAS / schema).read_text()))
        except (OSError, jsonschema.ValidationError) as error:
            problems.append(f"{name}: {error}")
            continue
        # A winget manifest names its schema in its first line.
        line = "# yaml-language-server: $schema=https://aka.ms/winget-" + Path(schema).name
        if name.endswith("yaml") and not text.startswith(line.replace(".json", ".schema.json")):
            problems.append(f"{name} does not start with its schema line")
        if name.endswith(("installer.yaml", ".json")) and digest not in text.lower():
            problems.append(f"{name} lacks the archive's SHA-256")
    return problems


def main():
    signed = sys.argv[1:] == ["--signed"]
    with tempfile.TemporaryDirectory(prefix="tolvane-package-") as work:
        work = Path(work)
        if signed:
            problems = check_signed(work)
        else:
            first = build(work, "one")
            second = build(work, "two")
            problems = check(first, second, work / "one" / "build" / "Tolvane.exe")
    for problem in problems:
        print("FAIL: " + problem)
    if not problems:
        print("ok: the signed archive verifies and runs, and its manifests follow the schemas"
              if signed else "ok: the archive is reproducible, complete and SHA256SUMS holds")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
