"""End-to-end cases: each row runs the program once in a fresh folder."""

import glob
import importlib
import os

import cases_rewrite
from e2e_support import BANNER, COMMON, STANDIN, USAGE, Case, at, fixture

RT = fixture("rt.ebs")
SIMPLE = b"Sub Main()\r\n\tx = 1\r\nEnd Sub\r\n"

# The program's own line when no script is named.
MISSING_SCRIPT = "Missing script specification"


def make_folder(name):
    return lambda folder: os.makedirs(os.path.join(folder, name))


def make_read_only(name):
    return lambda folder: os.chmod(os.path.join(folder, name), 0o444)


def link_to(target, name):
    return lambda folder: os.symlink(os.path.join(folder, target), os.path.join(folder, name))


def hard_link_to(target, name):
    return lambda folder: os.link(os.path.join(folder, target), os.path.join(folder, name))


def grow(name, size):
    """Makes the listed file `name` `size` bytes long, the added ones NUL and on no disk."""
    return lambda folder: os.truncate(os.path.join(folder, name), size)


def replace_by(name, make):
    """Puts something else in place of the listed file `name`: make(path)."""
    def setup(folder):
        os.remove(os.path.join(folder, name))
        make(os.path.join(folder, name))
    return setup


DATA_FILE = b'Sub Main()\r\n\tc.DataFile.Filename = "a.txt"\r\nEnd Sub\r\n'
DATA_FILE_SET = (b'Sub Main()\r\n\tc.DataFile.Filename = CStr("b.txt")   \' value set by Tarvo'
                 b'\r\nEnd Sub\r\n')


CASES = [
    # The command line, its checks and the usage screen.
    Case("no_arguments", [], BANNER + [MISSING_SCRIPT] + USAGE, exit=-1),
    Case("help_lower_case", ["-h"], BANNER + USAGE),
    Case("help_question_mark", ["/?"], BANNER + USAGE),
    Case("help_stops_parsing", ["x.ebs", "-H", "Subject=1"], BANNER + USAGE,
         files={"x.ebs": SIMPLE}, outputs={"x_tarvo.ebs": None}),
    Case("bad_switch", ["-x"], BANNER + USAGE, exit=-1),
    Case("lone_dash", ["-"], BANNER + USAGE, exit=-1),
    Case("switch_with_value_attached", ["-Fname"], BANNER + USAGE, exit=-1),
    Case("two_letter_switch", ["-FO"], BANNER + USAGE, exit=-1),
    Case("warning_before_bad_switch", ["x.ebs", "S=", "-q"],
         BANNER + ["Warning: setting attribute to empty value: S"] + USAGE, exit=-1),
    Case("attribute_before_script", ["Subject=1", "run.ebs"],
         BANNER + ["Missing '=' in attribute definition run.ebs"], exit=-1),
    Case("missing_equals_untrimmed", ["run.ebs", " Subject 1 "],
         BANNER + ["Missing '=' in attribute definition  Subject 1 "], exit=-1,
         files={"run.ebs": SIMPLE}, outputs={"run_tarvo.ebs": None}),
    Case("wrong_extension", ["run.txt"],
         BANNER + ["EBS-script requires extension .ebs: run.txt"], exit=-1),
    Case("short_extension", ["run.eb"],
         BANNER + ["EBS-script requires extension .ebs: run.eb"], exit=-1),
    Case("bare_ebs", ["ebs"], BANNER + ["EBS-script requires extension .ebs: ebs"], exit=-1),
    Case("later_e_prime_script", ["exp.EBS3", "-N"],
         BANNER + ["EBS-script requires extension .ebs: exp.EBS3",
                   "Scripts of E-Prime 2 and later (.ebs2, .ebs3) cannot be rewritten"], exit=-1,
         files={"exp.EBS3": b"\xff\xfe<\x00?\x00"}, outputs={"exp_tarvo.ebs": None}),
    Case("later_e_prime_script_2", ["exp.ebs2"],
         BANNER + ["EBS-script requires extension .ebs: exp.ebs2",
                   "Scripts of E-Prime 2 and later (.ebs2, .ebs3) cannot be rewritten"], exit=-1),
    Case("not_quite_later_script", ["exp.ebs4"],
         BANNER + ["EBS-script requires extension .ebs: exp.ebs4"], exit=-1),
    Case("empty_script_argument", [""], BANNER + ["EBS-script requires extension .ebs: "],
         exit=-1),
    Case("script_only_switches", ["-N", "-F", "a.txt"],
         BANNER + [MISSING_SCRIPT] + USAGE, exit=-1),
    Case("output_path_too_long", ["d" * 300 + ".ebs"],
         BANNER + ["Couldn't create full path for new script " + "d" * 300 + "_tarvo.ebs"],
         exit=-1),

    # Load and save.
    # Without changes asked for, only the calls of the script's own routines go in.
    Case("copy_without_changes", ["rt.ebs", "-N"],
         BANNER + ["Loaded 300 lines from rt.ebs"] + cases_rewrite.HOOKS +
         ["Saved 303 lines in " + at("rt_tarvo.ebs")],
         files={"rt.ebs": RT}, outputs={"rt_tarvo.ebs": cases_rewrite.RT_HOOKS}),
    Case("upper_case_extension", ["RUN.EBS", "-N"],
         BANNER + ["Loaded 3 lines from RUN.EBS", "Saved 3 lines in " + at("RUN_tarvo.ebs")],
         files={"RUN.EBS": SIMPLE}, outputs={"RUN_tarvo.ebs": SIMPLE}),
    Case("extension_only", [".ebs", "-N"],
         BANNER + ["Loaded 3 lines from .ebs", "Saved 3 lines in " + at("_tarvo.ebs")],
         files={".ebs": SIMPLE}, outputs={"_tarvo.ebs": SIMPLE}),
    Case("script_in_subfolder", ["-N", "-I", "exp/sub/../r.ebs"],
         BANNER + ["Loaded 3 lines from exp/sub/../r.ebs",
                   "Saved 3 lines in " + at("exp/r_tarvo.ebs")],
         files={"exp/r.ebs": SIMPLE, "exp/sub/keep": b""},
         outputs={"exp/r_tarvo.ebs": SIMPLE}),
    Case("missing_script", ["gone.ebs", "-N"],
         BANNER + ["Couldn't open gone.ebs"], exit=-1, outputs={"gone_tarvo.ebs": None}),
    # More than 64 MiB is no script, and more than the 32-bit program could hold as lines:
    # not even its first line is read.
    Case("script_too_large", ["big.ebs", "-N"], BANNER + ["Couldn't load line 1 from big.ebs"],
         exit=-1, files={"big.ebs": SIMPLE}, setup=grow("big.ebs", 64 * 1024 * 1024 + 1),
         unchanged=False, outputs={"big_tarvo.ebs": None}),
    Case("folder_as_script", ["dir.ebs"], BANNER + ["Couldn't open dir.ebs"], exit=-1,
         setup=make_folder("dir.ebs"), extra_files_ok=True, outputs={"dir_tarvo.ebs": None}),
    Case("output_taken_by_folder", ["x.ebs", "-N"],
         BANNER + ["Loaded 3 lines from x.ebs", "Couldn't open " + at("x_tarvo.ebs")],
         exit=-1, files={"x.ebs": SIMPLE}, setup=make_folder("x_tarvo.ebs"),
         extra_files_ok=True),
    Case("output_read_only", ["x.ebs", "-N"],
         BANNER + ["Loaded 3 lines from x.ebs", "Couldn't open " + at("x_tarvo.ebs")],
         exit=-1, files={"x.ebs": SIMPLE, "x_tarvo.ebs": b"earlier\r\n"},
         setup=make_read_only("x_tarvo.ebs")),
    Case("failed_save_stops_run", ["x.ebs"],
         BANNER + ["Loaded 3 lines from x.ebs", "Couldn't open " + at("x_tarvo.ebs")],
         exit=-1, files={"x.ebs": SIMPLE}, setup=make_folder("x_tarvo.ebs"),
         extra_files_ok=True),
    Case("earlier_output_replaced", ["x.ebs", "-N"],
         BANNER + ["Loaded 3 lines from x.ebs", "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": SIMPLE, "x_tarvo.ebs": b"old\r\n" * 50},
         outputs={"x_tarvo.ebs": SIMPLE}),
    Case("link_to_input_replaced_not_followed", ["x.ebs", "-N", "-F", "b.txt"],
         BANNER + ["Loaded 3 lines from x.ebs", "Setting output filename to b.txt",
                   "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": DATA_FILE}, setup=link_to("x.ebs", "x_tarvo.ebs"),
         outputs={"x_tarvo.ebs": DATA_FILE_SET}, platforms=("posix",)),

    # Inputs that are no files, outputs that are links.
    # Only a disk file is read: a device or a pipe could block or never end.
    Case("input_is_dev_null", ["x.ebs", "-N"], BANNER + ["Couldn't open x.ebs"], exit=-1,
         files={"x.ebs": b""}, setup=replace_by("x.ebs", lambda p: os.symlink("/dev/null", p)),
         outputs={"x_tarvo.ebs": None}, platforms=("posix",)),
    Case("input_is_dev_zero", ["x.ebs", "-N"], BANNER + ["Couldn't open x.ebs"], exit=-1,
         files={"x.ebs": b""}, setup=replace_by("x.ebs", lambda p: os.symlink("/dev/zero", p)),
         outputs={"x_tarvo.ebs": None}, platforms=("posix",)),
    Case("input_is_named_pipe_without_writer", ["x.ebs", "-N"], BANNER + ["Couldn't open x.ebs"],
         exit=-1, files={"x.ebs": b""}, setup=replace_by("x.ebs", os.mkfifo),
         outputs={"x_tarvo.ebs": None}, platforms=("posix",)),
    Case("hard_link_to_input_replaced", ["x.ebs", "-N", "-F", "b.txt"],
         BANNER + ["Loaded 3 lines from x.ebs", "Setting output filename to b.txt",
                   "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": DATA_FILE}, setup=hard_link_to("x.ebs", "x_tarvo.ebs"),
         outputs={"x_tarvo.ebs": DATA_FILE_SET}, platforms=("posix",)),
    Case("dangling_link_replaced", ["x.ebs", "-N"],
         BANNER + ["Loaded 3 lines from x.ebs", "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": SIMPLE}, setup=link_to("gone/x_tarvo.ebs", "x_tarvo.ebs"),
         outputs={"x_tarvo.ebs": SIMPLE}, platforms=("posix",)),
    Case("absolute_posix_path", ["{DIR}/x.ebs", "/N"],
         BANNER + ["Loaded 3 lines from {DIR}/x.ebs", "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": SIMPLE}, outputs={"x_tarvo.ebs": SIMPLE}, platforms=("posix",)),
    Case("absolute_windows_path", ["{DIR}\\x.ebs", "/N"],
         BANNER + ["Loaded 3 lines from {DIR}\\x.ebs", "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": SIMPLE}, outputs={"x_tarvo.ebs": SIMPLE}, platforms=("windows",)),
    Case("long_slash_argument_is_switch_on_windows", ["/data"], BANNER + USAGE, exit=-1,
         platforms=("windows",)),
]

# Every further module cases_<topic>.py beside this one adds its CASES.
for path in sorted(glob.glob(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                          "cases_*.py"))):
    CASES += importlib.import_module(os.path.basename(path)[:-3]).CASES
