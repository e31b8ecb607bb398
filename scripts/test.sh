#!/bin/sh
# Installs what the tests need, builds everything and runs the whole suite:
# unit tests, end-to-end runs on DVD folders authored by dvdauthor and checked
# by libdvdread, libdvdnav and ffmpeg, and the window on Qt's offscreen platform.
set -e
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh --tests
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-tests -j"$(nproc)"
cd build-tests
ctest --output-on-failure -j"$(nproc)" --timeout 600
