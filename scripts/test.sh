#!/usr/bin/env bash
# Installs what is missing, checks that the committed Unicode tables are what
# their generator writes and that every C++ source is formatted, builds nerith
# with warnings as errors and checks it five ways:
#   1. the whole test suite;
#   2. the C++ suites cross-built for 64-bit ARM (build/arm64) and 32-bit ARM
#      (build/armhf) Linux, run under qemu-user;
#   2b. the whole test suite with clang 19 and libc++ 19 (build/libcxx);
#   2c. both libraries' answers to one fixed set of calls on each CPU,
#       compared field by field;
#   3. the whole test suite again under AddressSanitizer + UndefinedBehavior-
#      Sanitizer, with LeakSanitizer on (build/asan);
#   4. the concurrency tests under ThreadSanitizer (build/tsan);
#   5. each libFuzzer harness of both libraries, sharing a bounded time
#      (build/fuzz, scripts/fuzz.sh);
# and, after the cross builds, builds the release libraries of seven platforms
# with Zig (Linux glibc 2.17 and musl, x86-64 and arm64; Windows; macOS x86-64
# and arm64), checks each, runs their answers to the same fixed calls where
# this machine can and compares them with the native ones (bit for bit on
# glibc, within a measured bound on musl and Windows), and builds the Python,
# JVM and Swift packages into dist/ from them and tests them through their
# generated bindings (scripts/package.sh).
# Exits non-zero at the first failure. NERITH_FUZZ_SECONDS sets the time the
# harnesses share (default 180).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
total=0

section() {
  printf '\n==== %s ====\n' "$1"
}

# Configures and builds quietly, any warning an error; the log is shown when
# the build fails.
build() {
  local dir=$1
  shift
  mkdir -p "$dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNERITH_WERROR=ON "${@:1:$#-1}" \
    >"$dir/configure.log" 2>&1 ||
    { cat "$dir/configure.log"; exit 1; }
  local targets=${!#}
  # shellcheck disable=SC2086  # a list of targets, or 'all'
  if ! cmake --build "$dir" -j"$jobs" --target $targets >"$dir/build.log" 2>&1; then
    grep -E 'error|Error' "$dir/build.log" | head -n 40
    tail -n 20 "$dir/build.log"
    exit 1
  fi
}

# Runs ctest and adds the number of tests it ran to the total.
run_ctest() {
  local dir=$1
  shift
  ctest --test-dir "$dir" -j"$jobs" --output-on-failure "$@" | tee "$dir/ctest.log"
  total=$((total + $(sed -nE 's/.* tests failed out of ([0-9]+)$/\1/p' "$dir/ctest.log" | tail -n 1)))
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
build build/test all
run_ctest build/test

# Cross builds run every C++ suite under qemu-user; those that need Python,
# ICU or rsvg stay native (CMake leaves them out of a cross build). The one
# death test stays native too: GoogleTest's threadsafe style re-executes the
# test binary, which the kernel cannot start without a binfmt_misc handler
# for ARM. Release builds: the same -O2 code, without debug information.
cross_pass() {
  local dir=$1 toolchain=$2 started=$SECONDS
  build "$dir" --toolchain "cmake/toolchains/$toolchain.cmake" -DCMAKE_BUILD_TYPE=Release all
  run_ctest "$dir" -E '^RegistryDeathTest\.'
  echo "$toolchain: built and tested in $((SECONDS - started)) s"
}

section "Test suite on 64-bit ARM Linux (aarch64, qemu-user)"
cross_pass build/arm64 aarch64-linux-gnu

section "Test suite on 32-bit ARM Linux (armhf, qemu-user)"
cross_pass build/armhf arm-linux-gnueabihf

section "Seven platforms with Zig; app packages: Python wheels and sdist, JVM jar, Swift package (scripts/package.sh)"
# Every platform's answers are compared with those of the native pass above.
NERITH_NATIVE_BUILD=build/test bash scripts/package.sh | tee build/package.log
total=$((total + $(sed -nE 's/^package tests: ([0-9]+) passed, 0 failed$/\1/p' build/package.log)))

# The whole project with clang 19 and LLVM's libc++ 19, the standard library
# Android's NDK and Xcode build with, GoogleTest compiled for it: every suite,
# exact values unchanged. The shared libraries carry libc++ inside, as with
# ANDROID_STL=c++_static, and still need only the C library (a test checks).
# Benchmarks and fuzzers are not built: they need nothing libc++ would change.
libcxx_pass() {
  local dir=build/libcxx started=$SECONDS
  build "$dir" --toolchain cmake/toolchains/clang-libcxx.cmake -DCMAKE_BUILD_TYPE=Release all
  grep -q 'NERITH_LIBCXX:INTERNAL=1' "$dir/CMakeCache.txt" ||
    { echo "$dir is not built on libc++"; exit 1; }
  run_ctest "$dir"
  echo "libc++: built and tested in $((SECONDS - started)) s"
}

section "Test suite with clang 19 and libc++ 19"
libcxx_pass

# Both libraries' answers to one fixed set of calls (bindings/test/answers.cpp,
# built by every pass above) on each CPU, compared field by field with the
# x86-64 ones: on x86-64 without FMA (glibc then picks the cos it takes on a
# CPU without fused multiply-add), on libc++, and on arm64 and armv7 under
# qemu-user. Each within its class's bound (compare_answers.py): identical on
# glibc with FMA, a few ulps of a height without.
cross_cpu_pass() {
  local out=build/answers program=bindings/test/uniffi_answers started=$SECONDS
  mkdir -p "$out"
  "build/test/$program" >"$out/x86-64.txt"
  grep -qw fma /proc/cpuinfo || echo "note: this CPU has no FMA, so x86-64 is already without it"
  GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA,-AVX2 "build/test/$program" >"$out/x86-64-no-fma.txt"
  "build/libcxx/$program" >"$out/x86-64-libcxx.txt"
  qemu-aarch64 -L /usr/aarch64-linux-gnu "build/arm64/$program" >"$out/arm64.txt"
  qemu-arm -L /usr/arm-linux-gnueabihf "build/armhf/$program" >"$out/armv7.txt"
  python3 bindings/test/compare_answers.py "$out/x86-64.txt" glibc:arm64="$out/arm64.txt" \
    glibc-no-fma:armv7="$out/armv7.txt" glibc-no-fma:x86-64-without-fma="$out/x86-64-no-fma.txt" \
    glibc:x86-64-libc++="$out/x86-64-libcxx.txt"
  total=$((total + 1))
  echo "cross-CPU comparison: $((SECONDS - started)) s"
}

section "The same answers on every CPU"
cross_cpu_pass

section "Test suite under AddressSanitizer + UndefinedBehaviorSanitizer + LeakSanitizer"
build build/asan -DNERITH_SANITIZER=address all
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build/asan

section "Concurrency under ThreadSanitizer"
build build/tsan -DNERITH_SANITIZER=thread "uniffi_stress_test uniffi_concurrency_test uniffi_full_concurrency_test uniffi_barrage_test search_test db_test"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  run_ctest build/tsan -R '^(uniffi\.(Stress|Concurrency|Barrage)|RegistryConcurrency|Lazy)\.'

section "Fuzzing under AddressSanitizer + UndefinedBehaviorSanitizer"
bash scripts/fuzz.sh "${NERITH_FUZZ_SECONDS:-180}"
total=$((total + 5))  # one run per harness

echo
echo "total: $total passed, 0 failed"
