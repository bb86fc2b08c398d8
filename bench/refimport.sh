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
wall() {  # the median wall time of three runs, in seconds
  for run in 1 2 3; do
    /usr/bin/time -f "%e" -o "$work/time" "$@" > /dev/null 2>&1
    cat "$work/time"
  done | sort -n | sed -n 2p
}
for n in "${sizes[@]}"; do
  python3 "$here/make_table.py" "$n" "$work" > /dev/null
  python3 "$here/make_bib.py" "$work"
  imported=$(wall "$bin/refimport" bench.bib imported.csv)
  refs=$(($(wc -l < imported.csv) - 1))
  formatted=$(wall "$bin/refmill" /s text.trl jpa.ini imported.csv out.txt)
  awk -v n="$refs" -v i="$imported" -v f="$formatted" 'BEGIN {
    printf "%d BibTeX references: refimport %.2f s, refmill (jpa.ini) %.2f s; ratio %.2fx (goal: at most 2x)\n",
      n, i, f, (f > 0 ? i / f : 0) }'
done
