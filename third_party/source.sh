#!/usr/bin/env bash
# The sources of a library that tabdump links: Debian's source package of the
# version our build and patches were made for, unpacked with Debian's own
# patches and then ours (third_party/PACKAGE/*.patch, in name order). Nothing
# here is tied to the host, so the Linux build and the mingw-w64 cross build
# use the same two steps.
#
#   source.sh PACKAGE fetch   [DOWNLOAD_DIR]           the source package, once
#   source.sh PACKAGE prepare DOWNLOAD_DIR SOURCE_DIR  unpacked and patched
#
# fetch needs deb-src lines for the configured suites (scripts/install-deps.sh
# adds them); prepare needs dpkg-source and patch only.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
package=${1:-}
case "$package" in
  freexl) version=1.0.6-2 ;;
  libzip) version=1.7.3-1 ;;
  pugixml) version=1.13-0.2 ;;
  *)
    echo "usage: $0 freexl|libzip|pugixml fetch [DOWNLOAD_DIR] | prepare DOWNLOAD_DIR SOURCE_DIR" >&2
    exit 2
    ;;
esac
dsc=${package}_$version.dsc

case "${2:-}" in
  fetch)
    download=${3:-$here/$package/download}
    [ -f "$download/$dsc" ] && exit 0
    mkdir -p "$download"
    cd "$download"
    apt-get source --download-only -qq "$package=$version"
    ;;
  prepare)
    download=$3
    dest=$4
    if [ ! -f "$download/$dsc" ]; then
      echo "$package $version source package missing in $download: run scripts/install-deps.sh" >&2
      exit 1
    fi
    # apt has checked the files against the archive's signed index already.
    mkdir -p "$(dirname "$dest")"
    rm -rf "$dest.part"
    dpkg-source --no-check -q -x "$download/$dsc" "$dest.part" > /dev/null
    for patch_file in "$here/$package"/*.patch; do
      [ -f "$patch_file" ] && patch -d "$dest.part" -p1 -s < "$patch_file"
    done
    rm -rf "$dest"
    mv "$dest.part" "$dest"
    ;;
  *)
    echo "usage: $0 $package fetch [DOWNLOAD_DIR] | prepare DOWNLOAD_DIR SOURCE_DIR" >&2
    exit 2
    ;;
esac
