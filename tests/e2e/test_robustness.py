"""Hostile command lines: whatever the tail, the program shows its usage box
or its dialog, and once that is dismissed or cancelled it ends with an exit
code from 0 to 11. It never crashes (a crash shows up as an exception code,
since the test prefix starts no debugger) and never hangs. The tails are
those whose lengths and characters reach the windows; how quotes, switch
characters and numbers are read is unit-tested and fuzzed."""

import random
import unittest

import tolvane_e2e as e2e

# The longest tail, as the driver passes it; Wine takes command lines longer
# than Windows' 32,767 characters, so this one is not cut short on the way.
LONGEST_TAIL = 32767


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


class HostileTailCase(unittest.TestCase):
    """Runs each tail and checks the outcome; subclasses supply the tails."""

    TIMEOUT = 180

    def check_tails(self, tails):
        for name, tail in tails.items():
            with self.subTest(name):
                self.check_tail(tail)

    def check_tail(self, tail):
        # Esc dismisses the usage box and cancels the dialog. Should a short
        # countdown end the dialog first, the Esc step fails because the
        # process has ended; that is a normal outcome, not a hang.
        result = e2e.run(tail, ["wait-window", "key:Esc", "wait-exit:10000"])
        self.assertTrue(result.data["started"], result.data.get("error"))
        sent = result.data["command_line"]
        self.assertEqual(utf16(sent), utf16(f'"{e2e.windows_path(e2e.tolvane_exe())}" {tail}'),
                         "the tail must reach the program unchanged")
        self.assertFalse(result.killed, result.failure)
        self.assertIn(result.exit_code, range(0, 12),
                      f"exit code {result.exit_code!r} (0x{(result.exit_code or 0):08x})")
        shown = result.seen_kinds()
        self.assertEqual(len(shown), 1, f"exactly one window, not {shown}")
        if shown == [e2e.USAGE_BOX]:
            self.assertIsNone(result.failure)
            self.assertEqual(result.exit_code, 11)
        else:
            self.assertEqual(shown, [e2e.DIALOG])
            if result.failure is not None:
                self.assertIn("ended", result.failure)
                self.assertIn(result.exit_code, range(1, 11))
            else:
                self.assertEqual(result.exit_code, 0, "Esc cancels the dialog")


class LongTailTest(HostileTailCase):
    def test_long_tails(self):
        words = ("/Title " + "abc def " * 5000)[:LONGEST_TAIL]
        options = ("".join(f'/Option "{i}' + "o" * 3270 + '" ' for i in range(10))
                   + "x" * LONGEST_TAIL)[:LONGEST_TAIL]
        self.check_tails({
            "usage, 32767 characters": words,
            "ten long options, 32767 characters": options,
            "one option of 32759 characters": ("/Option " + "x" * LONGEST_TAIL)[:LONGEST_TAIL],
            "only spaces": " " * LONGEST_TAIL,
        })


class UnusualCharactersTest(HostileTailCase):
    def test_lone_surrogates(self):
        self.check_tails({
            "high in title": "/Title \ud800",
            "low and high in options": "/Option \udc00 /Option x\ud800y",
            "around a switch": "\udfff/\ud800Option a",
            "reversed pair": "/Option \udc00\ud800",
        })

    def test_control_characters(self):
        self.check_tails({
            "all of them": "".join(chr(c) for c in range(1, 32)) + "\x7f",
            "in an option": "/Option a\r\nb\x1b\x08c",
            "tabs around switches": "\t/Option\tx\t/Default\t1\t",
            "C1 controls and BOM": "/Option \x85\x9b\ufeff\ufffe\uffff",
        })

    def test_non_ascii_text(self):
        self.check_tails({
            "usage": "/Title 日本語 /Text Ελληνικά",
            "dialog": "/Title 日本語 /Text Ελληνικά /Option Ελληνικά /Option 日本語",
            "outside the BMP": "/Option \U0001F600 /Title \U00010000",
        })


class RandomNoiseTest(HostileTailCase):
    def test_random_code_units(self):
        rng = random.Random(20240607)
        self.check_tails({
            f"noise {i}": "".join(chr(rng.randint(1, 0xFFFF)) for _ in range(rng.randint(1, 3000)))
            for i in range(6)
        })

    def test_random_switch_soup(self):
        # Drawn from the characters the parser cares about, so that some
        # switches come out whole.
        rng = random.Random(7)
        alphabet = ' /-"\tOoPpTtIiNnMmEeDdFfAaUuLlXx0123456789.'
        self.check_tails({
            f"soup {i}": "".join(rng.choice(alphabet) for _ in range(rng.randint(1, 400)))
            for i in range(8)
        })


if __name__ == "__main__":
    unittest.main()
