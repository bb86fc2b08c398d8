#!/usr/bin/env bash
# Installs what the Windows cross build and its tests under wine need, but
# only what is missing. Kept apart from install-deps.sh so that `make test`
# and `make demo` never pull in wine.
set -euo pipefail

packages=(
  build-essential cmake python3
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev libz-mingw-w64-dev
  dpkg-dev patch
  # refimport.exe: nlohmann/json is headers only and serves the cross build
  # as it is; btparse is built from its source package (below).
  nlohmann-json3-dev
  wine64 locales zip
  # refdesk.exe's window under wine needs a display, and its Japanese
  # captions a Japanese font.
  xvfb xauth fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo > /dev/null; then
    SUDO=sudo
  else
    SUDO=
  fi
else
  SUDO=
fi

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ] && [ -z "$SUDO" ]; then
    echo "Missing packages and not root: install ${missing[*]} with apt-get." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# wine takes its ANSI code page from the locale: a Japanese locale gives the
# Shift-JIS code page 932 that the Windows programs are written for.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "Generating the ja_JP.UTF-8 locale"
  if [ "$(id -u)" -ne 0 ] && [ -z "$SUDO" ]; then
    echo "The ja_JP.UTF-8 locale is missing and not root: generate it with locale-gen." >&2
    exit 1
  fi
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen > /dev/null
  fi
  $SUDO locale-gen ja_JP.UTF-8 > /dev/null
fi

# tabdump.exe links freexl, libzip and pugixml, and refimport.exe btparse,
# built from Debian's source packages (third_party/source.sh); apt-get
# source needs deb-src lines for the configured suites.
sources=()
for p in freexl/freexl_1.0.6-2.dsc libzip/libzip_1.7.3-1.dsc pugixml/pugixml_1.13-0.2.dsc \
         btparse/libtext-bibtex-perl_0.91.orig.tar.gz; do
  [ -f "third_party/${p%%/*}/download/${p#*/}" ] || sources+=("${p%%/*}")
done
if [ ${#sources[@]} -ne 0 ]; then
  SUDO=$SUDO scripts/add-deb-src.sh
  for p in "${sources[@]}"; do
    echo "Fetching the $p source package"
    third_party/source.sh "$p" fetch
  done
fi
