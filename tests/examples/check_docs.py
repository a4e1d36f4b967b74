#!/usr/bin/env python3
"""Checks the user's documents: every relative link and picture in README.md
and docs/guida.md names a file that exists, every picture in docs/img/ is
shown somewhere, and every example batch file is named in both documents."""

import re
import sys
from pathlib import Path
from urllib.parse import unquote

ROOT = Path(__file__).resolve().parents[2]
DOCUMENTS = [ROOT / "README.md", ROOT / "docs" / "guida.md"]
LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")


def main():
    problems = []
    linked = set()
    for document in DOCUMENTS:
        text = document.read_text(encoding="utf-8")
        for target in LINK.findall(text):
            if re.match(r"[a-z]+:", target) or target.startswith("#"):
                continue
            path = (document.parent / unquote(target.split("#")[0])).resolve()
            linked.add(path)
            if not path.exists():
                problems.append(f"{document.name}: {target} does not exist")
        for example in sorted((ROOT / "examples").glob("*.bat")):
            if f"examples/{example.name}" not in text:
                problems.append(f"{document.name} does not name examples/{example.name}")
    pictures = sorted((ROOT / "docs" / "img").glob("*.png"))
    if not pictures:
        problems.append("docs/img/ holds no pictures")
    for picture in pictures:
        if picture.resolve() not in linked:
            problems.append(f"docs/img/{picture.name} is shown nowhere")
    for problem in problems:
        print("FAIL: " + problem)
    if not problems:
        print(f"ok: {len(linked)} link targets exist, {len(pictures)} pictures are all shown")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
