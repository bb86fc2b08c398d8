#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build for a fixed time each, one after the
# other, starting from the seed corpus. What a target learns is kept in
# BUILD/fuzz-corpus/<target>, so later runs go on from there; a finding is
# written to BUILD/fuzz-findings/ and makes the script fail.
# Usage: tests/fuzz/run.sh BUILD SECONDS [TARGET ...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(split_fields_fuzz profile_fuzz sjis_text_fuzz
                                      kana2romaji_fuzz format_entry_fuzz utf8_round_trip_fuzz
                                      xlsx_workbook_fuzz xls_workbook_fuzz
                                      bibtex_reader_fuzz ris_reader_fuzz csl_json_reader_fuzz)
mkdir -p "$build/fuzz-findings"
status=0
for t in "${targets[@]}"; do
  corpus=$build/fuzz-corpus/$t
  mkdir -p "$corpus"
  log=$build/fuzz-findings/$t.log
  # Inputs stay small enough that every check runs in well under a second;
  # large inputs are bench/limits.sh's business. The smallest workbooks
  # LibreOffice writes take 6 to 10 KB.
  max_len=4096
  case $t in *_workbook_fuzz) max_len=16384 ;; esac
  "$build/bin/$t" "$corpus" "$here/corpus/$t" -max_total_time="$seconds" -max_len=$max_len \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-findings/$t-" > "$log" 2>&1
  code=$?
  execs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  if [ $code -ne 0 ]; then
    echo "$t: FINDING after ${execs:-?} runs (see $log)"
    grep -m3 -E 'ERROR|broken promise|runtime error' "$log"
    status=1
  else
    echo "$t: ${seconds} s, ${execs:-?} runs, $(ls "$corpus" | wc -l) inputs in corpus, no finding"
  fi
done
exit $status
