#!/usr/bin/env bash
# The main job: convert the shipped sample bibliography with the default
# style and file type, in the program folder, and say where the result is.
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
cd "$bin"
if [ ! -f sample.csv ]; then
  echo "refmill is built in $bin; the sample bibliography is not shipped yet."
  ./refmill || true
  exit 0
fi
# refmill speaks Shift-JIS; show its messages (written to error.log by /se)
# and the result as UTF-8.
show() { iconv -f CP932 -t UTF-8 "$1" 2>/dev/null || cat "$1"; }
rm -f error.log
set +e
./refmill /se default.trl default.ini sample.csv sample-out.txt
code=$?
set -e
[ -f error.log ] && show error.log
if [ $code -ne 0 ]; then
  echo "refmill failed with exit code $code" >&2
  exit $code
fi
echo
echo "Converted $bin/sample.csv with style default.ini and file type default.trl."
echo "The reference list is $bin/sample-out.txt (Shift-JIS, CR LF). As UTF-8:"
echo
show sample-out.txt
