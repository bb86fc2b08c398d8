#!/usr/bin/env bash
# Installs what `make test-clients` opens the shipped lists with, but only
# what is missing: LibreOffice (the RTF list), upLaTeX with dvipdfmx (the
# LaTeX list) and pdftotext to read the PDF back. Kept apart from
# install-deps.sh because these are big and `make test` never needs them.
set -euo pipefail

packages=(
  python3
  libreoffice-writer-nogui
  # uplatex, dvipdfmx and the Japanese fonts they embed; the base LaTeX
  # classes come with them (texlive-lang-cjk pulls in texlive-latex-base).
  texlive-lang-japanese texlive-binaries
  # Type 1 outlines of the EC and text-companion fonts: without them
  # dvipdfmx makes bitmap fonts with METAFONT on a machine's first run,
  # and the PDF gets bitmaps where a reader searches and copies text.
  cm-super-minimal
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo > /dev/null; then
    SUDO=sudo
  else
    echo "Missing packages and not root: install ${missing[*]} with apt-get." >&2
    exit 1
  fi
fi
echo "Installing missing packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
