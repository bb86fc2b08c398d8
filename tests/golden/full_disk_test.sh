#!/usr/bin/env bash
# A write that fails midway must leave an existing destination exactly as it
# was and no temporary file beside it. The destination lies on a tiny tmpfs
# that is nearly full, so the output runs out of room while it is written.
# Mounting needs root; where it is not possible the test is skipped (77).
# Usage: full_disk_test.sh REFMILL [TABDUMP WORKBOOK]
set -u
refmill=$1
tabdump=${2:-}
workbook=${3:-}
work=$(mktemp -d)
disk=$work/disk
mkdir "$disk"
cleanup() {
  mountpoint -q "$disk" && umount "$disk"
  rm -rf "$work"
}
trap cleanup EXIT
if ! mount -t tmpfs -o size=64k tmpfs "$disk" 2> /dev/null; then
  echo "cannot mount a tmpfs here: skipped"
  exit 77
fi

status=0
fail() {
  echo "FAIL: $*"
  status=1
}

# The program folder: a style, a file type, abbrev.dat and a table whose
# output is far larger than the room left on the disk.
cd "$work"
printf '[InputFormat]\r\n$AT=2\r\n$YR=3\r\n[OutputFormat]\r\nebook=$AT ($YR) A title long enough to fill the disk quickly.\r\n' > style.ini
printf '[General]\r\nheader=BEGIN\r\nfooter=END\r\n' > types.trl
printf 'Journal=J.\r\n' > abbrev.dat
for i in $(seq 1 2000); do printf '*,ebook,Author%d Smith,%d\r\n' "$i" $((1900 + i % 100)); done > big.csv
printf '*,ebook,John Smith,1999\r\n' > small.csv

# An old list that must survive, then a filler that leaves about 32 KB free:
# room for a small list, not for the big one.
printf 'the old list, which must survive\r\n' > "$disk/out.txt"
cp "$disk/out.txt" old.txt
dd if=/dev/zero of="$disk/filler" bs=4k count=7 status=none
"$refmill" /s types style small.csv "$disk/small-fits.txt" > /dev/null
[ $? -eq 0 ] || fail "a small output that fits was not written"
rm -f "$disk/small-fits.txt"

listing_before=$(ls -A "$disk")
# Each case: name, where the notice goes (stdout, error.log or nowhere with
# /s alone), arguments.
cases=(
  "replace an existing list|stdout|types style big.csv $disk/out.txt"
  "replace silently|none|/s types style big.csv $disk/out.txt"
  "create a new list|error.log|/se types style big.csv $disk/new.txt"
)
for c in "${cases[@]}"; do
  IFS='|' read -r name notice rest <<< "$c"
  read -r -a args <<< "$rest"
  rm -f error.log
  echo y | "$refmill" "${args[@]}" > stdout 2>&1
  code=$?
  [ $code -eq 7 ] || fail "$name: exit code $code, expected 7"
  if [ "$notice" != none ]; then
    iconv -f CP932 -t UTF-8 "$notice" | grep -q "${args[-1]}を作成できません" ||
      fail "$name: no notice in $notice that the output cannot be created"
  fi
  cmp -s old.txt "$disk/out.txt" || fail "$name: the old list was changed"
  [ "$(ls -A "$disk")" = "$listing_before" ] ||
    fail "$name: files left behind: $(ls -A "$disk" | tr '\n' ' ')"
done

# tabdump writes through the same writer; its table of the sample workbook
# is larger than what is left once the disk is fuller.
if [ -n "$tabdump" ]; then
  cat /dev/zero >> "$disk/filler" 2> /dev/null
  listing_before=$(ls -A "$disk")
  "$tabdump" "$workbook" "$disk/out.txt" > /dev/null 2>&1
  code=$?
  [ $code -eq 7 ] || fail "tabdump: exit code $code, expected 7"
  cmp -s old.txt "$disk/out.txt" || fail "tabdump: the old table was changed"
  [ "$(ls -A "$disk")" = "$listing_before" ] ||
    fail "tabdump: files left behind: $(ls -A "$disk" | tr '\n' ' ')"
fi
[ $status -eq 0 ] && echo "full disk: nothing lost, nothing left behind"
exit $status
