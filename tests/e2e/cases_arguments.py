"""End-to-end cases of arguments the run cannot use: each ends the run with its line and
exit code -1 before anything is read, written or started."""

from e2e_support import BANNER, Case, at

GROUP = b'Sub Main()\r\n\tc.SetAttrib "Group", "a"\r\nEnd Sub\r\n'


def refused(name, args, line, platforms=("posix", "windows")):
    return Case(name, args, BANNER + [line], exit=-1, files={"x.ebs": GROUP},
                outputs={"x_tarvo.ebs": None}, platforms=platforms)


def variable(name, value, line, platforms=("posix", "windows")):
    """A dry run with the journal named by the variable TARVO_JOURNAL: checked as -L is."""
    return Case(name, ["x.ebs", "-N"], BANNER + [line], exit=-1, files={"x.ebs": GROUP},
                outputs={"x_tarvo.ebs": None}, env={"TARVO_JOURNAL": value}, platforms=platforms)


def device(name):
    return Case("device_" + name.lower(), [name + ".ebs", "-N"],
                BANNER + ["Couldn't open %s.ebs" % name], exit=-1, platforms=("windows",))


CASES = [
    refused("missing_value_at_end", ["x.ebs", "-N", "-F"], "Missing value for -F"),
    # "-O %DATADIR% Subject=1" with the variable unset.
    refused("missing_value_switch_follows", ["x.ebs", "/o", "-N", "Subject=1"],
            "Missing value for -O"),
    refused("missing_value_empty", ["-N", "-I", "", "x.ebs"], "Missing value for -I"),
    refused("line_break_in_attribute_value", ["x.ebs", "-N", "Group=1\nEnd Sub"],
            "Line break in argument 3"),
    refused("line_break_in_folder", ["x.ebs", "-O", "C:\\data\r\nx"], "Line break in argument 3"),
    # cmd's trap: in -O "C:\My Data\" Subject=12 the backslash keeps the quote open.
    refused("double_quote_in_folder", ["x.ebs", "-O", 'C:\\My Data" Subject=12', "-N"],
            'Double quote in -O value: C:\\My Data" Subject=12'),
    refused("double_quote_in_file_name", ["x.ebs", "-F", 'a"b.txt', "-N"],
            'Double quote in -F value: a"b.txt'),
    # cmd's trap for a value: Group="C:\dir\" Subject=12 -N gives one argument.
    refused("double_quote_in_value", ["x.ebs", 'Group=C:\\dir" Subject=12 -N'],
            'Double quote in attribute definition: Group=C:\\dir" Subject=12 -N'),
    refused("double_quote_in_name", ["x.ebs", '"Group"=1', "-N"],
            'Double quote in attribute definition: "Group"=1'),
    refused("control_character_in_value", ["x.ebs", "-N", "Group=a\x1ab"],
            "Control character in argument 3"),
    refused("control_character_in_folder", ["x.ebs", "-O", "C:\\d\x7f"],
            "Control character in argument 3"),
    refused("blank_folder", ["x.ebs", "-O", "  ", "-N"], "Missing value for -O"),
    refused("blank_journal", ["x.ebs", "-L", "\t", "-N"], "Missing value for -L"),
    variable("blank_journal_variable", " ", "Missing value for TARVO_JOURNAL"),
    variable("journal_variable_edat", "x-1.EDAT.", "The journal cannot be an .ebs or .edat file: x-1.EDAT."),
    variable("journal_variable_invalid", "j?.csv", "Invalid character in TARVO_JOURNAL value: j?.csv"),
    variable("journal_variable_outside_code_page", "C:\\\u03a9.csv",
             "The variable TARVO_JOURNAL has characters outside the ANSI code page",
             platforms=("windows",)),
    refused("invalid_character_in_file_name", ["x.ebs", "-F", "s?.txt", "-N"],
            "Invalid character in -F value: s?.txt"),
    refused("invalid_character_in_folder", ["x.ebs", "-O", "C:\\a|b", "-N"],
            "Invalid character in -O value: C:\\a|b"),
    # A drive without a folder means that drive's current folder: E-Run's, not ours.
    refused("drive_relative_folder", ["x.ebs", "-O", "D:", "-N"], "Drive-relative path in -O value: D:"),
    refused("drive_relative_file_name", ["x.ebs", "-F", "c:x.txt"],
            "Drive-relative path in -F value: c:x.txt"),
    # Within one argument: line break, control character, double quote, invalid character;
    # the first argument that is refused decides.
    refused("line_break_before_control_character", ["x.ebs", "G\x01=a\nb"],
            "Line break in argument 2"),
    refused("control_character_before_quote", ["x.ebs", 'G"=\x02'], "Control character in argument 2"),
    refused("quote_before_invalid_character", ["x.ebs", "-O", 'a"*'], 'Double quote in -O value: a"*'),
    refused("first_refused_argument_decides", ["x.ebs", "-O", "a*", 'G"=1'],
            "Invalid character in -O value: a*"),
    # Names match blank- and case-blind: two spellings of one name would set it twice.
    # "%NAME%=5" with the variable unset.
    refused("missing_attribute_name", ["x.ebs", "-N", " =5"], "Missing attribute name in argument 3"),
    refused("attribute_given_twice", ["x.ebs", "Subject=2", "subject=1", "-N"],
            "Attribute given twice: subject"),
    refused("attribute_given_twice_with_blanks", ["x.ebs", "Session =3", "Ses sion=4"],
            "Attribute given twice: Ses sion"),

    # Windows: a character of the command line that the ANSI code page (here 1252) cannot
    # hold ends the run, checked before parsing; one it holds goes in as its byte.
    refused("outside_code_page", ["x.ebs", "-N", "Group=\u03a9"],
            "Argument 3 has characters outside the ANSI code page", platforms=("windows",)),
    refused("outside_code_page_before_parsing", ["-H", "-O", "C:\\\u0141\u00f3d\u017a"],
            "Argument 3 has characters outside the ANSI code page", platforms=("windows",)),
    Case("inside_code_page", ["x.ebs", "-N", "Group=\u00e9"],
         BANNER + ["Loaded 3 lines from x.ebs", "Setting attribute value: Group = \xe9",
                   "Saved 3 lines in " + at("x_tarvo.ebs")],
         files={"x.ebs": GROUP},
         outputs={"x_tarvo.ebs": GROUP.replace(b'"a"', b'"\xe9"   \' value set by Tarvo')},
         platforms=("windows",)),

    # Windows: a relative script path in a folder that the code page cannot hold.
    Case("current_folder_outside_code_page", ["..\\x.ebs", "-N"],
         BANNER + ["The current folder has characters outside the ANSI code page"], exit=-1,
         files={"x.ebs": GROUP, "\u03a9/keep": b""}, run_in="\u03a9",
         outputs={"x_tarvo.ebs": None}, platforms=("windows",)),
    # Windows: these names are devices, whatever their extension; reading one can hang.
    device("CON"), device("AUX"), device("COM1"), device("NUL"),
]
