"""End-to-end cases of the journal of runs (-L, or the variable TARVO_JOURNAL): the rows a
run writes, the data check it makes wherever it can, the runs of other stations that
refuse a run, a journal that cannot be written, and many runs appending at once."""

import time

from cases_data_check import EDAT, FLANKER, LOADED, RAN, SAVED
from e2e_support import BANNER, COMMON, STANDIN, Case, at, fixture

JOURNAL = "journal.csv"
HEADER = b"run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n"
WRITES = {"ERUN_STANDIN_WRITE": "flanker-12-1.txt|flanker-12-1.edat"}
ROW = {"script": at("flanker.ebs"), "attributes": "Session=1; Subject=12"}
RECORD = ["[/a]", "[" + at("flanker_tarvo.ebs") + "]", "script readable"]
DATA_LINES = ["Data file: " + at("flanker-12-1.txt"), "Converted data file: " + EDAT]
NOW = time.strftime("%Y-%m-%dT%H:%M:%S+00:00", time.gmtime())


def row(**columns):
    return dict(ROW, **columns)


def other(event, when):
    """A row of another station's run for the same participant, as written there."""
    return ["OTHER-7-20260101T100000", when, "OTHER", "lab", "D:\\exp\\flanker.ebs",
            "Session=1; Subject=12", "D:\\data\\Flanker-12-1.EDAT", event, "", ""]


def written(rows):
    return HEADER + b"".join(",".join(r).encode() + b"\r\n" for r in rows)


def journaled(name, stdout, exit, rows, env=None, files=None, args=(), **more):
    """A run of flanker.ebs for Subject 12, Session 1, with the journal named by the
    variable TARVO_JOURNAL (an absolute path)."""
    all_files = {"flanker.ebs": FLANKER}
    all_files.update(files or {})
    all_env = {"TARVO_JOURNAL": "{DIR}{/}" + JOURNAL}
    all_env.update(env or {})
    return Case(name, ["flanker.ebs", "Subject=12", "Session=1"] + list(args), BANNER + stdout,
                exit=exit, files=all_files, env=all_env, registry=COMMON, erun=STANDIN,
                journal=(JOURNAL, rows), extra_files_ok=True, **more)


MANY = b'Sub Main()\r\n\tc.SetAttrib "Subject", "1"\r\n' \
       b'\tc.DataFile.Filename = "d" & CStr(c.GetAttrib("Subject")) & ".txt"\r\nEnd Sub\r\n'

CASES = [
    # A journal checks the data as -D does, and records the outcome.
    journaled("journal_saved", LOADED + DATA_LINES + SAVED + RAN + ["Data saved: " + EDAT], 0,
              [row(event="started", data_file=EDAT, exit_code="", message=""),
               row(event="saved", data_file=EDAT, exit_code="0", message="Data saved: " + EDAT)],
              env=WRITES, erun_record=RECORD),
    # A name left to HandleFilename is not checked; the run goes on, as without a journal.
    journaled("journal_not_checked",
              LOADED[:3] + ["Inserted HandleFilename() call", "Inserted AtExit() call",
                            "Data file: not checked (Couldn't work out the data file: "
                            "HandleFilename)", "Saved 441 lines in " + at("flanker_tarvo.ebs")] +
              RAN, 0,
              [row(event="started", data_file="", exit_code="", message=""),
               row(event="ended", data_file="", exit_code="0", message="E-Run ready")],
              files={"flanker.ebs": fixture("flanker.ebs")}, erun_record=RECORD),
    # Stations that gave one participant's number twice: the second is stopped.
    journaled("journal_saved_elsewhere",
              LOADED + DATA_LINES +
              ["Already saved: Flanker-12-1.EDAT on OTHER at 2026-01-01T10:00:00+02:00"], -1,
              [other("saved", "2026-01-01T10:00:00+02:00"),
               row(event="refused", data_file=EDAT, exit_code="-1",
                   message="Already saved: Flanker-12-1.EDAT on OTHER at "
                           "2026-01-01T10:00:00+02:00")],
              files={JOURNAL: written([other("saved", "2026-01-01T10:00:00+02:00")])},
              outputs={"flanker_tarvo.ebs": None}),
    journaled("journal_running_elsewhere",
              LOADED + DATA_LINES + ["Running: Flanker-12-1.EDAT on OTHER since " + NOW], -1,
              [other("started", NOW),
               row(event="refused", data_file=EDAT, exit_code="-1",
                   message="Running: Flanker-12-1.EDAT on OTHER since " + NOW)],
              files={JOURNAL: written([other("started", NOW)])},
              outputs={"flanker_tarvo.ebs": None}),
    # A run refused before the save writes its refused row only.
    journaled("journal_refused_value", [LOADED[0], "Invalid value for Session: 0 (a whole "
                                        "number from 1 to 32767)", LOADED[2]], -1,
              [row(event="refused", data_file="", exit_code="-1", attributes="Session=0; Subject=12",
                   message="Invalid value for Session: 0 (a whole number from 1 to 32767)")],
              args=["Session=0"], outputs={"flanker_tarvo.ebs": None}),
    # No run goes unrecorded: a journal that cannot be written stops the run.
    Case("journal_unwritable", ["flanker.ebs", "Subject=12", "Session=1", "-L", JOURNAL],
         BANNER + LOADED + DATA_LINES + ["Couldn't write journal " + JOURNAL], exit=-1,
         files={"flanker.ebs": FLANKER, JOURNAL + "/keep": b""},
         outputs={"flanker_tarvo.ebs": None}, registry=COMMON, erun=STANDIN),
    # -N runs keep no journal.
    Case("journal_not_for_dry_runs", ["flanker.ebs", "Subject=12", "Session=1", "-N"],
         BANNER + LOADED + SAVED, files={"flanker.ebs": FLANKER},
         env={"TARVO_JOURNAL": "{DIR}{/}" + JOURNAL}, outputs={JOURNAL: None},
         extra_files_ok=True),
    # Two stations of 20 runs each at once: 80 rows, each whole.
    Case("journal_many_runs_at_once", ["x{N}.ebs", "Subject={N}"], None, exit=0,
         files={"x%d.ebs" % n: MANY for n in range(1, 41)},
         env={"TARVO_JOURNAL": "{DIR}{/}" + JOURNAL, "ERUN_STANDIN_WRITE": "d{N}.txt"},
         registry=COMMON, erun=STANDIN, journal=(JOURNAL, None), many=(2, 20),
         extra_files_ok=True),
]
