#!/bin/sh
# The Windows build and its tests: builds the engine, kestrune-cli.exe, the
# window kestrune.exe and their tests for 64-bit Windows with MinGW-w64
# (cmake/mingw-w64-x86_64.cmake) and runs them under Wine, headless, in a Wine
# prefix of the build folder (build-win/wine-prefix, with the null graphics
# driver): the unit tests, the end-to-end runs on the authored discs (Z:\
# paths), kestrune-cli.exe against the Linux build's kestrune-cli on every
# disc byte for byte, and the window in-process ("Blank!" against the same).
# Then makes the Windows zip (CPack) and checks what it holds: the two
# programs, importing no library beyond Windows' own, and README.txt. Uses
# the Linux test build (the folder it is given, default build) for its
# fixtures and its kestrune-cli, so scripts/test.sh runs it after that build;
# alone:
#   sh scripts/install-deps.sh --tests && sh scripts/test-windows.sh [BUILD]
set -e
cd "$(dirname "$0")/.."
started=$(date +%s)
linux="$PWD/${1:-build}"
if [ ! -x "$linux/src/cli/kestrune-cli" ] || [ ! -d "$linux/fixtures" ]; then
  echo "test-windows: needs the Linux test build with its fixtures (${1:-build}; sh scripts/test.sh makes it)" >&2
  exit 1
fi
jobs=$(nproc)

cmake -S . -B build-win --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DKESTRUNE_FIXTURES_DIR="$linux/fixtures" -DKESTRUNE_LINUX_CLI="$linux/src/cli/kestrune-cli"
cmake --build build-win -j"$jobs"
status=0
(cd build-win && ctest --output-on-failure -j"$jobs" --timeout 600) || status=$?
# Wine's server for the prefix ends a few seconds after its last program.
wineserver=$(sed -n 's/^KESTRUNE_WINESERVER:FILEPATH=//p' build-win/CMakeCache.txt)
[ -n "$wineserver" ] && WINEPREFIX="$PWD/build-win/wine-prefix" "$wineserver" -w || true

# The zip: both programs, statically linked (they import Windows' own DLLs
# only), and the readme.
rm -f build-win/kestrune-*-windows-x86_64.zip
(cd build-win && cpack -G ZIP > /dev/null) || status=1
zip=$(ls build-win/kestrune-*-windows-x86_64.zip 2> /dev/null || true)
listing=$(cd build-win && cmake -E tar tf "$(basename "$zip")" 2> /dev/null || true)
for file in kestrune.exe kestrune-cli.exe README.txt; do
  printf '%s\n' "$listing" | grep -q "/$file\$" || {
    echo "test-windows: the zip ${zip:-(not made)} holds no $file" >&2
    status=1
  }
done
for exe in build-win/src/gui_win32/kestrune.exe build-win/src/cli/kestrune-cli.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  case $dlls in
    *libstdc++* | *libgcc* | *libwinpthread*) echo "test-windows: $exe is not static: $dlls" >&2; status=1 ;;
  esac
done
[ -n "$zip" ] && echo "test-windows: $zip"
echo "test-windows: the Windows stage took $(($(date +%s) - started)) s"
exit $status
