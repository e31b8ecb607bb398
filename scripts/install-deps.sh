#!/bin/sh
# Installs what Kestrune needs on Debian 12, as root. Idempotent.
#   install-deps.sh          build and run: compiler, CMake, Qt 6, CLI11,
#                            nlohmann-json, libdvdread (reads disc images),
#                            genisoimage (masters them), libavcodec and
#                            libswscale (the pictures of titles and menus), and
#                            dvdauthor + ffmpeg for the demo folder
#   install-deps.sh --tests  also the test tools: GoogleTest, libdvdnav (an
#                            independent player's navigation), Xvfb, clang
#                            with its libFuzzer runtime for the fuzz run, and
#                            MinGW-w64 and Wine for the Windows build's tests,
#                            Chromium, which opens the report page,
#                            ImageMagick for the Windows window's icon and
#                            bitmap, dpkg-dev and desktop-file-utils for the
#                            Debian package's test, x11-apps (xwd) for the
#                            Windows screenshot (scripts/screenshot-windows.sh)
#   install-deps.sh --bench  also what scripts/bench.sh measures with: Google
#                            Benchmark, strace, GNU time
set -e
# libdvdread-dev: the image layer (src/image) reads images through it.
# genisoimage: kestrune-cli master and blank --output call it.
PKGS="cmake g++ make pkg-config qt6-base-dev libgl-dev libcli11-dev nlohmann-json3-dev libdvdread-dev genisoimage"
PKGS="$PKGS fonts-liberation dvdauthor ffmpeg"
# The pictures of titles and menus (src/picture): decoding, scaling, PNG.
PKGS="$PKGS libavcodec-dev libswscale-dev libavutil-dev"
if [ "$1" = "--tests" ]; then
  PKGS="$PKGS libgtest-dev libgmock-dev googletest libdvdnav-dev xvfb xauth clang libclang-rt-14-dev"
  PKGS="$PKGS g++-mingw-w64-x86-64 wine64"
  # The report page's test opens it in headless Chromium.
  PKGS="$PKGS chromium"
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
