"""End-to-end cases of two stations running the same script at the same time: the first
run holds its rewritten script until its E-Run has ended, so the second cannot replace it
and E-Run reads the first run's values."""

from cases_launch import ran, record, started
from e2e_support import BANNER, COMMON, STANDIN, Case, Run, at

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
