"""What the end-to-end cases check of a journal of runs, and the runs many at once that
append to one journal."""

import csv
import io
import re
import subprocess
import tempfile
import threading

from e2e_support import matches

HEADER = ["run", "time", "computer", "user", "script", "attributes", "data_file", "event",
          "exit_code", "message"]
TIME = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$")


def rows_of(data):
    """The journal's rows, whole: a row cut short or run together shows as a bad row."""
    text = data.decode("latin-1")
    if text and not text.endswith("\r\n"):
        return None
    return list(csv.reader(io.StringIO(text, newline="")))


def lines_of(data):
    """The header and the rows of a journal in any layout, each line read on its own (as
    the program reads them), with the separator that names the most columns."""
    lines = data.decode("latin-1").lstrip("\ufeff\xef\xbb\xbf").split("\r\n")
    if lines[-1] != "":
        return None, None, None
    lines = lines[:-1]
    delimiter = max(",;\t", key=lambda d: len(set(lines[0].split(d)) & set(HEADER)))
    parse = lambda line: next(csv.reader([line], delimiter=delimiter))  # noqa: E731
    return parse(lines[0]), [(line, parse(line)) for line in lines[1:]], delimiter


def check_journal(failures, data, expected, fill):
    """`expected` lists the rows after the header: a list is a row as written before the
    run, a text a line as written before it, a dict gives the columns of a row the run
    wrote (each of which must be well formed: its time, its run id made of computer,
    process and start time). A journal that does not begin with a header of its own has
    the program's."""
    header, lines, _ = lines_of(data) if data else (None, None, None)
    if header is None or not set(header) & set(HEADER):
        failures.append("journal: no header, or not CR LF rows: %r" % data[:200])
        return
    rows = [parsed for _, parsed in lines]
    if len(rows) != len(expected):
        failures.append("journal: %d rows, expected %d: %r" % (len(rows), len(expected), rows))
        return
    runs = set()
    for (line, row), want in zip(lines, expected):
        if isinstance(want, str):
            if not matches(fill(want), line):
                failures.append("journal line %r, expected %r" % (line, want))
            continue
        if isinstance(want, list):
            if len(row) != len(want) or not all(map(matches, [fill(c) for c in want], row)):
                failures.append("journal row %r, expected %r" % (row, want))
            continue
        columns = dict(zip(header, row))
        if len(row) != len(header) or not TIME.match(columns["time"]):
            failures.append("journal: bad row %r" % row)
            continue
        runs.add(columns["run"])
        if not re.match(re.escape(columns["computer"]) + r"-\d+-\d{8}T\d{6}$", columns["run"]):
            failures.append("journal: bad run id %r" % columns["run"])
        for name, value in want.items():
            if name in header and not matches(fill(value), columns[name]):
                failures.append("journal column %s: %r, expected %r" % (name, columns[name],
                                                                        fill(value)))
    if len(runs) > 1 and not any(isinstance(w, dict) and w.get("run") for w in expected):
        failures.append("journal: rows of one run with two run ids: %r" % runs)


def run_many(command, folder, env, threads, runs, fill_run):
    """Runs `command` `runs` times in each of `threads` threads at once; `fill_run(text, n)`
    makes the arguments and variables of run n. Returns the exit codes and what each run
    printed."""
    codes = []
    lock = threading.Lock()

    def work(first):
        for n in range(first, first + runs):
            run_env = {k: fill_run(v, n) for k, v in env.items()}
            # A file, not a pipe: a process Wine starts may keep a pipe open after the run.
            with tempfile.TemporaryFile() as out:
                code = subprocess.run([fill_run(a, n) for a in command], cwd=folder, env=run_env,
                                      stdin=subprocess.DEVNULL, stdout=out,
                                      stderr=subprocess.STDOUT, timeout=300).returncode
                out.seek(0)
                with lock:
                    codes.append((code, out.read()))

    workers = [threading.Thread(target=work, args=(1 + t * runs,)) for t in range(threads)]
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    return codes


def check_many(failures, data, threads, runs, distinct=False):
    """Every run wrote its three rows whole: a started row, an E-Run started row and an end
    row, each one line; with `distinct`, no two started rows hold the same attributes."""
    rows = rows_of(data)
    if rows is None or rows[:1] != [HEADER]:
        failures.append("journal: no header, or not CR LF rows")
        return
    rows = rows[1:]
    by_run = {}
    for row in rows:
        if len(row) != len(HEADER) or not TIME.match(row[1]):
            failures.append("journal: bad row %r" % row)
        by_run.setdefault(row[0], []).append(row[7])
    if len(rows) != 3 * threads * runs or any(e[:2] != ["started", "E-Run started"] or len(e) != 3
                                                 for e in by_run.values()):
        failures.append("journal: %d rows of %d runs, expected three of each of %d runs" %
                        (len(rows), len(by_run), threads * runs))
    started = [row[5] for row in rows if row[7:8] == ["started"]]
    if distinct and len(set(started)) != len(started):
        failures.append("journal: runs given the same attributes: %r" % sorted(started))
