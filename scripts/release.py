#!/usr/bin/env python3
"""Writes the files of a release, for scripts/package.sh.

    release.py archive EXE OUTPUT
        the release archive OUTPUT: EXE as Tolvane.exe, README.md,
        docs/guida.md with the pictures in docs/img/, LICENSE and SHA256SUMS
        (the SHA-256 of the other files), with fixed dates, order and
        permissions, so that the same files always give the same bytes.
    release.py manifests ARCHIVE VERSION URL FOLDER
        the package-manager manifests for ARCHIVE published at URL: the winget
        manifest set in FOLDER/winget/ (schema 1.10.0: version, default locale
        it-IT, installer) and the Scoop manifest FOLDER/tolvane.json.

Run from the root of the repository."""

import hashlib
import json
import re
import sys
import zipfile
from pathlib import Path

IDENTIFIER = "Tolvane.Tolvane"
PUBLISHER = "Tolvane contributors"  # the holder named in LICENSE
LICENSE = "MIT"
MANIFEST_VERSION = "1.10.0"
SHORT_DESCRIPTION = "Versione grafica di CHOICE per i file batch"
DESCRIPTION = (
    "Tolvane mostra una piccola finestra con un titolo, una domanda e fino a dieci "
    "scelte, con un conto alla rovescia facoltativo; la scelta dell'utente torna al "
    "file batch come codice di uscita, che lo script legge con ERRORLEVEL.")
# Scoop has one description, and its buckets are read in English.
DESCRIPTION_EN = ("A graphical CHOICE for batch files: a small dialog with up to ten options; "
                  "the one picked comes back to the script as its ERRORLEVEL.")


def write_archive(exe, output):
    files = [("Tolvane.exe", exe), ("README.md", Path("README.md")),
             ("docs/guida.md", Path("docs/guida.md")), ("LICENSE", Path("LICENSE"))]
    # The pictures that the README and the guide show.
    files += [(f"docs/img/{path.name}", path) for path in sorted(Path("docs/img").glob("*.png"))]
    contents = [(name, path.read_bytes()) for name, path in files]
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in contents)
    contents.append(("SHA256SUMS", sums.encode("ascii")))
    with zipfile.ZipFile(output, "w") as archive:
        for name, data in contents:
            entry = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            entry.create_system = 3  # Unix, so that the permissions below count
            entry.external_attr = (0o100755 if name.endswith(".exe") else 0o100644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)


def homepage(url):
    """The repository's page for a GitHub release download, else the folder
    the archive is published in."""
    github = re.match(r"(https://github\.com/[^/]+/[^/]+)/releases/", url)
    return github.group(1) if github else url.rsplit("/", 1)[0] + "/"


def scalar(value):
    """A plain word as it is; anything else as a JSON string, which YAML
    reads unchanged."""
    plain = re.fullmatch(r"[A-Za-z][\w.-]*", value) and value.lower() not in {
        "y", "n", "yes", "no", "on", "off", "true", "false", "null"}
    return value if plain else json.dumps(value, ensure_ascii=False)


def yaml(kind, fields):
    """A winget manifest: the schema line, then `fields` in order."""
    lines = [f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}"
             f".{MANIFEST_VERSION}.schema.json", ""]

    def emit(mapping, indent, first_prefix):
        prefix = first_prefix
        for key, value in mapping.items():
            if isinstance(value, list):
                lines.append(f"{prefix}{key}:")
                for item in value:
                    if isinstance(item, dict):
                        emit(item, indent + "  ", indent + "- ")
                    else:
                        lines.append(f"{indent}- {scalar(item)}")
            else:
                lines.append(f"{prefix}{key}: {scalar(value)}")
            prefix = indent

    emit({"PackageIdentifier": IDENTIFIER, **fields, "ManifestType": kind,
          "ManifestVersion": MANIFEST_VERSION}, "", "")
    return "\n".join(lines) + "\n"


def write_manifests(archive, version, url, folder):
    if not url.startswith("https://"):
        sys.exit(f"release.py: the release URL must start with https://, not {url!r}")
    digest = hashlib.sha256(Path(archive).read_bytes()).hexdigest()
    home = homepage(url)
    winget = {
        f"{IDENTIFIER}.yaml": yaml("version", {
            "PackageVersion": version, "DefaultLocale": "it-IT"}),
        f"{IDENTIFIER}.locale.it-IT.yaml": yaml("defaultLocale", {
            "PackageVersion": version, "PackageLocale": "it-IT", "Publisher": PUBLISHER,
            "PackageName": "Tolvane", "PackageUrl": home, "License": LICENSE,
            "Copyright": f"Copyright (c) 2026 {PUBLISHER}",
            "ShortDescription": SHORT_DESCRIPTION, "Description": DESCRIPTION,
            "Moniker": "tolvane", "Tags": ["batch", "choice", "errorlevel", "dialog", "cmd"]}),
        # A zip holding a portable program: winget unpacks it and puts the
        # command `tolvane` on the PATH.
        f"{IDENTIFIER}.installer.yaml": yaml("installer", {
            "PackageVersion": version, "Installers": [{
                "Architecture": "x64", "InstallerType": "zip", "NestedInstallerType": "portable",
                "NestedInstallerFiles": [{"RelativeFilePath": "Tolvane.exe",
                                          "PortableCommandAlias": "tolvane"}],
                "InstallerUrl": url, "InstallerSha256": digest.upper()}]}),
    }
    scoop = {"version": version, "description": DESCRIPTION_EN, "homepage": home,
             "license": LICENSE, "url": url, "hash": digest, "bin": "Tolvane.exe"}
    (folder / "winget").mkdir(parents=True, exist_ok=True)
    for name, text in winget.items():
        (folder / "winget" / name).write_text(text, encoding="utf-8")
    (folder / "tolvane.json").write_text(json.dumps(scoop, indent=4) + "\n", encoding="utf-8")


def main(argv):
    if len(argv) == 4 and argv[1] == "archive":
        write_archive(Path(argv[2]), Path(argv[3]))
    elif len(argv) == 6 and argv[1] == "manifests":
        write_manifests(argv[2], argv[3], argv[4], Path(argv[5]))
    else:
        sys.exit(__doc__.split("\n\n")[1])


if __name__ == "__main__":
    main(sys.argv)
