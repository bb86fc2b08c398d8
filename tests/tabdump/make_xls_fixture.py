#!/usr/bin/env python3
"""Writes the small .xls workbooks the tabdump tests read (sample.xls, and
with --cells-given-twice cells_given_twice.xls).

Run it by hand only when the workbook's contents must change; the tests read
the checked-in file and never need Python. The file is a BIFF8 workbook in a
version-3 compound file: just enough records for a reader that follows the
format (globals with fonts, formats, cell styles, sheet list and shared
strings, then two worksheets). The second sheet exists so that the tests can
show that only the first one is converted.
"""

import struct
import sys

# Cell styles (indexes into the XF list): 15 is the usual default cell style.
XF_GENERAL = 15
XF_DATE = 16  # built-in number format 14, a date

# The cells of the first sheet, by (row, column). Row 1 is left out on
# purpose: an empty row must come out as an empty line.
FIRST_SHEET = [
    (0, 0, "str", "*"),
    (0, 1, "str", "jbook"),
    (0, 2, "str", "山田太郎|鈴木花子"),
    (0, 3, "rk", 2020),
    (0, 4, "str", "題名, 副題"),
    (0, 5, "num", 12.5),
    (0, 6, "bool", True),
    (2, 0, "str", 'a "quoted" word'),
    (2, 1, "blank", None),
    (2, 2, "str", "line1\nline2"),
    (2, 3, "date", 43922.0),  # 2020-04-01
    (2, 4, "str", "①と\U0001F600"),  # ① maps to code page 932, the emoji does not
    (2, 5, "num", 3.0),  # a whole number stored as a double
]
SECOND_SHEET = [(0, 0, "str", "second sheet")]
# A damaged sheet gives cells again, texts ("label", a LABEL record with the
# text in it) over dates over texts: the last record counts, and the texts
# given first must not be lost memory.
CELLS_GIVEN_TWICE = [
    (0, 0, "date", 43922.0),
    (0, 0, "label", "first"),
    (0, 0, "label", "second"),
    (0, 1, "label", "x"),
    (0, 1, "num", 7.0),
    (0, 2, "date", 43922.0),
    (0, 2, "date", 43923.0),
]


def record(rtype, body=b""):
    return struct.pack("<HH", rtype, len(body)) + body


def unicode_string(text, length_format):
    units = text.encode("utf-16-le")
    return struct.pack(length_format, len(units) // 2) + b"\x01" + units


def bof(kind):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))


def xf(ifmt, style):
    flags = 0xFFF4 if style else 0x0000  # style XFs: fStyle, no parent
    return record(0x00E0, struct.pack("<HHH", 0, ifmt, flags) + bytes(14))


def strings_of(cells):
    return [value for (_, _, kind, value) in cells if kind == "str"]


def globals_stream(sheet_names, shared, sheet_offsets):
    out = bof(0x0005)
    out += record(0x0042, struct.pack("<H", 1200))  # code page: UTF-16
    out += record(0x0022, struct.pack("<H", 0))  # 1900 date system
    font = struct.pack("<HHHHHBBBB", 200, 0, 0x7FFF, 400, 0, 0, 0, 0, 0)
    out += record(0x0031, font + struct.pack("<BB", 5, 0) + b"Arial")
    for _ in range(15):
        out += xf(0, True)
    out += xf(0, False)
    out += xf(14, False)
    for name, offset in zip(sheet_names, sheet_offsets):
        name_bytes = name.encode("latin-1")
        out += record(0x0085, struct.pack("<IBBBB", offset, 0, 0, len(name_bytes), 0) + name_bytes)
    sst = struct.pack("<II", len(shared), len(shared))
    for text in shared:
        sst += unicode_string(text, "<H")
    out += record(0x00FC, sst)
    out += record(0x000A)
    return out


def sheet_stream(cells, shared):
    rows = max(r for (r, _, _, _) in cells) + 1
    cols = max(c for (_, c, _, _) in cells) + 1
    out = bof(0x0010)
    out += record(0x0200, struct.pack("<IIHHH", 0, rows, 0, cols, 0))
    for row, col, kind, value in cells:
        if kind == "str":
            out += record(0x00FD, struct.pack("<HHHI", row, col, XF_GENERAL, shared.index(value)))
        elif kind == "rk":
            out += record(0x027E, struct.pack("<HHHI", row, col, XF_GENERAL, (value << 2) | 2))
        elif kind == "label":
            out += record(0x0204, struct.pack("<HHH", row, col, XF_GENERAL) + unicode_string(value, "<H"))
        elif kind == "num":
            out += record(0x0203, struct.pack("<HHHd", row, col, XF_GENERAL, value))
        elif kind == "date":
            out += record(0x0203, struct.pack("<HHHd", row, col, XF_DATE, value))
        elif kind == "bool":
            out += record(0x0205, struct.pack("<HHHBB", row, col, XF_GENERAL, int(value), 0))
        elif kind == "blank":
            out += record(0x0201, struct.pack("<HHH", row, col, XF_GENERAL))
    out += record(0x000A)
    return out


def workbook_stream(sheets):
    shared = []
    for _, cells in sheets:
        for text in strings_of(cells):
            if text not in shared:
                shared.append(text)
    bodies = [sheet_stream(cells, shared) for _, cells in sheets]
    # The sheet list holds stream offsets, which depend on the globals' own
    # length; the length does not depend on the offsets' values.
    head_length = len(globals_stream([n for n, _ in sheets], shared, [0] * len(sheets)))
    offsets, position = [], head_length
    for body in bodies:
        offsets.append(position)
        position += len(body)
    stream = globals_stream([n for n, _ in sheets], shared, offsets) + b"".join(bodies)
    # Streams under 4096 bytes would belong in the mini stream; padding keeps
    # the container to plain sectors.
    return stream + bytes(max(0, 4096 - len(stream)))


def directory_entry(name, kind, child, start, size):
    encoded = (name + "\0").encode("utf-16-le") if name else b""
    entry = encoded.ljust(64, b"\0")
    entry += struct.pack("<HBB", len(encoded), kind, 1 if kind else 0)
    entry += struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, child)
    entry += bytes(16 + 4 + 16)  # class id, state bits, two times
    entry += struct.pack("<IQ", start, size)
    return entry


def compound_file(stream):
    end, free = 0xFFFFFFFE, 0xFFFFFFFF
    stream_sectors = (len(stream) + 511) // 512
    # Sector 0 holds the allocation table, sector 1 the directory, the stream follows.
    fat = [0xFFFFFFFD, end] + [3 + i for i in range(stream_sectors - 1)] + [end]
    fat += [free] * (128 - len(fat))
    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + bytes(16)
    header += struct.pack("<HHHHH", 0x003E, 0x0003, 0xFFFE, 9, 6) + bytes(6)
    header += struct.pack("<IIIIIIIII", 0, 1, 1, 0, 4096, end, 0, end, 0)
    header += struct.pack("<I", 0) + struct.pack("<I", free) * 108
    directory = directory_entry("Root Entry", 5, 1, end, 0)
    directory += directory_entry("Workbook", 2, 0xFFFFFFFF, 2, len(stream))
    directory += directory_entry("", 0, 0xFFFFFFFF, 0, 0) * 2
    body = struct.pack("<128I", *fat) + directory + stream.ljust(stream_sectors * 512, b"\0")
    return header + body


if __name__ == "__main__":
    if "--cells-given-twice" in sys.argv[1:]:
        target, sheets = "cells_given_twice.xls", [("Refs", CELLS_GIVEN_TWICE)]
    else:
        target, sheets = "sample.xls", [("Refs", FIRST_SHEET), ("Other", SECOND_SHEET)]
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    with open(args[0] if args else target, "wb") as f:
        f.write(compound_file(workbook_stream(sheets)))
