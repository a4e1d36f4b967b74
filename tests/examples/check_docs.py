#!/usr/bin/env python3
"""Checks the user's documents: every relative link and picture in README.md
and docs/guida.md names a file that exists, every picture in docs/img/ is
shown somewhere, and every example batch file is named in both documents."""

import re
import unittest
from pathlib import Path
from urllib.parse import unquote

ROOT = Path(__file__).resolve().parents[2]
DOCUMENTS = [ROOT / "README.md", ROOT / "docs" / "guida.md"]
LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")


class Documents(unittest.TestCase):
    def test_links_pictures_and_examples(self):
        linked = set()
        for document in DOCUMENTS:
            text = document.read_text(encoding="utf-8")
            for target in LINK.findall(text):
                if re.match(r"[a-z]+:", target) or target.startswith("#"):
                    continue
                path = (document.parent / unquote(target.split("#")[0])).resolve()
                linked.add(path)
                self.assertTrue(path.exists(), f"{document.name}: {target} does not exist")
            for example in sorted((ROOT / "examples").glob("*.bat")):
                self.assertIn(f"examples/{example.name}", text, f"named in {document.name}")
        pictures = sorted((ROOT / "docs" / "img").glob("*.png"))
        self.assertTrue(pictures, "docs/img/ holds no pictures")
        for picture in pictures:
            self.assertIn(picture.resolve(), linked, f"docs/img/{picture.name} is shown")


if __name__ == "__main__":
    unittest.main()
