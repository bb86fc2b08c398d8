#!/usr/bin/env bash
# refimport.exe under wine against the Linux refimport on the golden exports
# (BibTeX, RIS, CSL-JSON) and on damaged BibTeX files: one entry btparse
# skips, and one on which btparse ends its process, so that the reading in a
# child process is what keeps the entries before. Each also under a Japanese
# file name, and refimport.exe also from a folder with a Japanese name, since
# it starts itself again from there. For each, both programs must end with
# the same code, write the
# same standard error and the same table, byte for byte, in Shift-JIS and
# in UTF-8 (/u).
#   same_imports.sh <refimport.exe> <wine.sh> <Linux program folder> <golden folder> <damaged folder>
set -u
refimport_exe=$(realpath "$1")
wine=$(realpath "$2")
linux_refimport=$(realpath "$3")/refimport
golden=$(realpath "$4")
damaged=$(realpath "$5")
if [ ! -x "$linux_refimport" ]; then
  echo "$linux_refimport is missing: build the Linux tree first (make build)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/sources" "$work/linux" "$work/windows" "$work/表ソ文献ツール"
cp "$refimport_exe" "$work/表ソ文献ツール/refimport.exe"
cp "$golden"/references.bib "$golden"/references.ris "$golden"/references.json "$damaged"/*.bib \
  "$work/sources/"
# "表" and "ソ" end in the byte of "\" in Shift-JIS.
cp "$golden/references.bib" "$work/sources/表ソ文献.bib"
cp "$damaged/btparse-ends.bib" "$work/sources/壊れた文献.bib"
cd "$work/sources"
status=0
count=0
# import_both <refimport.exe> [/u] <source> "<what>": both imports, compared.
import_both() {
  local exe=$1 what=${*: -1} part
  set -- "${@:2:$#-2}"
  "$linux_refimport" "$@" ../linux/out.csv > /dev/null 2> ../linux/err
  echo $? > ../linux/code
  "$wine" "$exe" "$@" ../windows/out.csv > /dev/null 2> ../windows/err < /dev/null
  echo $? > ../windows/code
  count=$((count + 1))
  for part in code err out.csv; do
    if ! cmp -s "../linux/$part" "../windows/$part"; then
      echo "$what: $part differs between Linux and Windows"
      diff "../linux/$part" "../windows/$part" | head -20
      status=1
    fi
  done
  rm -f ../linux/out.csv ../windows/out.csv
}
for source in *; do
  import_both "$refimport_exe" "$source" "$source"
  import_both "$refimport_exe" /u "$source" "$source (/u)"
done
for source in btparse-ends.bib references.bib; do
  import_both "../表ソ文献ツール/refimport.exe" "$source" "$source (from a Japanese folder)"
done
# The damaged files must still give their readable entries.
"$linux_refimport" /u skipped-entry.bib ../linux/skipped.csv 2> /dev/null
"$linux_refimport" /u btparse-ends.bib ../linux/ends.csv 2> /dev/null
if [ "$(wc -l < ../linux/skipped.csv)" -ne 3 ] || [ "$(wc -l < ../linux/ends.csv)" -ne 2 ]; then
  echo "the damaged files lost entries that could be read"
  status=1
fi
echo "$count imports compared"
exit $status
