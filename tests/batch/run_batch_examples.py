#!/usr/bin/env python3
"""Runs the example batch files under Wine with the Windows program and a stand-in E-Run
registered in Wine's registry, on the example script nback.ebs, whose data file can be
worked out, and checks the runs: their order, the values each run gave the script, the
arguments E-Run received, the data files checked and the journal of the runs, that input
they cannot use is refused, and that a failure stops the batch (Tarvo's failure code -1,
which "if errorlevel 1" would miss)."""

import csv
import os
import shutil
import subprocess
import sys
import tempfile

KEY = r"HKCR\ebsfile\shell\open\command"


def wine(emulator, args, cwd, env=None):
    """Runs a Wine command; returns (exit code, console output). The output goes through
    a file, not a pipe: Wine's helper processes, started by whichever call comes first,
    would hold a pipe open for as long as the Wine server runs."""
    with tempfile.TemporaryFile() as out:
        code = subprocess.run([emulator] + args, cwd=cwd, env=env, stdout=out,
                              stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                              timeout=300).returncode
        out.seek(0)
        return code, out.read().decode("latin-1").replace("\r\n", "\n")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def run_batch(emulator, folder, batch_args, writes="nback-{Subject}-{Session}.txt|"
                                                   "nback-{Subject}-{Session}.edat"):
    """Runs a batch; the stand-in E-Run writes the data files of a run that finished,
    unless `writes` says otherwise."""
    env = dict(os.environ, TARVO="tarvo.exe", ERUN_STANDIN_SHOW="value set by Tarvo",
               ERUN_STANDIN_WRITE=writes, TARVO_JOURNAL="journal.csv")
    code, console = wine(emulator, ["cmd", "/c"] + batch_args, folder, env)
    record_path = os.path.join(folder, "erun-record.txt")
    record = open(record_path).read().split("\n")[:-1] if os.path.exists(record_path) else []
    if os.path.exists(record_path):
        os.remove(record_path)
    return code, console, record


def expected_record(folder, runs):
    lines = []
    for subject, session in runs:
        lines += ["[/a]", "[%s]" % windows_path(os.path.join(folder, "nback_tarvo.ebs")),
                  "script readable",
                  '\tc.SetAttrib "Subject", "%s"   \' value set by Tarvo; removed user prompt section'
                  % subject,
                  '\tc.SetAttrib "Session", "%s"   \' value set by Tarvo; removed user prompt section'
                  % session]
    return lines


def journal_rows(folder):
    path = os.path.join(folder, "journal.csv")
    if not os.path.exists(path):
        return []
    with open(path, newline="", encoding="latin-1") as f:
        return list(csv.reader(f))


def check(failures, what, expected, actual):
    if expected != actual:
        failures.append("%s:\n  expected %r\n  actual   %r" % (what, expected, actual))


def main():
    emulator, tarvo, standin, source = sys.argv[1:5]
    examples = os.path.join(source, "examples")
    failures = []
    folder = tempfile.mkdtemp(prefix="tarvo-batch-")
    try:
        shutil.copy(tarvo, os.path.join(folder, "tarvo.exe"))
        shutil.copy(standin, os.path.join(folder, "erun.exe"))
        for name in ["run_sessions.bat", "run_from_csv.bat", "run_battery.bat", "nback.ebs"]:
            shutil.copy(os.path.join(examples, name), folder)
        # A second task of the battery: another experiment, its data files of its own name.
        with open(os.path.join(examples, "nback.ebs"), "rb") as f:
            stroop = f.read().replace(b'"Experiment", "nback"', b'"Experiment", "stroop"')
        with open(os.path.join(folder, "stroop.ebs"), "wb") as f:
            f.write(stroop)
        with open(os.path.join(folder, "sessions.csv"), "wb") as f:
            f.write(b"Subject,Session\r\n3,1\r\n3,2\r\n4,1\r\n")
        command = '"%s" "%%1"' % windows_path(os.path.join(folder, "erun.exe"))
        if wine(emulator, ["reg", "add", KEY, "/ve", "/d", command, "/f"], folder)[0]:
            failures.append("reg add failed")
            return report(failures)
        try:
            code, console, record = run_batch(emulator, folder,
                                              ["run_sessions.bat", "nback.ebs", "7", "1", "3"])
            check(failures, "run_sessions exit code", 0, code)
            check(failures, "run_sessions record",
                  expected_record(folder, [("7", "1"), ("7", "2"), ("7", "3")]), record)
            check(failures, "run_sessions console", 3, console.count("Data saved: "))
            check(failures, "run_sessions journal", ["started", "E-Run started", "saved"] * 3,
                  [row[7] for row in journal_rows(folder)[1:]])

            # The battery: each participant the next number and the group with the fewest
            # participants, both tasks with the same values; the second task's data not
            # saved stops the batch.
            tasks = ["run_battery.bat", "study.csv", "nback.ebs", "stroop.ebs"]
            both = "{Experiment}-{Subject}-1.txt|{Experiment}-{Subject}-1.edat"
            for subject, group in [("1", "1"), ("2", "2")]:
                code, console, record = run_batch(emulator, folder, tasks, writes=both)
                check(failures, "run_battery %s" % subject, (0, 2, True),
                      (code, console.count("Data saved: "), console.endswith("Battery done.\n")))
                check(failures, "run_battery %s values" % subject,
                      [line for line in record if "Group" in line or "Subject\"," in line],
                      ['\tc.SetAttrib "Group", "%s"   \' value set by Tarvo' % group,
                       '\tc.SetAttrib "Subject", "%s"   \' value set by Tarvo; removed user '
                       'prompt section' % subject] * 2)
            code, console, record = run_batch(emulator, folder, tasks,
                                              writes="{Experiment}-{Subject}-1.txt")
            check(failures, "run_battery stops", (1, True, 1),
                  (code, "Stopped: Tarvo failed for nback.ebs." in console,
                   console.count("Subject from the journal: 3")))
            for name in os.listdir(folder):  # the battery's participants are its own
                if name.startswith(("nback-1-", "nback-2-", "nback-3-", "stroop-")):
                    os.remove(os.path.join(folder, name))

            # Leading zeros are decimal: "set /a" alone would refuse 08, an octal number.
            code, console, record = run_batch(emulator, folder,
                                              ["run_sessions.bat", "nback.ebs", "08", "03", "04"])
            check(failures, "run_sessions leading zeros exit code", 0, code)
            check(failures, "run_sessions leading zeros record",
                  expected_record(folder, [("8", "3"), ("8", "4")]), record)

            # A run whose data were not saved stops the batch.
            code, console, record = run_batch(emulator, folder,
                                              ["run_sessions.bat", "nback.ebs", "9", "1", "2"],
                                              writes="nback-{Subject}-{Session}.txt")
            check(failures, "data check stops run_sessions", (1, 1, True),
                  (code, console.count("Data not converted: "),
                   "Stopped: Tarvo failed for subject 9, session 1." in console))

            for numbers, line in [
                    (["x", "1", "2"], 'The subject must be a whole number: "x"'),
                    (["7", "1", "-2"], 'The last session must be a whole number: "-2"'),
                    (["7", "", "2"], 'The first session must be a whole number: ""'),
                    (["7", "010", "08"],
                     "The first session (10) is greater than the last session (8).")]:
                code, console, record = run_batch(emulator, folder,
                                                  ["run_sessions.bat", "nback.ebs"] + numbers)
                check(failures, "run_sessions %r" % numbers, (2, line + "\n", []),
                      (code, console, record))

            code, console, record = run_batch(emulator, folder,
                                              ["run_from_csv.bat", "nback.ebs", "sessions.csv"])
            check(failures, "run_from_csv exit code", 0, code)
            check(failures, "run_from_csv record",
                  expected_record(folder, [("3", "1"), ("3", "2"), ("4", "1")]), record)

            # The header's letter case, blanks, double quotes and Excel's byte-order mark,
            # blanks around numbers, an empty line and an empty unused field are accepted;
            # the file's name, holding "&", is shown and not run.
            with open(os.path.join(folder, "R&D sessions.csv"), "wb") as f:
                f.write(b'\xef\xbb\xbf"subject" , "SESSION"\r\n5, 1\r\n\r\n 6 ,2,\r\n')
            code, console, record = run_batch(emulator, folder,
                                              ["run_from_csv.bat", "nback.ebs", "R&D sessions.csv"])
            check(failures, "run_from_csv tolerated", (0, True), (code, console.endswith(
                "Data saved: %s\nAll sessions in R&D sessions.csv done.\n"
                % windows_path(os.path.join(folder, "nback-6-2.edat")))))
            check(failures, "run_from_csv tolerated record",
                  expected_record(folder, [("5", "1"), ("6", "2")]), record)

            # The whole file is checked before the first run; a refusal names the row (the
            # header is row 1, empty lines do not count) and never shows it, as cmd would run
            # it. Rows with "%" are left out: Wine's cmd, unlike Windows', expands a variable's
            # value again, so they pass or fail there by chance.
            not_whole = "Row 3 of rows.csv has a field that is not a whole number."
            for text, line in [
                    (b"", "Cannot read rows.csv, or it is empty."),
                    (b"3,1\r\n4,1\r\n", 'Row 1 of rows.csv is not the header "Subject,Session".'),
                    (b"Subject,Session\r\n5, 1\r\n,2\r\n5,3\r\n",
                     "Row 3 of rows.csv has an empty field."),
                    (b"Subject,Session\r\n5,1\r\n5\r\n", "Row 3 of rows.csv has an empty field."),
                    (b"Subject,Session\r\n\r\n5,1\r\n1&echo X,2\r\n", not_whole),
                    (b'Subject,Session\r\n5,1\r\n"1&echo X",2\r\n', not_whole),
                    (b"Subject,Session\r\n5,1\r\n1^2,3\r\n", not_whole),
                    (b"Subject,Session\r\n5,1\r\n1!x!,2\r\n", not_whole),
                    (b"Subject,Session\r\n5,1\r\n;3,1\r\n", not_whole),
                    (b"Subject,Session\r\n5,1\r\n|3,1\r\n", not_whole),
                    (b"Subject,Session\r\n5,1\r\n3,1,a\r\n", not_whole)]:
                with open(os.path.join(folder, "rows.csv"), "wb") as f:
                    f.write(text)
                code, console, record = run_batch(emulator, folder,
                                                  ["run_from_csv.bat", "nback.ebs", "rows.csv"])
                check(failures, "run_from_csv %r" % text, (2, line + "\n", []),
                      (code, console, record))

            # A failing run stops the batch: on a missing script the first run fails and
            # the rest are skipped.
            with open(os.path.join(folder, "bad.csv"), "wb") as f:
                f.write(b"Subject,Session\r\n5,1\r\n5,2\r\n")
            code, console, record = run_batch(emulator, folder,
                                              ["run_from_csv.bat", "missing.ebs", "bad.csv"])
            check(failures, "failing run_from_csv exit code", 1, code)
            check(failures, "failing run_from_csv runs", 1, console.count("Couldn't open"))
            check(failures, "failing run_from_csv stop line", True,
                  "Stopped: Tarvo failed for subject 5, session 1." in console)
            check(failures, "failing run_from_csv record", [], record)

            code, console, record = run_batch(emulator, folder,
                                              ["run_sessions.bat", "missing.ebs", "7", "1", "3"])
            check(failures, "failing run_sessions exit code", 1, code)
            check(failures, "failing run_sessions runs", 1, console.count("Couldn't open"))
            check(failures, "failing run_sessions stop line", True,
                  "Stopped: Tarvo failed for subject 7, session 1." in console)

            # An E-Run that cannot be started fails the run, and so stops the batch.
            missing = '"%s" "%%1"' % windows_path(os.path.join(folder, "gone.exe"))
            wine(emulator, ["reg", "add", KEY, "/ve", "/d", missing, "/f"], folder)
            code, console, record = run_batch(emulator, folder,
                                              ["run_sessions.bat", "nback.ebs", "11", "1", "3"])
            check(failures, "E-Run failure stops run_sessions", (1, 1, True),
                  (code, console.count("E-Run failed"),
                   "Stopped: Tarvo failed for subject 11, session 1." in console))

            # Why the examples test "not %errorlevel%==0": "if errorlevel 1" misses -1.
            with open(os.path.join(folder, "errorlevel.bat"), "wb") as f:
                f.write(b"@echo off\r\ntarvo.exe missing.ebs > nul\r\n"
                        b"if errorlevel 1 echo caught-by-errorlevel-1\r\n"
                        b"if not %errorlevel%==0 echo caught-by-not-zero %errorlevel%\r\n")
            code, console, _ = run_batch(emulator, folder, ["errorlevel.bat"])
            check(failures, "errorlevel checks", "caught-by-not-zero -1\n", console)
        finally:
            wine(emulator, ["reg", "delete", r"HKCR\ebsfile", "/f"], folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return report(failures)


def report(failures):
    for failure in failures:
        print(failure)
    print("batch examples: %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
