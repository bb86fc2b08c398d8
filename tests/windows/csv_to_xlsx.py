#!/usr/bin/env python3
"""Writes a Shift-JIS CSV table as an .xlsx workbook of text cells, so that
tabdump must give the same table back: csv_to_xlsx.py <table.csv> <book.xlsx>"""
import csv
import sys
import zipfile
from xml.sax.saxutils import escape

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/package/2006/relationships"
OFFICE = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"


def main():
    with open(sys.argv[1], encoding="cp932", newline="") as f:
        rows = list(csv.reader(f))
    cells = "".join(
        f'<row r="{r}">' + "".join(
            f'<c t="inlineStr"><is><t xml:space="preserve">{escape(v)}</t></is></c>' for v in row)
        + "</row>" for r, row in enumerate(rows, 1))
    parts = {
        "[Content_Types].xml": "<Types/>",
        "_rels/.rels": f'<Relationships xmlns="{REL_NS}"><Relationship Id="rId1" '
        f'Type="{OFFICE}officeDocument" Target="xl/workbook.xml"/></Relationships>',
        "xl/workbook.xml": f'<workbook xmlns="{MAIN}" xmlns:r="{OFFICE[:-1]}"><sheets>'
        '<sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
        "xl/_rels/workbook.xml.rels": f'<Relationships xmlns="{REL_NS}"><Relationship Id="rId1" '
        f'Type="{OFFICE}worksheet" Target="worksheets/sheet1.xml"/></Relationships>',
        "xl/worksheets/sheet1.xml": f'<worksheet xmlns="{MAIN}"><sheetData>{cells}'
        "</sheetData></worksheet>",
    }
    with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in parts.items():
            z.writestr(name, text.encode("utf-8"))


main()
