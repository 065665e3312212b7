"""End-to-end cases of what the script makes the run refuse: a stage looks at all it
has to (every attribute, every routine call), then the run ends with exit code -1, saves
nothing, so an earlier rewritten script stays, and starts no E-Run."""

from e2e_support import BANNER, Case

CHECKS = b"\r\n".join([
    b"Sub Main()",
    b"StartupInfoPrompt_Subject:",
    b'\tvAnswer = AskBox("Subject?", c.GetAttrib("Subject"))',
    b"\tIf Not IsEmpty(vAnswer) then",
    b"\t\tIf Len(vAnswer) > 2 Or CLng(vAnswer) > 99 Then",
    b"\t\t\tGoTo StartupInfoPrompt_Subject",
    b"\t\tEnd If",
    b"\tElse",
    b"\t\tGoTo ExperimentAbort",
    b"\tEnd If",
    b'\tc.SetAttrib "Subject", CStr(vAnswer)',
    b"StartupInfoPrompt_Session:",
    b'\tvAnswer = AskBox("Session?", c.GetAttrib("Session"))',
    b"\tIf CLng(vAnswer) < 5 Then GoTo StartupInfoPrompt_Session",
    b"\tIf CLng(vAnswer) > 2 Then GoTo ExperimentAbort",
    b'\tc.SetAttrib "Session", CStr(vAnswer)',
    b'\tc.SetAttrib "Group", "1"',
    b'\tc.DataFile.Filename = "x.txt"',
    b"ExperimentAbort:",
    b"End Sub", b""])
HOOKS = b"\r\n".join([
    b"Function HandleFilename(c As Context) As String", b"End Function",
    b"Function PreRun(s As String) As Boolean", b"End Function",
    b"Sub AtExit(s As String)", b"End Sub",
    b"Sub Main()", b'\tc.DataFile.Filename = "x.txt"', b"\tInitObjects c",
    b"ExperimentFinish:", b"End Sub", b""])
EARLIER = b"' an earlier rewrite, to be kept\r\n"


def refused(name, script, args, lines):
    return Case(name, ["x.ebs"] + args, BANNER + ["Loaded %d lines from x.ebs" %
                                                  script.count(b"\r\n")] + lines,
                exit=-1, files={"x.ebs": script, "x_tarvo.ebs": EARLIER})


CASES = [
    refused("refused_attributes", CHECKS, ["Subject=3", "Session=3", "Group=" + "g" * 1000],
            ["Too long for one script line: Group",
             "Invalid value for Session: 3 (no value can pass: at least 5 and at most 2)",
             "Couldn't read the check of the prompt for Subject: "
             "If Len(vAnswer) > 2 Or CLng(vAnswer) > 99 Then"]),
    refused("refused_file_name", CHECKS, ["-F", "f" * 1000, "-O", "C:\\d"],
            ["Too long for one script line: -F"]),
    refused("refused_calls", HOOKS, [],
            ["Couldn't insert HandleFilename() call: the script has no ExperimentAbort label",
             "Couldn't insert PreRun() call: the script has no ExperimentAbort label",
             "Inserted AtExit() call"]),
]
