#!/bin/sh
# Installs what Kestrune needs, builds it, authors a small demo DVD folder
# (once) and opens the window on it. Without a display it says so and lists
# the demo folder with the command line instead.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
bash scripts/make-demo.sh build
DEMO="$PWD/build/demo/VIDEO_TS"
if [ -x build/src/gui/kestrune ] && { [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; }; then
  exec build/src/gui/kestrune "$DEMO/"
fi
echo "No display: showing the demo folder with kestrune-cli instead of the window."
echo "kestrune-cli list $DEMO"
exec build/src/cli/kestrune-cli list "$DEMO"
