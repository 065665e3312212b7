"""End-to-end cases of scripts edited by hand where a fixed value, -F or -O would not
decide what the experiment does: each is refused with the line that says why, nothing is
saved, and E-Run does not start."""

from cases_data_check import FLANKER
from e2e_support import BANNER, Case, fixture

NBACK = fixture("nback.ebs")
DATA_FILE = b"\tc.DataFile.Filename = CStr(c.GetAttrib"


def refused(name, script, text, args, lines):
    return Case(name, [script] + args + ["-N"],
                BANNER + ["Loaded %d lines from %s" % (text.count(b"\n") + (not text.endswith(b"\n")), script)] + lines,
                exit=-1, files={script: text}, outputs={script[:-4] + "_tarvo.ebs": None})


def edited(name, script, old, new, args, lines):
    text = fixture(script) if script != "flanker.ebs" else FLANKER
    assert old in text
    return refused(name, script, text.replace(old, new, 1), args, lines)


def with_routine(routine, old, new):
    """flanker.ebs with `routine` before Sub Main() and `old` replaced by `new` in it."""
    assert old in FLANKER
    text = FLANKER.replace(old, new, 1)
    return text.replace(b"Sub Main()", routine + b"\r\n\r\nSub Main()", 1)


# flanker.ebs's prompt sections, moved into a routine of their own.
PROMPTS = FLANKER[FLANKER.index(b"StartupInfoPrompt_Subject:"):FLANKER.index(b"\t' Display the summary")]
SUMMARY = (b'\tnSummaryAnswer = MsgBox(strSummary, ebYesNoCancel + ebQuestion, "Summary of Startup '
           b'Info")\r\n\tIf nSummaryAnswer = ebNo Then\r\n\t\tGoTo StartupInfo_Begin\r\n\tElseIf '
           b'nSummaryAnswer = ebCancel Then\r\n\t\tGoTo ExperimentAbort\r\n\tEnd If\r\n')
USE_FILE_LEVELS = b"\tc.DataFile.UseFileLevels = True\r\n"


CASES = [
    # The lab's own line before the generator's block: its prompts may be skipped.
    edited("reading_prompt_in_branch", "nback.ebs", b'\tc.SetAttrib "Group", "1"\r\n',
           b'\tc.SetAttrib "Group", "1"\r\n\tc.SetAttrib "StartupInfo.UseDefaults", "1"\r\n',
           ["Subject=7"],
           ["Couldn't set attribute value for Subject: its prompt runs only in a branch"]),
    edited("reading_set_again", "rt.ebs", b"\tc.LogHeader\r\n",
           b'\tc.LogHeader\r\n\tc.SetAttrib "Group", "1"\r\n', ["Group=2"],
           ["Attribute Group is set again in the script at line 271"]),
    edited("reading_data_file_in_branch", "flanker.ebs", DATA_FILE,
           b"\tIf bRetest Then c.DataFile.Filename = CStr(c.GetAttrib", ["-F", "s.txt"],
           ["-F cannot be applied: the data file statement at line 402 runs only in a branch"]),
    edited("reading_data_file_set_again", "flanker.ebs", b"\r\n\r\n\t' If we are logging",
           b'\r\n\tc.DataFile.Filename = "Data\\\\" & c.DataFile.Filename\r\n\t\' If we are logging',
           ["-O", "C:\\data"], ["-O cannot be applied: the data file is set again at line 403"]),
    edited("reading_converted_data_file_name", "flanker.ebs", b"x", b"x", ["-F", "s12.edat"],
           ["The data file cannot end in .edat: the converted file would replace it"]),
    # The script's own routines that the main routine calls are read.
    refused("reading_prompt_in_routine", "flanker.ebs",
            with_routine(b"Sub AskStartup(c As Context)\r\n\tDim vAnswer As Variant\r\n" + PROMPTS +
                         b"End Sub", PROMPTS, b"\tAskStartup c\r\n\r\n"),
            ["Subject=12"],
            ["Couldn't set attribute value for Subject: its prompt is in the routine AskStartup"]),
    refused("reading_set_again_in_routine", "flanker.ebs",
            with_routine(b"Sub SetUp()\r\n\tebContext.SetAttrib \"Subject\", \"7\"\r\nEnd Sub",
                         USE_FILE_LEVELS, USE_FILE_LEVELS + b"\tSetUp\r\n"),
            ["Subject=12"], ["Attribute Subject is set again in the script at line 283"]),
    edited("reading_set_again_by_parts", "flanker.ebs", USE_FILE_LEVELS,
           USE_FILE_LEVELS + b'\tc.SetAttrib "Sub" & "ject", "99"\r\n', ["Subject=12"],
           ["Attribute Subject is set again in the script at line 417"]),
] + [  # The main routine read as one, or refused before any edit.
    edited("reading_main_" + name, script, old, new, ["Subject=12"],
           ["Couldn't read the main routine: " + what]) for name, script, old, new, what in [
    ("twice", "flanker.ebs", b"End Sub\r\n\r\n\r\n[", b"End Sub\r\n\r\nSub Main()\r\nEnd Sub\r\n[",
     "a second Sub Main at line 463"),
    ("routine_inside", "flanker.ebs", USE_FILE_LEVELS,
     USE_FILE_LEVELS + b"Sub Helper()\r\nEnd Sub\r\n", "a routine inside it at line 417"),
    ("statements_after_end", "flanker.ebs", b"\t' Set the default Data Filename",
     b"End Sub\r\n\t' Set the default Data Filename", "statements after its End Sub at line 403"),
    ("block_without_end", "nback.ebs", b"\t\tEnd If\r\n\r\n\tEnd If\r\n", b"\t\tEnd If\r\n\r\n",
     "a block without its end at line 380"),
    ("end_without_block", "flanker.ebs", USE_FILE_LEVELS, USE_FILE_LEVELS + b"\tEnd If\r\n",
     "an end without its block at line 417"),
]] + [
    # -Y refuses a summary it cannot answer.
    edited("reading_summary_unanswered", "flanker.ebs", SUMMARY,
           b'\tSelect Case MsgBox(strSummary, ebYesNoCancel + ebQuestion, "Summary of Startup '
           b'Info")\r\n\tCase ebNo\r\n\t\tGoTo StartupInfo_Begin\r\n\tCase ebCancel\r\n\t\tGoTo '
           b'ExperimentAbort\r\n\tEnd Select\r\n', ["Subject=12", "-Y"],
           ["Setting attribute value: Subject = 12",
            "Couldn't answer the startup info summary at line 394"]),
]
