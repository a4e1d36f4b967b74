#!/usr/bin/env python3
"""Runs the benchmarks of Tolvane.exe under Wine and writes their table.

Expects Wine's environment (WINEPREFIX, DISPLAY) to be set up by bench/run.sh.
Start-up: Tolvane.exe against the floor program, alternating, ratio of the
medians. Countdown: exit time minus the moment the dialog became visible
minus S + 1 seconds. Size and imports: read from the PE file itself.
With --against, only start-up side by side with another Tolvane.exe."""

import argparse
import datetime
import os
import platform
import re
import statistics
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "hardening"))
import check_pe  # noqa: E402
import pefile  # noqa: E402

STARTUP_TAIL = "/Option Uno /Option Due"
STARTUP_TARGET = 1.10
COUNTDOWN_TARGET_MS = 50
SIZE_TARGET_KIB = 100
BEGIN = "<!-- bench:begin -->"
END = "<!-- bench:end -->"


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wine(*args, timeout):
    result = subprocess.run(["wine", *map(str, args)], capture_output=True, text=True,
                            timeout=timeout)
    if result.returncode != 0:
        sys.exit("wine %s failed (%d):\n%s" % (args[0], result.returncode, result.stderr))
    return result.stdout


def measure_startup(stopwatch, tolvane, floor, runs, tail=""):
    out = wine(stopwatch, "startup", runs, windows_path(tolvane), STARTUP_TAIL,
               windows_path(floor), tail, timeout=60 + 10 * runs)
    times = {"A": [], "B": []}
    for line in out.splitlines():
        which, ms = line.split()
        times[which].append(float(ms))
    if len(times["A"]) != runs or len(times["B"]) != runs:
        sys.exit("the stopwatch reported %s" % out)
    return times["A"], times["B"]


def measure_countdown(stopwatch, tolvane, seconds, repeats):
    errors = {}
    for _ in range(repeats):
        for s in seconds:
            tail = "/Title Bench /Option Uno /Option Due /Timeout %d" % s
            visible_ms, exit_ms, code = wine(stopwatch, "exit", windows_path(tolvane), tail,
                                             timeout=s + 60).split()
            if code != "1":
                sys.exit("Tolvane.exe %s ended with %s, not 1" % (tail, code))
            error = float(exit_ms) - float(visible_ms) - (s + 1) * 1000
            errors.setdefault(s, []).append(error)
            print("   countdown %3d s: %+7.1f ms" % (s, error), flush=True)
    return errors


def machine():
    cpu = "unknown CPU"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = re.sub(r"\s+", " ", line.split(":", 1)[1]).strip()
                break
    except OSError:
        pass
    wine_version = subprocess.run(["wine", "--version"], capture_output=True,
                                  text=True).stdout.strip()
    return "%s, %d cores, %s %s, %s" % (cpu, os.cpu_count(), platform.system(),
                                        platform.release(), wine_version)


def verdict(ok):
    return "met" if ok else "**missed**"


def table(startup, themed_startup, errors, exe, runs):
    tolvane, floor = startup
    ratio = statistics.median(tolvane) / statistics.median(floor)
    themed_tolvane, themed_floor = themed_startup
    themed_ratio = statistics.median(themed_tolvane) / statistics.median(themed_floor)
    lines = [
        "Measured %s on %s, under Wine on Xvfb." % (
            datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
            machine()),
        "",
        "| Measure | Result | Target | |",
        "|---|---|---|---|",
        "| Start-up to visible dialog, `Tolvane.exe %s` (median of %d; min–max) "
        "| %.1f ms (%.1f–%.1f) | | |" % (STARTUP_TAIL, runs, statistics.median(tolvane),
                                        min(tolvane), max(tolvane)),
        "| Start-up to visible window, floor program (median of %d; min–max) "
        "| %.1f ms (%.1f–%.1f) | | |" % (runs, statistics.median(floor), min(floor), max(floor)),
        "| Start-up ratio, Tolvane / floor | %.2f | ≤ %.2f | %s |" % (
            ratio, STARTUP_TARGET, verdict(ratio <= STARTUP_TARGET)),
        "| Start-up to visible window, themed floor (Common Controls 6; median of %d; "
        "min–max) | %.1f ms (%.1f–%.1f) | | |" % (
            runs, statistics.median(themed_floor), min(themed_floor), max(themed_floor)),
        "| Start-up ratio, Tolvane / themed floor (Tolvane in the same alternating run: "
        "%.1f ms) | %.2f | ≤ %.2f | %s |" % (
            statistics.median(themed_tolvane), themed_ratio, STARTUP_TARGET,
            verdict(themed_ratio <= STARTUP_TARGET)),
    ]
    worst = 0.0
    for s, values in sorted(errors.items()):
        worst = max(worst, max(abs(v) for v in values))
        lines.append("| Countdown error, `/Timeout %d` (median of %d; min–max) "
                     "| %+.1f ms (%+.1f … %+.1f) | within ±%d ms | %s |" % (
                         s, len(values), statistics.median(values), min(values), max(values),
                         COUNTDOWN_TARGET_MS,
                         verdict(max(abs(v) for v in values) <= COUNTDOWN_TARGET_MS)))
    first, last = min(errors), max(errors)
    growth = statistics.median(errors[last]) - statistics.median(errors[first])
    lines.append("| Countdown growth, median at %d s minus median at %d s | %+.1f ms "
                 "| no growth (within ±%d ms) | %s |" % (
                     last, first, growth, COUNTDOWN_TARGET_MS,
                     verdict(abs(growth) <= COUNTDOWN_TARGET_MS)))

    size = exe.stat().st_size
    lines.append("| Size of `Tolvane.exe` | %d bytes (%.1f KiB) | ≤ %d KiB | %s |" % (
        size, size / 1024, SIZE_TARGET_KIB, verdict(size / 1024 <= SIZE_TARGET_KIB)))
    imports = check_pe.imports(pefile.PE(str(exe)))
    foreign = [name for name in imports if name.lower() not in check_pe.SYSTEM_DLLS]
    listed = ", ".join("%s (%d)" % (name, len(functions))
                       for name, functions in sorted(imports.items(), key=lambda i: i[0].lower()))
    lines.append("| Imports of `Tolvane.exe` (DLL, functions) | %s | Windows system DLLs only "
                 "| %s |" % (listed, verdict(not foreign)))
    lines += [
        "",
        "Countdown error is the exit time minus the moment the dialog became visible minus "
        "S + 1 seconds, for `/Title Bench /Option Uno /Option Due /Timeout S`; every run "
        "ended with exit code 1. Times come from the performance counter of "
        "`tolvane_stopwatch.exe`, which polls for the window every millisecond.",
    ]
    return "\n".join(lines)


def write_section(path, text, begin=BEGIN, end=END):
    """Replaces the text between the markers `begin` and `end` in the file at
    `path`, or appends it with its markers."""
    section = "%s\n%s\n%s" % (begin, text, end)
    old = path.read_text() if path.exists() else "# Benchmarks\n"
    if begin in old and end in old:
        new = old[:old.index(begin)] + section + old[old.index(end) + len(end):]
    else:
        new = old.rstrip("\n") + "\n\n" + section + "\n"
    path.write_text(new)


def compare(stopwatch, tolvane, other, runs):
    this, that = measure_startup(stopwatch, tolvane, other, runs, tail=STARTUP_TAIL)
    # Each round runs both, one right after the other: the difference within
    # a round is less moved by the load of a busy machine than either time,
    # and the first quartile of each less than its median.
    differences = sorted(a - b for a, b in zip(this, that))
    quarter = len(differences) // 4

    def quartile(values):
        return sorted(values)[len(values) // 4]

    return ("`Tolvane.exe %s`, this build against %s, %d alternating rounds: medians "
            "%.1f ms and %.1f ms (ratio %.3f), first quartiles %.1f ms and %.1f ms (ratio "
            "%.3f); difference within a round, median %+.1f ms, middle half %+.1f … %+.1f ms" % (
                STARTUP_TAIL, other, runs, statistics.median(this), statistics.median(that),
                statistics.median(this) / statistics.median(that), quartile(this),
                quartile(that), quartile(this) / quartile(that), statistics.median(differences),
                differences[quarter], differences[-1 - quarter]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "windows"),
                        help="the Windows build folder")
    parser.add_argument("--out", default=str(ROOT / "docs" / "benchmarks.md"))
    parser.add_argument("--runs", type=int, default=11, help="start-up runs of each program")
    parser.add_argument("--repeats", type=int, default=3, help="runs of each countdown")
    parser.add_argument("--seconds", default="1,3,10,30", help="countdown lengths")
    parser.add_argument("--against", help="another Tolvane.exe: only start-up, side by side")
    args = parser.parse_args()
    if args.runs < 7:
        parser.error("at least 7 start-up runs make a median worth reading")
    if args.against and args.runs < 21:
        parser.error("side by side, at least 21 rounds: a build's difference is small")

    build = Path(args.build)
    tolvane = build / "Tolvane.exe"
    stopwatch = build / "bench" / "tolvane_stopwatch.exe"
    floor = build / "bench" / "tolvane_floor.exe"
    themed_floor = build / "bench" / "tolvane_floor_themed.exe"
    seconds = [int(s) for s in args.seconds.split(",")]
    if args.against:
        print(compare(stopwatch, tolvane, args.against, args.runs))
        return

    print("== Start-up: Tolvane.exe against the floor program, %d runs each" % args.runs,
          flush=True)
    startup = measure_startup(stopwatch, tolvane, floor, args.runs)
    print("== Start-up: Tolvane.exe against the themed floor program, %d runs each" % args.runs,
          flush=True)
    themed_startup = measure_startup(stopwatch, tolvane, themed_floor, args.runs)
    print("== Countdown accuracy: %s s, %d runs each (about %d s)" % (
        args.seconds, args.repeats, args.repeats * sum(s + 2 for s in seconds)), flush=True)
    errors = measure_countdown(stopwatch, tolvane, seconds, args.repeats)

    text = table(startup, themed_startup, errors, tolvane, args.runs)
    print()
    print(text)
    write_section(Path(args.out), text)
    print("\n== Written to %s" % args.out)


if __name__ == "__main__":
    main()
