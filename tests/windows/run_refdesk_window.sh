#!/usr/bin/env bash
# refdesk.exe's window under wine and a virtual display: the test program
# runs in a fresh copy of the program folder (tools, styles, file types,
# data files), with the shipped sample as a workbook and as BibTeX, so its refdesk.ini and
# histories never land in the build's own program folder.
#   run_refdesk_window.sh <program folder> <refdesk_window_test.exe> <wine.sh>
#                         <sample.csv> <expected jpa list> <csv_to_xlsx.py>
set -u
program_dir=$(realpath "$1") test_exe=$(realpath "$2") wine=$(realpath "$3") here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program_dir"/{tabdump.exe,refmill.exe,*.ini,*.trl,*.dat,sample.bib} "$work/" || exit 1
# refimport.exe joins the program folder once it is built for Windows; the
# test then converts the export with it, and until then checks the message
# a folder without it gets.
if [ -f "$program_dir/refimport.exe" ]; then cp "$program_dir/refimport.exe" "$work/" || exit 1; fi
rm -f "$work/refdesk.ini"
python3 "$6" "$4" "$work/sample.xlsx" || exit 1
cp "$work/sample.xlsx" "$work/文献リスト.xlsx"
cp "$5" "$work/expected.txt"
cd "$work"
. "$here/window_prefix.sh"
# Not exec: the copy of the program folder (6 MB) is removed when the test
# ends, which an exec would skip.
xvfb-run -a "$wine" "$test_exe"
