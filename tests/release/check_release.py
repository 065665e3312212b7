#!/usr/bin/env python3
"""Checks the Windows release: tarvo.exe starts on Windows XP SP3 (it imports only the
functions of windows_xp_imports.txt, and its header asks for no Windows above XP), and the
zip made by cpack holds the program, the README and the console-line reference as text,
the example script and batch files, and every file of the project that the README it
ships refers to."""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

ALLOWED_IMPORTS = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                               "windows_xp_imports.txt")
# The operating-system and subsystem versions of the header, which XP checks before it loads
# a program.
XP_VERSION = (5, 1)
EXPECTED_ZIP = {"tarvo.exe", "README.txt", "docs/console-lines.md", "docs/rewriting.md",
                "docs/journal.md", "docs/report.png",
                "examples/rt.ebs",
                "examples/nback.ebs",
                "examples/run_sessions.bat", "examples/run_from_csv.bat", "examples/run_battery.bat",
                "examples/sessions.csv"}
# A path of the project's own folders, as the README writes one.
PROJECT_PATH = re.compile(r"\b(?:app|bench|build|cmake|docs|examples|fuzz|launch|platform|"
                          r"script|tests|textfile|tools)/[\w./-]*")


def read_allowed_imports():
    """{dll: {function}} from the allowlist: "[dll]" opens a group, then one function a line."""
    allowed = {}
    dll = None
    for line in open(ALLOWED_IMPORTS):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("["):
            dll = line.strip("[]").lower()
            allowed[dll] = set()
        else:
            allowed[dll].add(line)
    return allowed


def read_imports(dump):
    """The (dll, function) pairs of objdump's import tables. An import by ordinal has no
    name, and its last word is none of the allowlist's."""
    imports = set()
    dll = None
    for line in dump.splitlines():
        if "DLL Name:" in line:
            dll = line.split(":", 1)[1].strip().lower()
        elif not line.strip():
            dll = None
        elif dll is not None and "Hint/Ord" not in line:
            imports.add((dll, line.split()[-1]))
    return imports


def check_windows_xp(dump, failures):
    imports = read_imports(dump)
    allowed = read_allowed_imports()
    beyond = sorted("%s %s" % (dll, name) for dll, name in imports
                    if name not in allowed.get(dll, ()))
    if not imports or beyond:
        failures.append("imports what windows_xp_imports.txt does not list: %s"
                        % (beyond or "no import table"))
    for name, field in [("operating-system", "OSystem"), ("subsystem", "Subsystem")]:
        version = tuple(int(re.search(r"^%s%sVersion\s+(\d+)$" % (part, field), dump,
                                      re.M).group(1)) for part in ["Major", "Minor"])
        if version > XP_VERSION:
            failures.append("the header's %s version is %d.%d, above XP's 5.1"
                            % ((name,) + version))


def main():
    build_dir, program, objdump, version, cpack = sys.argv[1:6]
    failures = []

    dump = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                          check=True).stdout
    check_windows_xp(dump, failures)

    with tempfile.TemporaryDirectory() as out:
        subprocess.run([cpack, "-G", "ZIP", "-B", out], cwd=build_dir, check=True,
                       stdout=subprocess.DEVNULL)
        name = "tarvo-%s-win32.zip" % version
        path = os.path.join(out, name)
        if not os.path.isfile(path):
            failures.append("%s not made" % name)
        else:
            with zipfile.ZipFile(path) as z:
                names = {n for n in z.namelist() if not n.endswith("/")}
                if names != EXPECTED_ZIP:
                    failures.append("zip holds %s" % sorted(names))
                for text in ["README.txt", "docs/console-lines.md", "docs/rewriting.md",
                             "docs/journal.md"]:
                    data = z.read(text)
                    if b"\r\n" not in data or b"\n" in data.replace(b"\r\n", b""):
                        failures.append("%s lacks CR LF line ends" % text)
                readme = z.read("README.txt").decode("latin-1")
                referred = {p.rstrip(".") for p in PROJECT_PATH.findall(readme)}
                missing = sorted(p for p in referred
                                 if not any(n == p or n.startswith(p.rstrip("/") + "/")
                                            for n in names))
                if missing:
                    failures.append("README.txt refers to what the zip lacks: %s" % missing)
                if z.read("tarvo.exe") != open(program, "rb").read():
                    failures.append("tarvo.exe in the zip is not the built one")

    for failure in failures:
        print(failure)
    print("release: %s" % ("FAILED" if failures else "passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
