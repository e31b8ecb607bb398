#!/bin/sh
# The Windows build and its tests: builds the engine, kestrune-cli.exe and the
# core and command-line tests for 64-bit Windows with MinGW-w64
# (cmake/mingw-w64-x86_64.cmake) and runs them under Wine, headless, in a Wine
# prefix of the build folder (build-win/wine-prefix): the unit tests, the
# end-to-end runs on the authored discs (Z:\ paths), and kestrune-cli.exe
# against the Linux build's kestrune-cli on every disc, byte for byte. Uses
# the Linux test build (build-tests) for its fixtures and its kestrune-cli, so
# scripts/test.sh runs it after that build; alone:
#   sh scripts/install-deps.sh --tests && sh scripts/test-windows.sh
set -e
cd "$(dirname "$0")/.."
started=$(date +%s)
linux="$PWD/build-tests"
if [ ! -x "$linux/src/cli/kestrune-cli" ] || [ ! -d "$linux/fixtures" ]; then
  echo "test-windows: needs the Linux test build with its fixtures (build-tests; sh scripts/test.sh makes it)" >&2
  exit 1
fi
jobs=$(nproc)

cmake -S . -B build-win --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRUNE_BUILD_GUI=OFF -DKESTRUNE_FIXTURES_DIR="$linux/fixtures" -DKESTRUNE_LINUX_CLI="$linux/src/cli/kestrune-cli"
cmake --build build-win -j"$jobs"
status=0
(cd build-win && ctest --output-on-failure -j"$jobs" --timeout 600) || status=$?
# Wine's server for the prefix ends a few seconds after its last program.
wineserver=$(sed -n 's/^KESTRUNE_WINESERVER:FILEPATH=//p' build-win/CMakeCache.txt)
[ -n "$wineserver" ] && WINEPREFIX="$PWD/build-win/wine-prefix" "$wineserver" -w || true
echo "test-windows: the Windows stage took $(($(date +%s) - started)) s"
exit $status
