#!/usr/bin/env bash
# Converts the shipped sample table with one shipped style and file type, the
# way a user does: refmill runs in a fresh copy of the program folder (the
# data files beside the program, working folder = that folder). The output
# must equal the expected file byte for byte, and the run must exit 0 without
# a single warning (the sample is meant to convert cleanly). A table of its
# own may stand in for the sample.
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
# Reading a UTF-8 file is reported, not warned about.
warnings=$(iconv -f CP932 -t UTF-8 error.log 2>/dev/null | grep -v '^デバッグ' | grep -v '^UTF-8 のファイルを')
if [ -n "$warnings" ]; then
  echo "unexpected messages:"
  echo "$warnings"
  status=1
fi
if ! cmp -s "$expected" out; then
  echo "output differs from $expected (expected, then actual, as UTF-8):"
  as_utf8() { case $type in *utf8*) cat "$1" ;; *) iconv -f CP932 -t UTF-8 "$1" ;; esac; }
  diff <(as_utf8 "$expected") <(as_utf8 out) | head -40
  status=1
fi
exit $status
