#!/usr/bin/env python3
"""Benchmark: whole-process time and peak memory of one rewrite of a large generated-style
script (20 attributes, 15 of them absent from the script, -F, -O, -N), side by side with
`cp` of the same file in the same run, and the time on a script a tenth the size.

usage: bench.py PROGRAM [--lines N] [--runs R]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_script  # noqa: E402

ATTRIBUTES = (["%s=%d" % (name, i + 1) for i, name in enumerate(make_script.PROMPTED)] +
              ["Absent%02d=%d" % (i, i) for i in range(15)])


def timed(command, cwd):
    """Runs a command; returns its wall-clock seconds."""
    start = time.perf_counter()
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("failed: %s" % " ".join(command))
    return seconds


def peak_memory(command, cwd):
    """Peak resident bytes of a command, measured by GNU time: the peak a child reports
    to this process would include this Python process, which the child starts as."""
    report = os.path.join(cwd, "time.txt")
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + command, cwd=cwd,
                   stdout=subprocess.DEVNULL, check=True)
    with open(report) as f:
        return int(f.read().split()[-1]) * 1024


def measure(program, folder, lines, runs):
    script = os.path.join(folder, "big%d.ebs" % lines)
    subprocess.run([sys.executable, make_script.__file__, str(lines), script], check=True)
    size = os.path.getsize(script)
    command = [program, script] + ATTRIBUTES + ["-F", "data.txt", "-O", "C:\\data", "-N"]
    copy = [shutil.which("cp"), script, os.path.join(folder, "copy.ebs")]
    timed(command, folder)  # warm the page cache
    tarvo_times, copy_times = [], []
    for _ in range(runs):  # interleaved, so both see the same machine load
        tarvo_times.append(timed(command, folder))
        copy_times.append(timed(copy, folder))
    peak = max(peak_memory(command, folder) for _ in range(3))
    return size, statistics.median(tarvo_times), statistics.median(copy_times), peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--lines", type=int, default=200000)
    parser.add_argument("--runs", type=int, default=9)
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    folder = tempfile.mkdtemp(prefix="tarvo-bench-")
    try:
        size, tarvo, cp, peak = measure(program, folder, args.lines, args.runs)
        _, small, small_cp, _ = measure(program, folder, args.lines // 10, args.runs)
    finally:
        shutil.rmtree(folder)

    print("script: %d lines, %.1f MB; %d runs each, medians" % (args.lines, size / 1e6, args.runs))
    print("| measure | value | target | ok |")
    print("|---|---|---|---|")
    rows = [
        ("tarvo, whole process", "%.1f ms" % (tarvo * 1e3), "", ""),
        ("cp of the same file", "%.1f ms" % (cp * 1e3), "", ""),
        ("time / cp", "%.2f" % (tarvo / cp), "<= 5", tarvo / cp <= 5),
        ("peak resident memory", "%.1f MB" % (peak / 1e6), "", ""),
        ("memory / file size", "%.2f" % (peak / size), "<= 4", peak / size <= 4),
        ("tarvo on %d lines" % (args.lines // 10), "%.1f ms" % (small * 1e3), "", ""),
        ("time ratio, 10x the lines", "%.2f" % (tarvo / small), "<= 11", tarvo / small <= 11),
    ]
    for name, value, target, ok in rows:
        print("| %s | %s | %s | %s |" % (name, value, target, "" if ok == "" else
                                          ("yes" if ok else "NO")))
    return 0 if all(r[3] != False for r in rows) else 1  # noqa: E712


if __name__ == "__main__":
    sys.exit(main())
