#!/usr/bin/env bash
# The sources of a library that tabdump or refimport links: Debian's source
# package of the version our build and patches were made for, unpacked with
# Debian's own patches and then ours (third_party/PACKAGE/*.patch, in name
# order). Nothing here is tied to the host, so the Linux build and the
# mingw-w64 cross build use the same two steps.
#
#   source.sh PACKAGE fetch   [DOWNLOAD_DIR]           the source package, once
#   source.sh PACKAGE prepare DOWNLOAD_DIR SOURCE_DIR  unpacked and patched
#
# fetch needs deb-src lines for the configured suites (scripts/install-deps.sh
# adds them); prepare needs dpkg-source and patch only.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
package=${1:-}
# btparse is one part of Debian's libtext-bibtex-perl. The archive no longer
# holds the whole source package of the version Linux links (0.89-1): it is
# taken from the next release's suite, whose btparse differs only in a
# compiler fix and in supporting Haiku, and only the upstream tarball, since
# Debian's own patches of it concern the Perl module's build.
source_package=$package
suite=
case "$package" in
  freexl) version=1.0.6-2 ;;
  libzip) version=1.7.3-1 ;;
  pugixml) version=1.13-0.2 ;;
  btparse) source_package=libtext-bibtex-perl version=0.91-1 suite=trixie ;;
  *)
    echo "usage: $0 freexl|libzip|pugixml|btparse fetch [DOWNLOAD_DIR] | prepare DOWNLOAD_DIR SOURCE_DIR" >&2
    exit 2
    ;;
esac
if [ -n "$suite" ]; then
  fetched=${source_package}_${version%-*}.orig.tar.gz
else
  fetched=${source_package}_$version.dsc
fi

# apt-get source for a suite the machine is not set up for: a sources list,
# package lists and caches of its own under the download folder, with the
# archive the machine already uses for its Debian packages.
apt_for_suite() {
  local state=$download/apt
  local uri
  uri=$(sed -n 's/^URIs: *\([^ ]*\/debian\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
  [ -n "$uri" ] || uri=$(sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\/debian\) .*/\2/p' /etc/apt/sources.list 2>/dev/null | head -1)
  if [ -z "$uri" ]; then
    echo "no Debian archive configured in /etc/apt to fetch $source_package from" >&2
    exit 1
  fi
  mkdir -p "$state/lists/partial" "$state/parts"
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uri" "$suite" > "$state/parts/$suite.sources"
  local options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$state/parts"
                 -o "Dir::State::Lists=$state/lists" -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=")
  apt-get "${options[@]}" update -qq
  apt-get "${options[@]}" source --download-only --tar-only -qq "$source_package=$version"
  rm -rf "$state"
}

case "${2:-}" in
  fetch)
    download=${3:-$here/$package/download}
    [ -f "$download/$fetched" ] && exit 0
    mkdir -p "$download"
    cd "$download"
    if [ -n "$suite" ]; then
      apt_for_suite
    else
      apt-get source --download-only -qq "$package=$version"
    fi
    ;;
  prepare)
    download=$3
    dest=$4
    if [ ! -f "$download/$fetched" ]; then
      echo "$package $version source package missing in $download: run scripts/install-deps.sh" >&2
      exit 1
    fi
    # apt has checked the files against the archive's signed index already.
    mkdir -p "$(dirname "$dest")"
    rm -rf "$dest.part"
    if [ -n "$suite" ]; then
      mkdir "$dest.part"
      tar -xzf "$download/$fetched" -C "$dest.part" --strip-components=1
    else
      dpkg-source --no-check -q -x "$download/$fetched" "$dest.part" > /dev/null
    fi
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
