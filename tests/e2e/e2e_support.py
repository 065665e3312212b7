"""Case model for the end-to-end tests: one case is a command line, the files it starts
with, the console lines and exit code it must give, and the bytes of the files it must
leave. Placeholders in arguments, console lines and environment values:
  {DIR}  the absolute path of the case's folder, in the platform's own form
  {/}    the platform's path separator
  {ERUN} the absolute path of the case's copy of the stand-in E-Run (field `erun`)
  {VERSION} the program's version, as the build gives it
In an expected console line or journal field, {ANY} stands for any text (a time, a process
number).
"""

import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "fixtures")

BANNER = ["Tarvo Version {VERSION}", ""]


def fixture(name):
    """The bytes of a file under fixtures/."""
    with open(os.path.join(FIXTURES, name), "rb") as f:
        return f.read()


def fixture_lines(name):
    return fixture(name).decode("latin-1").split("\n")[:-1]


USAGE = fixture_lines("usage.txt")


def matches(expected, actual):
    """Whether `actual` is the `expected` text, in which {ANY} stands for any text."""
    if "{ANY}" not in expected:
        return expected == actual
    pattern = ".*".join(re.escape(part) for part in expected.split("{ANY}"))
    return re.fullmatch(pattern, actual, re.S) is not None


def at(name):
    """A file's absolute path in the case folder, as the program prints it."""
    return "{DIR}{/}" + name.replace("/", "{/}")


class Registry:
    """The registered open command of .ebs files (the default value of
    HKEY_CLASSES_ROOT\\ebsfile\\shell\\open\\command) that a case runs with: kind is
    "REG_SZ", "REG_EXPAND_SZ" or "REG_DWORD" with its data (placeholders allowed),
    or one of NO_KEY and NO_VALUE. On Windows it is written into the Wine prefix's
    registry with reg.exe and deleted afterwards; on POSIX a REG_SZ value is the variable
    TARVO_EBS_OPEN_COMMAND, NO_KEY leaves it unset, and the other kinds have no stand-in:
    such cases run on Windows only."""

    def __init__(self, kind, data=""):
        self.kind = kind
        self.data = data


NO_KEY = Registry("no key")
NO_VALUE = Registry("no value")
# E-Prime's usual registration, with the stand-in E-Run copied into the case folder as STANDIN.
COMMON = Registry("REG_SZ", '"{ERUN}" "%1"')
STANDIN = "erun_standin"
ERUN_RECORD = "erun-record.txt"


SECOND_RUN_ENDED = "second-run-ended"
# An `erun_record` of a case whose stand-in E-Run ran more than once, which is not checked.
ANY_RECORD = "any record"


class Run:
    """A second run of the program, started in the same folder once the case's own run
    has printed `after` (and, with `kill_first`, has been killed), and checked by its
    console lines and exit code. When it has ended, the file SECOND_RUN_ENDED is made in
    the folder (the stand-in E-Run can wait for it: ERUN_STANDIN_WAIT_FOR). In `steps`, a
    run with variables of its own (`env`) beside the case's."""

    def __init__(self, args, stdout, exit=0, after="Waiting for E-Run to finish",
                 kill_first=False, env=None):
        self.args = args
        self.stdout = stdout
        self.exit = exit
        self.after = after
        self.kill_first = kill_first
        self.env = env or {}


# What `steps` do while the case's own run waits for its E-Run, once it has printed "Waiting
# for E-Run to finish": a Run; KILL the case's run (its E-Run goes on); PRESS_CTRL_C (SIGINT
# to the case's run, whose next line must be the one given); END_ERUN (make SECOND_RUN_ENDED
# and wait until the stand-in E-Run has ended); SORT_JOURNAL (the journal's rows sorted by
# a column, as a spreadsheet sorts them).
KILL = ("kill",)
END_ERUN = ("end E-Run",)


def press_ctrl_c(line):
    return ("Ctrl+C", line)


def sort_journal(name, column):
    return ("sort", name, column)


class Case:
    def __init__(self, name, args, stdout, exit=0, files=None, outputs=None, env=None,
                 platforms=("posix", "windows"), setup=None, unchanged=True,
                 extra_files_ok=False, registry=None, erun=None, erun_record=None,
                 second=None, journal=None, many=None, reader_leaves_after=None,
                 run_in="", texts=None, steps=None):
        self.name = name
        self.args = args
        self.stdout = stdout
        self.exit = exit
        self.files = files or {}          # path -> bytes, written before the run
        self.outputs = outputs or {}      # path -> bytes, or None for "must not exist"
        self.env = env or {}
        self.platforms = platforms
        self.setup = setup                # callable(folder) for links, modes, folders
        self.unchanged = unchanged        # input files not in outputs keep their bytes
        self.extra_files_ok = extra_files_ok  # else no file beyond inputs and outputs
        # A case that gets as far as starting E-Run must give `registry`: the Windows
        # registry is shared by all cases, which therefore take turns with it.
        self.registry = registry
        self.erun = erun                  # where the stand-in E-Run is copied, or None
        self.erun_record = erun_record    # the stand-in's record lines; None: it never ran
        self.second = second              # a Run beside the case's own, or None
        # (name, rows): the journal of runs the case leaves, see journal_check.check_journal
        self.journal = journal
        # (threads, runs): the command run so many times at once instead of once, each
        # with "{N}" in its arguments and variables the run's number; checked only by its
        # journal (named by `journal`) and the exit codes
        self.many = many
        # POSIX: the run starts with SIGINT ignored, as under nohup, and whoever reads its
        # output stops reading after so many lines, as `| head` does
        self.reader_leaves_after = reader_leaves_after
        self.run_in = run_in              # the folder, within the case's, the run starts in
        # path -> [(bytes, present)]: texts an output file must hold, or must not hold
        self.texts = texts or {}
        self.steps = steps                # see KILL and the others above
