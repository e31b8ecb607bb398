#!/bin/sh
# Runs a Windows program of the build under Wine, headless and quiet:
#   wine-run.sh WINE64 WINEPREFIX PROGRAM [ARGUMENT...]
# The program's output is kept in files and passed on when it ends. Wine's own
# service processes, which the first program of a session starts, keep the
# output they were handed open for as long as Wine runs, and whoever reads it
# (CTest, GoogleTest's listing of a program's cases) would wait for them.
# Wine turns Windows file names into Unix ones in the locale's character set:
# under a UTF-8 locale whatever the caller's, so that names such as
# "Filmé Ünïcode" reach the disk as the Linux build writes them.
wine=$1 prefix=$2
shift 2
out=$(mktemp) && err=$(mktemp) || exit 125
LC_ALL=C.UTF-8 WINEPREFIX=$prefix WINEDEBUG=-all env -u DISPLAY -u WAYLAND_DISPLAY "$wine" "$@" < /dev/null > "$out" 2> "$err"
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
