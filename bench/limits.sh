#!/usr/bin/env bash
# Tries refmill on inputs at and past the sizes users' files reach: very long
# lines, very wide rows, huge templates, large data files, millions of rows.
# Each case must either finish or stop with exit code 1 and a message, never
# crash or hang; the script prints exit code, wall time, peak memory and the
# first line of refmill's message for each (as UTF-8).
# Usage: bench/limits.sh [PROGRAM_FOLDER] [CASE ...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:-build/bin}" && pwd)
shift || true
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/abbrev.dat" "$bin/roman.dat" "$work/"
cd "$work"
python3 "$here/make_table.py" 1000 "$work" > /dev/null
cp bench.csv base.csv
# Hanging is a failure too: no case may take longer than this, nor take more
# memory than this (the machine is shared).
limit=${LIMIT_SECONDS:-120}
ulimit -v $((${LIMIT_MB:-6000} * 1024))

python3 - "$work" <<'PY'
import os, sys
w = sys.argv[1]
def put(name, data):
    open(os.path.join(w, name), "wb").write(data)
style = open(os.path.join(w, "bench.ini"), "rb").read()
rows = open(os.path.join(w, "base.csv"), "rb").read().split(b"\r\n")
head, body = rows[0], [r for r in rows[1:] if r]
# One line of 8 MB: a title of 8 million bytes.
big = body[0].split(b",")
big[4] = b"T" * 8_000_000
put("long-line.csv", b"\r\n".join([head, b",".join(big)] + body[1:]) + b"\r\n")
# A cell of 200 MB in one entry.
big[4] = b"x" * 200_000_000
put("huge-cell.csv", b"\r\n".join([head, b",".join(big)] + body[1:20]) + b"\r\n")
# 100 entries of 100,000 columns each, the author in the last column.
wide = [b"*,ebook,id%d," % n + b",".join(b"c%d" % i for i in range(3, 99_999)) + b",Author %d" % n
        for n in range(100)]
put("wide.csv", b"\r\n".join([head] + wide) + b"\r\n")
put("wide.ini", style.replace(b"$AT=3\n", b"$AT=99999\n").replace(b"$AT=3\r\n", b"$AT=99999\r\n"))
# 10 MB template: the style's value is cut at 2047 bytes, so it is made by
# the file type's replacements: 2,000 "X" → 10,000 "Q" → 2.5 million tokens.
tmpl = style.replace(b"ebook=", b"ebook=" + b"X" * 2000 + b" ", 1)
put("huge-template.ini", tmpl)
trl = open(os.path.join(w, "bench.trl"), "rb").read()
put("huge-template.trl", trl + b"[Replace]\r\nX=" + b"Q" * 5 + b"\r\nQ=" + b"$YR " * 250 + b"\r\n")
# The same size, but the tokens overlap ("$$YR"), so it cannot be planned.
put("tangled.trl", trl + b"[Replace]\r\nX=" + b"Q" * 5 + b"\r\nQ=" + b"$$YR" * 250 + b"\r\n")
# Replacements that multiply: 2,000 bytes → 4 million → 8 billion.
put("explosive.trl", trl + b"[Replace]\r\nX=" + b"Q" * 2000 + b"\r\nQ=" + b"K" * 2000 + b"\r\nK=$YR\r\n")
# roman.dat of 10,000 lines and abbrev.dat of 1 million lines.
roman = open(os.path.join(w, "roman.dat"), "rb").read()
os.mkdir(os.path.join(w, "bigdata"))
put("bigdata/roman.dat", roman + b"".join(b"x%d=y\r\n" % i for i in range(10_000)))
put("bigdata/abbrev.dat", open(os.path.join(w, "abbrev.dat"), "rb").read() +
    b"".join(b"Journal number %d=J. %d\r\n" % (i, i) for i in range(1_000_000)))
PY
python3 "$here/make_table.py" 5000000 "$work" > /dev/null
mv bench.csv five-million.csv
python3 "$here/make_table.py" 1000 "$work" > /dev/null
for f in tangled.trl explosive.trl; do cp bench.csv "${f%.trl}.csv"; done
# Every formatted book entry is some 15 MB long with the huge template.
python3 "$here/make_table.py" 100 "$work" > /dev/null
mv bench.csv huge-template.csv
python3 "$here/make_table.py" 1000 "$work" > /dev/null
cp bench.csv bigdata/bench.csv
cp bench.ini bench.trl bigdata/

run() {
  local name=$1 dir=$2
  shift 2
  [ ${#selected[@]} -gt 0 ] && [[ ! " ${selected[*]} " =~ " $name " ]] && return
  (cd "$dir" && timeout -s KILL "$limit" /usr/bin/time -f "%e %M" -o "$work/time" \
     "$bin/refmill" /se "$@" out.html > "$work/stdout" 2>&1)
  local code=$?
  local msg
  msg=$(cat "$work/stdout" "$dir/error.log" 2> /dev/null | iconv -f CP932 -t UTF-8 |
        grep -v -e 'デバッグ' -e '^\s*$' -e '^REFMILL v1.0\s*$' | head -1 | cut -c1-110)
  read -r secs kb < <(tail -1 "$work/time" 2> /dev/null || echo "- 0")
  [ $code -eq 137 ] && secs=">$limit (killed)"
  printf '%-16s exit %-3s %8s s %7s MB  %s\n' "$name" "$code" "$secs" "$((kb / 1024))" "$msg"
  rm -f "$dir/out.html" "$dir/error.log"
}
selected=("$@")
run long-line      . bench.trl bench.ini long-line.csv
run huge-cell      . bench.trl bench.ini huge-cell.csv
run wide           . bench.trl wide.ini wide.csv
run huge-template  . huge-template.trl huge-template.ini huge-template.csv
run tangled        . tangled.trl huge-template.ini tangled.csv
run explosive      . explosive.trl huge-template.ini explosive.csv
run big-data-files bigdata bench.trl bench.ini bench.csv
run five-million   . bench.trl bench.ini five-million.csv
