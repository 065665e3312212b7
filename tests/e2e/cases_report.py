"""End-to-end cases of the report (-R): its console lines for a journal of a small study,
a hostile value escaped on the page, a journal that cannot be read and a report that
cannot be written. JOURNAL is also the browser test's fixture."""

import os
import time

from e2e_support import BANNER, Case

HEADER = "run,time,computer,user,script,attributes,data_file,event,exit_code,message"


def _row(run, hours, computer, subject, session, event, message="", script="C:\\exp\\nback.ebs",
         data=None):
    """A row as a run writes it, `hours` before now."""
    when = time.strftime("%Y-%m-%dT%H:%M:%S+00:00", time.gmtime(time.time() - hours * 3600))
    attributes = "Session=%s; Subject=%s" % (session, subject) if subject is not None else ""
    if data is None:
        data = "C:\\data\\nback-%s-%s.edat" % (subject, session)
    code = "" if event == "started" else ("0" if event in ("saved", "ended") else "-1")
    return ",".join([run, when, computer, "lab", script, attributes, data, event, code, message])


def _run(run, hours, computer, subject, session, end=None, message="", **more):
    rows = [_row(run, hours, computer, subject, session, "started", **more)]
    if end:
        rows.append(_row(run, hours - 0.4, computer, subject, session, end, message, **more))
    return rows


ROWS = (_run("PC1-1", 50, "LAB-PC1", 1, 1, "saved", "Data saved: C:\\data\\nback-1-1.edat") +
        _run("PC2-1", 49, "LAB-PC2", 2, 1, "not converted",
             "Data not converted: C:\\data\\nback-2-1.txt (the experiment ended early; "
             "E-Recovery can convert it)") +
        _run("PC1-2", 30, "LAB-PC1", 1, 2, "saved", "Data saved: C:\\data\\nback-1-2.edat") +
        _run("PC3-1", 20, "LAB-PC3", 3, 1) +
        _run("PC3-2", 19, "LAB-PC3", 4, 1, "no data", "No data file written: C:\\data\\nback-4-1.txt") +
        _run("PC2-2", 2, "LAB-PC2", 2, 2) +
        [_row("PC4-1", 1.2, "LAB-PC4", 1, 1, "refused",
              "Already saved: nback-1-1.edat on LAB-PC1 at yesterday")] +
        _run("PC4-2", 1, "LAB-PC4", 0, 1, "ended", "E-Run ready") +
        _run("PC4-3", 0.9, "LAB-PC4", "<b>&x", 1, "E-Run failed", "E-Run failed") +
        _run("PC1-3", 0.8, "LAB-PC1", None, None, "ended", "E-Run ready",
             script="C:\\exp\\flanker.ebs", data="") +
        # Sessions 1, 2 and 4 of Subject 5 saved: its next session is 3.
        _run("PC5-1", 40, "LAB-PC5", 5, 1, "saved", "Data saved: C:\\data\\nback-5-1.edat") +
        _run("PC5-2", 30, "LAB-PC5", 5, 2, "saved", "Data saved: C:\\data\\nback-5-2.edat") +
        _run("PC5-3", 10, "LAB-PC5", 5, 4, "saved", "Data saved: C:\\data\\nback-5-4.edat") +
        # A message with control characters, which the page shows as U+FFFD.
        _run("PC5-4", 5, "LAB-PC5", 6, 1, "ended", "E-Run\x00\x01\x0b\x1b ready") +
        # An aborted session run again with -A, its data file set aside first.
        _run("PC6-1", 4, "LAB-PC6", 7, 1, "not converted", "Data not converted") +
        [_row("PC6-2", 3, "LAB-PC6", 7, 1, "started", "Set aside: C:\\data\\nback-7-1.txt as "
              "C:\\data\\nback-7-1.aborted-1.txt"),
         _row("PC6-2", 2.5, "LAB-PC6", 7, 1, "saved", "Data saved")])
JOURNAL = ("\r\n".join([HEADER] + ROWS + ['PC9-1,"cut short']) + "\r\n").encode("latin-1")
LINES = ["Read 30 rows from journal.csv",
         "flanker.ebs: 0 saved, 0 not converted, 0 no data, 0 running",
         "nback.ebs: 6 saved, 1 not converted, 1 no data, 1 running",
         "Rows that cannot be read: 1 (the first is row 31)"]
SMALL = ("\r\n".join([HEADER] + _run("PC1-1", 5, "LAB-PC1", 1, 1)) + "\r\n").encode("latin-1")


def report(name, files, lines, exit=0, args=("-R", "journal.csv"), **more):
    return Case(name, list(args), BANNER + lines, exit=exit, files=files, **more)


def no_other_arguments(name, args, line="A report (-R) takes no other arguments"):
    return report(name, {"journal.csv": SMALL}, [line], exit=-1, args=args,
                  outputs={"journal.html": None})


# A study of 20,000 rows, for reports made at once.
LARGE = ("\r\n".join([HEADER] + [row for n in range(1, 10001)
                                  for row in _run("PC%d-%d" % (n % 8, n), 30 - n / 1000.0,
                                                  "LAB-PC%d" % (n % 8), n, 1, "saved")]) +
         "\r\n").encode("latin-1")


CASES = [
    report("report_of_a_study", {"journal.csv": JOURNAL}, LINES + ["Report: journal.html"],
           extra_files_ok=True,
           texts={"journal.html": [(b"nback-&lt;b&gt;&amp;x-1.edat", True), (b"<b>&x", False),
                                   (b"E-Run\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd ready", True),
                                   (b"\x1b", False),
                                   (b'<meta http-equiv="Content-Type" content="text/html; '
                                    b'charset=utf-8">', True)]}),
    # A message longer than a piece of the page, which goes to the file in pieces.
    report("report_longer_than_a_piece",
           {"journal.csv": ("\r\n".join([HEADER] + _run("PC1-1", 5, "LAB-PC1", 1, 1, "no data",
                                                         "<" + "x" * 80000 + ">")) +
                            "\r\n").encode("latin-1")},
           ["Read 2 rows from journal.csv", "nback.ebs: 0 saved, 0 not converted, 1 no data, "
            "0 running", "Report: journal.html"], extra_files_ok=True,
           texts={"journal.html": [(b"&lt;" + b"x" * 80000 + b"&gt;", True),
                                   (b"</body></html>\n", True)]}),
    report("report_journal_missing", {}, ["Couldn't read journal journal.csv"], exit=-1,
           outputs={"journal.csv": None, "journal.html": None}),
    report("report_not_a_journal", {"journal.csv": b"Subject,Session\r\n12,1\r\n"},
           ["Couldn't read journal journal.csv: its first line is not the journal's header"],
           exit=-1, outputs={"journal.html": None}),
    # A script named with ESC, which begins the console's commands: shown as ? there.
    report("report_control_character_on_the_console",
           {"journal.csv": SMALL.replace(b"nback.ebs", b"nb\x1back.ebs")},
           ["Read 1 rows from journal.csv",
            "nb?ack.ebs: 0 saved, 0 not converted, 0 no data, 1 running", "Report: journal.html"],
           extra_files_ok=True),
    report("report_cannot_be_written", {"journal.csv": SMALL, "journal.html/keep": b""},
           ["Read 1 rows from journal.csv", "nback.ebs: 0 saved, 0 not converted, 0 no data, "
            "1 running", "Couldn't write report journal.html"], exit=-1),
    # Anything beside -R and its journal, once -R's own value has passed its checks.
    no_other_arguments("report_takes_no_other_arguments", ("-R", "journal.csv", "-N")),
    no_other_arguments("report_takes_no_script", ("-R", "journal.csv", "nback.ebs")),
    no_other_arguments("report_takes_no_second_report", ("-R", "journal.csv", "-R", "j2.csv")),
    no_other_arguments("report_takes_no_bad_switch", ("nback.ebs", "-x", "/r", "journal.csv")),
    no_other_arguments("report_value_checked_first", ("-R", "x.edat", "nback.ebs"),
                       "The journal cannot be an .ebs or .edat file: x.edat"),
    # Six reports at once: a later one waits for an earlier one's page, then puts its own.
    Case("report_many_at_once", ["-R", "journal.csv"], None, files={"journal.csv": LARGE},
         many=(6, 4), extra_files_ok=True,
         texts={"journal.html": [(b"</table>\n</body></html>\n", True)]}),
    report("report_of_zeros", {"journal.csv": b"\0"},
           ["Couldn't read journal journal.csv: its first line is not the journal's header"],
           exit=-1, setup=lambda folder: os.truncate(os.path.join(folder, "journal.csv"), 8 << 20),
           outputs={"journal.html": None}),
]
