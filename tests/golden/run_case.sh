#!/usr/bin/env bash
# Runs one golden case: copies the case folder into a fresh temporary folder,
# runs refmill there with the arguments in "args" (and "stdin" as its input),
# and compares the exit code with "expected-code" and every file under
# "expected/" byte for byte with the file of the same name the run left
# ("stdout" is what refmill printed). Clock times and the temporary folder's
# path are masked as "T" and "<DIR>" in stdout and error.log.
#   run_case.sh <case folder> <refmill> [launcher]
# A launcher (such as a wine wrapper for refmill.exe) is put in front of the
# program; wine shows the temporary folder as "Z:/tmp/...", masked as well.
set -u
case_dir=$1
refmill=$2
launcher=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$case_dir"/. "$work"/
rm -rf "$work/expected"
cd "$work"
read -r -a args < args
input=/dev/null
[ -f stdin ] && input=stdin
$launcher "$refmill" "${args[@]}" < "$input" > stdout
code=$?
status=0
expected_code=$(cat "$case_dir/expected-code")
if [ "$code" != "$expected_code" ]; then
  echo "exit code $code, expected $expected_code"
  status=1
fi
for f in stdout error.log; do
  [ -f "$f" ] && LC_ALL=C sed -i -E "s/[0-9]+:[0-9]{2}:[0-9]{2}/T/g; s#Z:$work#<DIR>#g; s#$work#<DIR>#g" "$f"
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
