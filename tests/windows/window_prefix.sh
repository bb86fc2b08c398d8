# Sourced by the scripts that show refdesk.exe's window under wine and Xvfb.
# A wine prefix of its own: a wine server that another test started without
# a display (or with one that has gone) would give the window none. With no
# window manager under Xvfb, wine draws the caption and frame itself, so the
# window is laid out and looks as on Windows.
#   needs: WINEPREFIX, $wine (wine.sh)
export WINEPREFIX="${WINEPREFIX:?}-window"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
"$wineserver" -w 2>/dev/null
if [ ! -f "$WINEPREFIX/.undecorated" ]; then
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f > /dev/null 2>&1 &&
    "$wineserver" -w 2>/dev/null && touch "$WINEPREFIX/.undecorated"
fi
