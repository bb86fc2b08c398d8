#!/usr/bin/env bash
# The main job: convert the shipped sample bibliography with every shipped
# style and file type, in the program folder, show the default result and
# say where all of them are.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
cd "$bin"
# refmill speaks Shift-JIS; show its messages (written to error.log by /se)
# and the results as UTF-8.
show() { iconv -f CP932 -t UTF-8 "$1" 2>/dev/null || cat "$1"; }

convert() {  # file type, style, output
  rm -f error.log
  set +e
  ./refmill /se "$1" "$2" sample.csv "$3"
  local code=$?
  set -e
  [ -f error.log ] && show error.log | grep -v -E '^(デバッグ|$)' || true
  if [ $code -ne 0 ]; then
    echo "refmill failed with exit code $code ($1, $2)" >&2
    exit $code
  fi
}

mkdir -p demo
for style in jpa apa sist02; do
  for type in text html latex rtf text-utf8 html-utf8; do
    ext=$(grep -a -m1 '^ext=' "$type.trl" | cut -d= -f2 | tr -d '\r')
    convert "$type.trl" "$style.ini" "demo/$style-$type.$ext"
  done
done
convert default.trl default.ini sample-out.txt

# The same sample as a reference manager exports it: refimport makes the
# table, and every style gives the same list from it.
./refimport sample.bib sample-bib.csv
for style in jpa apa sist02; do
  rm -f error.log
  ./refmill /se text.trl "$style.ini" sample.csv "demo/$style-from-csv.txt"
  ./refmill /se text.trl "$style.ini" sample-bib.csv "demo/$style-from-bib.txt"
  if ! cmp -s "demo/$style-from-csv.txt" "demo/$style-from-bib.txt"; then
    echo "sample.bib and sample.csv give different lists with $style.ini:" >&2
    diff <(show "demo/$style-from-csv.txt") <(show "demo/$style-from-bib.txt") >&2
    exit 1
  fi
done
rm -f demo/*-from-csv.txt demo/*-from-bib.txt

echo
echo "Imported $bin/sample.bib (the same sample as BibTeX) with refimport into"
echo "$bin/sample-bib.csv; jpa, apa and sist02 give the same lists from it as from sample.csv."
echo
echo "Converted $bin/sample.csv with style default.ini and file type default.trl."
echo "The reference list is $bin/sample-out.txt (Shift-JIS, CR LF). As UTF-8:"
echo
show sample-out.txt
echo
echo "The same table in every shipped style and file type:"
for f in demo/*; do echo "  $bin/$f"; done
