#!/usr/bin/env bash
# The sources of freexl that tabdump links: Debian's source package of the
# version our patch was made for, with the patch applied. Nothing here is
# tied to the host, so a cross build (mingw-w64) uses the same two steps.
#
#   source.sh fetch   [DOWNLOAD_DIR]           Debian's source package, once
#   source.sh prepare DOWNLOAD_DIR SOURCE_DIR  unpacked and patched
#
# fetch needs deb-src lines for the configured suites (scripts/install-deps.sh
# adds them); prepare needs dpkg-source and patch only.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
version=1.0.6-2
patch_file=$here/freexl-1.0.6.patch

case "${1:-}" in
  fetch)
    download=${2:-$here/download}
    [ -f "$download/freexl_$version.dsc" ] && exit 0
    mkdir -p "$download"
    cd "$download"
    apt-get source --download-only -qq "freexl=$version"
    ;;
  prepare)
    download=$2
    dest=$3
    if [ ! -f "$download/freexl_$version.dsc" ]; then
      echo "freexl $version source package missing in $download: run scripts/install-deps.sh" >&2
      exit 1
    fi
    # apt has checked the files against the archive's signed index already.
    rm -rf "$dest.part"
    dpkg-source --no-check -q -x "$download/freexl_$version.dsc" "$dest.part" > /dev/null
    patch -d "$dest.part" -p1 -s < "$patch_file"
    rm -rf "$dest"
    mv "$dest.part" "$dest"
    ;;
  *)
    echo "usage: $0 fetch [DOWNLOAD_DIR] | prepare DOWNLOAD_DIR SOURCE_DIR" >&2
    exit 2
    ;;
esac
