#!/usr/bin/env bash
# tabdump beside LibreOffice on the same workbook: a table of 50,000 rows and
# 20 columns (Japanese and Western text, years, numbers) that LibreOffice
# itself saves as .xlsx, then converted to CSV by tabdump and by
# `soffice --headless --convert-to csv`, one after the other so both see the
# same machine. Prints the median wall time of three runs of each and the
# ratio. Needs libreoffice-calc-nogui (make bench-tabdump installs it).
# Usage: bench/tabdump_soffice.sh [PROGRAM_FOLDER] [ROWS]
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
rows=${2:-50000}
command -v soffice > /dev/null || { echo "soffice is missing (apt-get install libreoffice-calc-nogui)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A profile of its own, so a desktop LibreOffice or another run is untouched.
office=(soffice -env:UserInstallation=file://$work/profile --headless)
python3 - "$rows" <<'PY'
import random, sys
rows = int(sys.argv[1])
random.seed(1)
names = ["山田太郎", "鈴木花子", "Smith, John", "Müller, Anna", "佐藤一郎", "O'Brien, Pat"]
words = ["心理学研究", "Journal of Memory", "日本語の表記", "reading time", "実験", "cohort"]
with open("table.csv", "w", encoding="utf-8", newline="") as f:
    for r in range(rows):
        cells = ["*", random.choice(["article", "book", "ebook"]), random.choice(names),
                 str(1950 + r % 70)]
        for c in range(16):
            if c % 4 == 0:
                cells.append(str(random.randint(1, 9999)))
            else:
                cells.append(" ".join(random.choice(words) for _ in range(3)))
        f.write(",".join('"' + c.replace('"', '""') + '"' for c in cells) + "\r\n")
PY
# CSV filter options: comma, double quote, UTF-8 (76), from line 1.
"${office[@]}" --infilter='CSV:44,34,76,1' --convert-to xlsx table.csv > /dev/null 2>&1
[ -s table.xlsx ] || { echo "LibreOffice made no table.xlsx" >&2; exit 1; }
# The median of three wall times of a command.
median() {
  for run in 1 2 3; do
    /usr/bin/time -f "%e" -o time "$@" > /dev/null 2>&1
    cat time
  done | sort -n | sed -n 2p
}
t=$(median "$bin/tabdump" /s table.xlsx tabdump.csv)
mkdir -p lo
l=$(median "${office[@]}" --convert-to csv --outdir lo table.xlsx)
[ -s lo/table.csv ] || { echo "LibreOffice wrote no CSV" >&2; exit 1; }
awk -v n="$rows" -v t="$t" -v l="$l" -v kb="$(($(stat -c %s table.xlsx) / 1024))" 'BEGIN {
  printf "%d rows x 20 columns (.xlsx by LibreOffice, %d KB): tabdump %.2f s, soffice --convert-to csv %.2f s; tabdump takes %.2fx LibreOffice'"'"'s time\n",
    n, kb, t, l, (l > 0 ? t / l : 0) }'
