#!/usr/bin/env python3
"""Benchmark of the journal of runs: the journal work of one run against a journal of
200,000 rows (make_journal.py), timed against reading the same file with `cat`, and its
peak memory. The journal work is the time of a run with the journal less that of the same
run without it: both rewrite examples/nback.ebs with -D, start a stand-in E-Run that ends
at once (/bin/true, through TARVO_EBS_OPEN_COMMAND) and check the data, so what differs is the
journal's reading under its lock and its two rows. With --report, the report (-R) of the
same journal, against `cat`, and its peak memory.

usage: bench_journal.py PROGRAM [--runs R] [--report]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_journal  # noqa: E402
from bench import peak_memory  # noqa: E402

ROWS = 200000
HERE = os.path.dirname(os.path.abspath(__file__))


def timed(command, cwd, env):
    """Runs a command; returns its wall-clock seconds. Its exit code does not matter: a
    run whose stand-in E-Run writes no data ends with -1 after all its journal work."""
    import time
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--report", action="store_true")
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    folder = tempfile.mkdtemp(prefix="tarvo-bench-journal-")
    try:
        journal = os.path.join(folder, "journal.csv")
        make_journal.write_journal(journal, ROWS)
        size = os.path.getsize(journal)
        shutil.copy(os.path.join(HERE, "..", "examples", "nback.ebs"), folder)
        env = dict(os.environ, TARVO_EBS_OPEN_COMMAND='"/bin/true" "%1"')
        env.pop("TARVO_JOURNAL", None)
        run = [program, "nback.ebs", "Subject=32000", "Session=1", "-D"]
        commands = {"without": run, "with": run + ["-L", journal],
                    "report": [program, "-R", journal], "cat": ["cat", journal]}
        measured = ["cat", "report"] if args.report else ["cat", "without", "with"]
        for name in measured:
            timed(commands[name], folder, env)  # warm the page cache
        times = {name: [] for name in measured}
        for _ in range(args.runs):  # interleaved, so all see the same machine load
            for name in measured:
                times[name].append(timed(commands[name], folder, env))
        median = {name: statistics.median(t) for name, t in times.items()}
        peak = {name: max(peak_memory(commands[name], folder, env) for _ in range(3))
                for name in measured if name != "cat"}
    finally:
        shutil.rmtree(folder)

    print("%d rows (%.1f MB), %d runs each, medians" % (ROWS, size / 1e6, args.runs))
    print("| measure | value | target | ok |")
    print("|---|---|---|---|")
    cat = median["cat"]
    if args.report:
        ratio = median["report"] / cat
        rows = [("report (-R)", "%.1f ms" % (median["report"] * 1e3), "", ""),
                ("cat of the journal", "%.1f ms" % (cat * 1e3), "", ""),
                ("report / cat", "%.2f" % ratio, "<= 10", ratio <= 10),
                ("peak resident memory", "%.1f MB" % (peak["report"] / 1e6), "<= 50 MB",
                 peak["report"] <= 50e6)]
    else:
        work = median["with"] - median["without"]
        extra = peak["with"] - peak["without"]
        rows = [("run with the journal", "%.1f ms" % (median["with"] * 1e3), "", ""),
                ("the same run without it", "%.1f ms" % (median["without"] * 1e3), "", ""),
                ("journal work (the difference)", "%.1f ms" % (work * 1e3), "", ""),
                ("cat of the journal", "%.1f ms" % (cat * 1e3), "", ""),
                ("journal work / cat", "%.2f" % (work / cat), "<= 3", work / cat <= 3),
                ("peak resident memory with / without the journal", "%.1f MB / %.1f MB" %
                 (peak["with"] / 1e6, peak["without"] / 1e6), "", ""),
                ("memory the journal adds", "%.2f MB" % (extra / 1e6), "<= 2 MB", extra <= 2e6)]
    for name, value, target, ok in rows:
        print("| %s | %s | %s | %s |" % (name, value, target,
                                          "" if ok == "" else ("yes" if ok else "NO")))
    return 0 if all(r[3] != False for r in rows) else 1  # noqa: E712


if __name__ == "__main__":
    sys.exit(main())
