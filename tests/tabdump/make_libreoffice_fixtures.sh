#!/usr/bin/env bash
# Writes formulas.xls and long_cells.xls, the .xls workbooks of the tests that
# must come from a real spreadsheet program: LibreOffice stores booleans as
# formulas, puts formula text results in STRING records and splits long
# shared strings over several CONTINUE records. Run it by hand only to change
# the workbooks (needs python3-openpyxl and libreoffice-calc-nogui); the tests
# read the checked-in files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
/usr/bin/python3 - <<'PY'
import openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.append(['*', 'ebook', True, 1956, '=D1+1', '=ROW()', '="a"&"b"', '=1/0', 'end'])
ws.append(['*', '=D1>2000', '=REPT("長",3000)', 'after'])
wb.save('formulas.xlsx')
wb = openpyxl.Workbook()
ws = wb.active
ws.append(['*', 'x' * 20000, 'after'])
ws.append(['*', '表' * 14000, 'after'])
ws.append(['*', 'short'])
wb.save('long_cells.xlsx')
PY
soffice --headless --convert-to xls formulas.xlsx long_cells.xlsx > /dev/null
cp formulas.xls long_cells.xls "$here/"
