"""End-to-end cases on scripts in the two styles the experiment generator writes:
flanker.ebs in the older style (plain defaults, one prompt section per attribute, the
summary question, the data file name built in place) and nback.ebs in the newer one
(conditional defaults, the sections inside the block that StartupInfo.UseDefaults may
skip, the name built in a variable; no line end after its last line). Both are
Windows-1252 text with CR LF line ends and data sections after "End Sub". Each expected
*_tarvo.ebs was made from its input edit by edit and checked so. nback.ebs holds the newer generator's text as it
writes it: the preamble with the Group default and InitGlobals, the startup block with
StartupInfo.UseDefaults, the override blocks, the data file question, InitDevices,
InitPackages and InitObjects with their generated bodies, the #If lines and the
conversion."""

from e2e_support import BANNER, COMMON, STANDIN, Case, at, fixture

FLANKER = fixture("flanker.ebs")
FLANKER_EVERYDAY = fixture("flanker_everyday_tarvo.ebs")
NBACK = fixture("nback.ebs")
NBACK_EVERYDAY = fixture("nback_everyday_tarvo.ebs")

CASES = [
    # The everyday run from a batch file: Subject and Session, a UNC data folder whose
    # two leading backslashes must both reach the script, E-Run started on the result.
    # The script defines HandleFilename and AtExit, not PreRun.
    Case("generated_older_everyday",
         ["flanker.ebs", "Subject=12", "Session=1", "-O", "\\\\labserver\\data"],
         BANNER + ["Loaded 473 lines from flanker.ebs",
                   "Setting attribute value: Session = 1",
                   "Setting attribute value: Subject = 12",
                   "Setting output path to \\\\labserver\\data",
                   "Inserted HandleFilename() call",
                   "Inserted AtExit() call",
                   "Saved 441 lines in " + at("flanker_tarvo.ebs"),
                   "Starting E-Run:",
                   '"{ERUN}"  /a "' + at("flanker_tarvo.ebs") + '"',
                   "Waiting for E-Run to finish",
                   "E-Run ready"],
         files={"flanker.ebs": FLANKER}, outputs={"flanker_tarvo.ebs": FLANKER_EVERYDAY},
         registry=COMMON, erun=STANDIN,
         erun_record=["[/a]", "[" + at("flanker_tarvo.ebs") + "]", "script readable"]),
    # Its output run again: the values written before are replaced (not the plain
    # defaults above them), no call is doubled, and -Y answers the summary question.
    Case("generated_older_second_run",
         ["flanker_tarvo.ebs", "Subject=13", "Session=2", "-Y", "-N"],
         BANNER + ["Loaded 441 lines from flanker_tarvo.ebs",
                   "Setting attribute value: Session = 2",
                   "Setting attribute value: Subject = 13",
                   "Answered the startup info summary",
                   "Inserted HandleFilename() call",
                   "Inserted AtExit() call",
                   "Saved 441 lines in " + at("flanker_tarvo_tarvo.ebs")],
         files={"flanker_tarvo.ebs": FLANKER_EVERYDAY},
         outputs={"flanker_tarvo_tarvo.ebs": fixture("flanker_rerun_tarvo.ebs")}),
    # Values the prompts would refuse: each is reported, the others still set, then the
    # run ends. The rewritten script of an earlier run stays as it was; E-Run never runs.
    Case("generated_older_refused_values",
         ["flanker.ebs", "Subject=12", "Session=0", "Age=abc", "Handedness=Left"],
         BANNER + ["Loaded 473 lines from flanker.ebs",
                   "Invalid value for Age: abc (a whole number from 0 to 150)",
                   "Setting attribute value: Handedness = Left",
                   "Invalid value for Session: 0 (a whole number from 1 to 32767)",
                   "Setting attribute value: Subject = 12"],
         exit=-1, files={"flanker.ebs": FLANKER, "flanker_tarvo.ebs": FLANKER_EVERYDAY},
         registry=COMMON, erun=STANDIN),
    # The generator's whole startup block, StartupInfo.UseDefaults line included: Tarvo's
    # lines go inside it. Sub has no prompt of its own in Subject's. -F with "\t" and
    # "\n" in it, -Y inside the newer block.
    Case("generated_newer_everyday",
         ["nback.ebs", "Subject=7", "Session=2", "Sub=1", "-F", "C:\\temp\\nback-7.txt",
          "-Y", "-N"],
         BANNER + ["Loaded 537 lines from nback.ebs",
                   "Setting attribute value: Session = 2",
                   "Couldn't set attribute value for Sub",
                   "Setting attribute value: Subject = 7",
                   "Setting output filename to C:\\temp\\nback-7.txt",
                   "Answered the startup info summary",
                   "Inserted PreRun() call",
                   "Saved 504 lines in " + at("nback_tarvo.ebs")],
         files={"nback.ebs": NBACK}, outputs={"nback_tarvo.ebs": NBACK_EVERYDAY}),
    # StartupInfo.UseDefaults given: the prompts may be skipped, so no value given holds.
    Case("generated_newer_use_defaults_given",
         ["nback.ebs", "Subject=7", "Session=2", "StartupInfo.UseDefaults=1", "-N"],
         BANNER + ["Loaded 537 lines from nback.ebs",
                   "Couldn't set attribute value for Session: its prompt runs only in a branch",
                   "Couldn't set attribute value for StartupInfo.UseDefaults",
                   "Couldn't set attribute value for Subject: its prompt runs only in a branch"],
         exit=-1, files={"nback.ebs": NBACK}, outputs={"nback_tarvo.ebs": None}),
    # Its output run again with a folder: the fixed name is absolute, so no folder can go
    # in front of it; nothing is saved.
    Case("generated_newer_second_run",
         ["nback_tarvo.ebs", "Session=3", "-O", "D:\\data", "-Y", "-N"],
         BANNER + ["Loaded 504 lines from nback_tarvo.ebs",
                   "Setting attribute value: Session = 3",
                   "-O cannot go in front of an absolute data file name: C:\\temp\\nback-7.txt"],
         exit=-1, files={"nback_tarvo.ebs": NBACK_EVERYDAY},
         outputs={"nback_tarvo_tarvo.ebs": None}),
]
