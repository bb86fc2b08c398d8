#!/usr/bin/env bash
# tabdump.exe under wine against the Linux tabdump on every workbook the
# Linux tests use: the checked-in .xls ones and the .xlsx ones the Linux
# tests make (their tabdump_test keeps copies when asked). For each, both
# programs must end with the same code, write the same standard error and
# the same table, byte for byte, in Shift-JIS and in UTF-8 (/u).
#   same_tables.sh <tabdump.exe> <wine.sh> <Linux program folder> <tests/tabdump>
set -u
tabdump_exe=$(realpath "$1")
wine=$(realpath "$2")
linux_bin=$(realpath "$3")
fixtures=$(realpath "$4")
for program in tabdump tabdump_test; do
  if [ ! -x "$linux_bin/$program" ]; then
    echo "$linux_bin/$program is missing: build the Linux tree first (make build)" >&2
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/books" "$work/linux" "$work/windows"
TABDUMP_KEEP_WORKBOOKS=$work/books "$linux_bin/tabdump_test" > "$work/gtest.log" 2>&1 || {
  echo "the Linux tabdump tests failed; see their own run" >&2
  tail -20 "$work/gtest.log" >&2
  exit 1
}
cp "$fixtures"/*.xls "$work/books/"
# A Japanese name goes to freexl and libzip in Shift-JIS on Windows.
cp "$fixtures/sample.xls" "$work/books/文献データ.xls"
cp "$work/books/"*-refs.xlsx "$work/books/文献データ.xlsx"
cd "$work/books"
run_side() {
  if [ "$1" = linux ]; then
    "$linux_bin/tabdump" "$2" "$3" "../$1/out.csv" > /dev/null 2> "../$1/err"
  else
    "$wine" "$tabdump_exe" "$2" "$3" "../$1/out.csv" > /dev/null 2> "../$1/err" < /dev/null
  fi
  echo $? > "../$1/code"
}
# The same code, standard error and table on both sides; a table neither
# side wrote is the same.
same_sides() {
  local part
  for part in code err out.csv; do
    if [ -e "../linux/$part" ] || [ -e "../windows/$part" ]; then
      cmp -s "../linux/$part" "../windows/$part" || return 1
    fi
  done
}
status=0
count=0
for book in *; do
  for switch in /s /su; do
    for side in linux windows; do
      run_side $side "$switch" "$book"
    done
    # On a loaded machine wine has now and then written a standard error
    # that differs from the Linux one while everything else matched, and
    # ended a conversion with another code and no table, on a first run and
    # on a second. Show what each run gave, and give the Windows side two
    # more runs before calling it a difference: a real one comes every time.
    for retry in 1 2; do
      same_sides && break
      echo "$book ($switch): differs on Windows run $retry, codes $(cat ../linux/code) and" \
           "$(cat ../windows/code); standard error of Linux, then Windows:"
      cat -v ../linux/err ../windows/err
      rm -f ../windows/out.csv
      run_side windows "$switch" "$book"
    done
    count=$((count + 1))
    for part in code err out.csv; do
      if [ -e "../linux/$part" ] || [ -e "../windows/$part" ]; then
        if ! cmp -s "../linux/$part" "../windows/$part"; then
          echo "$book ($switch): $part differs between Linux and Windows"
          status=1
        fi
      fi
    done
    rm -f ../linux/out.csv ../windows/out.csv
  done
done
echo "$count conversions compared"
exit $status
