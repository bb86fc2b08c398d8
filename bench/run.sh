#!/usr/bin/env bash
# Times refmill on synthetic tables of 100,000 and 1,000,000 references
# (and any sizes given as arguments after the program folder), with the
# shipped abbrev.dat and roman.dat, and prints wall time and peak memory.
# Usage: bench/run.sh [PROGRAM_FOLDER] [N ...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:-build/bin}" && pwd)
shift || true
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(100000 1000000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/abbrev.dat" "$bin/roman.dat" "$work/"
cd "$work"
# refmill beside the floor (bench/floor.cpp: split, key, memcmp sort, write
# in one thread) and the UTF-8 run, in rounds of one run each, so that all
# see the machine as it is at the time: the median wall time of each, to
# the millisecond, and its largest peak. A small table takes more rounds,
# its times being short beside the machine's own unevenness.
for n in "${sizes[@]}"; do
  python3 "$here/make_table.py" "$n" "$work" > /dev/null
  rounds=3
  [ "$n" -le 100000 ] && rounds=11
  mapfile -t runs < <(python3 "$here/side_by_side.py" "$rounds" \
    "$bin/refmill" /s bench.trl bench.ini bench.csv out.html -- \
    "$bin/floor" bench.csv floor.out -- \
    "$bin/refmill" /s bench-utf8.trl bench.ini bench-utf8.csv out-utf8.html)
  read -r rw rm <<< "${runs[0]}"
  read -r fw fm <<< "${runs[1]}"
  read -r uw um <<< "${runs[2]}"
  awk -v n="$n" -v rw="$rw" -v rm="$rm" -v fw="$fw" -v fm="$fm" 'BEGIN {
    printf "%d references: refmill %.3f s, %d MB; floor %.3f s, %d MB; ratio %.2fx time, %.2fx memory\n",
      n, rw, rm / 1024, fw, fm / 1024, (fw > 0 ? rw / fw : 0), (fm > 0 ? rm / fm : 0) }'
  # The same table in UTF-8, one Western name in ten with characters
  # Shift-JIS lacks, into a UTF-8 list.
  awk -v n="$n" -v uw="$uw" -v um="$um" -v rw="$rw" 'BEGIN {
    printf "%d references in UTF-8 into a UTF-8 list: %.3f s, %d MB; %.2fx the Shift-JIS run\n",
      n, uw, um / 1024, (rw > 0 ? uw / rw : 0) }'
done
# Linear in field and template length: one 1 MB field, and a template with
# 1,000 placeholders, each over 10,000 references.
python3 - "$work" <<'PY'
import sys, os
work = sys.argv[1]
style = open(os.path.join(work, "bench.ini"), "rb").read().decode("cp932")
style = style.replace("earticle=", "earticle=" + " ".join(["$YR"] * 1000) + " ", 1)
open(os.path.join(work, "wide.ini"), "wb").write(style.encode("cp932"))
rows = [l for l in open(os.path.join(work, "bench.csv"), "rb").read().split(b"\r\n") if l][:10001]
rows[1] = rows[1].replace(b",", b"," + b"x" * 1000000 + b"|", 5)
open(os.path.join(work, "big.csv"), "wb").write(b"\r\n".join(rows) + b"\r\n")
PY
python3 "$here/make_table.py" 10000 "$work" > /dev/null
/usr/bin/time -f "10000 references, template of 1000 placeholders: %e s wall, %M KB peak" \
  "$bin/refmill" /s bench.trl wide.ini bench.csv out.html > /dev/null
/usr/bin/time -f "10000 references, one field of 1 MB: %e s wall, %M KB peak" \
  "$bin/refmill" /s bench.trl bench.ini big.csv out.html > /dev/null
# Memory per table line when every line is an entry that only warns: two
# million lines of "*" (4 MB), once silent and once with every warning held
# and written to error.log.
python3 -c "import sys; sys.stdout.buffer.write(b'*\n' * 2000000)" > stars.csv
cp "$bin/default.ini" "$bin/default.trl" .
/usr/bin/time -f "2000000 lines of \"*\": %e s wall, %M KB peak" \
  "$bin/refmill" /s default.trl default.ini stars.csv out.txt > /dev/null
/usr/bin/time -f "2000000 lines of \"*\", warnings to error.log: %e s wall, %M KB peak" \
  "$bin/refmill" /se default.trl default.ini stars.csv out.txt > /dev/null
"$here/shipped_apa.sh" "$bin" 100000 1000000
"$here/refimport.sh" "$bin"
