#!/bin/bash
# Authors the small DVD-Video folders that the end-to-end tests run on:
#   make_fixtures.sh OUTDIR [NAME...]   ->   OUTDIR/<name>/VIDEO_TS
# Without names it makes every disc below. Clips are one or two seconds of
# ffmpeg's test pattern and a sine tone, encoded bit-exact, so every run
# yields the same bytes. Each disc is authored in a temporary folder inside
# OUTDIR and renamed into place, so an interrupted run leaves no half-made
# disc. A disc whose stamp matches this script's own checksum is complete and
# is skipped; editing the script re-authors every disc on the next run.
#
# Tests that change a disc must copy it first: the folders here are shared by
# every test of a build folder.
set -euo pipefail

ALL="pal_menu ntsc_two_sets pal_split pal_nomenu_vts pal_languages pal_links pal_fade_in pal_streams demo"
STAMP=.kestrune-fixture

if [ $# -lt 1 ]; then
  echo "usage: $0 OUTDIR [NAME...]   (names: $ALL)" >&2
  exit 2
fi
OUTDIR=$1
shift
NAMES=${*:-$ALL}
for name in $NAMES; do
  case " $ALL " in
    *" $name "*) ;;
    *) echo "$0: no disc named $name (names: $ALL)" >&2; exit 2 ;;
  esac
done
mkdir -p "$OUTDIR"
OUTDIR=$(cd "$OUTDIR" && pwd)
VERSION=$(sha256sum <"${BASH_SOURCE[0]}" | cut -c1-16)

for tool in ffmpeg dvdauthor spumux; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done

# Leftovers of a run that was killed; a fresh one may belong to a run that is
# still going.
find "$OUTDIR" -maxdepth 1 \( -name '.tmp-*' -o -name '.work.*' \) -mmin +10 -exec rm -rf {} + 2>/dev/null || true

WORK=$(mktemp -d "$OUTDIR/.work.XXXXXX")
DISC_TMP=""  # the disc being authored, removed if the run stops
trap 'rm -rf "$WORK" ${DISC_TMP:+"$DISC_TMP"}' EXIT
trap 'exit 130' INT TERM

# clip FILE SYSTEM ASPECT SECONDS TONE_HZ
# SYSTEM is pal or ntsc; the clip is a DVD-compliant MPEG-2 program stream.
clip() {
  local file=$1 system=$2 aspect=$3 seconds=$4 tone=$5 size rate
  [ -f "$WORK/$file" ] && return 0
  if [ "$system" = pal ]; then size=720x576 rate=25; else size=720x480 rate=30000/1001; fi
  ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "testsrc=size=$size:rate=$rate:duration=$seconds" \
    -f lavfi -i "sine=frequency=$tone:sample_rate=48000:duration=$seconds" \
    -target "$system-dvd" -aspect "$aspect" \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
    "$WORK/$file"
}

# clip_streams FILE ASPECT SECONDS: a PAL clip with two stereo audio
# streams, AC-3 (440 Hz) then MPEG-1 Layer II (880 Hz).
clip_streams() {
  local file=$1 aspect=$2 seconds=$3
  [ -f "$WORK/$file" ] && return 0
  ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "testsrc=size=720x576:rate=25:duration=$seconds" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" \
    -f lavfi -i "sine=frequency=880:sample_rate=48000:duration=$seconds" \
    -map 0:v -map 1:a -map 2:a -target pal-dvd -aspect "$aspect" -ac 2 -c:a:1 mp2 -b:a:1 192k \
    -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
    "$WORK/$file"
}

# with_subtitles IN OUT: IN with two sub-picture streams of one caption each
# (a two-colour paletted PNG), multiplexed by spumux.
with_subtitles() {
  local in=$1 out=$2
  [ -f "$WORK/$out" ] && return 0
  ffmpeg -nostdin -loglevel error -y -f lavfi -i "color=c=white:s=64x32" -frames:v 1 -pix_fmt pal8 \
    -fflags +bitexact -flags:v +bitexact "$WORK/caption.png"
  cat >"$WORK/caption.xml" <<'XML'
<subpictures><stream><spu start="00:00:00.00" end="00:00:00.50" image="caption.png" xoffset="100" yoffset="400"/></stream></subpictures>
XML
  (cd "$WORK" && VIDEO_FORMAT=PAL spumux -s 0 caption.xml <"$in" 2>/dev/null |
    VIDEO_FORMAT=PAL spumux -s 1 caption.xml >"$out" 2>/dev/null)
}

# is_complete NAME: the folder was renamed into place by this very script.
is_complete() {
  [ -f "$OUTDIR/$1/$STAMP" ] && [ "$(cat "$OUTDIR/$1/$STAMP")" = "$VERSION" ]
}

# author NAME FORMAT: runs dvdauthor on $WORK/NAME.xml (clips are named
# relative to $WORK), then lets the caller's hook adjust the folder, then
# renames it into place.
author() {
  local name=$1 format=$2 tmp
  tmp=$(mktemp -d "$OUTDIR/.tmp-$name.XXXXXX")
  DISC_TMP=$tmp
  # dvdauthor wants a default TV system even when the XML names one.
  if ! (cd "$WORK" && VIDEO_FORMAT=$format dvdauthor -o "$tmp" -x "$name.xml") \
      >"$WORK/$name.log" 2>&1; then
    cat "$WORK/$name.log" >&2
    rm -rf "$tmp"
    echo "$0: dvdauthor failed for $name" >&2
    return 1
  fi
  if declare -F "after_$name" >/dev/null; then "after_$name" "$tmp/VIDEO_TS"; fi
  rmdir "$tmp/AUDIO_TS" 2>/dev/null || true
  echo "$VERSION" >"$tmp/$STAMP"
  chmod 755 "$tmp"
  rm -rf "${OUTDIR:?}/$name"
  # -T: never move into a folder that a concurrent run has just put there.
  if ! mv -T "$tmp" "$OUTDIR/$name" 2>/dev/null; then
    rm -rf "$tmp"
    is_complete "$name" || { echo "$0: cannot move $name into place" >&2; return 1; }
  fi
  DISC_TMP=""
  echo "authored $OUTDIR/$name"
}

# --- pal_menu: PAL 4:3; video manager menu -> title set root menu -> title 1
# -> back to the root menu. Title 1 has two chapters (programs) in three
# cells: the chapter mark at 1 s splits the first clip (dvdauthor moves it to
# the next VOBU), the second clip is a further cell of chapter 2.
# dvdauthor reuses one VOB for every <vob> naming the same file, so each cell
# needs a clip of its own.
make_pal_menu() {
  clip pal_vmgm.mpg pal 4:3 1 330
  clip pal_vtsm.mpg pal 4:3 1 440
  clip pal_t1a.mpg pal 4:3 2 550
  clip pal_t1b.mpg pal 4:3 1 660
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="title">
        <vob file="pal_vmgm.mpg"/>
        <post>jump titleset 1 menu;</post>
      </pgc>
    </menus>
  </vmgm>
  <titleset>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="root">
        <vob file="pal_vtsm.mpg"/>
        <post>jump title 1;</post>
      </pgc>
    </menus>
    <titles>
      <video format="pal" aspect="4:3"/>
      <pgc>
        <vob file="pal_t1a.mpg" chapters="0,1"/>
        <vob file="pal_t1b.mpg"/>
        <post>call menu;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" PAL
}

# --- ntsc_two_sets: NTSC; two title sets with 4:3 menus and 16:9 titles; a
# video manager menu leading to title set 2's menu. Title set 2 has two
# titles, the second ending in a one-second cell still.
make_ntsc_two_sets() {
  clip ntsc_vmgm.mpg ntsc 4:3 1 330
  clip ntsc_vtsm1.mpg ntsc 4:3 1 440
  clip ntsc_vtsm2.mpg ntsc 4:3 1 494
  clip ntsc_t1.mpg ntsc 16:9 2 550
  clip ntsc_t2a.mpg ntsc 16:9 1 660
  clip ntsc_t2b.mpg ntsc 16:9 1 770
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm>
    <menus>
      <video format="ntsc" aspect="4:3"/>
      <pgc entry="title">
        <vob file="ntsc_vmgm.mpg"/>
        <post>jump titleset 2 menu;</post>
      </pgc>
    </menus>
  </vmgm>
  <titleset>
    <menus>
      <video format="ntsc" aspect="4:3"/>
      <pgc entry="root">
        <vob file="ntsc_vtsm1.mpg"/>
        <post>jump title 1;</post>
      </pgc>
    </menus>
    <titles>
      <video format="ntsc" aspect="16:9"/>
      <pgc>
        <vob file="ntsc_t1.mpg" chapters="0,1"/>
        <post>call menu;</post>
      </pgc>
    </titles>
  </titleset>
  <titleset>
    <menus>
      <video format="ntsc" aspect="4:3"/>
      <pgc entry="root">
        <vob file="ntsc_vtsm2.mpg"/>
        <post>jump title 1;</post>
      </pgc>
    </menus>
    <titles>
      <video format="ntsc" aspect="16:9"/>
      <pgc>
        <vob file="ntsc_t2a.mpg"/>
        <post>jump title 2;</post>
      </pgc>
      <pgc>
        <vob file="ntsc_t2b.mpg" pause="1"/>
        <post>call menu;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" NTSC
}

# --- pal_split: no video manager menu (so no VIDEO_TS.VOB); one title set
# with a root menu and two titles whose video is spread over VTS_01_1.VOB to
# VTS_01_3.VOB. dvdauthor only starts a new title VOB after 1 GiB, so the one
# it writes is cut at sector boundaries: the IFO addresses the title VOB set
# as one run of sectors, so nothing else changes.
make_pal_split() {
  clip pal_vtsm.mpg pal 4:3 1 440
  clip pal_t1a.mpg pal 4:3 2 550
  clip pal_t1b.mpg pal 4:3 1 660
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm/>
  <titleset>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="root">
        <vob file="pal_vtsm.mpg"/>
        <post>jump title 1;</post>
      </pgc>
    </menus>
    <titles>
      <video format="pal" aspect="4:3"/>
      <pgc>
        <vob file="pal_t1a.mpg" chapters="0,1"/>
        <post>jump title 2;</post>
      </pgc>
      <pgc>
        <vob file="pal_t1b.mpg"/>
        <post>call menu;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" PAL
}
after_pal_split() {
  local dir=$1 sectors part
  sectors=$(( $(stat -c %s "$dir/VTS_01_1.VOB") / 2048 ))
  part=$(( sectors / 3 ))
  dd if="$dir/VTS_01_1.VOB" of="$dir/VTS_01_2.VOB" bs=2048 skip=$part count=$part status=none
  dd if="$dir/VTS_01_1.VOB" of="$dir/VTS_01_3.VOB" bs=2048 skip=$((2 * part)) status=none
  truncate -s $((part * 2048)) "$dir/VTS_01_1.VOB"
}

# --- pal_nomenu_vts: title set 1 has no menus (VTSI_MAT 0xC0 = 0, no
# VTS_01_0.VOB), title set 2 has a root menu; the video manager menu leads to
# title set 2's menu.
make_pal_nomenu_vts() {
  clip pal_vmgm.mpg pal 4:3 1 330
  clip pal_vtsm.mpg pal 4:3 1 440
  clip pal_t1a.mpg pal 4:3 2 550
  clip pal_t1b.mpg pal 4:3 1 660
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="title">
        <vob file="pal_vmgm.mpg"/>
        <post>jump titleset 2 menu;</post>
      </pgc>
    </menus>
  </vmgm>
  <titleset>
    <titles>
      <video format="pal" aspect="4:3"/>
      <pgc>
        <vob file="pal_t1a.mpg" chapters="0,1"/>
        <post>call vmgm menu;</post>
      </pgc>
    </titles>
  </titleset>
  <titleset>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="root">
        <vob file="pal_vtsm.mpg"/>
        <post>jump title 1;</post>
      </pgc>
    </menus>
    <titles>
      <video format="pal" aspect="4:3"/>
      <pgc>
        <vob file="pal_t1b.mpg"/>
        <post>call menu;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" PAL
}

# --- pal_languages: PAL; streams and languages. The video manager menu has
# two language units (en, fr); title set 1 has menus in en and de and one 16:9
# title of two chapters with audio en (AC-3 stereo) and de (MPEG-1 stereo) and
# sub-pictures de and fr; title set 2 has a 4:3 title with one 5.1 AC-3
# stream that names no language. Menu clips carry one MPEG-1 stream: a menu
# domain has room for one audio stream's attributes. Every menu domain has an
# en unit, the language players (and libdvdnav) ask for first.
make_pal_languages() {
  clip_streams pal_two_audio.mpg 16:9 1
  with_subtitles pal_two_audio.mpg pal_two_audio_subs.mpg
  if [ ! -f "$WORK/pal_menu_mp2.mpg" ]; then
    ffmpeg -nostdin -loglevel error -y \
      -f lavfi -i "testsrc=size=720x576:rate=25:duration=1" \
      -f lavfi -i "sine=frequency=330:sample_rate=48000:duration=1" \
      -target pal-dvd -aspect 4:3 -c:a mp2 -b:a 192k \
      -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
      "$WORK/pal_menu_mp2.mpg"
  fi
  if [ ! -f "$WORK/pal_surround.mpg" ]; then
    ffmpeg -nostdin -loglevel error -y \
      -f lavfi -i "testsrc=size=720x576:rate=25:duration=1" \
      -f lavfi -i "sine=frequency=550:sample_rate=48000:duration=1" \
      -target pal-dvd -aspect 4:3 -ac 6 -b:a 384k \
      -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
      "$WORK/pal_surround.mpg"
  fi
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <pgc entry="title"><vob file="pal_menu_mp2.mpg"/><post>jump titleset 1 menu;</post></pgc>
    </menus>
    <menus lang="fr">
      <video format="pal" aspect="4:3"/>
      <pgc entry="title"><vob file="pal_menu_mp2.mpg"/><post>jump titleset 1 menu;</post></pgc>
    </menus>
  </vmgm>
  <titleset>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <pgc entry="root"><vob file="pal_menu_mp2.mpg"/><post>jump title 1;</post></pgc>
    </menus>
    <menus lang="de">
      <video format="pal" aspect="4:3"/>
      <pgc entry="root"><vob file="pal_menu_mp2.mpg"/><post>jump title 1;</post></pgc>
    </menus>
    <titles>
      <video format="pal" aspect="16:9"/>
      <audio lang="en"/>
      <audio lang="de"/>
      <subpicture lang="de"/>
      <subpicture lang="fr"/>
      <pgc>
        <vob file="pal_two_audio_subs.mpg" chapters="0,0.5"/>
        <post>call vmgm menu;</post>
      </pgc>
    </titles>
  </titleset>
  <titleset>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="root"><vob file="pal_menu_mp2.mpg"/><post>jump title 1;</post></pgc>
    </menus>
    <titles>
      <video format="pal" aspect="4:3"/>
      <pgc><vob file="pal_surround.mpg"/><post>call menu;</post></pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" PAL
}

# --- pal_links: no video manager menu; first play -> title set 1's root menu
# -> title 1 -> exit, so playback from first play ends. The menu chain (2
# programs in 2 cells) and the title chain (2 programs in 3 cells) each link
# back once to a program or cell of their own, guarded by a GPRM: dvdauthor
# writes "jump program 2" as LinkPGN 2 and "g1 = 1; jump cell 3" as a set
# command ending in LinkCN 3. Merging a blanked chain's programs and cells
# must leave such links pointing at something that exists.
make_pal_links() {
  clip pal_t1a.mpg pal 4:3 2 550
  clip pal_t1b.mpg pal 4:3 1 660
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm><fpc>jump titleset 1 menu;</fpc></vmgm>
  <titleset>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="root">
        <vob file="pal_t1a.mpg" chapters="0,1"/>
        <post>if (g0 == 0) { g0 = 1; jump program 2; } jump title 1;</post>
      </pgc>
    </menus>
    <titles>
      <video format="pal" aspect="4:3"/>
      <pgc>
        <vob file="pal_t1a.mpg" chapters="0,1"/>
        <vob file="pal_t1b.mpg"/>
        <post>if (g1 == 0) { g1 = 1; jump cell 3; } exit;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" PAL
}

# --- pal_fade_in: 16:9 titles whose pictures are not where a title starts:
# title 1 (two chapters) opens with a second of black before the test
# pattern fades in, all in its first chapter; title 2 is a shorter clip. Title set 1's chapter menu is
# a chain of commands only (no cells), beside a root menu with video. What
# the pictures of titles and menus are tested on.
make_pal_fade_in() {
  clip pal_vmgm.mpg pal 4:3 1 330
  clip pal_vtsm.mpg pal 4:3 1 440
  if [ ! -f "$WORK/pal_fade_in.mpg" ]; then
    ffmpeg -nostdin -loglevel error -y \
      -f lavfi -i "testsrc=size=720x576:rate=25:duration=2.5,fade=t=in:st=1:d=0.2" \
      -f lavfi -i "sine=frequency=550:sample_rate=48000:duration=2.5" \
      -target pal-dvd -aspect 16:9 \
      -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
      "$WORK/pal_fade_in.mpg"
  fi
  clip pal_wide.mpg pal 16:9 1 660
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="title">
        <vob file="pal_vmgm.mpg"/>
        <post>jump titleset 1 menu;</post>
      </pgc>
    </menus>
  </vmgm>
  <titleset>
    <menus>
      <video format="pal" aspect="4:3"/>
      <pgc entry="root">
        <vob file="pal_vtsm.mpg"/>
        <post>jump title 1;</post>
      </pgc>
      <pgc entry="ptt">
        <pre>jump title 1 chapter 2;</pre>
      </pgc>
    </menus>
    <titles>
      <video format="pal" aspect="16:9"/>
      <pgc>
        <vob file="pal_fade_in.mpg" chapters="0,2"/>
        <post>jump title 2;</post>
      </pgc>
      <pgc>
        <vob file="pal_wide.mpg"/>
        <post>call menu;</post>
      </pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" PAL
}

# --- pal_streams: PAL; the streams a strip run drops. Title set 1 has one
# 16:9 title of two chapters in two cells (the first with a cell command)
# with three audio streams, en AC-3 stereo (440 Hz), de MPEG-1 stereo
# (880 Hz) and fr LPCM mono (660 Hz), all decoding stream 0 of their format,
# and three sub-picture streams (de, fr, en: 0x20, 0x21, 0x22); its title
# VOB set is cut into VTS_01_1.VOB to VTS_01_3.VOB. The video manager menu
# sets audio stream 3 and sub-picture stream 2 (SetSTN) and jumps to title 1;
# title set 1's root menu sets audio stream 1 and jumps to chapter 2. Title
# set 2 follows, so TT_SRPT has a later start sector to move.
make_pal_streams() {
  if [ ! -f "$WORK/pal_three_audio.mpg" ]; then
    # The muxer complains about the LPCM stream's buffer; the stream is sound.
    ffmpeg -nostdin -loglevel fatal -y \
      -f lavfi -i "testsrc=size=720x576:rate=25:duration=2" \
      -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=2" \
      -f lavfi -i "sine=frequency=880:sample_rate=48000:duration=2" \
      -f lavfi -i "sine=frequency=660:sample_rate=48000:duration=2" \
      -map 0:v -map 1:a -map 2:a -map 3:a -target pal-dvd -aspect 16:9 -ac 2 \
      -c:a:1 mp2 -b:a:1 192k -c:a:2 pcm_s16be -ac:a:2 1 \
      -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
      "$WORK/pal_three_audio.mpg"
  fi
  with_subtitles pal_three_audio.mpg pal_three_audio_two_subs.mpg
  if [ ! -f "$WORK/pal_three_audio_subs.mpg" ]; then
    (cd "$WORK" && VIDEO_FORMAT=PAL spumux -s 2 caption.xml <pal_three_audio_two_subs.mpg \
      >pal_three_audio_subs.mpg 2>/dev/null)
  fi
  if [ ! -f "$WORK/pal_menu_mp2.mpg" ]; then
    ffmpeg -nostdin -loglevel error -y \
      -f lavfi -i "testsrc=size=720x576:rate=25:duration=1" \
      -f lavfi -i "sine=frequency=330:sample_rate=48000:duration=1" \
      -target pal-dvd -aspect 4:3 -c:a mp2 -b:a 192k \
      -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -threads 1 \
      "$WORK/pal_menu_mp2.mpg"
  fi
  clip pal_t1b.mpg pal 4:3 1 660
  cat >"$WORK/$1.xml" <<'XML'
<dvdauthor>
  <vmgm>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <pgc entry="title"><vob file="pal_menu_mp2.mpg"/><post>audio=2; subtitle=65; jump title 1;</post></pgc>
    </menus>
  </vmgm>
  <titleset>
    <menus lang="en">
      <video format="pal" aspect="4:3"/>
      <pgc entry="root"><vob file="pal_menu_mp2.mpg"/><post>audio=0; subtitle=64; jump title 1 chapter 2;</post></pgc>
    </menus>
    <titles>
      <video format="pal" aspect="16:9"/>
      <audio lang="en"/>
      <audio lang="de"/>
      <audio lang="fr"/>
      <subpicture lang="de"/>
      <subpicture lang="fr"/>
      <subpicture lang="en"/>
      <pgc>
        <vob file="pal_three_audio_subs.mpg">
          <cell start="0" end="0.5" chapter="1">g2 = 1;</cell>
          <cell start="0.5" chapter="1"/>
        </vob>
        <post>call vmgm menu;</post>
      </pgc>
    </titles>
  </titleset>
  <titleset>
    <titles>
      <video format="pal" aspect="4:3"/>
      <pgc><vob file="pal_t1b.mpg"/><post>call vmgm menu;</post></pgc>
    </titles>
  </titleset>
</dvdauthor>
XML
  author "$1" PAL
}
after_pal_streams() {
  after_pal_split "$@"
}

# --- demo: the disc of the README's demo, the same as pal_menu.
make_demo() {
  make_pal_menu "$1"
}

for name in $NAMES; do
  if is_complete "$name"; then
    continue
  fi
  "make_$name" "$name"
done
