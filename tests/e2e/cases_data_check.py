"""End-to-end cases of the data check (-D): the data file worked out from the script,
refused when it is there already or cannot be worked out, and after E-Run the outcome
that the stand-in E-Run leaves, as an experiment would: the data file and the converted
one of a run that finished, the data file alone of one that was aborted, or nothing."""

import os

from e2e_support import BANNER, COMMON, STANDIN, Case, at, fixture

# flanker.ebs without its own HandleFilename, so that the script's expression names the
# file; it converts the data file and logs data only for a Subject other than 0.
FLANKER = fixture("flanker.ebs").replace(b"Function HandleFilename(", b"Function KeepFilename(")
NBACK = fixture("nback.ebs")
LOADED = ["Loaded 473 lines from flanker.ebs", "Setting attribute value: Session = 1",
          "Setting attribute value: Subject = 12", "Inserted AtExit() call"]
TXT = at("flanker-12-1.txt")
EDAT = at("flanker-12-1.edat")
DATA_FILES = ["Data file: " + TXT, "Converted data file: " + EDAT]
SAVED = ["Saved 440 lines in " + at("flanker_tarvo.ebs")]
ABORTED = b"an aborted session's data\r\n"
ASIDE = at("flanker-12-1.aborted-1.txt")
RAN = ["Starting E-Run:", '"{ERUN}"  /a "' + at("flanker_tarvo.ebs") + '"',
       "Waiting for E-Run to finish", "E-Run ready"]


def checked(name, writes, lines, exit, args=(), files=None, loaded=LOADED, data=DATA_FILES,
            script="flanker.ebs", saved=SAVED, ran=RAN, **more):
    """A -D run of flanker.ebs for Subject 12, Session 1; the stand-in E-Run writes `writes`
    (file names separated by |, relative to its folder)."""
    all_files = {"flanker.ebs": FLANKER}
    all_files.update(files or {})
    return Case(name, [script, "Subject=12", "Session=1", "-D"] + list(args),
                BANNER + loaded + data + saved + ran + lines, exit=exit, files=all_files,
                registry=COMMON, erun=STANDIN,
                erun_record=["[/a]", "[" + at(script[:-4] + "_tarvo.ebs") + "]", "script readable"],
                env={"ERUN_STANDIN_WRITE": writes}, extra_files_ok=True, **more)


def refused(name, args, lines, script=b"", files=None, **more):
    all_files = {"flanker.ebs": script or FLANKER}
    all_files.update(files or {})
    return Case(name, ["flanker.ebs"] + args, BANNER + lines, exit=-1, files=all_files,
                outputs={"flanker_tarvo.ebs": None}, registry=COMMON, erun=STANDIN, **more)


def named(path):
    """The lines of a run for Subject 12, Session 1, with -F `path`, up to its data files."""
    stem = path[:path.rindex(".")]
    return LOADED[:3] + ["Setting output filename to " + path, "Inserted AtExit() call",
                         "Data file: " + at(path), "Converted data file: " + at(stem + ".edat")]


CASES = [
    checked("data_saved", "flanker-12-1.txt|flanker-12-1.edat", ["Data saved: " + EDAT], 0),
    checked("data_not_converted", "flanker-12-1.txt",
            ["Data not converted: " + TXT +
             " (the experiment ended early; E-Recovery can convert it)"], -1),
    checked("data_not_written", "", ["No data file written: " + TXT], -1),
    # Started from another folder: E-Run runs in the script's, where the names lead.
    checked("data_beside_the_script", "flanker-12-1.txt|flanker-12-1.edat",
            ["Data saved: " + at("exp/flanker-12-1.edat")], 0, script="exp/flanker.ebs",
            files={"exp/flanker.ebs": FLANKER},
            loaded=["Loaded 473 lines from exp/flanker.ebs"] + LOADED[1:],
            data=["Data file: " + at("exp/flanker-12-1.txt"),
                  "Converted data file: " + at("exp/flanker-12-1.edat")],
            saved=["Saved 440 lines in " + at("exp/flanker_tarvo.ebs")],
            ran=RAN[:1] + ['"{ERUN}"  /a "' + at("exp/flanker_tarvo.ebs") + '"'] + RAN[2:]),
    # -F names the file; -O a folder in front of the script's own name.
    checked("data_file_name", "s12.txt|s12.edat", ["Data saved: " + at("s12.edat")], 0,
            args=["-F", "s12.txt"],
            data=["Setting output filename to s12.txt", "Inserted AtExit() call",
                  "Data file: " + at("s12.txt"), "Converted data file: " + at("s12.edat")],
            loaded=LOADED[:3]),
    Case("data_folder_newer_style",
         ["nback.ebs", "Subject=7", "Session=2", "-O", "{DIR}{/}data", "-Y", "-D"],
         BANNER + ["Loaded 537 lines from nback.ebs", "Setting attribute value: Session = 2",
                   "Setting attribute value: Subject = 7",
                   "Setting output path to {DIR}{/}data", "Answered the startup info summary",
                   "Inserted PreRun() call",
                   "Data file: {DIR}{/}data\\nback-7-2.txt",
                   "Converted data file: {DIR}{/}data\\nback-7-2.edat",
                   "Saved 504 lines in " + at("nback_tarvo.ebs")] +
         RAN[:1] + ['"{ERUN}"  /a "' + at("nback_tarvo.ebs") + '"'] + RAN[2:] +
         ["Data saved: {DIR}{/}data\\nback-7-2.edat"],
         files={"nback.ebs": NBACK, "data/keep": b""}, registry=COMMON, erun=STANDIN,
         erun_record=["[/a]", "[" + at("nback_tarvo.ebs") + "]", "script readable"],
         env={"ERUN_STANDIN_WRITE": "{DIR}{/}data\\nback-7-2.txt|{DIR}{/}data\\nback-7-2.edat"},
         extra_files_ok=True),

    # Refused before anything is saved or started.
    refused("data_file_there_before", ["Subject=12", "Session=1", "-D"],
            LOADED + DATA_FILES + ["Data file exists: " + TXT],
            files={"flanker-12-1.txt": b"an earlier participant's data\r\n"}),
    refused("data_converted_there_before", ["Subject=12", "Session=1", "-D"],
            LOADED + DATA_FILES + ["Data file exists: " + EDAT],
            files={"flanker-12-1.edat": b"an earlier participant's data"}),
    # A folder that is missing, or one the file system cannot tell of (a link to itself).
    refused("data_folder_missing", ["Subject=12", "Session=1", "-D", "-F", "gone/s.txt"],
            named("gone/s.txt") + ["Data folder missing: " + at("gone")]),
    refused("data_folder_cannot_tell", ["Subject=12", "Session=1", "-D", "-F", "loop/s.txt"],
            named("loop/s.txt") + ["Couldn't check the data file: " + at("loop/s.txt")],
            setup=lambda folder: os.symlink("loop", os.path.join(folder, "loop")),
            platforms=("posix",), extra_files_ok=True),
    refused("data_subject_zero", ["Subject=000", "Session=1", "-D"],
            LOADED[:2] + ["Setting attribute value: Subject = 000",
                          "Subject 0: the experiment writes no data file",
                          "Inserted AtExit() call"]),
    refused("data_name_left_to_handle_filename", ["Subject=12", "Session=1", "-D"],
            LOADED[:3] + ["Inserted HandleFilename() call", "Inserted AtExit() call",
                          "Couldn't work out the data file: HandleFilename"],
            script=fixture("flanker.ebs")),
    refused("data_attribute_still_asked_for", ["Subject=12", "-D", "-N"],
            LOADED[:1] + LOADED[2:] + ["Couldn't work out the data file: Session"]),
    # -A: an aborted session's data file set aside under a free name.
    checked("data_set_aside", "flanker-12-1.txt|flanker-12-1.edat", ["Data saved: " + EDAT], 0,
            args=["-A"], files={"flanker-12-1.txt": ABORTED},
            data=DATA_FILES + ["Set aside: " + TXT + " as " + ASIDE],
            outputs={"flanker-12-1.aborted-1.txt": ABORTED, "flanker-12-1.txt": b"data\r\n"}),
    # A dry run moves nothing and appends nothing; its journal gives the data check.
    Case("data_set_aside_dry_run", ["flanker.ebs", "Subject=12", "Session=1", "-N", "-A"],
         BANNER + LOADED + DATA_FILES + ["Would set aside: " + TXT + " as " + ASIDE] + SAVED,
         files={"flanker.ebs": FLANKER, "flanker-12-1.txt": ABORTED},
         env={"TARVO_JOURNAL": "{DIR}{/}j.csv"},
         outputs={"flanker-12-1.aborted-1.txt": None, "j.csv": None}, extra_files_ok=True),
    refused("data_set_aside_needs_the_data_check", ["Subject=12", "Session=1", "-A"],
            ["-A needs the data file worked out (-D or a journal)"]),
    # Without -D a run for Subject 0 says so, and goes on.
    Case("subject_zero_without_data_check", ["flanker.ebs", "Subject=0", "Session=1", "-N"],
         BANNER + LOADED[:2] + ["Setting attribute value: Subject = 0",
                                "Subject 0: the experiment writes no data file",
                                "Inserted AtExit() call"] + SAVED,
         files={"flanker.ebs": FLANKER}, extra_files_ok=True),
]
