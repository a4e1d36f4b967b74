#!/usr/bin/env python3
"""Builds the fuzzer in the asan tree, runs it for a while from the seeds and
the corpus gathered so far, and writes its figures (executions, speed,
coverage, findings) into docs/benchmarks.md.

usage: python3 fuzz/long_run.py [--seconds 1200]"""

import argparse
import datetime
import os
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "bench"))
from report import write_section  # noqa: E402

BEGIN = "<!-- fuzz:begin -->"
END = "<!-- fuzz:end -->"


def run_fuzzer(build, seconds):
    fuzz_dir = build / "fuzz"
    corpus = fuzz_dir / "corpus"
    corpus.mkdir(parents=True, exist_ok=True)
    seeds_before = len(list(corpus.iterdir()))
    artifacts = fuzz_dir / "long-run-"
    for old in fuzz_dir.glob("long-run-*"):
        if old.name != "long-run.log":
            old.unlink()
    log_path = fuzz_dir / "long-run.log"
    command = [str(fuzz_dir / "tolvane_fuzz"), "-max_total_time=%d" % seconds, "-timeout=10",
               "-max_len=4096", "-print_final_stats=1", "-artifact_prefix=%s" % artifacts,
               str(corpus), str(ROOT / "fuzz" / "corpus")]
    print("== %s" % " ".join(command), flush=True)
    with open(log_path, "w") as log:
        code = subprocess.run(command, stdout=log, stderr=subprocess.STDOUT).returncode
    findings = sorted(p.name for p in fuzz_dir.glob("long-run-*") if p.name != "long-run.log")
    return code, log_path.read_text(errors="replace"), findings, seeds_before


def figures(log, code, findings, seconds, seeds_before):
    def last(pattern, default="?"):
        found = re.findall(pattern, log, re.MULTILINE)
        return found[-1] if found else default

    counters = last(r"INFO: Loaded \d+ modules?\s+\((\d+) inline 8-bit counters\)")
    done = re.findall(r"^#(\d+)\s+DONE\s+cov: (\d+) ft: (\d+) corp: (\d+)/(\S+)", log,
                      re.MULTILINE)
    executions, cov, ft, corp, corp_size = done[-1] if done else ("?",) * 5
    speed = last(r"stat::average_exec_per_sec:\s+(\d+)")
    new_units = last(r"stat::new_units_added:\s+(\d+)")
    rss = last(r"stat::peak_rss_mb:\s+(\d+)")
    clang = subprocess.run(["clang++", "--version"], capture_output=True,
                           text=True).stdout.splitlines()[0]
    when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    lines = [
        "Last long run: %s, %d s on %d cores (one worker), %s, "
        "`-fsanitize=fuzzer,address,undefined`." % (when, seconds, os.cpu_count(), clang),
        "",
        "| Figure | Value |",
        "|---|---|",
        "| Executions | %s |" % executions,
        "| Executions per second (average) | %s |" % speed,
        "| Findings (crashes, sanitizer reports, broken invariants, time-outs, leaks) | %s |" % (
            "none" if code == 0 and not findings else "%d: %s (exit %d)" % (
                len(findings), ", ".join(findings) or "see the log", code)),
        "| Edges covered (of the instrumented 8-bit counters) | %s of %s |" % (cov, counters),
        "| Coverage features | %s |" % ft,
        "| Corpus at the end (inputs / bytes) | %s / %s (%d files gathered before the run, "
        "%s added) |" % (corp, corp_size, seeds_before, new_units),
        "| Peak memory | %s MB |" % rss,
    ]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=int, default=1200)
    parser.add_argument("--build", default=str(ROOT / "build" / "asan"))
    parser.add_argument("--out", default=str(ROOT / "docs" / "benchmarks.md"))
    args = parser.parse_args()

    build = Path(args.build)
    subprocess.run(["cmake", "--preset", "asan", "-B", str(build)], cwd=ROOT, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build), "--target", "tolvane_fuzz"], cwd=ROOT,
                   check=True)
    code, log, findings, seeds_before = run_fuzzer(build, args.seconds)
    text = figures(log, code, findings, args.seconds, seeds_before)
    print(text)
    write_section(Path(args.out), text, BEGIN, END)
    print("== Written to %s; the fuzzer's output is in %s" % (
        args.out, build / "fuzz" / "long-run.log"))
    return 0 if code == 0 and not findings else 1


if __name__ == "__main__":
    sys.exit(main())
