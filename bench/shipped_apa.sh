#!/usr/bin/env bash
# Times refmill with the shipped apa.ini (not the synthetic style of
# make_table.py) on the shipped sample repeated to 1,000,000 references (and
# any sizes given after the program folder), into the text and the HTML
# list; prints the median wall time of three runs and the peak memory. With
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
for n in "${sizes[@]}"; do
  python3 "$here/make_shipped_table.py" "$n" "$bin/sample.csv" table.csv > /dev/null
  for type in text html; do
    runs=()
    peak=0
    for run in 1 2 3; do
      /usr/bin/time -f "%e %M" -o time "$bin/refmill" /s $type.trl apa.ini table.csv out > /dev/null
      read -r wall mem < time
      runs+=("$wall")
      [ "$mem" -gt "$peak" ] && peak=$mem
    done
    median=$(printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p)
    echo "$n references, apa.ini, $type: $median s, $((peak / 1024)) MB"
  done
  # The floor (bench/floor.cpp) on the same table, and the ratios.
  runs=()
  floor_peak=0
  for run in 1 2 3; do
    /usr/bin/time -f "%e %M" -o time "$bin/floor" table.csv floor.out > /dev/null
    read -r wall mem < time
    runs+=("$wall")
    [ "$mem" -gt "$floor_peak" ] && floor_peak=$mem
  done
  floor=$(printf '%s\n' "${runs[@]}" | sort -n | sed -n 2p)
  awk -v n="$n" -v rw="$median" -v rm="$peak" -v fw="$floor" -v fm="$floor_peak" 'BEGIN {
    printf "%d references, floor %.2f s, %d MB; apa.ini html against it %.2fx time, %.2fx memory\n",
      n, fw, fm / 1024, (fw > 0 ? rw / fw : 0), (fm > 0 ? rm / fm : 0) }'
done
