#!/usr/bin/env python3
"""Runs one end-to-end case (see e2e_support.py) against the built program."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cases import CASES  # noqa: E402

EXIT_CODES = {-1: 255}


def native_dir(folder, platform):
    if platform == "windows":
        return "Z:" + folder.replace("/", "\\")
    return folder


def expand(text, folder, platform):
    sep = "\\" if platform == "windows" else "/"
    return text.replace("{DIR}", native_dir(folder, platform)).replace("{/}", sep)


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

        command = ([args.emulator] if args.emulator else []) + [args.program]
        command += [expand(a, folder, args.platform) for a in case.args]
        env = dict(os.environ)
        env.update({k: expand(v, folder, args.platform) for k, v in case.env.items()})
        result = subprocess.run(command, cwd=folder, env=env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=120)

        out = result.stdout.decode("latin-1")
        if args.platform == "windows":
            if out.replace("\r\n", "") .count("\n"):
                failures.append("console line without CR LF")
            out = out.replace("\r\n", "\n")
        actual = out.split("\n")
        if actual and actual[-1] == "":
            actual.pop()
        else:
            failures.append("last console line has no line end")
        expected = [expand(line, folder, args.platform) for line in case.stdout]
        if actual != expected:
            failures.append(diff_lines(expected, actual))
        if args.platform == "posix" and result.stderr:
            failures.append("standard error: %r" % result.stderr[:500])
        want_exit = EXIT_CODES.get(case.exit, case.exit)
        if result.returncode != want_exit:
            failures.append("exit code %d, expected %d" % (result.returncode, want_exit))

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
        if case.unchanged:
            for name, data in before.items():
                if name not in case.outputs:
                    path = os.path.join(folder, name)
                    if not os.path.isfile(path) or open(path, "rb").read() != data:
                        failures.append("input %s changed" % name)
        if not case.extra_files_ok:
            allowed = set(case.files) | {n for n, d in case.outputs.items() if d is not None}
            extra = list_files(folder) - allowed
            if extra:
                failures.append("unexpected files: %s" % sorted(extra))
    finally:
        for root, dirs, _ in os.walk(folder):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(folder, ignore_errors=True)
    return failures


def diff_lines(expected, actual):
    lines = []
    for i in range(max(len(expected), len(actual))):
        e = expected[i] if i < len(expected) else "<none>"
        a = actual[i] if i < len(actual) else "<none>"
        if e != a:
            lines.append("  line %d: expected %r\n           actual   %r" % (i + 1, e, a))
        if len(lines) >= 8:
            lines.append("  ...")
            break
    return "output differs:\n" + "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--case")
    parser.add_argument("--program")
    parser.add_argument("--emulator", default="")
    parser.add_argument("--platform", choices=["posix", "windows"], default="posix")
    args = parser.parse_args()

    names = [c.name for c in CASES]
    if len(names) != len(set(names)):
        sys.exit("duplicate case names")
    if args.list:
        print("\n".join(names))
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
