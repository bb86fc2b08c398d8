#!/usr/bin/env bash
# Times refmill with the shipped apa.ini (not the synthetic style of
# make_table.py) on the shipped sample repeated to 1,000,000 references (and
# any sizes given after the program folder), into the text and the HTML
# list; prints the median wall time of a few runs and the peak memory. With
# CALLGRIND=1, prints the instruction count of one run of 50,000 references
# instead: steadier than wall time on a machine others are using.
# Usage: bench/shipped_apa.sh [PROGRAM_FOLDER] [N ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:-build/bin}" && pwd)
shift || true
sizes=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/abbrev.dat" "$bin/roman.dat" "$bin/apa.ini" "$bin/text.trl" "$bin/html.trl" "$work/"
cd "$work"
if [ "${CALLGRIND:-0}" = 1 ]; then
  python3 "$here/make_shipped_table.py" 50000 "$bin/sample.csv" table.csv > /dev/null
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$bin/refmill" /s text.trl apa.ini \
    table.csv out.txt 2>&1 | sed -n 's/.*I *refs: */50000 references, apa.ini, text: instructions /p'
  exit 0
fi
[ ${#sizes[@]} -eq 0 ] && sizes=(1000000)
# The text and the HTML list beside the floor (bench/floor.cpp) on the same
# table, in rounds as bench/run.sh makes them.
for n in "${sizes[@]}"; do
  python3 "$here/make_shipped_table.py" "$n" "$bin/sample.csv" table.csv > /dev/null
  rounds=3
  [ "$n" -le 100000 ] && rounds=11
  mapfile -t runs < <(python3 "$here/side_by_side.py" "$rounds" \
    "$bin/refmill" /s text.trl apa.ini table.csv out.txt -- \
    "$bin/refmill" /s html.trl apa.ini table.csv out.html -- \
    "$bin/floor" table.csv floor.out)
  read -r tw tm <<< "${runs[0]}"
  read -r hw hm <<< "${runs[1]}"
  read -r fw fm <<< "${runs[2]}"
  echo "$n references, apa.ini, text: $tw s, $((tm / 1024)) MB"
  echo "$n references, apa.ini, html: $hw s, $((hm / 1024)) MB"
  awk -v n="$n" -v rw="$hw" -v rm="$hm" -v fw="$fw" -v fm="$fm" 'BEGIN {
    printf "%d references, floor %.3f s, %d MB; apa.ini html against it %.2fx time, %.2fx memory\n",
      n, fw, fm / 1024, (fw > 0 ? rw / fw : 0), (fm > 0 ? rm / fm : 0) }'
done
