#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang under AddressSanitizer +
# UndefinedBehaviorSanitizer and runs them one after the other, sharing a
# bounded total time, each starting from its committed seeds. Exits non-zero
# on any finding; the input behind it is kept in <build>/artifacts/<harness>/
# (replay: <build>/fuzz/fuzz_<harness> <file>).
#
# Usage: scripts/fuzz.sh [total seconds, default 120] [harness ...]
# Harnesses: add_custom_port buffers queries (libnerith_uniffi.so),
# full_buffers full_queries (libnerith_full_uniffi.so). NERITH_FUZZ_BUILD sets
# the build directory (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
total_seconds=${1:-120}
shift $(($# > 0 ? 1 : 0))
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(add_custom_port buffers queries full_buffers full_queries)
seconds=$((total_seconds / ${#harnesses[@]}))
((seconds > 0)) || { echo "$total_seconds s is too short for ${#harnesses[@]} harnesses"; exit 2; }
build=${NERITH_FUZZ_BUILD:-build/fuzz}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-19 \
  -DNERITH_BUILD_FUZZ=ON -DNERITH_SANITIZER=address -DNERITH_BUILD_TESTS=OFF -DNERITH_WERROR=ON \
  >/dev/null
targets=()
for harness in "${harnesses[@]}"; do targets+=("fuzz_$harness"); done
if ! cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$build/build.log" 2>&1; then
  tail -n 60 "$build/build.log"
  exit 1
fi

# A smaller quarantine keeps the long runs inside the RSS limit; a leak or an
# undefined operation is a finding like a crash.
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=64
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
symbolizer=$(command -v llvm-symbolizer-19 llvm-symbolizer | head -n 1 || true)
[[ -n $symbolizer ]] && export ASAN_SYMBOLIZER_PATH=$symbolizer

failed=()
for harness in "${harnesses[@]}"; do
  corpus=$build/corpus/$harness        # what this run finds; the seeds stay as committed
  artifacts=$build/artifacts/$harness/
  log=$build/$harness.log
  mkdir -p "$corpus" "$artifacts"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=3072 -max_len=4096
           -print_final_stats=1 -artifact_prefix="$artifacts")
  [[ -f fuzz/$harness.dict ]] && options+=(-dict="fuzz/$harness.dict")
  if "$build/fuzz/fuzz_$harness" "${options[@]}" "$corpus" "fuzz/corpus/$harness" >"$log" 2>&1; then
    runs=$(sed -nE 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -nE 's/^stat::average_exec_per_sec: *//p' "$log")
    rss=$(sed -nE 's/^stat::peak_rss_mb: *//p' "$log")
    edges=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
    echo "fuzz_$harness: ${seconds} s, $runs runs ($rate/s), $edges edges covered, peak RSS $rss MB, no finding"
  else
    echo "fuzz_$harness: FINDING (log: $log, input kept in $artifacts)"
    grep -vE '^#[0-9]+' "$log" | tail -n 60
    failed+=("$harness")
  fi
done
((${#failed[@]} == 0)) || { echo "fuzzing found faults in: ${failed[*]}"; exit 1; }
