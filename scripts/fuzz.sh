#!/bin/bash
# Builds the libFuzzer target and runs it over the saved corpus.
#   scripts/fuzz.sh [SECONDS] [LIBFUZZER_FLAG...]     (default 600 seconds)
# Needs clang and libclang-rt-14-dev. The build is build-fuzz/ (fuzz/
# configured alone with clang). New coverage goes to the working corpus
# build-fuzz/corpus, kept between runs; fuzz/corpus (seeds and every input
# that once failed) is read too. A crash, hang or failed check is written
# straight into fuzz/corpus as new-crash-*, new-timeout-* or new-oom-*, so the
# corpus replay (ctest -R fuzz_corpus_replay) keeps failing until it is fixed;
# then rename it for what it did. Each run appends its counts to
# build-fuzz/fuzz-runs.log. Runs one process: the machines have two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-600}
shift || true
BUILD=build-fuzz

CC=clang CXX=clang++ cmake -S fuzz -B "$BUILD" -DKESTRUNE_FUZZ=ON -DKESTRUNE_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target ifo_fuzzer -j"$(nproc)"
mkdir -p "$BUILD/corpus"

LOG=$BUILD/fuzz-run-$(date +%Y%m%d-%H%M%S).log
status=0
# -max_len: room for IFOs a few sectors longer than the largest seed.
"$BUILD/ifo_fuzzer" -max_total_time="$SECONDS_TO_RUN" -timeout=10 -max_len=32768 -print_final_stats=1 \
  -artifact_prefix=fuzz/corpus/new- "$@" "$BUILD/corpus" fuzz/corpus >"$LOG" 2>&1 &
pid=$!
wait "$pid" || status=$?
# The target's scratch folder (it removes it itself unless it crashed).
rm -rf "/dev/shm/kestrune-fuzz-$pid" "${TMPDIR:-/tmp}/kestrune-fuzz-$pid"

executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOG" | tail -1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$LOG" | tail -1)
printf '%s seconds=%s executed=%s exec/s=%s exit=%s log=%s\n' "$(date -Is)" "$SECONDS_TO_RUN" \
  "${executed:-?}" "${rate:-?}" "$status" "$LOG" | tee -a "$BUILD/fuzz-runs.log"
if [ "$status" -ne 0 ]; then
  grep -E '^(ifo_fuzzer:|==[0-9]+==ERROR|SUMMARY|artifact_prefix)' "$LOG" >&2 || tail -30 "$LOG" >&2
  echo "fuzz: finding saved in fuzz/corpus (see $LOG)" >&2
fi
exit "$status"
