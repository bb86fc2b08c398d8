#!/usr/bin/env bash
# Runs a Windows program under wine as the tests need it: a Japanese locale,
# which gives the ANSI code page 932 (Shift-JIS), the prefix named by
# WINEPREFIX (one per build folder, made by the first test), and no debug
# output or offers to install browser and .NET add-ons.
set -u
: "${WINEPREFIX:?WINEPREFIX must name the wine prefix}"
export WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
