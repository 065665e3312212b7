"""End-to-end cases of how the command line is read: which argument is what, the order
of the attributes, the switches that follow one another. Each is a dry run (-N) over a
script that sets three attributes, so the console lines show what was understood."""

from e2e_support import BANNER, USAGE, Case, at

NAMES = b'Sub Main()\r\n\tc.SetAttrib "S", "0"\r\n\tc.SetAttrib "a", "0"\r\nEnd Sub\r\n'


def dry(name, args, lines, script="x.ebs", warnings=(), platforms=("posix", "windows")):
    """A -N run over NAMES as x.ebs; `lines` come between its Loaded and Saved lines."""
    return Case(name, args + ["-N"],
                BANNER + list(warnings) + ["Loaded 4 lines from " + script] + lines +
                ["Saved 4 lines in " + at("x_tarvo.ebs")],
                files={"x.ebs": NAMES}, extra_files_ok=True, platforms=platforms)


def stops(name, args, lines, exit=-1, platforms=("posix", "windows")):
    return Case(name, args, BANNER + lines, exit=exit, files={"x.ebs": NAMES},
                outputs={"x_tarvo.ebs": None}, platforms=platforms)


CASES = [
    # Trimmed names and values; the first '=' divides; a later value replaces an earlier
    # one; byte order of the names, upper-case letters first.
    dry("attribute_definitions",
        ["x.ebs", " S = 5 ", "a=b=c", "E=", "S=1", "\tMy Attr\t=\tv w\r"],
        ["Couldn't set attribute value for E", "Couldn't set attribute value for My Attr",
         "Setting attribute value: S = 1", "Setting attribute value: a = b=c"],
        warnings=["Warning: setting attribute to empty value: E"]),
    # The first plain argument is the script, unless -I names it anywhere.
    dry("script_after_switches", ["-N", "a=1", "-Y", "-I", "x.ebs"],
        ["Setting attribute value: a = 1", "Couldn't find the startup info summary"]),
    dry("script_named_again", ["gone.ebs", "-I", "x.ebs"], []),
    dry("later_values_replace_earlier",
        ["x.ebs", "/f", "a.txt", "-F", "b.txt", "-o", "x", "-O", "C:\\d", "/y"],
        ["Couldn't set output filename to b.txt", "Couldn't set output path to C:\\d",
         "Couldn't find the startup info summary"]),
    stops("help_ignores_what_follows", ["x.ebs", "-H", "junk"], USAGE, exit=0),
    stops("double_dash", ["--"], USAGE),
    stops("bad_argument_before_bad_switch", ["x.ebs", "junk", "-x"],
          ["Missing '=' in attribute definition junk"]),
    stops("bad_switch_before_bad_argument", ["x.ebs", "-x", "junk"], USAGE),

    # POSIX: only a two-character argument that begins with '/' is a switch, so absolute
    # paths work; a lone "/" is the root folder. On Windows it is a bad switch.
    dry("slash_arguments_posix", ["{DIR}/x.ebs", "/f", "x.txt", "/O", "/"],
        ["Couldn't set output filename to x.txt", "Couldn't set output path to /"],
        script="{DIR}/x.ebs", platforms=("posix",)),
    stops("lone_slash_windows", ["x.ebs", "/"], USAGE, platforms=("windows",)),
]

# -B <name>=<value>,<value>,...: each value given, a name balanced once and given no value.
CASES += [stops("balanced_" + name, ["x.ebs", "S=1"] + args, [line]) for name, args, line in [
    ("without_equals", ["-B", "a"], "Missing '=' in -B value: a"),
    ("empty_value", ["-B", "a=1,,2"], "Missing value in -B value: a=1,,2"),
    ("quote", ["-B", 'a=1,"2"'], 'Double quote in -B value: a=1,"2"'),
    ("also_given", ["A=1", "-B", "a=1,2"], "Attribute given twice: a"),
    ("twice", ["-B", "a=1", "-B", "A=2"], "Attribute given twice: A"),
]]
