#!/usr/bin/env python3
"""Writes N references in the shared column layout of the shipped styles, for
timing a shipped style (apa.ini) rather than the synthetic one of
make_table.py: the rows of the shipped sample.csv over and over, each copy
with its year and number moved on, so that authors repeat as in a real list
but not every copy is the same work of the same year.
Usage: make_shipped_table.py N SAMPLE_CSV OUT_CSV"""
import csv
import io
import sys

YEAR, NUMBER = 3, 16


def main():
    n, sample, out = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    # Shift-JIS trail bytes are never "," or '"', so latin-1 keeps the bytes
    # and the csv module still sees every field.
    # Split as bytes: text splitlines() would also break at 0x85, which in
    # latin-1 is a line break of its own but in Shift-JIS a second byte
    # ("速水" is 91 AC 90 85), and would cut such rows in two.
    with open(sample, "rb") as f:
        lines = [line.decode("latin-1") for line in f.read().splitlines()]
    header, rows = lines[0], [r for r in csv.reader(lines[1:]) if r and r[0] == "*"]
    buf = io.StringIO()
    writer = csv.writer(buf, lineterminator="\r\n")
    for i in range(n):
        row = list(rows[i % len(rows)])
        copy = i // len(rows)
        if len(row) > YEAR and row[YEAR].isdigit():
            row[YEAR] = str(int(row[YEAR]) + copy % 40)
        if len(row) > NUMBER:
            row[NUMBER] = str(i + 1)
        writer.writerow(row)
    with open(out, "w", encoding="latin-1", newline="") as f:
        f.write(header + "\r\n" + buf.getvalue())
    print(f"{n} references")


main()
