#!/usr/bin/env bash
# Writes the seed corpora of the workbook fuzz targets from workbooks that
# LibreOffice writes: a small bibliography with shared strings, numbers and
# a date, saved as .xlsx and .xls. Run by hand only to change the seeds
# (needs libreoffice-calc-nogui and unzip); make fuzz reads the checked-in files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '%s\r\n' '*,jbook,山田太郎|鈴木花子,2020,"題名, 副題",12.5,2020-04-01' \
  '*,ebook,"Smith, John",1999,"He said ""hi""",TRUE,' > refs.csv
soffice --headless --infilter='CSV:44,34,76,1' --convert-to xlsx refs.csv > /dev/null 2>&1
soffice --headless --infilter='CSV:44,34,76,1' --convert-to xls refs.csv > /dev/null 2>&1
mkdir -p "$here/corpus/xlsx_workbook_fuzz" "$here/corpus/xls_workbook_fuzz"
unzip -q refs.xlsx -d parts
{
  cat parts/xl/worksheets/sheet1.xml
  printf '\xff'
  cat parts/xl/sharedStrings.xml
  printf '\xff'
  cat parts/xl/styles.xml
} > "$here/corpus/xlsx_workbook_fuzz/libreoffice"
cp refs.xls "$here/corpus/xls_workbook_fuzz/libreoffice.xls"
