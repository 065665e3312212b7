"""End-to-end cases of the values a run leaves to the journal: Subject=next, Session=next,
<name>=same and -B, their console lines and order, the started row that records them, their
refusals, a dry run that appends nothing, and eight stations that start at once."""

from cases_generated import FLANKER, NBACK
from e2e_support import ANY_RECORD, BANNER, COMMON, STANDIN, Case, at

JOURNAL = "journal.csv"
HEADER = b"run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n"
EARLIER = HEADER + (
    # Subject 4 saved in group 1 and Subject 6 aborted in group 2, on another station, and a
    # row that cannot be read.
    b"L2-1-20261208T090000,2026-12-08T09:00:00+00:00,L2,lab,D:\\exp\\NBACK.ebs,"
    b"Group=1; Session=1; Subject=4,D:\\exp\\nback-4-1.edat,saved,0,Data saved\r\n"
    b'L2-2-20261208T091000,2026-12-08T09:10:00+00:00,L2,lab,D:\\exp\\nback.ebs,"oops\r\n'
    b"L2-3-20261208T092000,2026-12-08T09:20:00+00:00,L2,lab,D:\\exp\\nback.ebs,"
    b"Group=2; Session=1; Subject=6,D:\\exp\\nback-6-1.edat,not converted,-1,Data not converted\r\n"
    b"L1-4-20261208T093000,2026-12-08T09:30:00+00:00,L1,lab,D:\\exp\\other.ebs,"
    b"Session=1; Subject=4,D:\\exp\\other-4-1.edat,refused,-1,Already saved: x\r\n")
WRITES = {"ERUN_STANDIN_WRITE": "nback-{Subject}-{Session}.txt|nback-{Subject}-{Session}.edat",
          "TARVO_JOURNAL": "{DIR}{/}" + JOURNAL, "TARVO_COMPUTER_NAME": "L1"}
LOADED = BANNER + ["Loaded 537 lines from nback.ebs"]
WARNING = ("Warning: 1 rows of the journal cannot be read (the first is row 3); the guard "
           "passes over them")


def setting(group, session, subject):
    return ["Setting attribute value: Group = %s" % group,
            "Setting attribute value: Session = %s" % session,
            "Setting attribute value: Subject = %s" % subject,
            "Answered the startup info summary", "Inserted PreRun() call"]


def data(subject, session):
    return ["Data file: " + at("nback-%s-%s.txt" % (subject, session)),
            "Converted data file: " + at("nback-%s-%s.edat" % (subject, session))]


RAN = ["Saved 504 lines in " + at("nback_tarvo.ebs"), "Starting E-Run:",
       '"{ERUN}"  /a "' + at("nback_tarvo.ebs") + '"', "Waiting for E-Run to finish",
       "E-Run ready"]
EARLIER_ROWS = [line.decode() for line in EARLIER.split(b"\r\n")[1:-1]]


def study(name, args, stdout, exit=0, rows=None, journal=EARLIER, env=None, files=None,
          script=("nback.ebs", NBACK), **more):
    all_files = {script[0]: script[1], JOURNAL: journal}
    all_files.update(files or {})
    return Case(name, [script[0]] + args + ["-Y"], stdout, exit=exit,
                files=all_files, env=dict(WRITES, **(env or {})),
                registry=COMMON, erun=STANDIN, extra_files_ok=True,
                journal=(JOURNAL, (EARLIER_ROWS if journal == EARLIER else []) + rows)
                if rows is not None else None,
                platforms=("posix",), **more)


def refused(name, args, line, before=(), journal=EARLIER):
    """A run refused by what it leaves to the journal: its refused row, nothing else."""
    return study(name, args + ["-D"], LOADED + list(before) + [line], exit=-1,
                 rows=[dict(event="refused", message=line, attributes="{ANY}")],
                 journal=journal, outputs={"nback_tarvo.ebs": None})


CHOSEN = ["Subject from the journal: 7", "Session from the journal: 1",
          "Group balanced from the journal: 2 (1: 1, 2: 0)"]

CASES = [
    # The journal's warning first, then Subject's, Session's and -B's lines; the started row
    # records the values chosen and, in its message, what the journal gave.
    study("study_next_and_balanced", ["Subject=next", "Session=next", "-B", "Group=1,2", "-D"],
          LOADED + [WARNING] + CHOSEN + setting(2, 1, 7) + data(7, 1) + RAN +
          ["Data saved: " + at("nback-7-1.edat")],
          rows=[dict(event="started", attributes="Group=2; Session=1; Subject=7",
                     message=" / ".join(CHOSEN)),
                dict(event="E-Run started"), dict(event="saved")],
          erun_record=ANY_RECORD),
    # A dry run reads the journal and tells what would happen; it appends nothing.
    study("study_dry_run", ["Subject=next", "Session=1", "-N"],
          LOADED + [WARNING, "Subject from the journal: 7", "Setting attribute value: Session = 1",
                    "Setting attribute value: Subject = 7", "Answered the startup info summary",
                    "Inserted PreRun() call"] + data(7, 1) +
          ["Saved 504 lines in " + at("nback_tarvo.ebs")],
          rows=[]),
    # Subject 6 keeps group 2 though its session was aborted; a batch's second task takes
    # the Subject of this computer's latest run.
    study("study_group_kept", ["Subject=6", "Session=next", "-B", "Group=1,2", "-N"],
          LOADED + [WARNING, "Session from the journal: 1",
                    "Group from Subject 6's earlier sessions: 2"] + setting(2, 1, 6) + data(6, 1) +
          ["Data file exists: " + at("nback-6-1.txt")], exit=-1,
          files={"nback-6-1.txt": b"aborted"}),
    study("study_needs_journal", ["Subject=next", "Session=1", "-B", "Group=1,2"],
          LOADED + ["Subject=next needs a journal (-L or TARVO_JOURNAL)"], exit=-1,
          env={"TARVO_JOURNAL": ""}, outputs={"nback_tarvo.ebs": None}),
    refused("study_session_needs_subject", ["Session=next"],
            "Session=next needs Subject (a number, next or same)"),
    refused("study_no_prompt", ["Subject=1", "Session=1", "Group=next"],
            "Group=next needs a whole-number attribute: it has no prompt"),
    refused("study_same_without_a_run", ["Subject=same", "Session=1"],
            "Subject=same: this computer's latest run did not start E-Run", [WARNING]),
    refused("study_balanced_value_checked", ["Subject=1", "-B", "Session=1,0"],
            "Invalid value for Session: 0 (a whole number from 1 to 32767)"),
    # The older generator's script names its data file in HandleFilename, which Tarvo does
    # not read: a run that counts saved rows refuses.
    study("study_data_file_unknown", ["Subject=1", "Session=next"],
          BANNER + ["Loaded 473 lines from flanker.ebs", "Session from the journal: 1",
                    "Setting attribute value: Session = 1", "Setting attribute value: Subject = 1",
                    "Answered the startup info summary", "Inserted HandleFilename() call",
                    "Inserted AtExit() call",
                    "Data file: not checked (Couldn't work out the data file: HandleFilename)",
                    "Session=next needs the data file worked out"], exit=-1,
          journal=HEADER, rows=[dict(event="refused", attributes="Session=1; Subject=1")],
          script=("flanker.ebs", FLANKER), outputs={"flanker_tarvo.ebs": None}),
]

# Eight stations start at once on one journal, each on its own copy of the experiment:
# eight different Subjects.
CASES.append(Case("study_eight_stations_at_once",
                  ["s{N}/nback.ebs", "Subject=next", "Session=1", "-Y", "-D"], None,
                  files=dict({"s%d/nback.ebs" % n: NBACK for n in range(1, 9)},
                             **{JOURNAL: HEADER}),
                  env=dict(WRITES, TARVO_COMPUTER_NAME="LAB{N}"), registry=COMMON, erun=STANDIN,
                  journal=(JOURNAL, None), many=(8, 1), extra_files_ok=True,
                  platforms=("posix",)))
