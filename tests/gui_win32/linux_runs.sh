#!/bin/sh
# The runs the Win32 window's tests compare "Blank!" with: the Linux build's
# kestrune-cli on copies of authored discs, with the choices the tests make
# in the window (main_form_win32_test.cpp, kBlankCases).
#   linux_runs.sh LINUX_CLI FIXTURES OUT
set -e
cli=$1 fixtures=$2 out=$3

run() {
  name=$1 fixture=$2
  shift 2
  rm -rf "${out:?}/$name" && mkdir -p "$out/$name"
  cp -R "$fixtures/$fixture/VIDEO_TS/." "$out/$name/"
  "$cli" "$@" "$out/$name" > /dev/null
}

run pal_menu_all pal_menu --vmg-menu --titles 1 --menus 1
run ntsc_two_sets_options ntsc_two_sets --titles 2 --menus 1 --no-backup --merge-programs --keep-stops \
  --keep-audio-sub
run pal_split_replacement pal_split --titles 1 --merge-cells --replacement "$out/pal_menu_all/VTS_01_1.VOB" \
  --still-time 255
