#!/usr/bin/env python3
"""Runs one end-to-end case (see e2e_support.py) against the built program."""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cases import CASES  # noqa: E402
import journal_check  # noqa: E402
from e2e_support import (ANY_RECORD, END_ERUN, ERUN_RECORD, KILL, SECOND_RUN_ENDED, Run,  # noqa: E402
                         matches)

EXIT_CODES = {-1: 255}
OPEN_COMMAND_KEY = "HKEY_CLASSES_ROOT\\ebsfile\\shell\\open\\command"
# On POSIX this variable stands in for the registry's open command.
OPEN_COMMAND_VARIABLE = "TARVO_EBS_OPEN_COMMAND"


def native_dir(folder, platform):
    if platform == "windows":
        return "Z:" + folder.replace("/", "\\")
    return folder


def expand(text, folder, platform, erun="", version=""):
    sep = "\\" if platform == "windows" else "/"
    text = text.replace("{ERUN}", erun).replace("{VERSION}", version)
    return text.replace("{DIR}", native_dir(folder, platform)).replace("{/}", sep)


def erun_copy(case, platform):
    """Where the case's stand-in E-Run goes, relative to its folder, or None."""
    if not case.erun:
        return None
    return case.erun + (".exe" if platform == "windows" else "")


def wine_reg(emulator, *args):
    # No pipes: Wine's helper processes, started by whichever call comes first, would
    # hold them open for as long as the Wine server runs.
    return subprocess.run([emulator, "reg"] + list(args), stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=120).returncode


def set_up_registry(case, folder, args, env, data):
    """Gives the case its registry; returns a failure text or None."""
    if args.platform == "posix":
        env.pop(OPEN_COMMAND_VARIABLE, None)
        if case.registry is None or case.registry.kind == "no key":
            return None
        if case.registry.kind != "REG_SZ":
            return "%s has no stand-in on POSIX: the case runs on Windows only" % (
                case.registry.kind)
        env[OPEN_COMMAND_VARIABLE] = data
        return None
    if case.registry is None:
        return None
    wine_reg(args.emulator, "delete", "HKCR\\ebsfile", "/f")
    if case.registry.kind == "no key":
        return None
    command = ["add", OPEN_COMMAND_KEY, "/f"]
    if case.registry.kind != "no value":
        command += ["/ve", "/t", case.registry.kind, "/d", data]
    if wine_reg(args.emulator, *command) != 0:
        return "reg add failed: %r" % command
    # reg.exe gives a new key an empty default value; "no value" means none at all.
    if case.registry.kind == "no value" and wine_reg(
            args.emulator, "delete", OPEN_COMMAND_KEY, "/ve", "/f") != 0:
        return "reg delete /ve failed"
    return None


def tear_down_registry(case, args):
    if args.platform == "windows" and case.registry is not None:
        wine_reg(args.emulator, "delete", "HKCR\\ebsfile", "/f")


def run_beside(command, second, folder, env, args, fill):
    """Runs `command` and, once it has printed the line `second.after`, the second run to
    its end (after killing the first, with `second.kill_first`); then lets the first finish,
    and a stand-in E-Run that outlives a killed first run write its record. Returns both
    results."""
    first = subprocess.Popen(command, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    seen = b""
    for line in iter(first.stdout.readline, b""):
        seen += line
        if line.rstrip(b"\r\n") == second.after.encode("latin-1"):
            break
    if second.kill_first:
        first.kill()
        first.wait(timeout=120)
    second_command = command[:command.index(args.program) + 1] + [fill(a) for a in second.args]
    other = subprocess.run(second_command, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                           capture_output=True, timeout=120)
    open(os.path.join(folder, SECOND_RUN_ENDED), "wb").close()
    rest, err = first.communicate(timeout=120)
    record = os.path.join(folder, ERUN_RECORD)
    for _ in range(600 if second.kill_first else 0):
        if os.path.exists(record):
            time.sleep(0.5)  # written at once, but give it time to close
            break
        time.sleep(0.1)
    return subprocess.CompletedProcess(command, first.returncode, seen + rest, err), other


def wait_for_erun(folder):
    """Lets the stand-in E-Run go on and waits until it has ended (its record is there)."""
    open(os.path.join(folder, SECOND_RUN_ENDED), "wb").close()
    record = os.path.join(folder, ERUN_RECORD)
    for _ in range(600):
        if os.path.exists(record):
            time.sleep(0.5)  # written at once, but give it time to end
            return
        time.sleep(0.1)


def sort_rows(path, column):
    """Sorts the journal's rows by one of its columns, keeping the order of equal ones."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    header, rows = lines[0], [line for line in lines[1:] if line]
    place = header.split(b",").index(column.encode())
    rows.sort(key=lambda line: next(journal_check.csv.reader([line.decode("latin-1")]))[place])
    with open(path, "wb") as f:
        f.write(b"\r\n".join([header] + rows) + b"\r\n")


def run_steps(command, case, folder, env, args, fill, failures):
    """Runs `command` and, once it waits for E-Run, the case's steps; then lets it finish."""
    first = subprocess.Popen(command, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    seen = b""
    for line in iter(first.stdout.readline, b""):
        seen += line
        if line.rstrip(b"\r\n") == b"Waiting for E-Run to finish":
            break
    ended = False
    for number, step in enumerate(case.steps, 1):
        if isinstance(step, Run):
            step_env = dict(env, **{k: fill(v) for k, v in step.env.items()})
            step_command = command[:command.index(args.program) + 1] + [fill(a) for a in step.args]
            other = subprocess.run(step_command, cwd=folder, env=step_env,
                                   stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
            check_run(failures, other, step.stdout, step.exit, args, fill, "run %d: " % number)
        elif step == KILL:
            first.kill()
            first.wait(timeout=120)
        elif step == END_ERUN:
            wait_for_erun(folder)
            ended = True
        elif step[0] == "Ctrl+C":
            first.send_signal(signal.SIGINT)
            line = first.stdout.readline()
            seen += line
            if line.rstrip(b"\r\n") != fill(step[1]).encode("latin-1"):
                failures.append("step %d: after Ctrl+C %r" % (number, line))
        elif step[0] == "sort":
            sort_rows(os.path.join(folder, step[1]), step[2])
    if not ended:
        wait_for_erun(folder)
    rest, err = first.communicate(timeout=120)
    return subprocess.CompletedProcess(command, first.returncode, seen + rest, err)


def run_with_reader_leaving(command, folder, env, lines):
    """Runs `command` with SIGINT ignored and stops reading its output after `lines` lines."""
    run = subprocess.Popen(command, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_IGN))
    seen = b"".join(run.stdout.readline() for _ in range(lines))
    run.stdout.close()
    err = run.stderr.read()
    run.wait(timeout=120)
    return subprocess.CompletedProcess(command, run.returncode, seen, err)


def check_run(failures, result, stdout, exit, args, fill, what=""):
    """Checks a run's console lines and exit code."""
    out = result.stdout.decode("latin-1")
    if args.platform == "windows":
        if out.replace("\r\n", "") .count("\n"):
            failures.append(what + "console line without CR LF")
        out = out.replace("\r\n", "\n")
    actual = out.split("\n")
    if actual and actual[-1] == "":
        actual.pop()
    else:
        failures.append(what + "last console line has no line end")
    expected = [fill(line) for line in stdout]
    if len(actual) != len(expected) or not all(map(matches, expected, actual)):
        failures.append(what + diff_lines(expected, actual))
    if args.platform == "posix" and result.stderr:
        failures.append(what + "standard error: %r" % result.stderr[:500])
    want_exit = EXIT_CODES.get(exit, exit)
    if result.returncode != want_exit:
        failures.append(what + "exit code %d, expected %d" % (result.returncode, want_exit))
        if args.platform == "windows" and result.stderr:
            failures.append(what + "standard error: %r" % result.stderr[:500])


def run_once(command, folder, env, args):
    """Runs the program; under Wine, again once if Wine itself failed to start it.

    Tarvo exits with 0 or -1 only and prints a line before either; exit code 1 with
    nothing printed is Wine's loader giving up on a loaded machine, not the program."""
    for _ in range(2):
        result = subprocess.run(command, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=120)
        if args.platform != "windows" or result.returncode != 1 or result.stdout:
            break
    return result


def list_files(folder):
    found = set()
    for root, dirs, files in os.walk(folder):
        for name in files + [d for d in dirs if os.path.islink(os.path.join(root, d))]:
            found.add(os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/"))
    return found


def run_case(case, args):
    failures = []
    folder = tempfile.mkdtemp(prefix="tarvo-e2e-")
    try:
        for name, data in case.files.items():
            path = os.path.join(folder, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        if case.setup:
            case.setup(folder)
        before = {name: open(os.path.join(folder, name), "rb").read()
                  for name in case.files if os.path.isfile(os.path.join(folder, name))}

        erun = ""
        if erun_copy(case, args.platform):
            erun = os.path.join(folder, erun_copy(case, args.platform))
            os.makedirs(os.path.dirname(erun), exist_ok=True)
            shutil.copy2(args.erun_standin, erun)
            erun = expand("{DIR}{/}" + erun_copy(case, args.platform).replace("/", "{/}"),
                          folder, args.platform)

        def fill(text):
            return expand(text, folder, args.platform, erun, args.version)

        command = ([args.emulator] if args.emulator else []) + [args.program]
        command += [fill(a) for a in case.args]
        env = dict(os.environ)
        registry_failure = set_up_registry(
            case, folder, args, env, fill(case.registry.data) if case.registry else "")
        if registry_failure:
            return [registry_failure]
        if args.platform == "windows":
            # Wine reads the Unix arguments in the locale's character set.
            for name in ("LC_ALL", "LC_CTYPE"):
                env.pop(name, None)
            env["LANG"] = "C.UTF-8"
        env["ERUN_STANDIN_RECORD"] = fill("{DIR}{/}" + ERUN_RECORD)
        env.update({k: fill(v) for k, v in case.env.items()})
        try:
            if case.many:
                runs = journal_check.run_many(command, folder, env, *case.many,
                                              lambda text, n: text.replace("{N}", str(n)))
                want_exit = EXIT_CODES.get(case.exit, case.exit)
                failures += ["exit code %d: %r" % (code, out[-500:])
                             for code, out in runs if code != want_exit][:3]
                if case.journal:
                    journal = open(os.path.join(folder, case.journal[0]), "rb").read()
                    journal_check.check_many(failures, journal, *case.many,
                                             distinct=any("=next" in a for a in case.args))
                check_texts(failures, case, folder, fill)
                return failures
            if case.reader_leaves_after:
                result = run_with_reader_leaving(command, folder, env, case.reader_leaves_after)
            elif case.steps:
                result = run_steps(command, case, folder, env, args, fill, failures)
            elif case.second:
                result, second = run_beside(command, case.second, folder, env, args, fill)
                check_run(failures, second, case.second.stdout, case.second.exit, args, fill,
                          "second run: ")
            else:
                result = run_once(command, os.path.join(folder, case.run_in), env, args)
        finally:
            tear_down_registry(case, args)
        check_run(failures, result, case.stdout, case.exit, args, fill)
        if case.journal:
            journal = os.path.join(folder, case.journal[0])
            journal_check.check_journal(failures, open(journal, "rb").read()
                                        if os.path.isfile(journal) else b"", case.journal[1], fill)

        for name, data in case.outputs.items():
            path = os.path.join(folder, name)
            if data is None:
                if os.path.lexists(path):
                    failures.append("%s exists" % name)
            elif not os.path.isfile(path):
                failures.append("%s missing" % name)
            else:
                actual_bytes = open(path, "rb").read()
                if actual_bytes != data:
                    failures.append("%s differs:\n%s" % (name, diff_lines(
                        data.decode("latin-1").split("\n"),
                        actual_bytes.decode("latin-1").split("\n"))))
        check_texts(failures, case, folder, fill)
        if case.unchanged:
            for name, data in before.items():
                if name not in case.outputs and (not case.journal or name != case.journal[0]):
                    path = os.path.join(folder, name)
                    if not os.path.isfile(path) or open(path, "rb").read() != data:
                        failures.append("input %s changed" % name)
        record = os.path.join(folder, ERUN_RECORD)
        if case.erun_record == ANY_RECORD:
            pass
        elif case.erun_record is None:
            if os.path.lexists(record):
                failures.append("E-Run was started")
        elif not os.path.isfile(record):
            failures.append("E-Run left no record: it did not run, or was not waited for")
        else:
            expected = [fill(line) for line in case.erun_record]
            actual = open(record, "rb").read().decode("latin-1").split("\n")[:-1]
            if actual != expected:
                failures.append("E-Run record: " + diff_lines(expected, actual))

        if not case.extra_files_ok:
            allowed = set(case.files) | {n for n, d in case.outputs.items() if d is not None}
            allowed |= {ERUN_RECORD, SECOND_RUN_ENDED}
            if erun_copy(case, args.platform):
                allowed.add(erun_copy(case, args.platform))
            extra = list_files(folder) - allowed
            if extra:
                failures.append("unexpected files: %s" % sorted(extra))
    finally:
        for root, dirs, _ in os.walk(folder):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(folder, ignore_errors=True)
    return failures


def check_texts(failures, case, folder, fill):
    for name, texts in case.texts.items():
        path = os.path.join(folder, name)
        data = open(path, "rb").read() if os.path.isfile(path) else b""
        for text, present in texts:
            if (fill(text.decode("latin-1")).encode("latin-1") in data) != present:
                failures.append("%s %s %r" % (name, "lacks" if present else "holds", text))


def diff_lines(expected, actual):
    lines = []
    for i in range(max(len(expected), len(actual))):
        e = expected[i] if i < len(expected) else "<none>"
        a = actual[i] if i < len(actual) else "<none>"
        if not matches(e, a):
            lines.append("  line %d: expected %r\n           actual   %r" % (i + 1, e, a))
        if len(lines) >= 8:
            lines.append("  ...")
            break
    return "output differs:\n" + "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--list-registry", action="store_true",
                        help="the cases that use the registry, which take turns")
    parser.add_argument("--erun-standin", default="")
    parser.add_argument("--case")
    parser.add_argument("--program")
    parser.add_argument("--emulator", default="")
    parser.add_argument("--version", default="")
    parser.add_argument("--platform", choices=["posix", "windows"], default="posix")
    args = parser.parse_args()

    names = [c.name for c in CASES]
    if len(names) != len(set(names)):
        sys.exit("duplicate case names")
    if args.list:
        print("\n".join(names))
        return 0
    if args.list_registry:
        print("\n".join(c.name for c in CASES if c.registry is not None))
        return 0
    case = next(c for c in CASES if c.name == args.case)
    if args.platform not in case.platforms:
        print("skipped on %s" % args.platform)
        return 0
    failures = run_case(case, args)
    for failure in failures:
        print(failure)
    print("%s: %s" % (case.name, "FAILED" if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
