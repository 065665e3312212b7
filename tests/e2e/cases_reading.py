"""End-to-end cases of scripts edited by hand where a fixed value, -F or -O would not
decide what the experiment does: each is refused with the line that says why, nothing is
saved, and E-Run does not start."""

from cases_data_check import FLANKER
from e2e_support import BANNER, Case, fixture

NBACK = fixture("nback.ebs")
DATA_FILE = b"\tc.DataFile.Filename = CStr(c.GetAttrib"


def edited(name, script, old, new, args, lines):
    text = fixture(script) if script != "flanker.ebs" else FLANKER
    assert old in text
    text = text.replace(old, new, 1)
    return Case(name, [script] + args + ["-N"],
                BANNER + ["Loaded %d lines from %s" % (text.count(b"\n") + (not text.endswith(b"\n")), script)] + lines,
                exit=-1, files={script: text}, outputs={script[:-4] + "_tarvo.ebs": None})


CASES = [
    edited("reading_prompt_in_branch", "nback.ebs", b"bStartupInfoUseDefaults = False",
           b"bStartupInfoUseDefaults = True", ["Subject=7"],
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
]
