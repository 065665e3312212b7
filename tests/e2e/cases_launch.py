"""End-to-end cases of the E-Run launch: the registered open command of .ebs files,
the command line made from it, the start of E-Run and the wait for it. The stand-in
E-Run (tests/erun_standin.cc) writes the arguments it got to erun-record.txt."""

from e2e_support import BANNER, COMMON, NO_KEY, NO_VALUE, STANDIN, Case, Registry, at

SIMPLE = b"Sub Main()\r\n\tx = 1\r\nEnd Sub\r\n"
INSTALLED = "Was E-Prime installed properly?"
NO_KEY_LINES = ["Couldn't open ebsfile settings in registry", INSTALLED]
NO_VALUE_LINES = ["Couldn't get value for ebsfile\\shell\\open\\command in registry", INSTALLED]
NO_PLACEHOLDER_LINES = ["Couldn't locate file entry (%1) in registry settings", INSTALLED]
WAITED = ["Waiting for E-Run to finish", "E-Run ready"]
FAILED = ["E-Run failed"]


def sz(data):
    return Registry("REG_SZ", data)


def saved(script):
    return BANNER + ["Loaded 3 lines from " + script,
                     "Saved 3 lines in " + at(script[:-4] + "_tarvo.ebs")]


def launch(name, registry, launch_lines, exit=0, record=None, erun=STANDIN, script="x.ebs",
           **more):
    """A run of `script` (the small script above) without -N: the console lines after
    the save are `launch_lines`."""
    return Case(name, [script], saved(script) + launch_lines, exit=exit, registry=registry,
                erun=erun, erun_record=record, files={script: SIMPLE},
                outputs={script[:-4] + "_tarvo.ebs": SIMPLE}, **more)


def started(command_line):
    return ["Starting E-Run:", command_line]


def ran(command_line):
    return started(command_line) + WAITED


def record(*arguments):
    return ["[%s]" % a for a in arguments] + ["script readable"]


# A registered command and a script path that fit their limits (511 and 259 characters)
# but together make a command line of about 600.
LONG_OPTION = "/" + "p" * 300
LONG_SCRIPT = "s" * 200 + "/x.ebs"

CASES = [
    # The rows of the failure table.
    launch("launch_without_registry_key", NO_KEY, NO_KEY_LINES, exit=-1),
    launch("launch_key_without_default_value", NO_VALUE, NO_VALUE_LINES, exit=-1,
           platforms=("windows",)),
    launch("launch_number_value", Registry("REG_DWORD", "1"), NO_VALUE_LINES, exit=-1,
           platforms=("windows",)),
    launch("launch_value_too_long", sz('"' + "e" * 505 + '" "%1"'), NO_VALUE_LINES,
           exit=-1),
    launch("launch_unquoted_placeholder", sz('"{ERUN}" %1'), NO_PLACEHOLDER_LINES,
           exit=-1),
    launch("launch_empty_value", sz(""), NO_PLACEHOLDER_LINES, exit=-1),
    launch("launch_program_missing", sz('"{DIR}{/}missing.exe" "%1"'),
           started('"{DIR}{/}missing.exe"  /a "' + at("x_tarvo.ebs") + '"') + FAILED, exit=-1),
    launch("launch_erun_ran", COMMON, ran('"{ERUN}"  /a "' + at("x_tarvo.ebs") + '"'),
           record=record("/a", at("x_tarvo.ebs"))),

    # The registered command and the command line made from it.
    launch("launch_longest_value", sz('"' + "e" * 504 + '" "%1"'),
           started('"' + "e" * 504 + '"  /a "' + at("x_tarvo.ebs") + '"') + FAILED, exit=-1),
    launch("launch_value_begins_with_placeholder", sz('"%1" /x'),
           started('"" /a "' + at("x_tarvo.ebs") + '"') + FAILED, exit=-1),
    launch("launch_unquoted_program_keeps_its_blank", sz('{ERUN} "%1"'),
           ran('"{ERUN} " /a "' + at("x_tarvo.ebs") + '"'),
           record=record("/a", at("x_tarvo.ebs"))),
    launch("launch_further_arguments_dropped", sz('"{ERUN}" "%1" /x "%2"'),
           ran('"{ERUN}"  /a "' + at("x_tarvo.ebs") + '"'),
           record=record("/a", at("x_tarvo.ebs"))),
    launch("launch_arguments_before_placeholder_kept", sz('"{ERUN}" /x "a b" "%1"'),
           ran('"{ERUN}" /x "a b"  /a "' + at("x_tarvo.ebs") + '"'),
           record=record("/x", "a b", "/a", at("x_tarvo.ebs"))),
    launch("launch_expand_string_not_expanded",
           Registry("REG_EXPAND_SZ", '"{ERUN}" %TARVO_E2E% "%1"'),
           ran('"{ERUN}" %TARVO_E2E%  /a "' + at("x_tarvo.ebs") + '"'),
           record=record("%TARVO_E2E%", "/a", at("x_tarvo.ebs")),
           env={"TARVO_E2E": "expanded"}, platforms=("windows",)),
    launch("launch_paths_with_blanks", COMMON,
           ran('"{ERUN}"  /a "' + at("my exp/x_tarvo.ebs") + '"'),
           record=record("/a", at("my exp/x_tarvo.ebs")), erun="E Prime/" + STANDIN,
           script="my exp/x.ebs"),
    launch("launch_command_line_longer_than_value", sz('"{ERUN}" ' + LONG_OPTION + ' "%1"'),
           ran('"{ERUN}" ' + LONG_OPTION + '  /a "' + at(LONG_SCRIPT[:-4] + "_tarvo.ebs") + '"'),
           record=record(LONG_OPTION, "/a", at(LONG_SCRIPT[:-4] + "_tarvo.ebs")),
           script=LONG_SCRIPT),
    # E-Run starts in the script's folder, but a relative program path in the registry is
    # resolved against the folder Tarvo runs in, as before.
    launch("launch_relative_program_posix", sz('"./' + STANDIN + '" "%1"'),
           ran('"./' + STANDIN + '"  /a "' + at("exp/x_tarvo.ebs") + '"'),
           record=record("/a", at("exp/x_tarvo.ebs")), script="exp/x.ebs", platforms=("posix",)),
    launch("launch_relative_program_windows", sz('".\\' + STANDIN + '.exe" "%1"'),
           ran('".\\' + STANDIN + '.exe"  /a "' + at("exp/x_tarvo.ebs") + '"'),
           record=record("/a", at("exp/x_tarvo.ebs")), script="exp/x.ebs",
           platforms=("windows",)),
    Case("launch_not_with_n", ["x.ebs", "-N"], saved("x.ebs"), registry=COMMON, erun=STANDIN,
         files={"x.ebs": SIMPLE}, outputs={"x_tarvo.ebs": SIMPLE}),

    launch("launch_program_not_executable", sz('"{DIR}/x.ebs" "%1"'),
           started('"{DIR}/x.ebs"  /a "' + at("x_tarvo.ebs") + '"') + FAILED,
           exit=-1, platforms=("posix",)),
]
