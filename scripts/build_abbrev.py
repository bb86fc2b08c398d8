#!/usr/bin/env python3
"""Builds data/abbrev.dat, the journal-title abbreviations the converter reads.

Sources, all kept in data/sources/:
  japanese-journals.txt         Japanese journals with their customary forms
  journal-abbreviations/*.csv   the CC0 lists named in ISO_LISTS below

Output: one line "Full Title=Abbrev." per journal, Shift-JIS, CR LF. The
converter looks a title up by the text before the first "=" of a line,
ignoring letter case, and takes the first matching line. Hence:
  - a title that contains "=" could never be found, and is skipped;
  - of titles that differ only in letter case the first one is kept;
  - a title or abbreviation that Shift-JIS cannot hold is skipped;
  - a title that is its own abbreviation is not written.
Python 3 standard library only. Prints the number of lines written.
"""

import csv
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCES = ROOT / "data" / "sources"
TARGET = ROOT / "data" / "abbrev.dat"

# The lists that give ISO 4 forms with dots, in the order in which they are
# read (the first occurrence of a title wins). The general and social-science
# lists come first because they cover what our users cite most. Left out:
# entrez and medicus (dotless Medline forms), annee-philologique and dainst
# (non-ISO forms), ieee_strings (BibTeX macro names), aea (rows split at
# commas inside titles), geology_physics_variations (spelling variants).
ISO_LISTS = [
    "journal_abbreviations_general.csv",
    "journal_abbreviations_sociology.csv",
    "journal_abbreviations_lifescience.csv",
    "journal_abbreviations_ubc.csv",
    "journal_abbreviations_acs.csv",
    "journal_abbreviations_astronomy.csv",
    "journal_abbreviations_geology_physics.csv",
    "journal_abbreviations_ieee.csv",
    "journal_abbreviations_mathematics.csv",
    "journal_abbreviations_mechanical.csv",
    "journal_abbreviations_meteorology.csv",
]


def japanese_pairs():
    path = SOURCES / "japanese-journals.txt"
    for line in path.read_text(encoding="utf-8").splitlines():
        if line and not line.startswith("#"):
            title, _, abbrev = line.partition("=")
            yield title, abbrev


def list_pairs(name):
    with open(SOURCES / "journal-abbreviations" / name, encoding="utf-8", newline="") as f:
        for row in csv.reader(f):
            if len(row) >= 2:
                yield row[0], row[1]


def usable(title, abbrev):
    """Whether a pair can be written and found. TeX markup (some
    mathematics titles) would print as it stands, so it is left out too."""
    if not title or not abbrev or "=" in title:
        return False
    if any(c in title + abbrev for c in "\r\n$\\"):
        return False
    try:
        (title + abbrev).encode("cp932")
    except UnicodeEncodeError:
        return False
    return True


def build():
    seen = set()
    lines = []
    pairs = list(japanese_pairs())
    for name in ISO_LISTS:
        pairs.extend(list_pairs(name))
    for title, abbrev in pairs:
        title, abbrev = title.strip(), abbrev.strip()
        key = title.lower()
        if key in seen or not usable(title, abbrev):
            continue
        seen.add(key)
        # A title that is its own abbreviation would print unchanged anyway;
        # it still counts as seen, so a later list cannot shorten it.
        if abbrev != title:
            lines.append(f"{title}={abbrev}")
    return lines


def main():
    lines = build()
    data = ("\r\n".join(lines) + "\r\n").encode("cp932")
    if "--check" in sys.argv[1:]:
        if not TARGET.exists() or TARGET.read_bytes() != data:
            sys.exit("data/abbrev.dat is out of date")
    else:
        TARGET.write_bytes(data)
    print(f"{len(lines)} lines")


if __name__ == "__main__":
    main()
