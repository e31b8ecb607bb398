#!/bin/sh
# Installs what Kestrune needs on Debian 12, as root. Idempotent.
#   install-deps.sh          build and run: compiler, CMake, Qt 6, CLI11,
#                            nlohmann-json, and
#                            dvdauthor + ffmpeg for the demo folder
#   install-deps.sh --tests  also the test tools: GoogleTest, libdvdread and
#                            libdvdnav (independent readers), Xvfb, clang
#                            with its libFuzzer runtime for the fuzz run, and
#                            MinGW-w64 and Wine for the Windows build's tests,
#                            ImageMagick for the Windows window's icon and
#                            bitmap, dpkg-dev and desktop-file-utils for the
#                            Debian package's test, x11-apps (xwd) for the
#                            Windows screenshot (scripts/screenshot-windows.sh)
#   install-deps.sh --bench  also what scripts/bench.sh measures with: Google
#                            Benchmark, strace, GNU time
set -e
PKGS="cmake g++ make pkg-config qt6-base-dev libgl-dev libcli11-dev nlohmann-json3-dev fonts-liberation dvdauthor ffmpeg"
if [ "$1" = "--tests" ]; then
  PKGS="$PKGS libgtest-dev libgmock-dev googletest libdvdread-dev libdvdnav-dev xvfb xauth clang libclang-rt-14-dev"
  PKGS="$PKGS g++-mingw-w64-x86-64 wine64"
  # imagemagick: kestrune.exe's MAINICON and OPENBMP from src/gui/resources;
  # dpkg-dev (dpkg-shlibdeps) and desktop-file-utils: the .deb and its test;
  # x11-apps: xwd, for the screenshot of kestrune.exe under Wine on Xvfb.
  PKGS="$PKGS imagemagick dpkg-dev desktop-file-utils x11-apps"
fi
if [ "$1" = "--bench" ]; then
  PKGS="$PKGS libbenchmark-dev strace time"
fi
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends $missing
fi
