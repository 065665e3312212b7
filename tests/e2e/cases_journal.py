"""End-to-end cases of the journal of runs (-L, or the variable TARVO_JOURNAL): the rows a
run writes, the data check it makes wherever it can, the runs of other stations that
refuse a run, a journal that cannot be written, and many runs appending at once."""

import csv
import io
import os
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


def written(rows, header=HEADER, delimiter=","):
    """A journal as a spreadsheet saves it, with the header and separator it uses."""
    out = io.StringIO(newline="")
    csv.writer(out, delimiter=delimiter, lineterminator="\r\n").writerows(rows)
    return header + out.getvalue().encode("latin-1")


def journaled(name, stdout, exit, rows, env=None, files=None, args=(), **more):
    """A run of flanker.ebs for Subject 12, Session 1, with the journal named by the
    variable TARVO_JOURNAL (an absolute path); its rows are checked unless None."""
    all_files = {"flanker.ebs": FLANKER}
    all_files.update(files or {})
    all_env = {"TARVO_JOURNAL": "{DIR}{/}" + JOURNAL}
    all_env.update(env or {})
    return Case(name, ["flanker.ebs", "Subject=12", "Session=1"] + list(args), BANNER + stdout,
                exit=exit, files=all_files, env=all_env, registry=COMMON, erun=STANDIN,
                journal=(JOURNAL, rows) if rows is not None else None, extra_files_ok=True,
                **more)


def own_file(name, journal, lines, setup=None, files=None, outputs=None):
    """A run whose journal is one of its own files: refused, every file left as it was."""
    all_files = {"flanker.ebs": FLANKER}
    all_files.update(files or {})
    return Case(name, ["flanker.ebs", "Subject=12", "Session=1", "-L", journal], BANNER + lines,
                exit=-1, files=all_files, setup=setup, registry=COMMON, erun=STANDIN,
                outputs=outputs or {"flanker_tarvo.ebs": None}, extra_files_ok=True)


def hard_link(target, name):
    return lambda folder: os.link(os.path.join(folder, target), os.path.join(folder, name))


SAVED_AT = "Already saved: Flanker-12-1.EDAT on OTHER at "
# E-Run's process, as its row of the journal names it.
ERUN_ROW = row(event="E-Run started", data_file=EDAT, exit_code="",
               message="process {ANY}; data file " + at("flanker-12-1.txt"))
WARNING = ("Warning: 1 rows of the journal cannot be read (the first is row %d); the guard "
           "passes over them")
RAN_SAVED = SAVED + RAN + ["Data saved: " + EDAT]
STARTED_SAVED = [row(event="started", data_file=EDAT, exit_code="", message=""), ERUN_ROW,
                 row(event="saved", data_file=EDAT, exit_code="0", message="Data saved: " + EDAT)]
SPREADSHEET = b"event,data_file,time,computer,run,note\r\n"


def grow(name, size):
    return lambda folder: os.truncate(os.path.join(folder, name), size)


def link_to(target, name):
    return lambda folder: os.symlink(target, os.path.join(folder, name))


MANY = b'Sub Main()\r\n\tc.SetAttrib "Subject", "1"\r\n' \
       b'\tc.DataFile.Filename = "d" & CStr(c.GetAttrib("Subject")) & ".txt"\r\nEnd Sub\r\n'

CASES = [
    # A journal checks the data as -D does, and records the outcome.
    journaled("journal_saved", LOADED + DATA_LINES + SAVED + RAN + ["Data saved: " + EDAT], 0,
              STARTED_SAVED, env=WRITES, erun_record=RECORD),
    # A name left to HandleFilename is not checked; the run goes on, as without a journal.
    journaled("journal_not_checked",
              LOADED[:3] + ["Inserted HandleFilename() call", "Inserted AtExit() call",
                            "Data file: not checked (Couldn't work out the data file: "
                            "HandleFilename)", "Saved 441 lines in " + at("flanker_tarvo.ebs")] +
              RAN, 0,
              [row(event="started", data_file="", exit_code="", message=""),
               row(event="E-Run started", data_file="", exit_code="", message="process {ANY}"),
               row(event="ended", data_file="", exit_code="0", message="E-Run ready")],
              files={"flanker.ebs": fixture("flanker.ebs")}, erun_record=RECORD),
    # -A cannot set aside a data file that is not worked out.
    journaled("journal_set_aside_needs_the_data_file",
              LOADED[:3] + ["Inserted HandleFilename() call", "Inserted AtExit() call",
                            "Data file: not checked (Couldn't work out the data file: "
                            "HandleFilename)", "-A needs the data file worked out"], -1,
              [row(event="refused", data_file="", exit_code="-1",
                   message="'-A needs the data file worked out")],  # no formula
              args=["-A"], files={"flanker.ebs": fixture("flanker.ebs")},
              outputs={"flanker_tarvo.ebs": None}),
    # Subject 0 writes no data file: -A has nothing to set aside, and the run goes on.
    Case("journal_set_aside_subject_zero", ["flanker.ebs", "Subject=0", "Session=1", "-A"],
         BANNER + LOADED[:2] + ["Setting attribute value: Subject = 0",
                                "Subject 0: the experiment writes no data file", LOADED[3],
                                "Data file: not checked (Subject 0: the experiment writes no "
                                "data file)"] + SAVED + RAN,
         files={"flanker.ebs": FLANKER}, env={"TARVO_JOURNAL": "{DIR}{/}" + JOURNAL},
         registry=COMMON, erun=STANDIN, erun_record=RECORD, extra_files_ok=True),
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
    # A journal as a spreadsheet leaves it: semicolons, its own order of columns and a column
    # more, times in its own form; rows appended in its layout.
    journaled("journal_semicolons", LOADED + DATA_LINES + [SAVED_AT + "2026-01-01T10:00:00+02:00"],
              -1, [other("saved", "2026-01-01T10:00:00+02:00"),
                   row(event="refused", data_file=EDAT, exit_code="-1",
                       message=SAVED_AT + "2026-01-01T10:00:00+02:00")],
              files={JOURNAL: written([other("saved", "2026-01-01T10:00:00+02:00")],
                                      HEADER.replace(b",", b";"), ";")},
              outputs={"flanker_tarvo.ebs": None}),
    journaled("journal_reordered_columns", LOADED + DATA_LINES + [SAVED_AT + "08.12.2026 14:52"],
              -1, [["saved", "D:\\Flanker-12-1.EDAT", "08.12.2026 14:52", "OTHER", "R1", "ok"],
                   {"event": "refused", "data_file": EDAT, "note": ""}],
              files={JOURNAL: written([["saved", "D:\\Flanker-12-1.EDAT", "08.12.2026 14:52",
                                        "OTHER", "R1", "ok"]], SPREADSHEET)},
              outputs={"flanker_tarvo.ebs": None}),
    # A quote left open is one row that cannot be read; the rows after it still count.
    journaled("journal_truncated_field", LOADED + DATA_LINES + [WARNING % 2] + RAN_SAVED, 0,
              ['x,"started,OTHER'] + STARTED_SAVED, env=WRITES, erun_record=RECORD,
              files={JOURNAL: HEADER + b'x,"started,OTHER\r\n'}),
    # Formulas never reach a spreadsheet: an attribute name that starts with @.
    journaled("journal_formula_guarded", [LOADED[0], "Couldn't set attribute value for @A"] +
              LOADED[1:] + DATA_LINES + RAN_SAVED, 0,
              [dict(r, attributes="'@A=1; Session=1; Subject=12") for r in STARTED_SAVED],
              args=["@A=1"], env=WRITES, erun_record=RECORD),
    journaled("journal_not_a_journal", LOADED + DATA_LINES + [
        "Couldn't read journal " + at(JOURNAL) + ": its first line is not the journal's header"],
              -1, None, files={JOURNAL: b"Subject,Session\r\n12,1\r\n"},
              outputs={"flanker_tarvo.ebs": None}),
    # A first line longer than 256 KB is no header, whatever follows: refused at once.
    journaled("journal_of_zeros", LOADED + DATA_LINES + [
        "Couldn't read journal " + at(JOURNAL) + ": its first line is not the journal's header"],
              -1, None, files={JOURNAL: b"\0"}, setup=grow(JOURNAL, 8 << 20),
              outputs={"flanker_tarvo.ebs": None}),
    # A journal is never made through a link: its rows would go into the participant's data.
    # A dry run that reads the journal says so too. (Wine shows a POSIX link as no reparse
    # point: there the line lacks its reason.)
] + [
    Case(name, ["flanker.ebs", "Subject=12", "Session=1", "-L", "jl.csv"] + dry,
         BANNER + LOADED + DATA_LINES +
         ["Couldn't write journal jl.csv: it is a link to a file that does not exist"], exit=-1,
         files={"flanker.ebs": FLANKER}, setup=link_to("flanker-12-1.txt", "jl.csv"),
         outputs={"flanker_tarvo.ebs": None, "flanker-12-1.txt": None}, registry=COMMON,
         erun=STANDIN, extra_files_ok=True, platforms=("posix",))
    for name, dry in (("journal_link_to_nothing", []),
                      ("journal_link_to_nothing_dry_run", ["-N", "-A"]))
] + [

    # The journal is never one of the run's own files, by its name or by the file itself.
    own_file("journal_is_the_script", "flanker.ebs",
             ["The journal cannot be an .ebs or .edat file: flanker.ebs"]),
    own_file("journal_is_the_script_by_a_link", "j.csv", ["The journal cannot be the script: j.csv"],
             setup=hard_link("flanker.ebs", "j.csv")),
    own_file("journal_is_the_rewritten_script", "flanker_tarvo.ebs",
             ["The journal cannot be an .ebs or .edat file: flanker_tarvo.ebs"],
             files={"flanker_tarvo.ebs": b"earlier\r\n"}, outputs={"x": None}),
    own_file("journal_is_the_data_file", "flanker-12-1.txt",
             LOADED + DATA_LINES + ["The journal cannot be the data file: flanker-12-1.txt"],
             outputs={"flanker_tarvo.ebs": None, "flanker-12-1.txt": None}),
    own_file("journal_is_the_converted_file", "flanker-12-1.edat",
             ["The journal cannot be an .ebs or .edat file: flanker-12-1.edat"]),
    own_file("journal_is_the_converted_file_by_a_link", "j.csv",
             LOADED + DATA_LINES + ["The journal cannot be the converted file: j.csv"],
             files={"j.csv": b"x"}, setup=hard_link("j.csv", "flanker-12-1.edat")),

    # Two stations of 20 runs each at once: 80 rows, each whole.
    Case("journal_many_runs_at_once", ["x{N}.ebs", "Subject={N}"], None, exit=0,
         files={"x%d.ebs" % n: MANY for n in range(1, 41)},
         env={"TARVO_JOURNAL": "{DIR}{/}" + JOURNAL, "ERUN_STANDIN_WRITE": "d{N}.txt"},
         registry=COMMON, erun=STANDIN, journal=(JOURNAL, None), many=(2, 20),
         extra_files_ok=True),
]
