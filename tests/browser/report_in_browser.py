#!/usr/bin/env python3
"""The report (-R) of the end-to-end cases' study journal, loaded by headless Chromium as a
lab manager sees it at 1400 and at 1024 pixels: the top table of what needs attention,
with its links, comes before the grids; the grids stand side by side; each cell shows its
outcome, computer and date, and an aborted session's data set aside (-A); the next session
is the lowest one not saved; a hostile value and control characters show as text. Saves screenshots as report.png (1400 pixels, the
one docs/report.png shows) and report-1024.png in the build folder. Where Chromium is
missing it says so and is skipped (exit code 77), except under CI=true.

usage: report_in_browser.py PROGRAM BUILD_FOLDER
"""

import html.parser
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import cases_report  # noqa: E402

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"]
DAY = r" \d{4}-\d\d-\d\d"
# (row's first cell, the row's cells as the page shows them, as patterns)
ROWS = [
    ("0", ["0", "ended LAB-PC4" + DAY, "", "", "1"]),
    ("1", ["1", "saved LAB-PC1" + DAY, "saved LAB-PC1" + DAY, "", "3"]),
    ("2", ["2", "not converted LAB-PC2" + DAY, "running LAB-PC2" + DAY, "", "1"]),
    ("3", ["3", "interrupted LAB-PC3" + DAY, "", "", "1"]),
    ("5", ["5", "saved LAB-PC5" + DAY, "saved LAB-PC5" + DAY, "saved LAB-PC5" + DAY, "3"]),
    ("7", ["7", "saved LAB-PC6" + DAY + " not converted, set aside as nback-7-1.aborted-1.txt, "
           "then saved", "", "", "2"]),
]
TEXTS = [
    "Participants with a saved session: 3; sessions saved: 6; running now: 1; next Subject: 8",
    "nback.ebs, Subject 3, Session 1: open for more than 12 hours",
    "nback.ebs, Subject 2, Session 1: Data not converted:",
    "nback.ebs, Subject 0, Session 1: Subject 0, for which no data are logged",
    "Already saved, 1 time: Already saved: nback-1-1.edat",
    "Row 31",
    "C:\\data\\nback-<b>&x-1.edat",
    "nback.ebs, Subject 6, Session 1: E-Run\ufffd\ufffd\ufffd\ufffd ready",
]
# What needs attention, at the top: each list's title and count.
SUMMARY = [
    ["Aborted sessions without a later save (E-Recovery can convert them)", "1"],
    ["Interrupted runs: released by hand, or open for more than 12 hours", "1"],
    ["Rows that cannot be read", "1"],
]
# Loads the page in a frame and says where its parts are: [left, top, bottom, right] each.
HARNESS = """<!DOCTYPE html><html><body style="margin:0">
<iframe id="page" src="journal.html" style="width:%dpx;height:4000px;border:0"></iframe>
<pre id="out"></pre><script>
document.getElementById('page').onload = function () {
  var d = this.contentDocument;
  function boxes(selector) {
    return Array.prototype.map.call(d.querySelectorAll(selector), function (e) {
      var r = e.getBoundingClientRect();
      return [Math.round(r.left), Math.round(r.top), Math.round(r.bottom), Math.round(r.right)];
    });
  }
  document.getElementById('out').textContent =
      JSON.stringify({scripts: boxes('div.script'), tops: boxes('div.top')});
};
</script></body></html>"""


class Page(html.parser.HTMLParser):
    """The text of each table row, cell by cell, all text, the links and the ids."""

    def __init__(self):
        super().__init__()
        self.rows, self.text, self.links, self.ids = [], [], [], set()
        self._row, self._cell = None, None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        if tag == "a" and attrs.get("href", "").startswith("#"):
            self.links.append(attrs["href"][1:])
        if tag == "tr":
            self._row = []
        elif tag in ("td", "th"):
            self._cell = ""
        elif tag == "br" and self._cell is not None:
            self._cell += " "

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


def layout(folder, width):
    """Where the page's parts stand in a window `width` pixels wide."""
    with open(os.path.join(folder, "harness.html"), "w") as f:
        f.write(HARNESS % width)
    dom = chromium(folder, "--allow-file-access-from-files", "--virtual-time-budget=10000",
                   "--dump-dom", "file://" + os.path.join(folder, "harness.html"))
    found = re.search(r'<pre id="out">(.*?)</pre>', dom.stdout.decode("utf-8"), re.S)
    return json.loads(found.group(1)) if found else None


def check_page(folder):
    page = "file://" + os.path.join(folder, "journal.html")
    parsed = Page()
    parsed.feed(chromium(folder, "--dump-dom", page).stdout.decode("utf-8"))
    shown = {row[0]: row for row in parsed.rows if row}
    failures = []
    for first, cells in ROWS:
        row = shown.get(first)
        if row is None or len(row) != len(cells) or not all(
                re.fullmatch(cell, text) for cell, text in zip(cells, row)):
            failures.append("row %s: %r, expected %r" % (first, row, cells))
    text = "".join(parsed.text)
    failures += ["page lacks %r" % wanted for wanted in TEXTS if wanted not in text]
    failures += ["summary lacks %r" % row for row in SUMMARY if row not in parsed.rows]
    failures += ["link to #%s, which is nowhere" % link for link in parsed.links
                 if link not in parsed.ids]
    if len(parsed.links) != 7:
        failures.append("%d links at the top, expected 7" % len(parsed.links))
    return failures


def check_layout(folder, width, side_by_side):
    """What needs attention comes before the grids, which stand side by side where the
    window is wide enough and otherwise wrap at its edge."""
    where = layout(folder, width)
    if where is None or len(where["scripts"]) != 2 or len(where["tops"]) != 3:
        return ["at %d pixels: the page's parts not found: %r" % (width, where)]
    failures = []
    summary_bottom = where["tops"][1][2]
    if min(box[1] for box in where["scripts"]) < summary_bottom:
        failures.append("at %d pixels: a grid above the end of what needs attention" % width)
    first, second = where["scripts"]
    if (first[1] == second[1]) != side_by_side or max(first[3], second[3]) > width:
        failures.append("at %d pixels: the grids stand at %r" % (width, where["scripts"]))
    return failures


def main():
    program, build = sys.argv[1], sys.argv[2]
    if not (shutil.which("chromium") or shutil.which("chromium-browser")):
        if os.environ.get("CI") == "true":
            print("FAILED: Chromium is missing")
            return 1
        print("skipped: Chromium is missing (tools/install-deps.sh installs it)")
        return 77
    folder = tempfile.mkdtemp(prefix="tarvo-browser-")
    shots = [os.path.join(build, "report.png"), os.path.join(build, "report-1024.png")]
    try:
        with open(os.path.join(folder, "journal.csv"), "wb") as f:
            f.write(cases_report.JOURNAL)
        subprocess.run([program, "-R", "journal.csv"], cwd=folder, check=True,
                       stdout=subprocess.DEVNULL)
        failures = check_page(folder)
        for width, shot in zip([1400, 1024], shots):
            failures += check_layout(folder, width, width == 1400)
            chromium(folder, "--screenshot=" + shot, "--window-size=%d,1100" % width,
                     "file://" + os.path.join(folder, "journal.html"))
            if not os.path.isfile(shot):
                failures.append("no screenshot %s" % shot)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print(failure)
    print("report in the browser: %s (screenshots: %s)" % ("FAILED" if failures else "passed",
                                                           ", ".join(shots)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
