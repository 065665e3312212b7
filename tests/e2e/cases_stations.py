"""End-to-end cases of two stations running the same script at the same time: the first
run holds its rewritten script until its E-Run has ended, so the second cannot replace it
and E-Run reads the first run's values."""

import time

from cases_data_check import FLANKER
from cases_launch import ran, record, started
from e2e_support import (ANY_RECORD, BANNER, COMMON, END_ERUN, KILL, STANDIN, Case, Run, at,
                         press_ctrl_c, sort_journal)

SUBJECT = b'Sub Main()\r\n\tc.SetAttrib "Subject", "0"\r\nEnd Sub\r\n'
SET = "\tc.SetAttrib \"Subject\", \"%s\"   ' value set by Tarvo"


def rewritten(subject):
    return SUBJECT.replace(b'\tc.SetAttrib "Subject", "0"', (SET % subject).encode())


def loaded(subject):
    return BANNER + ["Loaded 3 lines from x.ebs", "Setting attribute value: Subject = " + subject]


SAVED = "Saved 3 lines in " + at("x_tarvo.ebs")
COMMAND_LINE = '"{ERUN}"  /a "' + at("x_tarvo.ebs") + '"'
REFUSED = ["Couldn't replace " + at("x_tarvo.ebs") + ": another run is using it"]


def stations(name, stdout, exit=0, kill_first=False):
    return Case(name, ["x.ebs", "Subject=1"], loaded("1") + [SAVED] + stdout, exit=exit,
                second=Run(["x.ebs", "Subject=2"], loaded("2") + REFUSED, exit=-1,
                           kill_first=kill_first),
                files={"x.ebs": SUBJECT}, outputs={"x_tarvo.ebs": rewritten("1")},
                registry=COMMON, erun=STANDIN,
                erun_record=record("/a", at("x_tarvo.ebs")) + [SET % "1"],
                env={"ERUN_STANDIN_WAIT_FOR": "{DIR}{/}second-run-ended",
                     "ERUN_STANDIN_SHOW": "value set by Tarvo"})


CASES = [
    # Nobody reads the output after the fourth line (| head -4): the run goes on to E-Run,
    # which starts with every signal at its default, also the SIGINT ignored by our caller.
    Case("reader_leaves", ["x.ebs", "Subject=1"], loaded("1"),
         files={"x.ebs": SUBJECT}, outputs={"x_tarvo.ebs": rewritten("1")},
         registry=COMMON, erun=STANDIN,
         erun_record=record("/a", at("x_tarvo.ebs")) + ["SIGINT default", "SIGPIPE default"],
         env={"ERUN_STANDIN_SIGNALS": "1"}, reader_leaves_after=4, platforms=("posix",)),
    stations("station_second_run_refused", ran(COMMAND_LINE)),
    # E-Run has the hold too: the first run killed (its console closed, taskkill), the
    # script stays held until E-Run ends, and E-Run reads the first run's values.
    stations("station_killed_run_still_holds",
             started(COMMAND_LINE) + ["Waiting for E-Run to finish"], exit=-9, kill_first=True),
]


# Stations that share one journal, each named by the stand-in TARVO_COMPUTER_NAME (POSIX; on
# Windows every run is this computer). Each station runs its own copy of the experiment:
# station A in the case's folder, station B in b/.
JOURNAL = "journal.csv"
STILL_RUNNING = "E-Run is still running: Tarvo waits for it to end"
WAITING = {"ERUN_STANDIN_WAIT_FOR": "{DIR}{/}second-run-ended",
           "ERUN_STANDIN_WRITE": "flanker-{Subject}-1.txt|flanker-{Subject}-1.edat",
           "TARVO_JOURNAL": "{DIR}{/}" + JOURNAL}


def station(computer):
    return {"TARVO_COMPUTER_NAME": computer}


def flanker_lines(subject, folder=""):
    """The lines of a run of flanker.ebs for `subject`, Session 1, up to its journal."""
    return BANNER + ["Loaded 473 lines from %sflanker.ebs" % folder,
                     "Setting attribute value: Session = 1",
                     "Setting attribute value: Subject = %d" % subject, "Inserted AtExit() call",
                     "Data file: " + at("%sflanker-%d-1.txt" % (folder, subject)),
                     "Converted data file: " + at("%sflanker-%d-1.edat" % (folder, subject))]


def flanker_ran(subject):
    return ["Saved 440 lines in " + at("flanker_tarvo.ebs"), "Starting E-Run:",
            '"{ERUN}"  /a "' + at("flanker_tarvo.ebs") + '"', "Waiting for E-Run to finish"]


def saved_data(subject):
    return ["E-Run ready", "Data saved: " + at("flanker-%d-1.edat" % subject)]


def rows(*events):
    """The journal's rows, each (computer, Subject, event[, message])."""
    return [dict(run="{ANY}", computer=row[0], attributes="Session=1; Subject=%d" % row[1],
                 event=row[2], **({"message": row[3]} if len(row) > 3 else {}))
            for row in events]


def stations_at_once(name, first_lines, steps, journal, exit=0, platforms=("posix",),
                     files=None, first="LAB-A"):
    """Station A runs Subject 5 and, while its E-Run runs, `steps` happen."""
    all_files = {"flanker.ebs": FLANKER, "b/flanker.ebs": FLANKER}
    all_files.update(files or {})
    return Case(name, ["flanker.ebs", "Subject=5", "Session=1"], first_lines, exit=exit,
                files=all_files, env=dict(WAITING, **station(first)), registry=COMMON,
                erun=STANDIN, erun_record=ANY_RECORD, steps=steps, journal=(JOURNAL, journal),
                extra_files_ok=True, platforms=platforms)


B_REFUSED = "Running: flanker-5-1.edat on LAB-A since {ANY}"
PREVIOUS = time.strftime("%Y-%m-%dT%H:%M:%S+00:00", time.gmtime(time.time() - 3600))
EARLIER_RUN = ("run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n" +
               "".join("LAB-A-9-20261208T090000,%s,LAB-A,lab,flanker.ebs,Session=1; Subject=9,"
                       "flanker-9-1.edat,%s\r\n" % (PREVIOUS, event)
                       for event in ["started,,", "E-Run started,,process 9",
                                     "saved,0,Data saved"])).encode()

CASES += [
    # A second window on station A is held off by the first run's E-Run: it frees nothing,
    # and station B is refused the participant the first still runs.
    stations_at_once(
        "station_second_window_frees_nothing",
        flanker_lines(5) + flanker_ran(5) + saved_data(5),
        [Run(["flanker.ebs", "Subject=6", "Session=1"],
             flanker_lines(6) + ["Couldn't replace " + at("flanker_tarvo.ebs") +
                                 ": another run is using it"], exit=-1, env=station("LAB-A")),
         Run(["b/flanker.ebs", "Subject=5", "Session=1"], flanker_lines(5, "b/") + [B_REFUSED],
             exit=-1, env=station("LAB-B"))],
        rows(("LAB-A", 5, "started"), ("LAB-A", 5, "E-Run started"), ("LAB-A", 6, "started"),
             ("LAB-A", 6, "E-Run failed"), ("LAB-B", 5, "refused", B_REFUSED),
             ("LAB-A", 5, "saved"))),
    # Tarvo killed while its E-Run goes on: the experiment saves, and the station's next run
    # finds the E-Run ended and records the save, which refuses station B.
    stations_at_once(
        "station_killed_run_found_saved", flanker_lines(5) + flanker_ran(5),
        [KILL, END_ERUN,
         Run(["flanker.ebs", "Subject=6", "Session=1"],
             flanker_lines(6) + flanker_ran(6) + saved_data(6), env=station("LAB-A")),
         Run(["b/flanker.ebs", "Subject=5", "Session=1"],
             flanker_lines(5, "b/") + ["Already saved: flanker-5-1.edat on {ANY} at {ANY}"],
             exit=-1, env=station("LAB-B"))],
        [dict(d, computer="{ANY}") for d in rows(
            ("", 5, "started"), ("", 5, "E-Run started"),
            ("", 5, "saved", "found ended by {ANY}"), ("", 6, "started"),
            ("", 6, "E-Run started"), ("", 6, "saved"), ("", 5, "refused"))],
        exit=-9, platforms=("posix", "windows")),
    # Ctrl+C while E-Run runs: Tarvo says it waits on, and the data check still comes.
    stations_at_once(
        "station_ctrl_c_waits_for_erun",
        flanker_lines(5) + flanker_ran(5) + [STILL_RUNNING, STILL_RUNNING] + saved_data(5),
        [press_ctrl_c(STILL_RUNNING), press_ctrl_c(STILL_RUNNING)],
        rows(("LAB-A", 5, "started"), ("LAB-A", 5, "E-Run started"), ("LAB-A", 5, "saved"))),
    # Sorted by its attributes in a spreadsheet, the open row is no longer station A's last
    # started row: it still refuses station B.
    stations_at_once(
        "station_sorted_journal_still_refuses",
        flanker_lines(5) + flanker_ran(5) + saved_data(5),
        [sort_journal(JOURNAL, "attributes"),
         Run(["b/flanker.ebs", "Subject=5", "Session=1"], flanker_lines(5, "b/") + [B_REFUSED],
             exit=-1, env=station("LAB-B"))],
        rows(("LAB-A", 5, "started"), ("LAB-A", 5, "E-Run started")) + ["{ANY}"] * 3 +
        rows(("LAB-B", 5, "refused", B_REFUSED), ("LAB-A", 5, "saved")),
        files={JOURNAL: EARLIER_RUN}),
]



# -A on station A: an aborted session's data file is set aside only once no run of it is
# open, station A's own included, as a killed run's E-Run may still write it.
ABORTED = b"an aborted session's data\r\n"
ASIDE = "Set aside: " + at("flanker-5-1.txt") + " as " + at("flanker-5-1.aborted-1.txt")


def set_aside(name, erun, lines, journal, exit=0, **more):
    """Station A runs Subject 5 with -A, where its journal holds a run of Subject 5 whose
    E-Run is the process `erun`, and a data file of Subject 5 is there."""
    before = ["LAB-A-9-20261208T090000,%s,LAB-A,lab,flanker.ebs,Session=1; Subject=5,"
              "flanker-5-1.edat,%s" % (PREVIOUS, event) for event in
              ["started,,", "E-Run started,,process %d; data file flanker-5-1.txt" % erun]]
    header = EARLIER_RUN[:EARLIER_RUN.index(b"\r\n") + 2]
    return Case(name, ["flanker.ebs", "Subject=5", "Session=1", "-A"], flanker_lines(5) + lines,
                exit=exit, files={"flanker.ebs": FLANKER, "flanker-5-1.txt": ABORTED,
                                  JOURNAL: header + "\r\n".join(before + [""]).encode()},
                env=dict(WAITING, ERUN_STANDIN_WAIT_FOR="", **station("LAB-A")),
                registry=COMMON, erun=STANDIN, journal=(JOURNAL, before + journal),
                extra_files_ok=True, platforms=("posix",), **more)


CASES += [
    # Its E-Run, process 1 here, may still run: nothing is moved.
    set_aside("set_aside_not_while_its_run_is_open", 1,
              ["Running: flanker-5-1.edat on LAB-A since " + PREVIOUS],
              rows(("LAB-A", 5, "refused", "Running: flanker-5-1.edat on LAB-A since {ANY}")),
              exit=-1, outputs={"flanker-5-1.aborted-1.txt": None, "flanker_tarvo.ebs": None}),
    # Its E-Run is gone: the run's end row first, then the move, which the started row records.
    set_aside("set_aside_once_its_run_is_found_ended", 4000000000,
              [ASIDE] + flanker_ran(5) + saved_data(5),
              rows(("LAB-A", 5, "not converted", "found ended by {ANY}"), ("LAB-A", 5, "started", ASIDE),
                   ("LAB-A", 5, "E-Run started"), ("LAB-A", 5, "saved")), erun_record=ANY_RECORD,
              outputs={"flanker-5-1.aborted-1.txt": ABORTED, "flanker-5-1.txt": b"data\r\n"}),
]
