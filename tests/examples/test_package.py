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
import unittest
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


class ArchiveChecks(unittest.TestCase):
    def setUp(self):
        work = tempfile.TemporaryDirectory(prefix="tolvane-package-")
        self.addCleanup(work.cleanup)
        self.work = Path(work.name)

    def check_archive(self, path, exe=None):
        """The files, dates, sources and SHA256SUMS of one archive; Tolvane.exe
        must be the bytes `exe`, when given."""
        with zipfile.ZipFile(path) as archive:
            self.assertEqual(archive.namelist(), EXPECTED)
            self.assertIsNone(archive.testzip(), "an entry fails its CRC check")
            data = {name: archive.read(name) for name in EXPECTED}
            for entry in archive.infolist():
                self.assertEqual(entry.date_time, (2026, 1, 1, 0, 0, 0), entry.filename)
        for name in ("README.md", "docs/guida.md", "LICENSE", *PICTURES):
            self.assertEqual(data[name], (ROOT / name).read_bytes(), f"{name} differs")
        if exe is not None:
            self.assertEqual(data["Tolvane.exe"], exe, "not the Tolvane.exe built")
        # The hardening checks, the time stamp's among them.
        for name, passed, detail in check_pe.check(data["Tolvane.exe"]):
            self.assertTrue(passed, f"Tolvane.exe fails the check {name!r} ({detail})")
        self.assertIn(b"Copyright (c) 2026 Tolvane contributors", data["LICENSE"])
        listed = dict(reversed(line.split("  ", 1))
                      for line in data["SHA256SUMS"].decode("ascii").splitlines())
        self.assertEqual(sorted(listed), sorted(EXPECTED[:-1]))
        for name, digest in listed.items():
            self.assertEqual(hashlib.sha256(data[name]).hexdigest(), digest, name)


class ReproducibleTest(ArchiveChecks):
    def test_two_clean_builds_give_the_same_archive(self):
        first = build(self.work, "one")
        self.assertEqual(first.read_bytes(), build(self.work, "two").read_bytes())
        self.check_archive(first, (self.work / "one" / "build" / "Tolvane.exe").read_bytes())


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


class SignedTest(ArchiveChecks):
    def test_signed_archive_and_manifests(self):
        import jsonschema
        import yaml
        sys.path.insert(0, str(ROOT / "tests" / "e2e"))
        import tolvane_e2e

        work = self.work
        throwaway_certificate(work)
        pfx = str(work / "signer.pfx")
        # A failure must say why and leave no archive behind (nor anything else).
        for name, pfx_file, password, said in (
                ("wrong-password", pfx, "sbagliata", "signing with"),
                ("missing-pfx", pfx + ".missing", "", "not a file")):
            with self.subTest(name):
                env = dict(os.environ, TOLVANE_SIGN_PFX=pfx_file, TOLVANE_SIGN_PASSWORD=password)
                self.assertIn(said, build(work, name, "--release-url", URL, env=env, check=False))
                self.assertEqual([p.name for p in (work / name).glob("*") if p.name != "build"],
                                 [])

        env = dict(os.environ, TOLVANE_SIGN_PFX=pfx,
                   TOLVANE_SIGN_PASSWORD=(work / "password").read_text())
        archive = build(work, "signed", "--release-url", URL, env=env)
        self.check_archive(archive)  # SHA256SUMS lists the signed bytes
        exe = work / "Tolvane.exe"
        exe.write_bytes(zipfile.ZipFile(archive).read("Tolvane.exe"))
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", str(work / "ca.pem"),
                                 "-in", str(exe)], capture_output=True, text=True)
        self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
        # Without its signature it is the exe built, and so reproducible.
        built = (work / "signed" / "build" / "Tolvane.exe").read_bytes()
        subprocess.run(["osslsigncode", "remove-signature", "-in", str(exe), "-out",
                        str(work / "unsigned.exe")], capture_output=True)
        self.assertNotEqual(exe.read_bytes(), built)
        self.assertEqual((work / "unsigned.exe").read_bytes(), built)
        self.assertEqual(version_record(exe.read_bytes()), version_record(built))
        run = tolvane_e2e.run("/Option a /Default 1 /Timeout 1", steps=["wait-exit:10000"],
                              exe=exe)
        self.assertIsNone(run.failure)
        self.assertEqual(run.exit_code, 1)

        digest = hashlib.sha256(archive.read_bytes()).hexdigest()
        for name, schema in MANIFESTS.items():
            with self.subTest(name):
                text = (archive.parent / name).read_text()
                # A winget manifest names its schema in its first line.
                if name.endswith("yaml"):
                    self.assertTrue(text.startswith(
                        "# yaml-language-server: $schema=https://aka.ms/winget-"
                        + Path(schema).name.replace(".json", ".schema.json")))
                if name.endswith(("installer.yaml", ".json")):
                    self.assertIn(digest, text.lower(), "the archive's SHA-256")
                # The schemas stand in shared/ beside the checkout, where CI has them.
                if not SCHEMAS.is_dir():
                    self.skipTest(f"no {SCHEMAS} beside this checkout")
                jsonschema.validate(yaml.safe_load(text),
                                    yaml.safe_load((SCHEMAS / schema).read_text()))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "SignedTest" if sys.argv[1:] == ["--signed"]
                        else "ReproducibleTest"])
