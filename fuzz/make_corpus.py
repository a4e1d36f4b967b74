#!/usr/bin/env python3
"""Writes the fuzzer's seeds into fuzz/corpus/: the command lines of the
parser's worked examples, the typical run, ties and out-of-range numbers and
other edge cases, each as UTF-16LE without a byte-order mark."""

from pathlib import Path

SEEDS = {
    "example-quoted-values": '/Title "Scelta" /Option Uno -Option "Due parole" /Default 2',
    "example-no-leading-switch": "Title Backup /Option Si /Option No",
    "example-leading-spaces": "  Title Backup",
    "example-hyphen-in-value": '/Title Pre-set /Option "Pre-set"',
    "example-negative-number": "/Default -1",
    "example-switches-in-quotes": '/Text "a /b -c" /Timeout 10',
    "example-inner-spaces": '/Title Due  spazi   /Text "  x  "',
    "example-quote-left-open": '/Option "Non chiusa',
    "typical-run": "/Title Backup /Text Scegli il tipo /Option Completo /Option Incrementale"
                   " /Default 2 /Timeout 10",
    "tie-default-2.5": "/Option Uno /Option Due /Option Tre /Default 2.5",
    "tie-default-1.5": "/Option Uno /Option Due /Default 1.5",
    "tie-default-10.5": "/Option Uno /Default 10.5",
    "tie-timeout-2.5": "/Option Uno /Timeout 2.5",
    "tie-timeout-3.5": "/Option Uno /Timeout 3.5",
    "timeout-1e12": "/Option Uno /Timeout 1e12",
    "timeout-bounds": "/Option Uno /Timeout 300 /Timeout 301 /Timeout 0.4",
    "default-out-of-range": "/Option Uno /Option Due /Option Tre /Default 5 /Timeout 2",
    "twelve-options": " ".join("/Option %d" % i for i in range(1, 13)) + " /Default 10",
    "doubled-switch": "//Option A -/Option B",
    "quoted-name": '/"Op tion" x /Title Al"b c"d /Title ""',
    "quote-open-in-name": '/Option"',
    "mixed-case-and-tab": "/tItLe x /OPTION\tTab /option y",
    "spaces-only": "   ",
    "non-ascii": "/Title Perché /Option Città /Option \u00fcber /Text \u20ac \U0001F600",
}


def main():
    corpus = Path(__file__).resolve().parent / "corpus"
    corpus.mkdir(exist_ok=True)
    for name, line in SEEDS.items():
        (corpus / (name + ".utf16")).write_bytes(line.encode("utf-16-le"))
    print("%d seeds written to %s" % (len(SEEDS), corpus))


if __name__ == "__main__":
    main()
