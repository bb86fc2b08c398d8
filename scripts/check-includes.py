#!/usr/bin/env python3
"""Fails on any #include "..." that goes against the direction of our folders,
and on an outside library's header outside the one corner that library has.

Each folder of ours names the folders it may include from; a folder not
listed here fails the check too, so a new folder gets its rule when it is
added. The longest matching folder decides (platform/win32 is platform).
tests/ and bench/ drive everything and may include anything.

Usage: scripts/check-includes.py   (from anywhere; exit 0 when clean, 1 on
a wrong include, each listed as file:line)
"""

import pathlib
import re
import subprocess
import sys

ANYTHING = None
ALLOWED = {
    "platform": ["platform"],
    "refmill/text": ["refmill/text", "platform"],
    "refmill/format": ["refmill/format", "refmill/text", "platform"],
    "refmill/driver": ["refmill/driver", "refmill/format", "refmill/text", "platform"],
    "refdesk/controls": ["refdesk/controls", "platform"],
    "refdesk": ["refdesk", "refdesk/controls", "platform"],
    "refdesk/win32": ["refdesk/win32", "refdesk", "refdesk/controls", "platform"],
    "tabdump": ["tabdump", "platform"],
    # refimport writes its table, messages and exit codes through tabdump's
    # CSV writer and console; tabdump never looks back.
    "refimport": ["refimport", "tabdump", "platform"],
    "third_party": ["third_party"],
    "tests": ANYTHING,
    "bench": ANYTHING,
}
# Each outside library's headers, and the folders that may include them.
CORNERS = [
    (re.compile(r"unicode/"), ["platform"]),
    (re.compile(r"Q[A-Za-z]"), ["refdesk"]),
    (re.compile(r"(freexl\.h|zip\.h|pugixml\.hpp)$"), ["tabdump"]),
    (re.compile(r"(btparse\.h|nlohmann/)"), ["refimport"]),
]
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s+<([^>]+)>")


def FolderOf(path):
    """The longest folder of ALLOWED that holds `path`, or None."""
    best = None
    for folder in ALLOWED:
        if path.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def Target(root, source, name):
    """The repository path an include names: beside the file first, as the
    compiler looks, then from the root. None for a generated file (moc)."""
    beside = (root / source).parent / name
    if beside.is_file():
        return beside.resolve().relative_to(root.resolve()).as_posix()
    if (root / name).is_file():
        return name
    return None


def Allowed(target, folders):
    return any(target.startswith(f + "/") and FolderOf(target) == f for f in folders)


def Corner(folder, header):
    """The folders `header` belongs to when `folder` may not include it, or None."""
    for pattern, owners in CORNERS:
        if pattern.match(header):
            inside = any(folder == o or folder.startswith(o + "/") for o in owners)
            return None if inside else owners
    return None


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    files = subprocess.run(["git", "-C", str(root), "ls-files"], check=True,
                           capture_output=True, text=True).stdout.split()
    faults = []
    for source in filter(SOURCE.search, files):
        folder = FolderOf(source)
        if folder is None:
            faults.append(f"{source}: no include rule for its folder (scripts/check-includes.py)")
            continue
        folders = ALLOWED[folder]
        if folders is ANYTHING:
            continue
        text = (root / source).read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = SYSTEM_INCLUDE.match(line)
            owners = Corner(folder, match.group(1)) if match else None
            if owners:
                faults.append(f"{source}:{number}: <{match.group(1)}> belongs to {', '.join(owners)}")
            match = INCLUDE.match(line)
            if not match:
                continue
            target = Target(root, source, match.group(1))
            if target is not None and not Allowed(target, folders):
                faults.append(f"{source}:{number}: {folder} may not include {target}")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
