#!/usr/bin/env python3
"""The report (-R) of the end-to-end cases' study journal, loaded by headless Chromium: the
rendered page must show the grid's cells, the next sessions and the attention items, and a
hostile value as text. Saves a screenshot as report.png in the build folder. Where Chromium
is missing it says so and is skipped (exit code 77), except under CI=true.

usage: report_in_browser.py PROGRAM BUILD_FOLDER
"""

import html.parser
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import cases_report  # noqa: E402

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"]
# (row's first cell, the row's cells as the page shows them)
ROWS = [
    ("1", ["1", "saved", "saved", "3"]),
    ("2", ["2", "not converted", "running", "1"]),
    ("3", ["3", "interrupted", "", "1"]),
    ("4", ["4", "no data", "", "1"]),
]
TEXTS = [
    "nback.ebs, Subject 3, Session 1: interrupted; its computer has started another run since",
    "nback.ebs, Subject 2, Session 1: Data not converted:",
    "nback.ebs, Subject 0, Session 1: Subject 0, for which no data are logged",
    "Already saved, 1 time: Already saved: nback-1-1.edat",
    "Row 19",
    "C:\\data\\nback-<b>&x-1.edat",
]


class Rows(html.parser.HTMLParser):
    """The text of each table row, cell by cell, and all text."""

    def __init__(self):
        super().__init__()
        self.rows, self.text, self._row, self._cell = [], [], None, None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self._row = []
        elif tag in ("td", "th"):
            self._cell = ""

    def handle_endtag(self, tag):
        if tag in ("td", "th") and self._row is not None:
            self._row.append(self._cell.replace("\xa0", " ").strip())
            self._cell = None
        elif tag == "tr":
            self.rows.append(self._row)
            self._row = None

    def handle_data(self, data):
        self.text.append(data)
        if self._cell is not None:
            self._cell += data


def chromium(folder, *args):
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    profile = tempfile.mkdtemp(dir=folder)
    return subprocess.run([browser] + FLAGS + ["--user-data-dir=" + profile] + list(args),
                          capture_output=True, timeout=180)


def main():
    program, build = sys.argv[1], sys.argv[2]
    if not (shutil.which("chromium") or shutil.which("chromium-browser")):
        if os.environ.get("CI") == "true":
            print("FAILED: Chromium is missing")
            return 1
        print("skipped: Chromium is missing (tools/install-deps.sh installs it)")
        return 77
    folder = tempfile.mkdtemp(prefix="tarvo-browser-")
    try:
        journal = os.path.join(folder, "journal.csv")
        with open(journal, "wb") as f:
            f.write(cases_report.JOURNAL)
        subprocess.run([program, "-R", "journal.csv"], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        page = "file://" + os.path.join(folder, "journal.html")
        dom = chromium(folder, "--dump-dom", page)
        parsed = Rows()
        parsed.feed(dom.stdout.decode("utf-8"))
        shown = {row[0]: row for row in parsed.rows if row}
        failures = ["row %s: %r, expected %r" % (first, shown.get(first), cells)
                    for first, cells in ROWS if shown.get(first) != cells]
        text = "".join(parsed.text)
        failures += ["page lacks %r" % wanted for wanted in TEXTS if wanted not in text]
        shot = os.path.join(build, "report.png")
        chromium(folder, "--screenshot=" + shot, "--window-size=1000,1500", page)
        if not os.path.isfile(shot):
            failures.append("no screenshot")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print(failure)
    print("report in the browser: %s (screenshot: %s)" % ("FAILED" if failures else "passed", shot))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
