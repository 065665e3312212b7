#!/usr/bin/env python3
"""Journals of runs for the benchmarks.

The lab's (write_journal): as a busy lab's would be after a while: participants of one
experiment, each with sessions run several times on the lab's stations, in the order the
rows were appended, with a mix of outcomes (saved, aborted, no data, not checked, E-Run
failed) until a session is saved, and refused tries after that.

The study's (write_study): one script, 2,000 Subjects by 4 Sessions on 8 computers, rows a
few minutes apart; each run is either one refused row ("Already saved: ...", two in five)
or a started row and its end row, saved, not converted or no data equally often.

usage: make_journal.py PATH [ROWS] [--study]
"""

import datetime
import random
import sys

HEADER = "run,time,computer,user,script,attributes,data_file,event,exit_code,message"
PARTICIPANTS = 2000
SESSIONS = 4
COMPUTERS = 8
# How a run ends, and how often. Once a session is saved, a further try is refused, as the
# guard refuses it, unless now and then its data were moved away and it runs again.
OUTCOMES = [("saved", 30), ("not converted", 12), ("no data", 6), ("ended", 6),
            ("E-Run failed", 3), ("refused", 43)]
REFUSED_ONCE_SAVED = 0.98


def stamp(moment):
    return moment.strftime("%Y-%m-%dT%H:%M:%S+01:00")


def end_row(event, data_file):
    """The exit code and message of a run's end row, as the program writes them."""
    txt = data_file[:-5] + ".txt"
    return {"saved": ("0", "Data saved: " + data_file),
            "not converted": ("-1", "Data not converted: %s (the experiment ended early; "
                                    "E-Recovery can convert it)" % txt),
            "no data": ("-1", "No data file written: " + txt),
            "ended": ("0", "E-Run ready"),
            "E-Run failed": ("-1", "E-Run failed")}[event]


def next_run(moment, gap):
    """A run on a station `gap` seconds (between its two numbers) after `moment`: its
    moment, Subject, Session, and the fields of its rows before the event."""
    subject = random.randint(1, PARTICIPANTS)
    session = random.randint(1, SESSIONS)
    computer = "LAB-PC%d" % random.randint(1, COMPUTERS)
    moment += datetime.timedelta(seconds=random.randint(*gap))
    run = "%s-%d-%s" % (computer, random.randint(1000, 65000), moment.strftime("%Y%m%dT%H%M%S"))
    data_file = "C:\\exp\\data\\nback-%d-%d.edat" % (subject, session)
    start = [run, stamp(moment), computer, "lab", "C:\\exp\\nback.ebs",
             "Session=%d; Subject=%d" % (session, subject), data_file]
    return moment, subject, session, start


def refused(start, subject, session):
    return ",".join(start + ["refused", "-1", "Already saved: nback-%d-%d.edat on LAB-PC1 at "
                             "2026-01-05T08:00:00+01:00" % (subject, session)])


def ran(start, moment, event):
    """The run's started row and its end row, 25 minutes later."""
    ended = [start[0], stamp(moment + datetime.timedelta(minutes=25))] + start[2:]
    return [",".join(start + ["started", "", ""]),
            ",".join(ended + [event] + list(end_row(event, start[6])))]


def save(path, lines, rows):
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines[:rows + 1]) + "\r\n")


def write_journal(path, rows, seed=1):
    random.seed(seed)
    moment = datetime.datetime(2026, 1, 5, 8, 0, 0)
    events, weights = zip(*OUTCOMES)
    saved = set()
    lines = [HEADER]
    while len(lines) <= rows:
        moment, subject, session, start = next_run(moment, (30, 600))
        event = random.choices(events, weights)[0]
        if (subject, session) in saved and random.random() < REFUSED_ONCE_SAVED:
            event = "refused"
        if event == "refused":
            lines.append(refused(start, subject, session))
            continue
        if event == "saved":
            saved.add((subject, session))
        lines += ran(start, moment, event)
    save(path, lines, rows)


def write_study(path, rows, seed=2):
    random.seed(seed)
    moment = datetime.datetime(2026, 1, 5, 8, 0, 0)
    lines = [HEADER]
    while len(lines) <= rows:
        moment, subject, session, start = next_run(moment, (60, 300))
        if random.random() < 0.4:
            lines.append(refused(start, subject, session))
            continue
        lines += ran(start, moment, random.choice(["saved", "not converted", "no data"]))
    save(path, lines, rows)


if __name__ == "__main__":
    arguments = [a for a in sys.argv[1:] if a != "--study"]
    write = write_study if "--study" in sys.argv else write_journal
    write(arguments[0], int(arguments[1]) if len(arguments) > 1 else 200000)
