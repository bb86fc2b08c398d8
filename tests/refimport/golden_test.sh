#!/usr/bin/env bash
# The golden cases: the same mixed Japanese and Western references exported
# as BibTeX, RIS and CSL-JSON, and typed by hand as a table. Each import must
# give the hand-made table exactly, and convert with jpa.ini and apa.ini to
# the same list as it. RIS carries no readings, so its table is compared
# with the hand-made one without them.
#   golden_test.sh <refimport> <refmill> <program folder>
set -u
refimport=$1
refmill=$2
program_dir=$3
cases=$(cd "$(dirname "$0")/golden" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program_dir"/*.ini "$program_dir"/*.trl "$program_dir"/*.dat "$work"/
cd "$work"
status=0
for format in bib ris json; do
  hand=references.csv
  [ "$format" = ris ] && hand=references-no-readings.csv
  if ! "$refimport" /u "$cases/references.$format" "imported-$format.csv" 2> "warnings-$format.txt"; then
    echo "$format: refimport failed:"; cat "warnings-$format.txt"; status=1; continue
  fi
  if [ -s "warnings-$format.txt" ]; then
    echo "$format: unexpected warnings:"; cat "warnings-$format.txt"; status=1
  fi
  if ! cmp -s "imported-$format.csv" "$cases/$hand"; then
    echo "$format: the table differs from $hand:"
    diff "$cases/$hand" "imported-$format.csv"
    status=1
  fi
  cp "$cases/$hand" "hand-$format.csv"
  for style in jpa apa; do
    "$refmill" /s text-utf8.trl "$style.ini" "imported-$format.csv" "imported-$format-$style.txt" > /dev/null
    "$refmill" /s text-utf8.trl "$style.ini" "hand-$format.csv" "hand-$format-$style.txt" > /dev/null
    if [ ! -s "hand-$format-$style.txt" ] ||
       ! cmp -s "imported-$format-$style.txt" "hand-$format-$style.txt"; then
      echo "$format, $style: the list differs from the hand-made table's:"
      diff "hand-$format-$style.txt" "imported-$format-$style.txt"
      status=1
    fi
  done
done
exit $status
