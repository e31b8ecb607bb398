#!/bin/bash
# Builds the libFuzzer targets and runs each over its saved corpus.
#   scripts/fuzz.sh [SECONDS] [LIBFUZZER_FLAG...]     (default 600 seconds)
# The IFO target (ifo_fuzzer: the rewrite and the verifier) runs two thirds of
# SECONDS, the picture target (picture_fuzzer: a title's picture from damaged
# VOB sectors) the last third.
# Needs clang and libclang-rt-14-dev. The build is build-fuzz/ (fuzz/
# configured alone with clang). New coverage goes to the working corpora
# build-fuzz/corpus and build-fuzz/picture-corpus, kept between runs;
# fuzz/corpus and fuzz/picture_corpus (seeds and every input that once
# failed) are read too. A crash, hang or failed check is written straight
# into fuzz/corpus (fuzz/picture_corpus) as new-crash-*, new-timeout-* or
# new-oom-*, so the corpus replay (ctest -R fuzz_corpus_replay) keeps failing
# until it is fixed; then rename it for what it did. Each run appends its
# counts to build-fuzz/fuzz-runs.log. Runs one process at a time: the
# machines have two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-600}
shift || true
BUILD=build-fuzz

CC=clang CXX=clang++ cmake -S fuzz -B "$BUILD" -DKESTRUNE_FUZZ=ON -DKESTRUNE_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target ifo_fuzzer picture_fuzzer -j"$(nproc)"
mkdir -p "$BUILD/corpus" "$BUILD/picture-corpus"

# run TARGET SECONDS MAX_LEN WORKING_CORPUS SAVED_CORPUS [FLAG...]
status=0
run() {
  local target=$1 seconds=$2 max_len=$3 working=$4 saved=$5 log pid result=0
  shift 5
  log=$BUILD/fuzz-run-$target-$(date +%Y%m%d-%H%M%S).log
  "$BUILD/$target" -max_total_time="$seconds" -timeout=10 -max_len="$max_len" -print_final_stats=1 \
    -artifact_prefix="$saved/new-" "$@" "$working" "$saved" >"$log" 2>&1 &
  pid=$!
  wait "$pid" || result=$?
  # The IFO target's scratch folder (it removes it itself unless it crashed).
  rm -rf "/dev/shm/kestrune-fuzz-$pid" "${TMPDIR:-/tmp}/kestrune-fuzz-$pid"
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  printf '%s target=%s seconds=%s executed=%s exec/s=%s exit=%s log=%s\n' "$(date -Is)" "$target" "$seconds" \
    "${executed:-?}" "${rate:-?}" "$result" "$log" | tee -a "$BUILD/fuzz-runs.log"
  if [ "$result" -ne 0 ]; then
    grep -E "^($target:|==[0-9]+==ERROR|SUMMARY|artifact_prefix)" "$log" >&2 || tail -30 "$log" >&2
    echo "fuzz: finding saved in $saved (see $log)" >&2
    status=$result
  fi
}

PICTURE_SECONDS=$((SECONDS_TO_RUN / 3))
# -max_len: room for IFOs a few sectors longer than the largest seed, and for
# a few VOBUs of title video.
run ifo_fuzzer $((SECONDS_TO_RUN - PICTURE_SECONDS)) 32768 "$BUILD/corpus" fuzz/corpus "$@"
run picture_fuzzer "$PICTURE_SECONDS" 131072 "$BUILD/picture-corpus" fuzz/picture_corpus "$@"
exit "$status"
