#!/usr/bin/env python3
"""Benchmark: whole-process time of one rewrite of generated-style scripts of three sizes
(1,573 lines, the size of a real one, then 20,000 and 200,000 lines), each side by side with
`cp` of the same file in the same run, and the peak memory of the largest. Every rewrite
sets 20 attributes (15 of them absent from the script, so each of those searches runs to
the end) and gives -F, -O and -N.

usage: bench.py PROGRAM [--runs R]
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
SIZES = [1573, 20000, 200000]
# Whole process against cp of the same file, by size: what a user could notice.
TIME_TARGETS = {1573: 1.5, 20000: 6, 200000: 20}
GROWTH_TARGET = 12  # time for 10 x the lines


def timed(command, cwd):
    """Runs a command; returns its wall-clock seconds."""
    start = time.perf_counter()
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("failed: %s" % " ".join(command))
    return seconds


def peak_memory(command, cwd, env=None):
    """Peak resident bytes of a command, measured by GNU time: the peak a child reports
    to this process would include this Python process, which the child starts as."""
    report = os.path.join(cwd, "time.txt")
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + command, cwd=cwd, env=env,
                   stdout=subprocess.DEVNULL)
    with open(report) as f:
        return int(f.read().split()[-1]) * 1024


def measure(program, folder, lines, runs):
    script = os.path.join(folder, "big%d.ebs" % lines)
    make_script.write_script(lines, script)
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
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    folder = tempfile.mkdtemp(prefix="tarvo-bench-")
    try:
        results = {lines: measure(program, folder, lines, args.runs) for lines in SIZES}
    finally:
        shutil.rmtree(folder)

    print("%d runs each, medians" % args.runs)
    print("| measure | value | target | ok |")
    print("|---|---|---|---|")
    rows = []
    for lines in SIZES:
        size, tarvo, cp, _ = results[lines]
        rows += [
            ("tarvo, %d lines (%.2f MB)" % (lines, size / 1e6), "%.2f ms" % (tarvo * 1e3), "", ""),
            ("cp of the same file", "%.2f ms" % (cp * 1e3), "", ""),
            ("time / cp", "%.2f" % (tarvo / cp), "<= %g" % TIME_TARGETS[lines],
             tarvo / cp <= TIME_TARGETS[lines]),
        ]
    ratio = results[200000][1] / results[20000][1]
    size, _, _, peak = results[200000]
    rows += [
        ("time for 10 x the lines (200,000 / 20,000)", "%.2f" % ratio, "<= %g" % GROWTH_TARGET,
         ratio <= GROWTH_TARGET),
        ("peak resident memory, 200,000 lines", "%.1f MB" % (peak / 1e6), "", ""),
        ("memory / file size", "%.2f" % (peak / size), "<= 4", peak / size <= 4),
    ]
    for name, value, target, ok in rows:
        print("| %s | %s | %s | %s |" % (name, value, target, "" if ok == "" else
                                          ("yes" if ok else "NO")))
    return 0 if all(r[3] != False for r in rows) else 1  # noqa: E712


if __name__ == "__main__":
    sys.exit(main())
