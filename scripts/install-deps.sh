#!/usr/bin/env bash
# Installs the Debian packages the project builds with, but only those that
# are missing, so a prepared machine is not touched.
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3
  libgtest-dev libgmock-dev
  libicu-dev
  qt6-base-dev qt6-translations-l10n
  fonts-noto-cjk
  libfreexl-dev libzip-dev libpugixml-dev libxlsxwriter-dev
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo > /dev/null; then
    SUDO=sudo
  else
    echo "Missing packages and not root: install ${missing[*]} with apt-get." >&2
    exit 1
  fi
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
