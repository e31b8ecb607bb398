#!/bin/bash
# The disc image benchmark: kestrune-cli master of a VIDEO_TS folder of more
# than 1 GiB of title video into an image, and kestrune-cli extract of that
# image into a folder, each against cp of the same bytes in the same run
# (alternating, on the same disk, with warm caches for every reader), with
# peak memory. Prints a section of docs/performance.md on standard output.
#   image_bench.sh CLI BENCH_TOOL DATA_DIR REPEAT [TITLE_VIDEO_MIB]
# Makes DATA_DIR/image_source/VIDEO_TS once: the ntsc_two_sets disc of
# tests/dvd with the title video of each of its two title sets grown to
# TITLE_VIDEO_MIB (default 640) MiB and filled with data (no holes), the IFOs
# moved to match.
set -euo pipefail

if [ $# -lt 4 ]; then
  echo "usage: $0 CLI BENCH_TOOL DATA_DIR REPEAT [TITLE_VIDEO_MIB]" >&2
  exit 2
fi
CLI=$1
TOOL=$2
DATA=$3
REPEAT=$4
MIB=${5:-640}
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
STAMP=.kestrune-bench
VERSION="$(cat "${BASH_SOURCE[0]}" "$HERE/../tests/dvd/make_fixtures.sh" | sha256sum | cut -c1-16) $MIB"
log() { echo "bench: $*" >&2; }

mkdir -p "$DATA"
DATA=$(cd "$DATA" && pwd)
SOURCE=$DATA/image_source
if ! [ -f "$SOURCE/$STAMP" ] || [ "$(cat "$SOURCE/$STAMP")" != "$VERSION" ]; then
  log "making $SOURCE ($MIB MiB of title video per title set, filled)"
  MAKE=$(mktemp -d "$DATA/.make-image.XXXXXX")
  bash "$HERE/../tests/dvd/make_fixtures.sh" "$MAKE/fixtures" ntsc_two_sets >/dev/null
  mkdir -p "$MAKE/disc"
  cp -r "$MAKE/fixtures/ntsc_two_sets/VIDEO_TS" "$MAKE/disc/VIDEO_TS"
  "$TOOL" grow "$MAKE/disc/VIDEO_TS" "$MIB" >/dev/null
  "$TOOL" fill "$MAKE/disc/VIDEO_TS" >/dev/null
  echo "$VERSION" >"$MAKE/disc/$STAMP"
  rm -rf "$SOURCE"
  mv -T "$MAKE/disc" "$SOURCE"
  rm -rf "$MAKE"
fi
FOLDER=$SOURCE/VIDEO_TS
WORK=$(mktemp -d "$DATA/.image-work.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
BYTES=$(find "$FOLDER" -maxdepth 1 -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
TITLE_BYTES=$(find "$FOLDER" -maxdepth 1 -type f -name 'VTS_*_[1-9].VOB' -printf '%s\n' | awk '{ s += $1 } END { print s }')

# time_ms OUTPUT_RSS COMMAND...: runs the command, prints its wall time in ms;
# its peak resident memory (KiB) goes to OUTPUT_RSS.
time_ms() {
  local rss=$1 t0 t1
  shift
  t0=$(date +%s%N)
  /usr/bin/time -f %M -o "$WORK/time" "$@" >/dev/null 2>"$WORK/stderr" || { cat "$WORK/stderr" >&2; return 1; }
  t1=$(date +%s%N)
  tail -n 1 "$WORK/time" >>"$rss"
  echo $(((t1 - t0) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
sync_copy() { cp -r "$1" "$2" && sync "$2"/*; }  # cp, then the copy's data on the disk, as kestrune-cli leaves it
sync_file() { cp "$1" "$2" && sync "$2"; }
STAGE=$WORK/stage
mkdir -p "$STAGE/VIDEO_TS" "$STAGE/AUDIO_TS"
for f in "$FOLDER"/*; do ln -s "$f" "$STAGE/VIDEO_TS/"; done

# Every copy is deleted right after it is measured; the caches hold the source
# folder (and the image) for every reader alike after the first round, which
# is not counted.
log "images: one round to warm the caches"
"$CLI" master "$FOLDER" "$WORK/image.iso" >/dev/null
cp -r "$FOLDER" "$WORK/warm" && rm -rf "$WORK/warm"
for name in cp cp_sync master genisoimage extract cp_image cp_image_sync; do : >"$WORK/$name.ms"; : >"$WORK/$name.rss"; done
for i in $(seq 1 "$REPEAT"); do
  log "images: round $i of $REPEAT"
  time_ms "$WORK/cp.rss" cp -r "$FOLDER" "$WORK/c" >>"$WORK/cp.ms"; rm -rf "$WORK/c"
  time_ms "$WORK/master.rss" "$CLI" master "$FOLDER" "$WORK/m.iso" >>"$WORK/master.ms"; rm -f "$WORK/m.iso"
  time_ms "$WORK/cp_sync.rss" bash -c "$(declare -f sync_copy); sync_copy \"\$1\" \"\$2\"" _ "$FOLDER" "$WORK/c" >>"$WORK/cp_sync.ms"; rm -rf "$WORK/c"
  time_ms "$WORK/genisoimage.rss" genisoimage -quiet -f -dvd-video -udf -o "$WORK/g.iso" "$STAGE" >>"$WORK/genisoimage.ms"; rm -f "$WORK/g.iso"
  time_ms "$WORK/cp_image.rss" cp "$WORK/image.iso" "$WORK/c.iso" >>"$WORK/cp_image.ms"; rm -f "$WORK/c.iso"
  time_ms "$WORK/extract.rss" "$CLI" extract "$WORK/image.iso" "$WORK/e" >>"$WORK/extract.ms"; rm -rf "$WORK/e"
  time_ms "$WORK/cp_image_sync.rss" bash -c "$(declare -f sync_file); sync_file \"\$1\" \"\$2\"" _ "$WORK/image.iso" "$WORK/c.iso" >>"$WORK/cp_image_sync.ms"; rm -f "$WORK/c.iso"
done

ms() { median <"$WORK/$1.ms"; }
mib() { median <"$WORK/$1.rss" | awk '{ printf "%.1f", $1 / 1024 }'; }
rate() { awk -v b="$BYTES" -v t="$(ms "$1")" 'BEGIN { printf "%.0f", b / 1048576 / (t / 1000) }'; }
share() { awk -v a="$(ms "$2")" -v b="$(ms "$1")" 'BEGIN { printf "%.2f", a / b }'; }  # speed of $1 as a share of $2's
verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo "**missed**"; fi; }
IMAGE_BYTES=$(stat -c %s "$WORK/image.iso")

cat <<EOF
## Disc images

\`kestrune-cli master\` and \`kestrune-cli extract\` on a folder of
$(awk -v b="$TITLE_BYTES" 'BEGIN { printf "%.2f", b / 2^30 }') GiB of title video ($(awk -v b="$BYTES" 'BEGIN { printf "%.2f", b / 2^30 }') GiB in all, $(find "$FOLDER" -maxdepth 1 -type f | wc -l) files: the ntsc_two_sets
disc of tests/dvd with each title set's title video grown to $MIB MiB of data,
no holes) and its $(awk -v b="$IMAGE_BYTES" 'BEGIN { printf "%.2f", b / 2^30 }') GiB image, against \`cp\` of the same bytes, in
the same run, alternating, on the same disk ($DATA), after one round that
warmed the caches (medians of $REPEAT; wall time with start-up; peak resident
memory by GNU time). Both commands put what they wrote on the disk before
they end (data and names flushed), which \`cp\` does not: \`cp\` then \`sync\` of
the copy is the like-for-like comparison. \`master\` also verifies the image
under its temporary name (every IFO, the layout, the NAV packs it reads)
before renaming it; genisoimage alone is shown for what mastering itself takes.

| Step | Wall ms | MiB/s | Peak MiB |
|---|---|---|---|
| \`cp -r\` of the folder | $(ms cp) | $(rate cp) | $(mib cp) |
| \`cp -r\` of the folder, then \`sync\` of the copy | $(ms cp_sync) | $(rate cp_sync) | $(mib cp_sync) |
| \`kestrune-cli master FOLDER IMAGE\` | $(ms master) | $(rate master) | $(mib master) |
| genisoimage -dvd-video -udf alone | $(ms genisoimage) | $(rate genisoimage) | $(mib genisoimage) |
| \`cp\` of the image | $(ms cp_image) | $(rate cp_image) | $(mib cp_image) |
| \`cp\` of the image, then \`sync\` of the copy | $(ms cp_image_sync) | $(rate cp_image_sync) | $(mib cp_image_sync) |
| \`kestrune-cli extract IMAGE DIR\` | $(ms extract) | $(rate extract) | $(mib extract) |

| Target | Measured | |
|---|---|---|
| master at least 0.8 × the speed of \`cp\` of the folder | $(share master cp) × \`cp -r\`; $(share master cp_sync) × \`cp -r\` then \`sync\` | $(verdict "$(share master cp_sync) >= 0.8") (against cp then sync) |
| extract at least 0.8 × the speed of \`cp\` of the image | $(share extract cp_image) × \`cp\`; $(share extract cp_image_sync) × \`cp\` then \`sync\` | $(verdict "$(share extract cp_image_sync) >= 0.8") (against cp then sync) |
| Memory that does not grow with the image, under 32 MiB | master $(mib master) MiB (genisoimage runs as a process of its own: $(mib genisoimage) MiB), extract $(mib extract) MiB | $(verdict "$(mib master) < 32 && $(mib extract) < 32 && $(mib genisoimage) < 32") |

EOF
