#!/usr/bin/env python3
"""Builds the shipped data files of data/ from their UTF-8 sources in data/src/.

The converter reads Shift-JIS text with CR LF line ends; the sources are kept
in UTF-8 so that they can be read and reviewed. Run from anywhere:

    python3 scripts/build_data.py          # write the data files
    python3 scripts/build_data.py --check  # fail if a data file is out of date

Outputs: the romanisation tables (roman.dat and its alternatives), the styles
(*.ini), the file types (*.trl; the *-utf8.trl ones stay UTF-8), the sample
table (sample.csv), and the copies
default.ini and default.trl. abbrev.dat has a builder of its own
(build_abbrev.py).
"""

import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "data"
SRC = DATA / "src"

# The romanisation table has room for this many rules; the converter ignores
# any line after it.
ROMAN_CAPACITY = 151

# Marks that kana rules leave for the folding rules. Control bytes: no
# spreadsheet text holds them, so a fold can never rewrite a user's own ASCII.
ROMAN_TOKENS = {
    "{V}": "\x01",  # before a vowel or y: ん asks for an apostrophe
    "{N}": "\x02",  # after ん
    "{Y}": "\x03",  # small ゃ, ゅ, ょ
    "{I}": "\x04",  # the "i" of shi, chi, ji, which a small kana replaces
    "{S}": "\x05",  # small vowel
    "{Q}": "\x06",  # small っ
    "{SP}": " ",
}

# Each table: its file name, the kana source, and the long-vowel mark of
# that script.
ROMAN_TABLES = [
    ("roman.dat", "hiragana.txt", "ー"),
    ("roman-katakana.dat", "katakana.txt", "ー"),
    ("roman-hankaku.dat", "hankaku.txt", "ｰ"),
]

STYLES = ["jpa.ini", "apa.ini", "sist02.ini"]
FILE_TYPES = ["text.trl", "html.trl", "latex.trl", "rtf.trl"]
# File types that write UTF-8 lists are themselves UTF-8, so that what they
# write around the entries may hold any character too.
UTF8_FILE_TYPES = ["text-utf8.trl", "html-utf8.trl"]
COPIES = {"default.ini": "jpa.ini", "default.trl": "text.trl"}


def to_sjis(text, where):
    """`text` as Shift-JIS bytes with CR LF line ends; stops on any character
    Shift-JIS cannot hold, naming the place."""
    try:
        return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")
    except UnicodeEncodeError as error:
        sys.exit(f"{where}: {text[error.start:error.end]!r} has no Shift-JIS form")


def source_rules(path):
    """The rule lines of a romanisation source: no comments, no blank lines."""
    lines = path.read_text(encoding="utf-8").splitlines()
    return [(path.name, n, line) for n, line in enumerate(lines, 1)
            if line and not line.startswith("//")]


def expand(text, long_mark):
    for name, value in ROMAN_TOKENS.items():
        text = text.replace(name, value)
    return text.replace("{LONG}", long_mark)


def build_roman(kana_source, long_mark):
    """The lines of one table, checked: every line a rule, the table within
    capacity, and no rule hidden behind an earlier one whose pattern lies
    inside its own (the earlier rule would consume the text first)."""
    parts = ["punctuation.txt", kana_source, "folds.txt"]
    rules = [r for part in parts for r in source_rules(SRC / "roman" / part)]
    if len(rules) > ROMAN_CAPACITY:
        sys.exit(f"{kana_source}: {len(rules)} rules, room for {ROMAN_CAPACITY}")
    lines, patterns = [], []
    for name, n, line in rules:
        pattern, sep, replacement = expand(line, long_mark).partition("=")
        if not sep or not pattern:
            sys.exit(f"{name}:{n}: a rule needs a pattern and '='")
        for earlier in patterns:
            if earlier in pattern and earlier != pattern:
                sys.exit(f"{name}:{n}: '{line}' can never match after '{earlier}'")
        if pattern in patterns:
            sys.exit(f"{name}:{n}: '{line}' repeats an earlier pattern")
        patterns.append(pattern)
        lines.append(pattern + "=" + replacement)
    return "\n".join(lines) + "\n"


def outputs():
    """Every generated file as name -> bytes."""
    files = {}
    for name, kana_source, long_mark in ROMAN_TABLES:
        files[name] = to_sjis(build_roman(kana_source, long_mark), name)
    for name in STYLES + FILE_TYPES + ["sample.csv"]:
        files[name] = to_sjis((SRC / name).read_text(encoding="utf-8"), name)
    for name in UTF8_FILE_TYPES:
        text = (SRC / name).read_text(encoding="utf-8")
        files[name] = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    for copy, original in COPIES.items():
        files[copy] = files[original]
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="only compare; exit 1 when a file differs")
    args = parser.parse_args()
    stale = []
    for name, data in outputs().items():
        target = DATA / name
        if target.exists() and target.read_bytes() == data:
            continue
        stale.append(name)
        if not args.check:
            target.write_bytes(data)
    if args.check and stale:
        sys.exit("out of date: " + ", ".join(stale))
    for name in stale:
        print(f"wrote data/{name}")


if __name__ == "__main__":
    main()
