#!/usr/bin/env bash
# Installs the Debian packages the project builds with, but only those that
# are missing, so a prepared machine is not touched.
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3
  libgtest-dev libgmock-dev
  libicu-dev
  qt6-base-dev qt6-translations-l10n
  libzip-dev libpugixml-dev libxlsxwriter-dev dpkg-dev patch
  libbtparse-dev nlohmann-json3-dev
  clang libclang-rt-14-dev clang-format
)

# tabdump links freexl built from Debian's source package with our patch
# (third_party/freexl); apt-get source needs deb-src lines for the suites.
freexl_source=third_party/freexl/download/freexl_1.0.6-2.dsc

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ -f "$freexl_source" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo > /dev/null; then
    SUDO=sudo
  else
    echo "Missing packages or sources and not root: install ${missing[*]} with apt-get," \
         "then run third_party/freexl/source.sh fetch." >&2
    exit 1
  fi
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$freexl_source" ]; then
  SUDO=$SUDO scripts/add-deb-src.sh
  echo "Fetching the freexl source package"
  third_party/freexl/source.sh fetch
fi
