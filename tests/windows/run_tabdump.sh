#!/usr/bin/env bash
# tabdump.exe under wine, on workbooks written for it (same_tables.sh
# compares its tables with the Linux tabdump's on the Linux tests' ones).
# Arguments, missing sources
# and damaged archives end as on Linux, a workbook is never overwritten by
# its own table (Japanese names and other spellings included), and Japanese
# paths stay readable in the Shift-JIS messages.
#   run_tabdump.sh <tabdump.exe> <wine.sh> <make_xlsx.py>
set -u
tabdump=$(realpath "$1")
wine=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$3" "$work" || exit 1
cd "$work"
cp cells.xlsx 文献.xlsx
cp cells.xlsx original.xlsx
status=0
# Each row: expected exit code | expected standard error (UTF-8) | arguments
# | the table it must write (empty: none).
while IFS='|' read -r code message args table; do
  read -r -a argv <<< "$args"
  rm -f out.csv
  "$wine" "$tabdump" "${argv[@]}" > stdout 2> stderr < /dev/null
  actual=$?
  if [ -n "$message" ]; then printf '%s\n' "$message"; fi | iconv -f UTF-8 -t CP932 > expected
  if [ "$actual" != "$code" ]; then
    echo "tabdump $args: exit code $actual, expected $code"
    status=1
  fi
  if ! cmp -s expected stderr; then
    echo "tabdump $args: standard error differs (expected, then actual, as UTF-8):"
    cat <(iconv -f CP932 -t UTF-8 expected) <(iconv -f CP932 -t UTF-8 stderr 2>&1 || cat stderr)
    status=1
  fi
  if [ -n "$table" ] && ! cmp -s "$table" out.csv; then
    echo "tabdump $args: the table differs from $table (expected, then actual, as UTF-8):"
    diff <(iconv -f CP932 -t UTF-8 "$table") <(iconv -f CP932 -t UTF-8 out.csv 2>&1) | head -20
    status=1
  fi
  if [ -z "$table" ] && [ -e out.csv ]; then
    echo "tabdump $args: wrote a table after failing"
    status=1
  fi
done <<'CASES'
2|tabdump: 使い方: tabdump [/su] "変換元ブック" "変換先CSV"（説明は tabdump /?）||
2|tabdump: 使い方: tabdump [/su] "変換元ブック" "変換先CSV"（説明は tabdump /?）|/x cells.xlsx out.csv|
4|tabdump: 変換元ファイルが見つかりません: ない.xlsx|/s ない.xlsx out.csv|
0||/s cells.xlsx out.csv|cells.expected.csv
0||long.xlsx out.csv|long.expected.csv
0||/s 文献.xlsx out.csv|cells.expected.csv
3|tabdump: Excelブック（.xls/.xlsx）として読めません: truncated.xlsx|/s truncated.xlsx out.csv|
3|tabdump: Excelブック（.xls/.xlsx）として読めません: flipped.xlsx|/s flipped.xlsx out.csv|
7|tabdump: 変換先が変換元と同じファイルです: 文献.xlsx|/s 文献.xlsx 文献.xlsx|
7|tabdump: 変換先が変換元と同じファイルです: ./CELLS.XLSX|cells.xlsx ./CELLS.XLSX|
CASES
# Writing the table over its own workbook would have destroyed it.
for book in 文献.xlsx cells.xlsx; do
  if ! cmp -s original.xlsx "$book"; then
    echo "$book was overwritten"
    status=1
  fi
done
exit $status
