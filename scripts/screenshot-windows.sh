#!/bin/sh
# Takes docs/screenshot-windows.png: the Windows build's kestrune.exe under
# Wine on Xvfb (a real X server, so Wine draws with its X11 driver), in a Wine
# desktop of 800 x 600 cut down to the window and its frame, opened on a copy
# of the authored disc ntsc_two_sets as D:\Movies\HOLIDAY\VIDEO_TS\VTS_02_0.IFO
# (title set 2 comes up checked), as docs/screenshot.png shows the Linux
# window. Not part of the test command.
#   sh scripts/screenshot-windows.sh [WINDOWS-BUILD [FIXTURES]]
# Needs the Windows build (default build-win), the authored discs (default
# build/fixtures) and xvfb, x11-apps and imagemagick
# (sh scripts/install-deps.sh --tests).
set -e
cd "$(dirname "$0")/.."
win=${1:-build-win}
fixtures=${2:-build/fixtures}
case $win in /*) ;; *) win=$PWD/$win ;; esac
exe="$win/src/gui_win32/kestrune.exe"
[ -f "$exe" ] || { echo "screenshot-windows: no $exe (build the Windows build first)" >&2; exit 1; }
[ -d "$fixtures/ntsc_two_sets/VIDEO_TS" ] || { echo "screenshot-windows: no discs in $fixtures" >&2; exit 1; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all LC_ALL=C.UTF-8
mkdir -p "$work/shot/Movies/HOLIDAY"
cp -R "$fixtures/ntsc_two_sets/VIDEO_TS" "$work/shot/Movies/HOLIDAY/"

# A display of its own, the size of the Wine desktop.
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap '"$wineserver" -k 2> /dev/null; kill $xvfb 2> /dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 2
"$wine" wineboot -i > /dev/null 2>&1
ln -s "$work/shot" "$WINEPREFIX/dosdevices/d:"
"$wine" explorer /desktop=Kestrune,800x600 "$exe" 'D:\Movies\HOLIDAY\VIDEO_TS\VTS_02_0.IFO' > /dev/null 2>&1 &
sleep 10
xwd -root -silent -display "$display" | convert xwd:- -trim +repage docs/screenshot-windows.png
echo "screenshot-windows: docs/screenshot-windows.png"
