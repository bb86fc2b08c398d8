#!/usr/bin/env bash
# Adds deb-src lines for the Debian archives and suites already configured,
# so that `apt-get source` can fetch the source packages our libraries are
# built from. Does nothing when some deb-src line exists. Run as root, or
# with SUDO set to the command that gives root.
set -euo pipefail
SUDO=${SUDO:-}
grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ && exit 0
if [ "$(id -u)" -ne 0 ] && [ -z "$SUDO" ]; then
  echo "No deb-src lines and not root: add them for the configured suites." >&2
  exit 1
fi
echo "Adding deb-src lines for the configured Debian suites"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $SUDO tee /etc/apt/sources.list.d/debian-src.sources > /dev/null
else
  sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
    $SUDO tee /etc/apt/sources.list.d/debian-src.list > /dev/null
fi
$SUDO apt-get update -qq
