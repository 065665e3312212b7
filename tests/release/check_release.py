#!/usr/bin/env python3
"""Checks the Windows release: tarvo.exe imports no DLL beyond Windows' own, and the
zip made by cpack holds the program, the README and the console-line reference as text,
the example script and batch files, and every file of the project that the README it
ships refers to."""

import os
import re
import subprocess
import sys
import tempfile
import zipfile

WINDOWS_DLLS = {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "user32.dll", "shell32.dll"}
EXPECTED_ZIP = {"tarvo.exe", "README.txt", "docs/console-lines.md", "docs/report.png",
                "examples/rt.ebs",
                "examples/nback.ebs",
                "examples/run_sessions.bat", "examples/run_from_csv.bat", "examples/sessions.csv"}
# A path of the project's own folders, as the README writes one.
PROJECT_PATH = re.compile(r"\b(?:app|bench|build|cmake|docs|examples|fuzz|launch|platform|"
                          r"script|tests|textfile|tools)/[\w./-]*")


def main():
    build_dir, program, objdump, version, cpack = sys.argv[1:6]
    failures = []

    dump = subprocess.run([objdump, "-p", program], capture_output=True, text=True,
                          check=True).stdout
    dlls = {line.split(":", 1)[1].strip().lower() for line in dump.splitlines()
            if "DLL Name:" in line}
    if not dlls or not dlls <= WINDOWS_DLLS:
        failures.append("imports DLLs beyond Windows' own: %s" % sorted(dlls - WINDOWS_DLLS))

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
                for text in ["README.txt", "docs/console-lines.md"]:
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
