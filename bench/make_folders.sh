#!/bin/bash
# Makes the VIDEO_TS folders the benchmarks run on:
#   make_folders.sh DATA_DIR BENCH_TOOL [TITLE_VIDEO_MIB]
#   DATA_DIR/ninety_nine_sets/VIDEO_TS  99 title sets authored by dvdauthor, each
#       with a menu and a title of half a second, then grown by BENCH_TOOL so
#       that every set holds TITLE_VIDEO_MIB MiB (default 1536) of title video
#       in sparse VOB files (VTS_nn_1.VOB of 1 GiB, VTS_nn_2.VOB the rest), with
#       the IFOs moved to match;
#   DATA_DIR/typical/VIDEO_TS  a single-layer disc's worth: a video manager
#       menu and 3 title sets made the same way, each grown to 1400 MiB;
#   DATA_DIR/authored/VIDEO_TS  the ntsc_two_sets disc of tests/dvd as authored:
#       a video manager menu and two title sets, with real (not sparse) video.
# A folder whose stamp matches this script, the fixture script and the size is
# complete and is kept.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 DATA_DIR BENCH_TOOL [TITLE_VIDEO_MIB]" >&2
  exit 2
fi
DATA=$1
TOOL=$2
MIB=${3:-1536}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
FIXTURES_SCRIPT=$HERE/../tests/dvd/make_fixtures.sh
STAMP=.kestrune-bench
VERSION="$(cat "${BASH_SOURCE[0]}" "$FIXTURES_SCRIPT" | sha256sum | cut -c1-16) $MIB"

for tool in ffmpeg dvdauthor; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
mkdir -p "$DATA"
DATA=$(cd "$DATA" && pwd)

is_complete() {
  [ -f "$DATA/$1/$STAMP" ] && [ "$(cat "$DATA/$1/$STAMP")" = "$VERSION" ]
}

WORK=$(mktemp -d "$DATA/.make.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# --- ninety_nine_sets, typical: one PAL clip serves every menu and title;
# dvdauthor writes a VOB set of its own for each title set.
make_sets() {  # NAME TITLE_SETS MIB
  local name=$1 sets=$2 mib=$3
  is_complete "$name" && return 0
  [ -f "$WORK/clip.mpg" ] || ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "testsrc=size=720x576:rate=25:duration=0.5" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=0.5" \
    -target pal-dvd -b:v 1000k -aspect 4:3 \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
    "$WORK/clip.mpg"
  {
    echo '<dvdauthor>'
    echo '  <vmgm><menus><video format="pal" aspect="4:3"/>'
    echo '    <pgc entry="title"><vob file="clip.mpg"/><post>jump titleset 1 menu;</post></pgc>'
    echo '  </menus></vmgm>'
    for _ in $(seq 1 "$sets"); do
      echo '  <titleset>'
      echo '    <menus><video format="pal" aspect="4:3"/>'
      echo '      <pgc entry="root"><vob file="clip.mpg"/><post>jump title 1;</post></pgc></menus>'
      echo '    <titles><video format="pal" aspect="4:3"/>'
      echo '      <pgc><vob file="clip.mpg"/><post>call menu;</post></pgc></titles>'
      echo '  </titleset>'
    done
    echo '</dvdauthor>'
  } >"$WORK/$name.xml"
  rm -rf "$WORK/disc"
  if ! (cd "$WORK" && VIDEO_FORMAT=PAL dvdauthor -o "$WORK/disc" -x "$name.xml") >"$WORK/dvdauthor.log" 2>&1; then
    cat "$WORK/dvdauthor.log" >&2
    echo "$0: dvdauthor failed" >&2
    exit 1
  fi
  rmdir "$WORK/disc/AUDIO_TS" 2>/dev/null || true
  "$TOOL" grow "$WORK/disc/VIDEO_TS" "$mib" >/dev/null
  echo "$VERSION" >"$WORK/disc/$STAMP"
  rm -rf "${DATA:?}/$name"
  mv -T "$WORK/disc" "$DATA/$name"
  echo "made $DATA/$name"
}
make_sets ninety_nine_sets 99 "$MIB"
make_sets typical 3 1400

# --- authored: a disc as dvdauthor leaves it.
if ! is_complete authored; then
  bash "$FIXTURES_SCRIPT" "$WORK/fixtures" ntsc_two_sets >/dev/null
  mkdir -p "$WORK/authored"
  cp -r "$WORK/fixtures/ntsc_two_sets/VIDEO_TS" "$WORK/authored/VIDEO_TS"
  echo "$VERSION" >"$WORK/authored/$STAMP"
  rm -rf "$DATA/authored"
  mv -T "$WORK/authored" "$DATA/authored"
  echo "made $DATA/authored"
fi
