#!/usr/bin/env python3
"""Benchmark of the journal of runs, on two journals of 200,000 rows (make_journal.py): the
lab's, with a mix of outcomes on 8 stations, and the study's, 2,000 Subjects by 4 Sessions
with two refusals in five runs. For each:
- the report (-R), timed against reading the same file with `cat`, and its peak memory;
- the journal work of one run, timed against `cat`: the time of a run with the journal less
  that of the same run without it. Both rewrite examples/nback.ebs with -D, start a stand-in
  E-Run that ends at once (/bin/true, through TARVO_EBS_OPEN_COMMAND) and check the data, so
  what differs is the journal's reading under its lock and its rows. And the memory the
  journal adds to the run's peak.

usage: bench_journal.py PROGRAM [--runs R] [--only report|run]
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
import make_journal  # noqa: E402
from bench import peak_memory  # noqa: E402

ROWS = 200000
HERE = os.path.dirname(os.path.abspath(__file__))
JOURNALS = [("lab", make_journal.write_journal), ("study", make_journal.write_study)]


def timed(command, cwd, env):
    """Runs a command; returns its wall-clock seconds. Its exit code does not matter: a
    run whose stand-in E-Run writes no data ends with -1 after all its journal work."""
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def eight_stations(command, folder, env):
    """Starts the command eight times at once, as eight stations would, each with a name of
    its own; returns the seconds until the last has ended. Each waits for the others' hold
    of the journal's lock, which gives up after 10 seconds."""
    start = time.perf_counter()
    runs = [subprocess.Popen(command, cwd=folder, stdout=subprocess.DEVNULL,
                             env=dict(env, TARVO_COMPUTER_NAME="LAB%d" % n))
            for n in range(1, 9)]
    for run in runs:
        run.wait()
    return time.perf_counter() - start


def measure(program, folder, name, write, runs, only):
    journal = os.path.join(folder, name + ".csv")
    write(journal, ROWS)
    size = os.path.getsize(journal)
    env = dict(os.environ, TARVO_EBS_OPEN_COMMAND='"/bin/true" "%1"')
    env.pop("TARVO_JOURNAL", None)
    run = [program, "nback.ebs", "Subject=32000", "Session=1", "-D"]
    # Values left to the journal: the same run, its values chosen from the journal's rows
    # (-N, so that the journal stays as it is from one run to the next).
    chosen = [program, "nback.ebs", "Subject=next", "Session=next", "-B", "Group=1,2,3,4", "-D"]
    commands = {"without": run, "with": run + ["-L", journal],
                "dry": run + ["-N"], "chosen": chosen + ["-N", "-L", journal],
                "report": [program, "-R", journal], "cat": ["cat", journal]}
    measured = ["cat"] + (["report"] if only != "run" else []) + \
        (["without", "with", "dry", "chosen"] if only != "report" else [])
    for command in measured:
        timed(commands[command], folder, env)  # warm the page cache
    times = {command: [] for command in measured}
    for _ in range(runs):  # interleaved, so all see the same machine load
        for command in measured:
            times[command].append(timed(commands[command], folder, env))
    median = {command: statistics.median(t) for command, t in times.items()}
    peak = {command: max(peak_memory(commands[command], folder, env) for _ in range(3))
            for command in measured if command != "cat"}
    cat = median["cat"]
    rows = [("%s journal: %d rows, %.1f MB; cat" % (name, ROWS, size / 1e6),
             "%.1f ms" % (cat * 1e3), "", "")]
    if only != "run":
        ratio = median["report"] / cat
        rows += [("report (-R)", "%.1f ms" % (median["report"] * 1e3), "", ""),
                 ("report / cat", "%.2f" % ratio, "<= 10", ratio <= 10),
                 ("report's peak resident memory", "%.1f MB" % (peak["report"] / 1e6),
                  "<= 50 MB", peak["report"] <= 50e6)]
    if only != "report":
        work = median["with"] - median["without"]
        extra = peak["with"] - peak["without"]
        rows += [("run with the journal / without it", "%.1f ms / %.1f ms" %
                  (median["with"] * 1e3, median["without"] * 1e3), "", ""),
                 ("journal work / cat", "%.2f (%.1f ms)" % (work / cat, work * 1e3), "<= 3",
                  work / cat <= 3),
                 ("memory the journal adds", "%.2f MB (%.1f MB / %.1f MB)" %
                  (extra / 1e6, peak["with"] / 1e6, peak["without"] / 1e6), "<= 2 MB",
                  extra <= 2e6)]
        choosing = median["chosen"] - median["dry"]
        extra = peak["chosen"] - peak["dry"]
        rows += [("journal work with next, next and -B / cat (-N)",
                  "%.2f (%.1f ms)" % (choosing / cat, choosing * 1e3), "<= 3", choosing / cat <= 3),
                 ("memory the journal adds to it", "%.2f MB" % (extra / 1e6), "<= 2 MB",
                  extra <= 2e6),
                 ("eight stations at once with next, the slowest",
                  "%.2f s" % eight_stations(chosen + ["-L", journal], folder, env),
                  "< 10 s (the lock's wait)", True)]
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--only", choices=["report", "run"])
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    folder = tempfile.mkdtemp(prefix="tarvo-bench-journal-")
    rows = []
    try:
        shutil.copy(os.path.join(HERE, "..", "examples", "nback.ebs"), folder)
        for name, write in JOURNALS:
            rows += measure(program, folder, name, write, args.runs, args.only)
    finally:
        shutil.rmtree(folder)

    print("medians of %d runs each" % args.runs)
    print("| measure | value | target | ok |")
    print("|---|---|---|---|")
    for name, value, target, ok in rows:
        print("| %s | %s | %s | %s |" % (name, value, target,
                                          "" if ok == "" else ("yes" if ok else "NO")))
    return 0 if all(r[3] != False for r in rows) else 1  # noqa: E712


if __name__ == "__main__":
    sys.exit(main())
