#!/bin/bash
# Measures the folder scan, a blanking run and the restore on a folder of 99
# title sets with large sparse VOB files and on an authored disc, side by side
# with `cp -r` of the same folders, and writes the figures, with the machine
# they came from, to docs/performance.md. One command, as root on Debian 12:
#
#   scripts/bench.sh [--repeat N] [--no-baseline] [--only-strip] [--images]
#
#   --repeat N     repetitions of every timing (default 5); medians are shown
#   --no-baseline  skip the scan as it was before it read its folder once
#   --only-strip   measure only the strip run against cp and replace that
#                  section of docs/performance.md
#   --images       measure only the disc images (master and extract against
#                  cp, bench/image_bench.sh) and rewrite only their section
#
# Environment: KESTRUNE_BENCH_BUILD (build folder, default build-bench),
# KESTRUNE_BENCH_DATA (where the folders are made and blanked, default
# /var/tmp/kestrune-bench: a disk folder such as a user's discs lie in),
# KESTRUNE_BENCH_BASELINE (revision whose scan is the "before", default
# 1801244), KESTRUNE_BENCH_MIB (title video per title set, default 1536),
# KESTRUNE_BENCH_STRIP_MIB (the title VOB set a strip run drops streams
# from, default 2048),
# KESTRUNE_BENCH_CMAKE_ARGS (further configure arguments).
#
# Timings on a busy machine vary; the load average is written down with them.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

REPEAT=5
BASELINE=1
ONLY_STRIP=0
IMAGES_ONLY=0
while [ $# -gt 0 ]; do
  case $1 in
    --repeat) REPEAT=$2; shift 2 ;;
    --no-baseline) BASELINE=0; shift ;;
    --only-strip) ONLY_STRIP=1; BASELINE=0; shift ;;
    --images) IMAGES_ONLY=1; BASELINE=0; shift ;;
    *) echo "usage: $0 [--repeat N] [--no-baseline] [--only-strip] [--images]" >&2; exit 2 ;;
  esac
done

BUILD=${KESTRUNE_BENCH_BUILD:-$ROOT/build-bench}
BASELINE_REV=${KESTRUNE_BENCH_BASELINE:-1801244}
MIB=${KESTRUNE_BENCH_MIB:-1536}
OUT=$ROOT/docs/performance.md
DATA=${KESTRUNE_BENCH_DATA:-/var/tmp/kestrune-bench}
JOBS=$(nproc)

sh scripts/install-deps.sh --bench >/dev/null

log() { echo "bench: $*" >&2; }

# --- build ---------------------------------------------------------------------
configure_and_build() {  # SOURCE BUILD
  mkdir -p "$2"
  # shellcheck disable=SC2086
  cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_BUILD_GUI=OFF \
    -DKESTRUNE_BUILD_TESTS=OFF -DKESTRUNE_BUILD_BENCH=ON ${KESTRUNE_BENCH_CMAKE_ARGS:-} >"$2/bench-configure.log"
  if [ ! -d "$2/bench" ]; then
    echo "$0: the build has no bench folder: add the line add_subdirectory(bench) to $1/CMakeLists.txt" >&2
    exit 1
  fi
  cmake --build "$2" -j"$JOBS" --target kestrune-cli kestrune_bench kestrune-bench-tool >"$2/bench-build.log"
}
mkdir -p "$BUILD"
log "building in $BUILD"
configure_and_build "$ROOT" "$BUILD"
CLI=$BUILD/src/cli/kestrune-cli
TOOL=$BUILD/bench/kestrune-bench-tool
GBENCH=$BUILD/bench/kestrune_bench

# The disc images: master and extract of a folder of more than 1 GiB against
# cp. With --images only they are measured, and their section of the figures
# (from "## Disc images" to the next section) is written anew.
if [ "$IMAGES_ONLY" = 1 ]; then
  log "disc images"
  bash bench/image_bench.sh "$CLI" "$TOOL" "$DATA" "$REPEAT" >"$BUILD/image-section.md"
  if [ -f "$OUT" ] && grep -q '^## Disc images' "$OUT"; then
    awk -v section="$BUILD/image-section.md" '
      /^## Disc images/ { while ((getline line < section) > 0) print line; skipping = 1; next }
      skipping && /^## / { skipping = 0 }
      !skipping { print }' "$OUT" >"$OUT.new"
  elif [ -f "$OUT" ]; then
    awk -v section="$BUILD/image-section.md" '
      /^## In-process timings/ && !done { while ((getline line < section) > 0) print line; done = 1 }
      { print }' "$OUT" >"$OUT.new"
  else
    cp "$BUILD/image-section.md" "$OUT.new"
  fi
  mv "$OUT.new" "$OUT"
  log "wrote the disc images to $OUT"
  exit 0
fi

# The scan before: that revision's engine with today's benchmark sources.
BASE_TOOL=""
BASE_GBENCH=""
if [ "$BASELINE" = 1 ] && git -C "$ROOT" cat-file -e "$BASELINE_REV^{commit}" 2>/dev/null; then
  log "building the scan of $BASELINE_REV"
  BASE_SRC=$BUILD/baseline-src
  rm -rf "$BASE_SRC"
  mkdir -p "$BASE_SRC"
  git -C "$ROOT" archive "$BASELINE_REV" CMakeLists.txt src | tar -x -C "$BASE_SRC"
  cp -r "$ROOT/bench" "$BASE_SRC/bench"
  grep -q 'add_subdirectory(bench)' "$BASE_SRC/CMakeLists.txt" || echo 'add_subdirectory(bench)' >>"$BASE_SRC/CMakeLists.txt"
  KESTRUNE_BENCH_CMAKE_ARGS="-DKESTRUNE_BENCH_OLDER_ENGINE=ON" configure_and_build "$BASE_SRC" "$BUILD/baseline"
  BASE_TOOL=$BUILD/baseline/bench/kestrune-bench-tool
  BASE_GBENCH=$BUILD/baseline/bench/kestrune_bench
fi

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now_ns() { date +%s%N; }

# --- dropping streams: strip against cp ----------------------------------------
# pal_streams' title VOB set repeated to STRIP_MIB MiB of real packs (every
# NAV pack naming its own sector), then, REPEAT times: cp of the VOB set and
# sync of the copies (the strip run flushes what it writes), and the strip
# run dropping audio streams 2 and 3 with backups, each from a warm cache,
# followed by the restore. Writes the section to $1.
measure_strip() {
  local out=$1 mib=${KESTRUNE_BENCH_STRIP_MIB:-2048} dir=$DATA/strip/VIDEO_TS copy=$DATA/strip-cp
  log "making a title VOB set of $mib MiB in $dir"
  bash tests/dvd/make_fixtures.sh "$DATA/fixtures" pal_streams >/dev/null
  rm -rf "$DATA/strip" "$copy"
  mkdir -p "$dir" "$copy"
  cp "$DATA/fixtures/pal_streams/VIDEO_TS/"* "$dir/"
  "$TOOL" packs "$dir" "$mib" >"$DATA/strip-packs.txt"
  local set_bytes files peak=0 saved=0 line t0 t1 t2
  local cps=() syncs=() strips=()
  set_bytes=$(stat -c %s "$dir"/VTS_01_[1-9].VOB | awk '{ s += $1 } END { print s }')
  files=$(awk '/^files/ { print $2 }' "$DATA/strip-packs.txt")
  for _ in $(seq "$REPEAT"); do
    cat "$dir"/VTS_01_[1-9].VOB >/dev/null
    t0=$(now_ns)
    cp "$dir"/VTS_01_[1-9].VOB "$copy/"
    t1=$(now_ns)
    sync "$copy"/VTS_01_[1-9].VOB
    t2=$(now_ns)
    cps+=($(((t1 - t0) / 1000000)))
    syncs+=($(((t2 - t0) / 1000000)))
    rm -f "$copy"/*
    cat "$dir"/VTS_01_[1-9].VOB >/dev/null
    t0=$(now_ns)
    line=$(/usr/bin/time -f 'peak_kib %M' "$TOOL" strip "$dir" 2>&1 >"$DATA/strip-run.txt" | tail -1)
    t1=$(now_ns)
    strips+=($(((t1 - t0) / 1000000)))
    peak=$(echo "$line" | awk '{ print $2 }')
    saved=$(awk '/^bytes_saved/ { print $2 }' "$DATA/strip-run.txt")
    "$TOOL" restore "$dir" >/dev/null
  done
  local cp_ms sync_ms strip_ms
  cp_ms=$(printf '%s\n' "${cps[@]}" | median)
  sync_ms=$(printf '%s\n' "${syncs[@]}" | median)
  strip_ms=$(printf '%s\n' "${strips[@]}" | median)
  rm -rf "$DATA/strip" "$copy"
  {
    echo "## Dropping streams (strip), side by side with \`cp\`"
    echo
    echo "A title VOB set of $(awk -v b="$set_bytes" 'BEGIN { printf "%.2f GiB", b / 2^30 }') in $files files: the packs of pal_streams (video,"
    echo "AC-3, MPEG and LPCM audio, three sub-picture streams) repeated, each NAV"
    echo "pack naming its own sector. The strip run (kestrune-bench-tool strip: the"
    echo "engine's StripRun, as \`kestrune-cli strip\` runs it) drops audio streams 2"
    echo "and 3 with backups on: it reads the set once to find the packs, reads it"
    echo "again as it writes the new set, and flushes the new files before it"
    echo "reports. \`cp\` copies the same files; \"cp and sync\" also puts them on the"
    echo "disk, as the run does. Both start from a warm cache. Median of $REPEAT."
    echo
    echo "| Program | Wall ms | Peak MiB |"
    echo "|---|---|---|"
    echo "| cp of the title VOB set | $cp_ms | |"
    echo "| cp of the title VOB set and sync of the copies | $sync_ms | |"
    echo "| strip of audio streams 2 and 3, with backups | $strip_ms | $(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }') |"
    echo
    echo "The run saved $saved bytes ($(awk -v s="$saved" -v b="$set_bytes" 'BEGIN { printf "%.1f%%", 100 * s / b }') of the set). Time of the run against cp:"
    echo "$(awk -v a="$strip_ms" -v b="$cp_ms" 'BEGIN { printf "%.2f", a / b }') ×, against cp and sync: $(awk -v a="$strip_ms" -v b="$sync_ms" 'BEGIN { printf "%.2f", a / b }') × (goal: at most 1.3 ×). Memory goal: under 64 MiB whatever"
    echo "the set's size (the packs stream through a 2 MiB chunk; the sector map"
    echo "holds one entry per run of kept sectors)."
    echo
  } >"$out"
}

if [ "$ONLY_STRIP" = 1 ]; then
  TMP=$(mktemp -d "$BUILD/.bench-tmp.XXXXXX")
  trap 'rm -rf "$TMP"' EXIT
  measure_strip "$TMP/strip.md"
  # The section replaces the one there (up to the next section), or goes
  # before the durability section.
  awk -v file="$TMP/strip.md" '
    function put() { while ((getline l < file) > 0) print l; done = 1 }
    /^## Dropping streams/ { put(); skip = 1; next }
    skip && /^## / { skip = 0 }
    !done && /^## Durability/ { put() }
    !skip { print }
  ' "$OUT" >"$TMP/performance.md"
  cp "$TMP/performance.md" "$OUT"
  log "wrote the strip section of $OUT"
  exit 0
fi

# --- folders -------------------------------------------------------------------
log "making the folders in $DATA"
MADE=$(bash bench/make_folders.sh "$DATA" "$TOOL" "$MIB")
if [ -n "$MADE" ]; then
  echo "$MADE" >&2
  # Making them freed many inodes there; see new_work below.
  log "waiting 35 s for the file system"
  sleep 35
fi
FOLDERS="ninety_nine_sets authored"
TMP=$(mktemp -d "$BUILD/.bench-tmp.XXXXXX")
# The copies go to a new folder beside DATA: on this kind of file system a
# folder where many files were created and deleted before creates new ones
# more slowly, and a user's disc folder has no such past.
WORKS=$(mktemp -d "$(dirname "$DATA")/kestrune-bench-work.XXXXXX")
trap 'rm -rf "$TMP" "$WORKS"' EXIT
AWK="awk -f $ROOT/bench/trace_report.awk"
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
measure_strip "$TMP/strip.md"

# Every step works on a copy under a new name, and used copies are deleted
# only at the end: ext4 without a journal passes over the inodes freed in the
# last 30 seconds when it creates a file, so deleting a copy just before a
# run would slow the run down.
WORK=""
new_work() { WORK=$(mktemp -d "$WORKS/XXXXXX"); }
fresh_copy() {  # FOLDER
  new_work
  "$TOOL" copy "$DATA/$1/VIDEO_TS" "$WORK"
}
value_of() { awk -v k="$1" '$1 == k { print $2 }' "$2"; }  # KEY FILE

# Blanking arguments for a folder: every title set and menu it lists, and
# the video manager menu when there is one.
blank_args() {  # FOLDER
  "$CLI" --list "$DATA/$1/VIDEO_TS" | awk '
    /^VIDEO_TS\.VOB/ { vmg = 1 }
    /^VTS_.._\*\.VOB/ { t = t (t == "" ? "" : ",") (substr($0, 5, 2) + 0) }
    /^VTS_.._0\.VOB/ { m = m (m == "" ? "" : ",") (substr($0, 5, 2) + 0) }
    END { printf "%s%s%s", (vmg ? "--vmg-menu " : ""), (t == "" ? "" : "--titles " t " "), (m == "" ? "" : "--menus " m) }'
}

# Whole programs: wall time (median of REPEAT), peak memory (median max RSS)
# and the system calls of one traced run. PREPARE runs before each, untimed;
# @WORK@ in the command stands for the folder it prepared.
# Prints "wall_ms rss_kib calls".
measure_program() {  # PREPARE COMMAND...
  local prepare=$1 t0 t1 i a
  local -a cmd
  shift
  : >"$TMP/wall"
  : >"$TMP/rss"
  for i in $(seq 1 "$REPEAT"); do
    $prepare
    cmd=()
    for a in "$@"; do cmd+=("${a//@WORK@/$WORK}"); done
    t0=$(now_ns)
    /usr/bin/time -f %M -o "$TMP/time" "${cmd[@]}" >/dev/null 2>"$TMP/stderr" || { cat "$TMP/stderr" >&2; return 1; }
    t1=$(now_ns)
    echo $(((t1 - t0) / 1000)) | awk '{ printf "%.1f\n", $1 / 1000 }' >>"$TMP/wall"
    tail -n 1 "$TMP/time" >>"$TMP/rss"
  done
  $prepare
  cmd=()
  for a in "$@"; do cmd+=("${a//@WORK@/$WORK}"); done
  strace -f -c -o "$TMP/strace-c" "${cmd[@]}" >/dev/null 2>&1
  echo "$(median <"$TMP/wall") $(median <"$TMP/rss") $(awk '$NF == "total" { print $4 }' "$TMP/strace-c")"
}

no_prep() { :; }
prep_copy() { fresh_copy "$CURRENT"; }
prep_blanked() { fresh_copy "$CURRENT"; "$CLI" $CURRENT_ARGS "$WORK" >/dev/null; }
prep_cp_target() { new_work; }

# In-process steps under strace, framed by the tool's markers.
trace_tool() {  # NAME TOOL ARGS...
  local name=$1
  shift
  strace -f -qq -o "$TMP/$name.trace" "$@" >"$TMP/$name.out"
}

# --- measurements ----------------------------------------------------------------
declare -A PROG STEP
for f in $FOLDERS; do
  CURRENT=$f
  CURRENT_ARGS=$(blank_args "$f")
  log "$f: whole programs"
  PROG[$f,startup]=$(measure_program no_prep "$CLI" --version)
  PROG[$f,list]=$(measure_program no_prep "$CLI" --list "$DATA/$f/VIDEO_TS")
  # shellcheck disable=SC2086
  PROG[$f,blank]=$(measure_program prep_copy "$CLI" $CURRENT_ARGS @WORK@)
  # shellcheck disable=SC2086
  PROG[$f,blank_nb]=$(measure_program prep_copy "$CLI" $CURRENT_ARGS --no-backup @WORK@)
  PROG[$f,restore]=$(measure_program prep_blanked "$CLI" --restore @WORK@)
  PROG[$f,cp]=$(measure_program prep_cp_target cp -r "$DATA/$f/VIDEO_TS" @WORK@/copy)

  log "$f: system calls of each step"
  trace_tool "$f-scan" "$TOOL" scan "$DATA/$f/VIDEO_TS" 10
  if [ -n "$BASE_TOOL" ]; then trace_tool "$f-scan-before" "$BASE_TOOL" scan "$DATA/$f/VIDEO_TS" 10; fi
  vmg=""
  case $CURRENT_ARGS in --vmg-menu*) vmg=--vmg-menu ;; esac
  fresh_copy "$f"
  trace_tool "$f-run" "$TOOL" run "$WORK" $vmg
  trace_tool "$f-restore" "$TOOL" restore "$WORK"
  fresh_copy "$f"
  trace_tool "$f-run-nb" "$TOOL" run "$WORK" --no-backup $vmg
done

log "in-process timings (Google Benchmark)"
"$GBENCH" --benchmark_repetitions="$REPEAT" --benchmark_report_aggregates_only=true \
  --benchmark_color=false "$DATA" "$WORKS" >"$TMP/gbench.txt" 2>"$TMP/gbench.err"
if [ -n "$BASE_GBENCH" ]; then
  "$BASE_GBENCH" --benchmark_repetitions="$REPEAT" --benchmark_report_aggregates_only=true \
    --benchmark_color=false --benchmark_filter='^scan/' "$DATA" "$WORKS" >"$TMP/gbench-before.txt" 2>/dev/null
fi
# The same on tmpfs, where creating or renaming a file costs next to nothing:
# what is left is the engine's own work.
SHM=""
if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ]; then
  SHM=$(mktemp -d /dev/shm/kestrune-bench.XXXXXX)
  trap 'rm -rf "$TMP" "$WORKS" "$SHM"' EXIT
  for f in $FOLDERS; do "$TOOL" copy "$DATA/$f/VIDEO_TS" "$SHM/$f/VIDEO_TS"; done
  log "in-process timings on tmpfs"
  "$GBENCH" --benchmark_repetitions="$REPEAT" --benchmark_report_aggregates_only=true \
    --benchmark_color=false --benchmark_filter='^(scan|run|restore)/' "$SHM" >"$TMP/gbench-tmpfs.txt" 2>/dev/null
  rm -rf "$SHM"
fi
log "disc images"
bash bench/image_bench.sh "$CLI" "$TOOL" "$DATA" "$REPEAT" >"$TMP/image-section.md"
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

# --- figures -------------------------------------------------------------------------
gb_median() {  # FILE NAME -> "real_time unit cpu_time unit"; NAME without its
  # suffixes ("/iterations:3", "/real_time")
  awk -v n="$2" '$1 ~ /_median$/ { b = $1; sub(/(\/iterations:[0-9]+)?(\/real_time)?_median$/, "", b); if (b == n) { print $2, $3, $4, $5; exit } }' "$1"
}
gb_counter() {  # FILE NAME COUNTER -> the counter's median value
  awk -v n="$2" -v c="$3" '$1 ~ /_median$/ { b = $1; sub(/(\/iterations:[0-9]+)?(\/real_time)?_median$/, "", b); if (b != n) next
    for (i = 2; i <= NF; i++) if (index($i, c "=") == 1) { v = substr($i, length(c) + 2); m = 1
      if (v ~ /k$/) m = 1e3; else if (v ~ /M$/) m = 1e6; else if (v ~ /G$/) m = 1e9; else if (v ~ /T$/) m = 1e12
      sub(/[kMGT]$/, "", v); printf "%.0f\n", v * m; exit } }' "$1"
}
gb_ms() {  # FILE NAME -> real time in ms
  gb_median "$1" "$2" | awk '{ t = $1; if ($2 == "us") t /= 1000; else if ($2 == "ns") t /= 1e6; else if ($2 == "s") t *= 1000; printf "%.3g\n", t }'
}
calls_of() { $AWK -v section="$2" -v mode=counts -v per="${3:-1}" "$TMP/$1.trace" | awk '$1 == "total" { print $2 }'; }
created_by() { $AWK -v section="$2" -v mode=counts "$TMP/$1.trace" | awk '$1 == "created" { print $2 }'; }
breakdown_of() {  # TRACE SECTION PER -> "name N, name N (F failed)"
  $AWK -v section="$2" -v mode=counts -v per="${3:-1}" "$TMP/$1.trace" |
    awk '$1 != "total" && $1 != "created" { printf "%s %s %s\n", $2, $1, $3 }' | sort -rn |
    awk '{ s = s (s == "" ? "" : ", ") $2 " " $1 ($3 > 0 ? " (" $3 " failed)" : "") } END { print s }'
}
# A title set's title VOB files, for the operations it needs.
title_vobs() { find "$DATA/$1/VIDEO_TS" -maxdepth 1 -name "VTS_$(printf %02d "$2")_[1-9].VOB" | wc -l; }

SCAN_AFTER=$(calls_of ninety_nine_sets-scan scan 10)
SCAN_BEFORE=""
[ -n "$BASE_TOOL" ] && SCAN_BEFORE=$(calls_of ninety_nine_sets-scan-before scan 10)
SCAN_MS=$(gb_ms "$TMP/gbench.txt" scan/ninety_nine_sets)
SCAN_US=$(awk -v t="$SCAN_MS" 'BEGIN { printf "%.0f", t * 1000 }')
SCAN_CPU=$(gb_median "$TMP/gbench.txt" scan/ninety_nine_sets | awk '{ t = $3; if ($4 == "ms") t *= 1000; printf "%.0f", t }')
RUN_MS=$(gb_ms "$TMP/gbench.txt" run/ninety_nine_sets/backups)
RUN_NB_MS=$(gb_ms "$TMP/gbench.txt" run/ninety_nine_sets/no_backups)
RUN_CPU_MS=$(gb_median "$TMP/gbench.txt" run/ninety_nine_sets/backups | awk '{ t = $3; if ($4 == "us") t /= 1000; else if ($4 == "s") t *= 1000; printf "%.3g", t }')
RUN_TMPFS=""
if [ -s "$TMP/gbench-tmpfs.txt" ]; then
  RUN_TMPFS="; on tmpfs $(gb_ms "$TMP/gbench-tmpfs.txt" run/ninety_nine_sets/backups) ms"
fi

verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo "**missed**"; fi; }

# What the flushes cost: a run as it is, and the same with every flush left out.
durability_row() {  # FOLDER KIND LABEL
  local with without flushes
  with=$(gb_ms "$TMP/gbench.txt" "run/$1/$2")
  without=$(gb_ms "$TMP/gbench.txt" "run/$1/$2_without_flushes")
  flushes=$(gb_counter "$TMP/gbench.txt" "run/$1/$2" flushes)
  echo "| $1 | $3 | $with | $without | $(awk -v a="$with" -v b="$without" 'BEGIN { printf "%.3g", a - b }') | $flushes |"
}
VERIFY_MS=$(gb_ms "$TMP/gbench.txt" verify/ninety_nine_sets)
VERIFY_VOB_READ=$(gb_counter "$TMP/gbench.txt" verify/ninety_nine_sets vob_bytes_read)
VERIFY_VOB_BYTES=$(gb_counter "$TMP/gbench.txt" verify/ninety_nine_sets vob_bytes)
VERIFY_SHARE=$(awk -v r="$VERIFY_VOB_READ" -v t="$VERIFY_VOB_BYTES" 'BEGIN { printf "%.5f", (t > 0 ? 100 * r / t : 0) }')
INFO_MS=$(gb_ms "$TMP/gbench.txt" info/ninety_nine_sets)
# thumbnails_row FOLDER LABEL: a picture's time and VOB bytes read, against
# the goal of 20 ms and 1 MiB a picture.
thumbnails_row() {
  local ms per_picture read pictures
  ms=$(gb_ms "$TMP/gbench.txt" "thumbnails/$1")
  pictures=$(gb_counter "$TMP/gbench.txt" "thumbnails/$1" pictures)
  per_picture=$(awk -v t="$ms" -v n="$pictures" 'BEGIN { printf "%.3g", (n > 0 ? t / n : 0) }')
  read=$(gb_counter "$TMP/gbench.txt" "thumbnails/$1" vob_bytes_per_picture)
  echo "| \`thumbnails\` of $2 under 20 ms and under 1 MiB of VOB read a picture | $per_picture ms and $read bytes of VOB a picture ($pictures pictures in $ms ms, in the process, warm cache) | $(verdict "$per_picture < 20 && $read < 1048576") |"
}
INFO_JSON_MS=$(gb_ms "$TMP/gbench.txt" info_json/ninety_nine_sets)
DUR_TYPICAL=$(gb_ms "$TMP/gbench.txt" run/typical/backups)
DUR_99=$(gb_ms "$TMP/gbench.txt" run/ninety_nine_sets/backups)

# Per title set: its calls, its file operations, and what it needs.
per_set_table() {  # FOLDER TRACE BACKUPS
  local f=$1 trace=$2 backups=$3
  $AWK -v section=run -v mode=sets "$TMP/$trace.trace" | while read -r set calls ops kinds; do
    if [ "$set" = vmg ]; then
      echo "| the video manager (before title set 1, between the plan and the changes, at the end) | $calls | $ops | – | – | ${kinds//,/, } |"
      continue
    fi
    k=$(title_vobs "$f" "$set")
    # Read the IFO (open, read, close); keep the old files (a rename each of
    # the menu VOB, the k title VOBs, the IFO and the BUP) or, without
    # backups, delete the k - 1 title VOBs the IFO no longer describes; write
    # the blank menu VOB, the blank title VOB, the IFO and the BUP (create,
    # write, close each); correct VIDEO_TS.IFO (open, read, close) and write
    # it and its BUP. Then what makes the set survive a crash: with backups
    # one flush of the folder after its renames (open, fsync, close) and one
    # of each of its four new files (open, fsync, close); without, an fsync
    # of each of its four files and of VIDEO_TS.IFO and its BUP.
    if [ "$backups" = 1 ]; then need=$((3 + 3 + k + 12 + 9 + 3 + 12)); else need=$((3 + k - 1 + 12 + 9 + 6)); fi
    ratio=$(awk -v a="$ops" -v b="$need" 'BEGIN { printf "%.2f", a / b }')
    echo "| $set | $calls | $ops | $need | $ratio | ${kinds//,/, } |"
  done
}
max_ratio() { awk -F'|' '$6 ~ /[0-9]/ { r = $6 + 0; if (r > m) m = r } END { printf "%.2f", m }' "$1"; }
per_set_table ninety_nine_sets ninety_nine_sets-run 1 >"$TMP/sets.md"
per_set_table ninety_nine_sets ninety_nine_sets-run-nb 0 >"$TMP/sets-nb.md"
RATIO=$(max_ratio "$TMP/sets.md")
RATIO_NB=$(max_ratio "$TMP/sets-nb.md")
$AWK -v section=run -v mode=io "$TMP/ninety_nine_sets-run.trace" >"$TMP/io"
$AWK -v section=run -v mode=io "$TMP/ninety_nine_sets-run-nb.trace" >"$TMP/io-nb"
PEAK_DELTA=$(awk '$1 == "peak_kib_before" { b = $2 } $1 == "peak_kib_after" { a = $2 } END { print a - b }' "$TMP/ninety_nine_sets-run.out")
read -r _ STARTUP_RSS _ <<<"${PROG[ninety_nine_sets,startup]}"
read -r _ BLANK_RSS _ <<<"${PROG[ninety_nine_sets,blank]}"
RSS_DELTA=$((BLANK_RSS - STARTUP_RSS))

program_row() {  # FOLDER KEY LABEL
  local wall rss calls
  read -r wall rss calls <<<"${PROG[$1,$2]}"
  echo "| $3 | $wall | $calls | $(awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }') |"
}
folder_facts() {  # FOLDER
  local d=$DATA/$1/VIDEO_TS
  local files bytes disk
  files=$(find "$d" -maxdepth 1 -type f | wc -l)
  bytes=$(find "$d" -maxdepth 1 -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.1f GiB", s / 2^30 }')
  disk=$(du -sk "$d" | awk '{ printf "%.1f MiB", $1 / 1024 }')
  echo "$files files, $bytes in all, $disk on disk"
}

GIT_REV=$(git -C "$ROOT" describe --always --dirty 2>/dev/null || echo unknown)
CPU=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
MOUNT=$(findmnt -n -o FSTYPE,OPTIONS --target "$DATA" 2>/dev/null || stat -f -c %T "$DATA")

mkdir -p "$(dirname "$OUT")"
{
  cat <<EOF
# Performance

Written by \`scripts/bench.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC') at revision $GIT_REV
(repetitions: $REPEAT; times are medians). Run \`scripts/bench.sh\` to measure again.

## Machine

| | |
|---|---|
| processors (nproc) | $(nproc) |
| CPU | $CPU |
| kernel | $(uname -r) |
| folders measured in | $DATA |
| file system there | $MOUNT |
| load average before / after | $LOAD_BEFORE / $LOAD_AFTER |
| compiler, build | $(c++ --version | head -n 1), RelWithDebInfo (-O2) |

## Folders

- \`ninety_nine_sets\`: 99 title sets authored by dvdauthor, each with a menu
  and one title, then grown to $MIB MiB of title video per set in sparse files
  (VTS_nn_1.VOB of 1 GiB, VTS_nn_2.VOB the rest), with the IFOs moved to match:
  $(folder_facts ninety_nine_sets).
- \`typical\`: a single-layer disc's worth made the same way: a video manager
  menu and 3 title sets of 1400 MiB title video each: $(folder_facts typical).
- \`authored\`: the ntsc_two_sets disc of tests/dvd as dvdauthor writes it (a
  video manager menu, two title sets, real video): $(folder_facts authored).

A run blanks the titles and menus of every title set and the video manager
menu, as "Blank!" does with every row checked.

## Targets

| Target | Measured | |
|---|---|---|
EOF
  if [ -n "$SCAN_BEFORE" ]; then
    echo "| Scan: at most 1/5 of the system calls of the scan before ($BASELINE_REV) | $SCAN_AFTER against $SCAN_BEFORE ($(awk -v a="$SCAN_AFTER" -v b="$SCAN_BEFORE" 'BEGIN { printf "%.2f", a / b }')) | $(verdict "$SCAN_AFTER * 5 <= $SCAN_BEFORE") |"
  fi
  cat <<EOF
| Scan of the 99-title-set folder under 1 ms | $SCAN_US µs real time, $SCAN_CPU µs processor time | $(verdict "$SCAN_US < 1000") |
| Run on the 99 title sets with backups under 100 ms | $RUN_MS ms real time, $RUN_CPU_MS ms processor time (without backups $RUN_NB_MS ms$RUN_TMPFS) | $(verdict "$RUN_MS < 100") |
| \`--info\` of the 99-title-set folder under 20 ms | $INFO_MS ms in the process (with \`--json\` $INFO_JSON_MS ms) | $(verdict "$INFO_MS < 20") |
$(thumbnails_row ninety_nine_sets "the 99-title-set folder")
$(thumbnails_row authored "the authored disc")
| \`--verify\` of the 99-title-set folder under 1 s, reading under 0.1 % of its VOB bytes | $VERIFY_MS ms in the process (warm cache), $VERIFY_VOB_READ of $VERIFY_VOB_BYTES VOB bytes read ($VERIFY_SHARE %) | $(verdict "$VERIFY_MS < 1000 && $VERIFY_SHARE < 0.1") |
| A run that survives a crash: typical disc (video manager menu + 3 title sets, backups on) under 30 ms | $DUR_TYPICAL ms, $(gb_counter "$TMP/gbench.txt" run/typical/backups flushes) flushes | $(verdict "$DUR_TYPICAL < 30") |
| The same on the 99 title sets under 300 ms | $DUR_99 ms, $(gb_counter "$TMP/gbench.txt" run/ninety_nine_sets/backups flushes) flushes | $(verdict "$DUR_99 < 300") |
| Each title set within twice the file operations it needs | at most $RATIO × with backups, $RATIO_NB × without | $(verdict "$RATIO <= 2 && $RATIO_NB <= 2") |
| Peak memory of a run under 8 MiB beyond start-up | +$(awk -v k="$PEAK_DELTA" 'BEGIN { printf "%.1f", k / 1024 }') MiB in the process, kestrune-cli +$(awk -v k="$RSS_DELTA" 'BEGIN { printf "%.1f", k / 1024 }') MiB over \`--version\` | $(verdict "$PEAK_DELTA < 8192 && $RSS_DELTA < 8192") |
| Each IFO read in one piece | at most $(value_of ifo_reads_max "$TMP/io") read per IFO opened ($(value_of ifo_loads "$TMP/io") loads) | $(verdict "$(value_of ifo_reads_max "$TMP/io") == 1") |
| IFOs written in few writes, a VOB image in one | at most $(value_of ifo_writes_max "$TMP/io") write per IFO or BUP ($(value_of ifo_outputs "$TMP/io") written), $(value_of vob_writes_max "$TMP/io") per VOB ($(value_of vob_outputs "$TMP/io") written) | $(verdict "$(value_of ifo_writes_max "$TMP/io") <= 2 && $(value_of vob_writes_max "$TMP/io") == 1") |

## Folder scan

System calls of one scan, counted by strace in the process (the scan repeated
10 times between two markers):

| Folder | Scan | System calls | Of which |
|---|---|---|---|
EOF
  for f in $FOLDERS; do
    if [ -n "$BASE_TOOL" ]; then
      echo "| $f | before ($BASELINE_REV) | $(calls_of "$f-scan-before" scan 10) | $(breakdown_of "$f-scan-before" scan 10) |"
    fi
    echo "| $f | now | $(calls_of "$f-scan" scan 10) | $(breakdown_of "$f-scan" scan 10) |"
  done
  echo
  echo "Time of one scan in the process (Google Benchmark, median of $REPEAT):"
  echo
  echo "| Folder | Scan | Real time | CPU time |"
  echo "|---|---|---|---|"
  for f in $FOLDERS; do
    if [ -n "$BASE_GBENCH" ]; then
      read -r t tu c cu <<<"$(gb_median "$TMP/gbench-before.txt" "scan/$f")"
      echo "| $f | before ($BASELINE_REV) | $t $tu | $c $cu |"
    fi
    read -r t tu c cu <<<"$(gb_median "$TMP/gbench.txt" "scan/$f")"
    echo "| $f | now | $t $tu | $c $cu |"
  done
  cat <<EOF

## Whole programs, side by side with \`cp -r\`

Wall time (median of $REPEAT, start-up included), system calls (strace -c -f)
and peak memory (maximum resident set, GNU time) of each program on the same
folder. \`kestrune-cli\` lists the folder again after blanking and restoring.
Creating a file costs very different times on this machine from one moment to
the next (see the notes at the end), so the wall times of the programs that
create many files vary between measurements far more than their system calls.

EOF
  for f in $FOLDERS; do
    echo "**$f**"
    echo
    echo "| Program | Wall ms | System calls | Peak MiB |"
    echo "|---|---|---|---|"
    program_row "$f" startup "kestrune-cli --version (start-up size)"
    program_row "$f" list "kestrune-cli --list"
    program_row "$f" blank "kestrune-cli blanking every title set and menu and the video manager menu, with backups"
    program_row "$f" blank_nb "the same with --no-backup"
    program_row "$f" restore "kestrune-cli --restore"
    program_row "$f" cp "cp -r of the folder"
    echo
  done
  cat <<EOF
System calls of the engine alone (kestrune-bench-tool, between its markers):

| Folder | Step | System calls | Files created | Of which |
|---|---|---|---|---|
EOF
  for f in $FOLDERS; do
    echo "| $f | run with backups | $(calls_of "$f-run" run) | $(created_by "$f-run" run) | $(breakdown_of "$f-run" run) |"
    echo "| $f | run without backups | $(calls_of "$f-run-nb" run) | $(created_by "$f-run-nb" run) | $(breakdown_of "$f-run-nb" run) |"
    echo "| $f | restore | $(calls_of "$f-restore" restore) | $(created_by "$f-restore" restore) | $(breakdown_of "$f-restore" restore) |"
  done
  echo
  cat "$TMP/strip.md"
  cat <<EOF
## Durability

What it costs that a run survives a crash at any moment and is on the disk
when it reports success (the order of the flushes is in src/core/file/file_layer.h):
the engine's run as it is, and the same run with every flush left out
(Google Benchmark, in the process, medians of $REPEAT). A flush is one fsync,
of a file's data or of the folder's entries.

| Folder | Run | With flushes, ms | Without, ms | Cost, ms | Flushes |
|---|---|---|---|---|---|
$(for f in typical ninety_nine_sets authored; do durability_row "$f" backups "with backups"; durability_row "$f" no_backups "without backups"; done)

$(cat "$TMP/image-section.md")

## In-process timings (Google Benchmark)

Medians of $REPEAT repetitions and their coefficients of variation (cv), a
measure of how much the machine disturbed them. \`run/…\` and \`restore/…\` time the engine
alone; the fresh copy of the folder each iteration needs is not timed.
\`file_ops/…\` time single file operations in a copy of the 99-title-set
folder: what each step of a run costs on this machine (creating a 10 KiB file;
replacing an 88 KiB file by writing a temporary one and renaming it over the
old, as every IFO, BUP and blank VOB is written; truncating and writing it
again in place; a backup rename; the rename of a VOB that is not there;
loading an 18 KiB IFO).

\`\`\`
$(grep -v '^\*\*\*WARNING' "$TMP/gbench.txt" | grep -vE '_(mean|stddev) ')
\`\`\`

EOF
  if [ -s "$TMP/gbench-tmpfs.txt" ]; then
    cat <<EOF
The same steps with the folders on tmpfs (/dev/shm), where creating, renaming
and deleting a file cost next to nothing, so that what is left is the engine's
own work:

\`\`\`
$(grep -E '^(---|Benchmark|scan|run|restore)' "$TMP/gbench-tmpfs.txt" | grep -vE '_(mean|stddev|cv) ')
\`\`\`

EOF
  fi
  cat <<EOF

## File operations per title set

The calls of a run with backups on the 99-title-set folder, by title set: a
set's calls run from the first that names one of its files to the first that
names the next set's, so the correction of VIDEO_TS.IFO after a set counts to
that set. "Needed" is what the set's work takes at the least: read its IFO
(open, read, close); keep its old files (one rename each of the menu VOB, the
title VOBs, the IFO and the BUP), or without backups delete the title VOBs the
IFO no longer describes; write the blank menu VOB, the blank title VOB, the
IFO and the BUP (create, write, close each); correct VIDEO_TS.IFO (open, read,
close) and write it and its BUP; and the flushes that let the set survive a
crash (with backups: one of the folder after its renames and one of each of
its four new files, each open, fsync, close; without: an fsync of each of its
four files and of VIDEO_TS.IFO and its BUP).

Title set 5, call by call:

\`\`\`
$($AWK -v section=run -v mode=list -v set=5 "$TMP/ninety_nine_sets-run.trace")
\`\`\`

<details><summary>Every title set, with backups</summary>

| Title set | Calls | File operations | Needed | Ratio | Calls by kind |
|---|---|---|---|---|---|
$(cat "$TMP/sets.md")

</details>

<details><summary>Every title set, without backups</summary>

| Title set | Calls | File operations | Needed | Ratio | Calls by kind |
|---|---|---|---|---|---|
$(cat "$TMP/sets-nb.md")

</details>

EOF
  cat "$ROOT/bench/performance_notes.md"
} >"$OUT"
log "wrote $OUT"
