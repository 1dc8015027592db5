#!/usr/bin/env bash
# Installs what is missing, checks that the committed Unicode tables are what
# their generator writes, that every C++ source is formatted and that no
# include crosses the layers, then runs the workflows of CMakePresets.json,
# each configured, built with warnings as errors and tested in build/<preset>:
#   dev     the whole test suite;
#   armv7   the C++ suites cross-built for 32-bit ARM Linux, run under
#           qemu-user (arm64, the same for 64-bit ARM, runs by hand: its
#           release libraries' answers are compared in package.sh);
#   libcxx  the whole test suite with clang 19 and libc++ 19;
#   asan    the whole test suite under AddressSanitizer + UndefinedBehavior-
#           Sanitizer, with LeakSanitizer on;
#   tsan    the concurrency tests under ThreadSanitizer;
#   wasm    both libraries as WebAssembly modules, checked and compared under
#           Node (scripts/wasm.sh test), then the tide page in headless
#           Chromium (web/test/run.sh);
# and between them the steps CMake doesn't own: the release libraries of
# seven platforms built with Zig (Linux glibc 2.17 and musl, x86-64 and arm64;
# Windows; macOS x86-64 and arm64), each checked, its answers to the same
# fixed calls run where this machine can and compared with the native ones
# (bit for bit on glibc, within a measured bound on musl and Windows), and the
# Python, JVM and Swift packages built from them into dist/ and tested through
# their generated bindings (scripts/package.sh); both libraries' answers to one fixed set of calls on
# each CPU, compared field by field; each libFuzzer harness of both libraries,
# sharing a bounded time (build/fuzz, scripts/fuzz.sh).
# Exits non-zero at the first failure. NERITH_FUZZ_SECONDS sets the time the
# harnesses share (default 120).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
total=0

section() {
  printf '\n==== %s ====\n' "$1"
}

# Runs a command with its output in a log, shown when the command fails.
quietly() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { grep -E 'error|Error' "$log" | head -n 40; tail -n 20 "$log"; exit 1; }
}

# Runs the steps of `cmake --workflow --preset <preset>` one by one: configure
# and build quietly, then the tests, whose number goes to the total.
workflow() {
  local preset=$1 dir=build/$1 started=$SECONDS
  mkdir -p "$dir"
  quietly "$dir/configure.log" cmake --preset "$preset"
  quietly "$dir/build.log" cmake --build --preset "$preset"
  ctest --preset "$preset" | tee "$dir/ctest.log"
  total=$((total + $(sed -nE 's/.* tests failed out of ([0-9]+)$/\1/p' "$dir/ctest.log" | tail -n 1)))
  echo "$preset: built and tested in $((SECONDS - started)) s"
}

section "Unicode tables"
# The committed tables must be exactly what the generator writes from the
# installed Unicode Character Database.
tables=$(mktemp)
trap 'rm -f "$tables"' EXIT
python3 scripts/gen_unicode_tables.py >"$tables"
diff -u core/src/common/text/unicode_tables.inc "$tables" ||
  { echo "core/src/common/text/unicode_tables.inc is stale: run scripts/gen_unicode_tables.py"; exit 1; }
echo "core/src/common/text/unicode_tables.inc is up to date"
total=$((total + 1))

section "Format"
# Every C++ source as clang-format 14 writes it from .clang-format.
mapfile -t sources < <(find core bindings cli bench fuzz -name '*.cpp' -o -name '*.hpp' -o -name '*.h' | sort)
((${#sources[@]})) || { echo "no C++ sources found"; exit 1; }
clang-format-14 --dry-run --Werror "${sources[@]}" ||
  { echo "unformatted sources: run clang-format-14 -i on the files above"; exit 1; }
echo "${#sources[@]} C++ sources are formatted"
total=$((total + 1))

section "Layers"
bash scripts/check_layers.sh
echo "no include runs between the models or from common code to a model"
total=$((total + 1))

section "Test suite"
workflow dev

# Cross builds run every C++ suite under qemu-user; those that need Python,
# ICU or rsvg stay native (CMake leaves them out of a cross build), and so
# does the one death test (the cross test presets say why). Release builds:
# the same -O2 code, without debug information.
section "Test suite on 32-bit ARM Linux (armhf, qemu-user)"
workflow armv7

# Both libraries as WebAssembly modules: their exports, imports and error
# paths under Node, their answers against the native ones (the musl class),
# then the tide page built on them, driven in Debian's headless Chromium.
section "WebAssembly under Node; the tide page in headless Chromium"
bash scripts/wasm.sh test | tee build/wasm.log
total=$((total + $(sed -nE 's/.* tests failed out of ([0-9]+)$/\1/p' build/wasm.log | tail -n 1) + 1))
bash web/test/run.sh | tee build/web-test.log
grep -q '^page test passed' build/web-test.log && total=$((total + 1))

section "Seven platforms with Zig; app packages: Python wheels and sdist, JVM jar, Swift package, npm package, tide page (scripts/package.sh)"
# Every platform's answers are compared with those of the native pass above.
NERITH_NATIVE_BUILD=build/dev bash scripts/package.sh | tee build/package.log
total=$((total + $(sed -nE 's/^package tests: ([0-9]+) passed, 0 failed$/\1/p' build/package.log)))

# The whole project with clang 19 and LLVM's libc++ 19, the standard library
# Android's NDK and Xcode build with, GoogleTest compiled for it: every suite,
# exact values unchanged. The shared libraries carry libc++ inside, as with
# ANDROID_STL=c++_static, and still need only the C library (a test checks).
# Benchmarks and fuzzers are not built: they need nothing libc++ would change.
section "Test suite with clang 19 and libc++ 19"
workflow libcxx
grep -q 'NERITH_LIBCXX:INTERNAL=1' build/libcxx/CMakeCache.txt ||
  { echo "build/libcxx is not built on libc++"; exit 1; }

# Both libraries' answers to one fixed set of calls (bindings/test/answers.cpp,
# built by every pass above) on each CPU, compared field by field with the
# x86-64 ones: on x86-64 without FMA (glibc then picks the cos it takes on a
# CPU without fused multiply-add), on libc++, and on armv7 under qemu-user
# (arm64's, from its Zig release build, are compared in package.sh). Each within its class's bound (compare_answers.py): identical on
# glibc with FMA, a few ulps of a height without.
cross_cpu_pass() {
  local out=build/answers program=bindings/test/uniffi_answers started=$SECONDS
  mkdir -p "$out"
  "build/dev/$program" >"$out/x86-64.txt"
  grep -qw fma /proc/cpuinfo || echo "note: this CPU has no FMA, so x86-64 is already without it"
  GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA,-AVX2 "build/dev/$program" >"$out/x86-64-no-fma.txt"
  "build/libcxx/$program" >"$out/x86-64-libcxx.txt"
  qemu-arm -L /usr/arm-linux-gnueabihf "build/armv7/$program" >"$out/armv7.txt"
  python3 bindings/test/compare_answers.py "$out/x86-64.txt" \
    glibc-no-fma:armv7="$out/armv7.txt" glibc-no-fma:x86-64-without-fma="$out/x86-64-no-fma.txt" \
    glibc:x86-64-libc++="$out/x86-64-libcxx.txt"
  total=$((total + 1))
  echo "cross-CPU comparison: $((SECONDS - started)) s"
}

section "The same answers on every CPU"
cross_cpu_pass

section "Test suite under AddressSanitizer + UndefinedBehaviorSanitizer + LeakSanitizer"
workflow asan

section "Concurrency under ThreadSanitizer"
workflow tsan

section "Fuzzing under AddressSanitizer + UndefinedBehaviorSanitizer"
bash scripts/fuzz.sh "${NERITH_FUZZ_SECONDS:-120}"
total=$((total + 5))  # one run per harness

echo
echo "total: $total passed, 0 failed"
