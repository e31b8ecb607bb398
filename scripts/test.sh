#!/bin/sh
# Checks every script under the shell that runs it (scripts/check-scripts.sh)
# and runs the README's main command (scripts/run.sh) as a machine without a
# display does: it must list the demo disc. Then installs what the tests need,
# builds everything and runs the whole suite twice: as built for use, and
# built with AddressSanitizer and UndefinedBehaviorSanitizer. The suite holds
# unit tests, end-to-end runs on DVD folders authored by dvdauthor and checked
# by libdvdread, libdvdnav and ffmpeg, failures injected at every file
# operation of a run, every folder a crash could leave during a run, the
# replay of the saved fuzz inputs, and the window on Qt's offscreen platform.
# After the first build, its Debian package is installed and tried
# (scripts/test-package.sh), and the Windows build (MinGW-w64) with the Win32
# window runs its tests under Wine and makes the zip (scripts/test-windows.sh).
# Then the IFO fuzz target runs for a minute over the saved corpus
# (scripts/fuzz.sh).
set -e
cd "$(dirname "$0")/.."
started=$(date +%s)
# How long the command has taken so far, after each stage (CI allows 30 minutes).
stage() { echo "test: $1 done after $(($(date +%s) - started)) s"; }
sh scripts/check-scripts.sh

# The README's main command, without a display: it lists the demo folder.
listing=$(env -u DISPLAY -u WAYLAND_DISPLAY sh scripts/run.sh) || {
  echo "test: sh scripts/run.sh failed" >&2
  exit 1
}
printf '%s\n' "$listing" | tail -n 4
for row in "VIDEO_TS.VOB  " "VTS_01_\*.VOB  " "VTS_01_0.VOB  "; do
  printf '%s\n' "$listing" | grep -q "^$row" || {
    echo "test: sh scripts/run.sh did not list the demo disc ($row)" >&2
    exit 1
  }
done
stage "the README's main command"

sh scripts/install-deps.sh --tests
jobs=$(nproc)

# The tests join the programs the main command built in build, in the same
# build type, so nothing is compiled twice.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_BUILD_TESTS=ON
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 600)
stage "the suite"

# The Debian package of that build: installed here, both programs started from it, removed.
sh scripts/test-package.sh build
stage "the Debian package"

# The same engine, command line and window built for Windows, tested under
# Wine, kestrune-cli.exe and the window's "Blank!" compared with the build
# above on the authored discs, and the zip.
sh scripts/test-windows.sh build
stage "the Windows suite under Wine"

# The window's own logic is in the sanitizer suite (src/window); its Qt view,
# tested above, is left out of this build. Line tables only (-g1): enough for
# the sanitizers' reports to name file and line, and quicker to build. The
# authored discs are those of the build above.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DKESTRUNE_SANITIZE=ON \
  -DKESTRUNE_BUILD_GUI=OFF -DKESTRUNE_FIXTURES_DIR="$PWD/build/fixtures"
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j"$jobs" --timeout 900)
stage "the sanitizer suite"

bash scripts/fuzz.sh 60
stage "the fuzz run"
