#!/usr/bin/env python3
"""The rooms' rule: a source of a folder includes only its own folder's headers and those
of the libraries its CMakeLists.txt names after LINKS (tarvo_library). So base/ includes
nothing of the project, and nothing includes app/. Unit tests beside the sources may also
include the test helpers of tests/ (no folder in the name). Prints each include that breaks
the rule and exits 1; exits 0 when there are none."""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIBRARY = re.compile(r"tarvo_library\((\w+)(.*?)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def rooms():
    """Each folder with a tarvo_library, with the folders it may include."""
    found = {}
    for folder in sorted(os.listdir(ROOT)):
        cmake = os.path.join(ROOT, folder, "CMakeLists.txt")
        if not os.path.isfile(cmake):
            continue
        with open(cmake) as f:
            match = LIBRARY.search(f.read())
        if match is None:
            continue
        links = re.search(r"\bLINKS\b([^)]*)", match.group(2))
        found[folder] = {folder} | set(links.group(1).split() if links else [])
    return found


def main():
    allowed_by_folder = rooms()
    broken = []
    for folder, allowed in allowed_by_folder.items():
        for directory, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in sorted(names):
                if not name.endswith((".cc", ".h")):
                    continue
                path = os.path.join(directory, name)
                with open(path, encoding="latin-1") as f:
                    text = f.read()
                for included in INCLUDE.findall(text):
                    room = included.split("/")[0] if "/" in included else None
                    test = name.endswith("_test.cc")
                    if room in allowed or (room is None and test):
                        continue
                    where = os.path.relpath(path, ROOT)
                    broken.append(f'{where}: includes "{included}", which {folder}/ may not use')
    for line in broken:
        print(line)
    if broken:
        print(f"{len(broken)} includes break the rooms' rule (see docs/developers.md)")
        return 1
    print("every include keeps to the rooms' rule: " +
          "; ".join(f"{f}/ uses {', '.join(sorted(a - {f})) or 'nothing'}"
                    for f, a in allowed_by_folder.items()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
