#!/usr/bin/env python3
"""Writes the references of make_table.py's bench.csv as a BibTeX file,
bench.bib, as a reference manager exports it (names "Family, Given",
Japanese names "家 名", subtitles after ": ", page ranges with "--", readings
in yomi), so that refimport can be timed on the same references refmill
formats. Usage: make_bib.py FOLDER"""
import csv
import io
import os
import sys

TYPES = {"article": "article", "book": "book", "chapter": "incollection"}


def name(cell):
    if "#" in cell:
        family, given = cell.split("#", 1)
        return family + " " + given
    words = cell.split(" ")
    if len(words) == 1:
        return "{" + words[0].replace("_", " ") + "}"
    return words[-1].replace("_", " ") + ", " + " ".join(words[:-1])


def main():
    folder = sys.argv[1]
    text = open(os.path.join(folder, "bench.csv"), "rb").read().decode("cp932")
    out = io.StringIO()
    for number, row in enumerate(csv.reader(io.StringIO(text))):
        if not row or row[0] != "*":
            continue
        row += [""] * (17 - len(row))
        _, category, authors, year, title, book, volume, pages, publisher, place, editors = row[:11]
        kind = category[1:]
        if kind not in TYPES:
            continue
        fields = [("author", " and ".join(name(a) for a in authors.split("|") if a)),
                  ("title", title.replace("|", ": ")), ("year", year)]
        if kind == "article":
            fields.append(("journal", book))
        elif kind == "chapter":
            fields.append(("booktitle", book.replace("|", ": ")))
        if editors:
            fields.append(("editor", " and ".join(name(e) for e in editors.split("|"))))
        if volume:
            v, _, i = volume.partition("|")
            fields += [("volume", v)] + ([("number", i)] if i else [])
        if pages:
            fields.append(("pages", pages.replace("-", "--")))
        if publisher:
            fields.append(("publisher", publisher))
        if place:
            fields.append(("address", place))
        if row[15]:
            fields.append(("yomi", row[15]))
        body = ",\n".join("  %s = {%s}" % (k, v.replace("&", "\\&")) for k, v in fields if v)
        out.write("@%s{ref%d,\n%s\n}\n\n" % (TYPES[kind], number, body))
    open(os.path.join(folder, "bench.bib"), "w", encoding="utf-8").write(out.getvalue())


if __name__ == "__main__":
    main()
