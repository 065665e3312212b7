"""End-to-end cases of two stations running the same script at the same time: the first
run holds its rewritten script until its E-Run has ended, so the second cannot replace it
and E-Run reads the first run's values."""

from cases_launch import ran, record
from e2e_support import BANNER, COMMON, STANDIN, Case, Run, at

SUBJECT = b'Sub Main()\r\n\tc.SetAttrib "Subject", "0"\r\nEnd Sub\r\n'
SET = "\tc.SetAttrib \"Subject\", \"%s\"   ' value set by Tarvo"


def rewritten(subject):
    return SUBJECT.replace(b'\tc.SetAttrib "Subject", "0"', (SET % subject).encode())


def loaded(subject):
    return BANNER + ["Loaded 3 lines from x.ebs", "Setting attribute value: Subject = " + subject]


CASES = [
    Case("station_second_run_refused", ["x.ebs", "Subject=1"],
         loaded("1") + ["Saved 3 lines in " + at("x_tarvo.ebs")] +
         ran('"{ERUN}"  /a "' + at("x_tarvo.ebs") + '"'),
         second=Run(["x.ebs", "Subject=2"], loaded("2") + [
             "Couldn't replace " + at("x_tarvo.ebs") + ": another run is using it"], exit=-1),
         files={"x.ebs": SUBJECT}, outputs={"x_tarvo.ebs": rewritten("1")},
         registry=COMMON, erun=STANDIN,
         erun_record=record("/a", at("x_tarvo.ebs")) + [SET % "1"],
         env={"ERUN_STANDIN_WAIT_FOR": "{DIR}{/}second-run-ended",
              "ERUN_STANDIN_SHOW": "value set by Tarvo"}),
]
