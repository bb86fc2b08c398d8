#!/usr/bin/env python3
"""Writes the workbooks the Windows tabdump test reads into the folder given,
with the tables tabdump must make of them (<name>.expected.csv).

Each is built by hand so that it holds what the zip, inflate and XML readers
of the Windows build must cope with: deflated parts with fixed and dynamic
codes and stored blocks, a part stored without compression, prefixed names,
rich text with phonetic guides, references, CDATA and escapes.
"""
import os
import sys
import zipfile

REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
OFFICE = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"


def rel(rid, kind, target):
    return f'<Relationship Id="{rid}" Type="{OFFICE}{kind}" Target="{target}"/>'


def write(path, sheet, strings, styles, level=9):
    parts = {
        "[Content_Types].xml": '<?xml version="1.0" encoding="UTF-8"?>\r\n<Types/>',
        "_rels/.rels": f'<Relationships xmlns="{REL_NS}">'
        + rel("rId1", "officeDocument", "xl/workbook.xml") + "</Relationships>",
        "xl/workbook.xml": f'<?xml version="1.0"?>\n<!-- made by hand -->\n'
        f'<workbook xmlns="{MAIN}" xmlns:r="{OFFICE[:-1]}">'
        '<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels": f'<Relationships xmlns="{REL_NS}">'
        + rel("rId1", "worksheet", "worksheets/sheet1.xml")
        + rel("rId2", "sharedStrings", "/xl/sharedStrings.xml")
        + rel("rId3", "styles", "styles.xml") + "</Relationships>",
        "xl/worksheets/sheet1.xml": sheet,
        "xl/sharedStrings.xml": strings,
        "xl/styles.xml": styles,
    }
    with zipfile.ZipFile(path, "w") as z:
        for name, text in parts.items():
            # The content types go in uncompressed; the strings with
            # compression level 0, which deflate writes as stored blocks.
            kind = zipfile.ZIP_STORED if name.startswith("[") else zipfile.ZIP_DEFLATED
            z.writestr(name, text.encode("utf-8"), compress_type=kind,
                       compresslevel=0 if name.endswith("sharedStrings.xml") else level)


def cells_workbook(path):
    strings = (
        f'<sst xmlns="{MAIN}">'
        "<si><t>Yamada &amp; Sato &lt;eds&gt;</t></si>"
        # Runs are joined; the phonetic guide over the kanji is not shown.
        "<si><r><t>山田</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\"> 太郎</t></r>"
        "<rPh sb=\"0\" eb=\"2\"><t>ヤマダ</t></rPh></si>"
        "<si><t>line_x000D_break &#x3042;&#12356; tab&#9;</t></si>"
        "<si><t><![CDATA[a <b> & c]]></t></si>"
        "<si><t xml:space=\"preserve\"> </t></si>"
        '<si><t>quote " and comma, here</t></si>'
        "</sst>")
    styles = (f'<styleSheet xmlns="{MAIN}"><numFmts count="1">'
              '<numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/>'
              '</numFmts><cellXfs count="3"><xf numFmtId="0"/><xf numFmtId="14"/>'
              '<xf numFmtId="164"/></cellXfs></styleSheet>')
    sheet = (
        f'<x:worksheet xmlns:x="{MAIN}"><x:sheetData>\r\n'
        '<x:row r="1"><x:c r="A1" t="s"><x:v>0</x:v></x:c><x:c r="B1" t="s"><x:v>1</x:v></x:c>'
        '<x:c r="D1" t="s"><x:v>2</x:v></x:c></x:row>\r\n'
        '<x:row r="2"><x:c r="A2"><x:v>1995</x:v></x:c><x:c r="B2"><x:v>3.25</x:v></x:c>'
        '<x:c r="C2" t="b"><x:v>1</x:v></x:c><x:c r="D2" s="1"><x:v>36526</x:v></x:c>'
        '<x:c r="E2" s="2"><x:v>45000.5</x:v></x:c></x:row>\r\n'
        '<x:row r="4"><x:c t="s"><x:v>3</x:v></x:c><x:c t="s"><x:v>4</x:v></x:c>'
        '<x:c t="inlineStr"><x:is><x:t>inline &apos;x&apos;</x:t></x:is></x:c>'
        '<x:c t="str"><x:f>A1</x:f><x:v>formula</x:v></x:c><x:c t="e"><x:v>#N/A</x:v></x:c>'
        '<x:c t="s"><x:v>5</x:v></x:c></x:row>\r\n'
        "</x:sheetData></x:worksheet>")
    write(path, sheet, strings, styles)


def long_workbook(path):
    # Enough repeated text for deflate to use dynamic codes and long copies.
    rows = []
    for i in range(1, 3001):
        rows.append(f'<row r="{i}"><c r="A{i}" t="inlineStr"><is><t>*</t></is></c>'
                    f'<c r="B{i}" t="inlineStr"><is><t>earticle</t></is></c>'
                    f'<c r="C{i}"><v>{i * 7 % 1000}</v></c>'
                    f'<c r="D{i}" t="inlineStr"><is><t>著者{i % 97}|Author {i % 13}</t></is></c></row>')
    sheet = f'<worksheet xmlns="{MAIN}"><sheetData>' + "".join(rows) + "</sheetData></worksheet>"
    write(path, sheet, f'<sst xmlns="{MAIN}"/>', f'<styleSheet xmlns="{MAIN}"/>')


def write_expected(path, rows):
    with open(path, "wb") as f:
        f.write("".join(row + "\r\n" for row in rows).encode("cp932"))


# As the sheet shows it: runs joined without the guide, references and
# escapes resolved (the carriage return, like any line break in a cell,
# becomes a blank), dates in their formats, the empty row 3 kept.
CELLS_EXPECTED = [
    "Yamada & Sato <eds>,山田 太郎,,line break あい tab\t",
    "1995,3.25,TRUE,2000/01/01,2023年3月15日",
    "",
    'a <b> & c, ,inline \'x\',formula,#N/A,"quote "" and comma, here"',
]


def damaged(source, path, what):
    data = bytearray(open(source, "rb").read())
    if what == "truncated":
        data = data[: len(data) // 2]
    else:
        # One byte of the packed worksheet changed: inflate or the checksum fails.
        at = data.find(b"xl/worksheets/sheet1.xml") + 200
        data[at] ^= 0x55
    open(path, "wb").write(bytes(data))


def main():
    out = sys.argv[1]
    cells_workbook(os.path.join(out, "cells.xlsx"))
    write_expected(os.path.join(out, "cells.expected.csv"), CELLS_EXPECTED)
    long_workbook(os.path.join(out, "long.xlsx"))
    write_expected(os.path.join(out, "long.expected.csv"),
                   [f"*,earticle,{i * 7 % 1000},著者{i % 97}|Author {i % 13}"
                    for i in range(1, 3001)])
    damaged(os.path.join(out, "long.xlsx"), os.path.join(out, "truncated.xlsx"), "truncated")
    damaged(os.path.join(out, "long.xlsx"), os.path.join(out, "flipped.xlsx"), "flipped")


main()
