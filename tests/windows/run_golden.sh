#!/usr/bin/env bash
# Runs one of the converter's golden cases with refmill.exe under wine and
# compares with the same expected files as on Linux. Only the masking
# differs: wine shows the temporary folder as "Z:/tmp/tmp.XXXX" (the
# programs write paths with "/" on Windows too), which becomes "<DIR>".
#   run_golden.sh <case folder> <refmill.exe> <wine.sh>
set -u
case_dir=$1
refmill=$2
wine=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$case_dir"/. "$work"/
rm -rf "$work/expected"
cd "$work"
read -r -a args < args
input=/dev/null
[ -f stdin ] && input=stdin
"$wine" "$refmill" "${args[@]}" < "$input" > stdout
code=$?
status=0
expected_code=$(cat "$case_dir/expected-code")
if [ "$code" != "$expected_code" ]; then
  echo "exit code $code, expected $expected_code"
  status=1
fi
for f in stdout error.log; do
  [ -f "$f" ] && LC_ALL=C sed -i -E "s/[0-9]+:[0-9]{2}:[0-9]{2}/T/g; s#Z:$work#<DIR>#g" "$f"
done
for expected in "$case_dir"/expected/*; do
  name=$(basename "$expected")
  if [ ! -f "$name" ]; then
    echo "missing $name"
    status=1
  elif ! cmp -s "$expected" "$name"; then
    echo "$name differs (expected, then actual, as UTF-8):"
    diff <(iconv -f CP932 -t UTF-8 "$expected" 2>/dev/null || cat "$expected") \
         <(iconv -f CP932 -t UTF-8 "$name" 2>/dev/null || cat "$name") | head -40
    status=1
  fi
done
exit $status
