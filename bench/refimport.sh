#!/usr/bin/env bash
# Times refimport on 100,000 BibTeX references (and any sizes given after the
# program folder) against refmill formatting the same references with
# jpa.ini; the goal is at most twice refmill's time.
# Usage: bench/refimport.sh [PROGRAM_FOLDER] [N ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:-build/bin}" && pwd)
shift || true
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(100000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin"/*.dat "$bin/jpa.ini" "$bin/text.trl" "$work/"
cd "$work"
for n in "${sizes[@]}"; do
  python3 "$here/make_table.py" "$n" "$work" > /dev/null
  python3 "$here/make_bib.py" "$work"
  "$bin/refimport" bench.bib imported.csv > /dev/null 2>&1
  refs=$(($(wc -l < imported.csv) - 1))
  # In rounds, one run of each after the other, as bench/run.sh times
  # refmill beside the floor: the machine's own unevenness moved the ratio
  # by a third between runs timed apart.
  mapfile -t runs < <(python3 "$here/side_by_side.py" 7 \
    "$bin/refimport" bench.bib imported.csv -- \
    "$bin/refmill" /s text.trl jpa.ini imported.csv out.txt)
  read -r imported _ <<< "${runs[0]}"
  read -r formatted _ <<< "${runs[1]}"
  awk -v n="$refs" -v i="$imported" -v f="$formatted" 'BEGIN {
    printf "%d BibTeX references: refimport %.3f s, refmill (jpa.ini) %.3f s; ratio %.2fx (goal: at most 2x)\n",
      n, i, f, (f > 0 ? i / f : 0) }'
done
