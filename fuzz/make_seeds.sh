#!/bin/bash
# Makes the fuzz targets' seeds from the authored fixtures:
#   fuzz/make_seeds.sh [FIXTURES_DIR]
# FIXTURES_DIR holds <disc>/VIDEO_TS as tests/dvd/make_fixtures.sh authors
# them (they are authored into a temporary folder when it is not given).
# Copies pal_menu's IFOs to fuzz/seeds/pal_menu (the target's fixed companion
# files) and writes fuzz/corpus/seed-*.bin: three header bytes (what is
# fuzzed and blanked, chain options, still time; see ifo_fuzzer.cpp) and
# one fixture IFO. Inputs that once failed (crash-*, hang-*, ...) are kept.
# The picture target's seeds, fuzz/picture_corpus/seed-*.bin: a byte (the
# VOBUs to look at, see picture_fuzzer.cpp) and the first VOBUs of a title or
# menu VOB.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
FIXTURES=${1:-}
if [ -z "$FIXTURES" ]; then
  FIXTURES=$(mktemp -d)
  trap 'rm -rf "$FIXTURES"' EXIT
  bash "$HERE/../tests/dvd/make_fixtures.sh" "$FIXTURES" pal_menu ntsc_two_sets pal_split pal_nomenu_vts pal_fade_in
fi

mkdir -p "$HERE/seeds/pal_menu" "$HERE/corpus"
cp "$FIXTURES/pal_menu/VIDEO_TS/VIDEO_TS.IFO" "$FIXTURES/pal_menu/VIDEO_TS/VTS_01_0.IFO" "$HERE/seeds/pal_menu/"
rm -f "$HERE"/corpus/seed-*.bin

# seed NAME BYTE0 BYTE1 BYTE2 IFO   (bytes in hex)
seed() {
  { printf "\\x$2\\x$3\\x$4"; cat "$FIXTURES/$5"; } >"$HERE/corpus/seed-$1.bin"
}
# Byte 0: 01 the input is VIDEO_TS.IFO, 02 titles, 04 menus, 08 VMG menu,
# 10 backups, 20 replacement VOB, 40 manual still, 80 BUPs and VOBs present.
# Byte 1: 01 merge programs, 02 merge cells, 04 remove stops, 08 remove audio
# and sub-picture mapping.
seed vts-pal_menu-titles             02 00 00 pal_menu/VIDEO_TS/VTS_01_0.IFO
seed vts-pal_menu-menus-merge        04 03 00 pal_menu/VIDEO_TS/VTS_01_0.IFO
seed vts-pal_menu-both-all-options   96 0f 00 pal_menu/VIDEO_TS/VTS_01_0.IFO
seed vts-ntsc_two_sets-set2-both     06 08 00 ntsc_two_sets/VIDEO_TS/VTS_02_0.IFO
seed vts-ntsc_two_sets-set2-still    62 05 03 ntsc_two_sets/VIDEO_TS/VTS_02_0.IFO
seed vts-pal_split-titles-backup     92 01 00 pal_split/VIDEO_TS/VTS_01_0.IFO
seed vts-pal_nomenu_vts-titles       0a 02 00 pal_nomenu_vts/VIDEO_TS/VTS_01_0.IFO
seed vmg-pal_menu-menu               09 00 00 pal_menu/VIDEO_TS/VIDEO_TS.IFO
seed vmg-pal_menu-menu-set1-backup   9f 0f 00 pal_menu/VIDEO_TS/VIDEO_TS.IFO
seed vmg-ntsc_two_sets-set1          03 08 00 ntsc_two_sets/VIDEO_TS/VIDEO_TS.IFO
seed vmg-pal_split-set1-no-menu      07 00 00 pal_split/VIDEO_TS/VIDEO_TS.IFO
seed vmg-pal_nomenu_vts-menu-still   69 04 07 pal_nomenu_vts/VIDEO_TS/VIDEO_TS.IFO

# picture_seed NAME BYTE0 SECTORS VOB   (the VOB's first SECTORS sectors)
mkdir -p "$HERE/picture_corpus"
rm -f "$HERE"/picture_corpus/seed-*.bin
picture_seed() {
  { printf "\\x$2"; head -c $(($3 * 2048)) "$FIXTURES/$4"; } >"$HERE/picture_corpus/seed-$1.bin"
}
picture_seed pal_menu-title      00 17 pal_menu/VIDEO_TS/VTS_01_1.VOB
picture_seed ntsc_two_sets-menu  00 20 ntsc_two_sets/VIDEO_TS/VIDEO_TS.VOB
picture_seed pal_fade_in-black   02 60 pal_fade_in/VIDEO_TS/VTS_01_1.VOB
echo "seeds written to $HERE/corpus and $HERE/picture_corpus"
