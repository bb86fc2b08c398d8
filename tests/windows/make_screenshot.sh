#!/usr/bin/env bash
# docs/refdesk-windows.png: refdesk.exe's window under wine and Xvfb, with a
# Japanese font (fonts-noto-cjk), in a copy of the program folder holding
# sample histories.
#   make_screenshot.sh <program folder> <refdesk_screenshot.exe> <wine.sh> <out.png>
set -u
program_dir=$(realpath "$1") shot_exe=$(realpath "$2") wine=$(realpath "$3")
out=$(realpath -m "$4") here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program_dir"/{*.ini,*.trl} "$work/" || exit 1
printf '%s\r\n' '[General]' 'Direct=0' 'SameName3=1' 'Format=2' 'FileType=5' \
  '[HisComboBox1]' 'HisComboBox10=C:\Users\利用者\論文\文献リスト.xlsx' \
  '[HisComboBox2]' 'HisComboBox20=C:\Users\利用者\論文\文献リスト.csv' \
  '[HisComboBox3]' 'HisComboBox30=C:\Users\利用者\論文\文献リスト.csv' \
  '[HisComboBox4]' 'HisComboBox40=C:\Users\利用者\論文\文献リスト.txt' |
  iconv -f UTF-8 -t CP932 > "$work/refdesk.ini"
cd "$work"
. "$here/window_prefix.sh"
xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$shot_exe" shot.bmp || exit 1
python3 "$here/bmp_to_png.py" shot.bmp "$out"
