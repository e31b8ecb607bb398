#!/bin/sh
# The Windows kestrune-cli.exe, run under Wine on Z:\ paths, against the Linux
# kestrune-cli on copies of every authored disc, one after the other in the
# same folder: --list, --info and --info --json, a blanking run with backups,
# --restore (which must give back the disc), a second run and
# --delete-backups, a run without backups with the other options, and one
# with a replacement VOB; then the subcommands: list --json, verify --json,
# a dry run and a run with blank, and restore. Each step must print the same,
# end with the same status and leave the folder the same byte for byte. Then
# the same on a folder whose path is not ASCII.
#
#   same_as_linux.sh LINUX_CLI WINDOWS_CLI WINE64 WINEPREFIX FIXTURES WORK
set -u
linux=$1 windows=$2 wine=$3 prefix=$4 fixtures=$5 work=$6
export WINEPREFIX="$prefix" WINEDEBUG=-all
# Wine hands the arguments over as the locale's text: UTF-8 here.
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

passed=0 failed=0
fail() {
  echo "same_as_linux: $*" >&2
  failed=$((failed + 1))
}

# The Windows name of a path of this machine: Wine's drive Z: is "/".
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# Runs one side's command with ARGS, the folder DIR last; what it printed goes
# to $out/NAME.out and NAME.err and its status to NAME.code. On the Windows
# side the paths in the output are written back as this machine's.
run() {
  side=$1 name=$2 dir=$3
  shift 3
  if [ "$side" = linux ]; then
    "$linux" "$@" "$dir" > "$out/$name.out" 2> "$out/$name.err"
    echo $? > "$out/$name.code"
  else
    "$wine" "$windows" "$@" "$(winpath "$dir")" < /dev/null > "$out/$name.raw" 2> "$out/$name.rawerr"
    echo $? > "$out/$name.code"
    for stream in out err; do
      raw=$out/$name.raw
      [ "$stream" = err ] && raw=$out/$name.rawerr
      tr -d '\r' < "$raw" | sed -e 's/\\\\/\//g' -e 's/\\/\//g' -e 's|Z:/|/|g' > "$out/$name.$stream"
      rm -f "$raw"
    done
  fi
}

# Keeps the folder as a step left it.
keep() { rm -rf "${out:?}/$1.folder" && cp -R "$2" "$out/$1.folder"; }

# A fresh copy of the disc FIXTURE in DIR.
fresh() { rm -rf "$2" && mkdir -p "$2" && cp -R "$1/." "$2/"; }

# The steps on one side, for the disc FIXTURE copied to DIR; results in $out.
steps() {
  side=$1 fixture=$2 dir=$3 options=$4 replacement=$5
  fresh "$fixture" "$dir"
  run "$side" list "$dir" --list
  run "$side" info "$dir" --info
  run "$side" json "$dir" --info --json
  # shellcheck disable=SC2086
  run "$side" blank "$dir" $options --merge-cells
  keep blank "$dir"
  run "$side" restore "$dir" --restore
  keep restore "$dir"
  # shellcheck disable=SC2086
  run "$side" blank-again "$dir" $options
  run "$side" delete "$dir" --delete-backups
  keep delete "$dir"
  fresh "$fixture" "$dir"
  # shellcheck disable=SC2086
  run "$side" no-backup "$dir" $options --no-backup --merge-programs --keep-audio-sub --keep-stops
  keep no-backup "$dir"
  fresh "$fixture" "$dir"
  replacing=$replacement
  [ "$side" = windows ] && replacing=$(winpath "$replacement")
  # shellcheck disable=SC2086
  run "$side" replacement "$dir" $options --replacement "$replacing" --still-time 3
  keep replacement "$dir"
  fresh "$fixture" "$dir"
  run "$side" sub-list "$dir" list --json
  run "$side" sub-verify "$dir" verify --json
  # shellcheck disable=SC2086
  run "$side" sub-dry-run "$dir" blank --dry-run $options --merge-cells
  # shellcheck disable=SC2086
  run "$side" sub-blank "$dir" blank $options --merge-cells
  keep sub-blank "$dir"
  run "$side" sub-restore "$dir" restore
  keep sub-restore "$dir"
}

# Both sides on one disc; DIR is where its copy is worked on.
compare() {
  label=$1 fixture=$2 dir=$3
  rows=$("$linux" --list "$fixture")
  options=
  printf '%s\n' "$rows" | grep -q '^VIDEO_TS\.VOB ' && options="--vmg-menu"
  titles=$(printf '%s\n' "$rows" | sed -n 's/^VTS_\([0-9][0-9]\)_\*\.VOB .*/\1/p' | sed 's/^0//' | paste -sd, -)
  menus=$(printf '%s\n' "$rows" | sed -n 's/^VTS_\([0-9][0-9]\)_0\.VOB .*/\1/p' | sed 's/^0//' | paste -sd, -)
  [ -n "$titles" ] && options="$options --titles $titles"
  [ -n "$menus" ] && options="$options --menus $menus"
  for side in linux windows; do
    out=$work/results/$side
    rm -rf "$out" && mkdir -p "$out"
    steps "$side" "$fixture" "$dir" "$options" "$work/replacement.vob"
  done
  for step in list info json blank restore blank-again delete no-backup replacement sub-list sub-verify sub-dry-run \
    sub-blank sub-restore; do
    for part in code out err; do
      if cmp -s "$work/results/linux/$step.$part" "$work/results/windows/$step.$part"; then
        passed=$((passed + 1))
      else
        fail "$label: $step: the $part differs"
        diff "$work/results/linux/$step.$part" "$work/results/windows/$step.$part" | head -n 10 >&2
      fi
    done
  done
  for step in blank restore delete no-backup replacement sub-blank sub-restore; do
    if diff -r "$work/results/linux/$step.folder" "$work/results/windows/$step.folder" > /dev/null; then
      passed=$((passed + 1))
    else
      fail "$label: the folder after $step differs"
      diff -r "$work/results/linux/$step.folder" "$work/results/windows/$step.folder" | head -n 10 >&2
    fi
  done
  # The steps did what they are for (on both sides, as they are the same).
  for step in restore sub-restore; do
    if diff -r "$fixture" "$work/results/windows/$step.folder" > /dev/null; then
      passed=$((passed + 1))
    else
      fail "$label: $step did not give back the disc"
    fi
  done
  if diff -r "$work/results/windows/blank.folder" "$work/results/windows/sub-blank.folder" > /dev/null; then
    passed=$((passed + 1))
  else
    fail "$label: blank did not do what the blanking form did"
  fi
  if [ "$(cat "$work/results/windows/blank.code")" = 0 ] && [ "$(cat "$work/results/windows/delete.code")" = 0 ] &&
    ! ls "$work/results/windows/delete.folder" | grep -q '~$'; then
    passed=$((passed + 1))
  else
    fail "$label: the blanking run or --delete-backups failed"
  fi
  echo "same_as_linux: $label ($options)"
}

rm -rf "${work:?}" && mkdir -p "$work"
# A replacement VOB: the built-in PAL image as a run writes it.
mkdir -p "$work/blank" && cp -R "$fixtures/pal_menu/VIDEO_TS/." "$work/blank/"
"$linux" --titles 1 --no-backup "$work/blank" > /dev/null && cp "$work/blank/VTS_01_1.VOB" "$work/replacement.vob"

for disc in pal_menu ntsc_two_sets pal_split pal_nomenu_vts pal_languages demo; do
  if [ ! -d "$fixtures/$disc/VIDEO_TS" ]; then
    fail "$disc: no such fixture in $fixtures"
    continue
  fi
  compare "$disc" "$fixtures/$disc/VIDEO_TS" "$work/disc/VIDEO_TS"
done
compare "pal_menu in a folder named Filmé Ünïcode" "$fixtures/pal_menu/VIDEO_TS" "$work/Filmé Ünïcode/VIDEO_TS"

rm -rf "${work:?}/disc" "$work/Filmé Ünïcode"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
