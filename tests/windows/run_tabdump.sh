#!/usr/bin/env bash
# tabdump.exe under wine: the Windows build has no workbook readers, so it
# must still check its arguments and the source, refuse every workbook with
# exit code 3, and name Japanese paths readably in its Shift-JIS messages.
#   run_tabdump.sh <tabdump.exe> <wine.sh> <a workbook>
set -u
tabdump=$(realpath "$1")
wine=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$3" "$work/データ.xls"
cd "$work"
status=0
# Each row: expected exit code | expected standard error (UTF-8) | arguments.
while IFS='|' read -r code message args; do
  read -r -a argv <<< "$args"
  "$wine" "$tabdump" "${argv[@]}" > stdout 2> stderr < /dev/null
  actual=$?
  printf '%s\n' "$message" | iconv -f UTF-8 -t CP932 > expected
  if [ "$actual" != "$code" ]; then
    echo "tabdump $args: exit code $actual, expected $code"
    status=1
  fi
  if ! cmp -s expected stderr; then
    echo "tabdump $args: standard error differs (expected, then actual, as UTF-8):"
    cat <(iconv -f CP932 -t UTF-8 expected) <(iconv -f CP932 -t UTF-8 stderr 2>&1 || cat stderr)
    status=1
  fi
done <<'CASES'
2|tabdump: 使い方: tabdump [/s] "変換元ブック" "変換先CSV"（説明は tabdump /?）|
2|tabdump: 使い方: tabdump [/s] "変換元ブック" "変換先CSV"（説明は tabdump /?）|/x データ.xls out.csv
4|tabdump: 変換元ファイルが見つかりません: ない.xls|/s ない.xls out.csv
3|tabdump: Excelブック（.xls/.xlsx）として読めません: データ.xls|/s データ.xls 出力.csv
CASES
if [ -e 出力.csv ]; then
  echo "a refused workbook left an output"
  status=1
fi
exit $status
