#!/usr/bin/env bash
# Converts the shipped sample table with one shipped style and file type, the
# way a user does: refmill runs in a fresh copy of the program folder (the
# data files beside the program, working folder = that folder). The output
# must equal the expected file byte for byte, and the run must exit 0 without
# a single warning (the sample is meant to convert cleanly). The one message
# allowed is the notice that a UTF-8 file type (*-utf8.trl, saved as UTF-8 so
# that it can hold any character) was read as Shift-JIS.
# A table of its own may stand in for the sample.
#   run_shipped.sh <program folder> <refmill> <style> <file type> <expected file> [table]
set -u
program_dir=$(realpath "$1") refmill=$(realpath "$2") style=$3 type=$4 expected=$(realpath "$5")
table=sample.csv
[ $# -ge 6 ] && table=$(realpath "$6")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in abbrev.dat roman.dat "$style" "$type" "$table"; do
  case $f in /*) cp "$f" "$work/" ;; *) cp "$program_dir/$f" "$work/" ;; esac || exit 1
done
cp "$refmill" "$work/refmill"
cd "$work"
./refmill /se "$type" "$style" "$(basename "$table")" out > stdout
code=$?
status=0
if [ "$code" != 0 ]; then
  echo "refmill exited with $code"
  status=1
fi
# A UTF-8 file type, and a table of the test's own written in UTF-8, are
# reported as read in UTF-8; that notice is all they may give.
notices=(-e "//none//")
case $type in
  *-utf8.trl) notices+=(-e "UTF-8 のファイルを Shift-JIS に変換して読みました：$(pwd)/$type") ;;
esac
[ "$table" != sample.csv ] &&
  notices+=(-e "UTF-8 のファイルを Shift-JIS に変換して読みました：$(pwd)/$(basename "$table")")
warnings=$(iconv -f CP932 -t UTF-8 error.log 2>/dev/null | tr -d '\r' | grep -v '^デバッグ' |
           grep -v -x -F "${notices[@]}")
if [ -n "$warnings" ]; then
  echo "unexpected messages:"
  echo "$warnings"
  status=1
fi
if ! cmp -s "$expected" out; then
  echo "output differs from $expected (expected, then actual, as UTF-8):"
  diff <(iconv -f CP932 -t UTF-8 "$expected" 2>/dev/null || cat "$expected") \
       <(iconv -f CP932 -t UTF-8 out 2>/dev/null || cat out) | head -40
  status=1
fi
exit $status
