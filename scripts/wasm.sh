#!/usr/bin/env bash
# Builds both UniFFI libraries as WebAssembly modules for WASI (the wasm
# preset, cmake/toolchains/wasm32-wasi.cmake):
#   build/wasm/bindings/libnerith_uniffi.wasm, libnerith_full_uniffi.wasm
# Usage: scripts/wasm.sh [test]
#   test: then checks each module's exports and imports under Node (ctest),
#   and compares the answers of uniffi_answers, built as a WASI command and
#   run by Node, with the native x86-64 ones (compare_answers.py, the class of
#   the maths carried in the library, musl's). The native answers come from
#   $NERITH_NATIVE_BUILD (default build/dev), whose uniffi_answers is built
#   first if missing.
set -euo pipefail
cd "$(dirname "$0")/.."
export NERITH_CACHE=${NERITH_CACHE:-/work/cache}

cmake --preset wasm >/dev/null
cmake --build --preset wasm >build/wasm/build.log 2>&1 || { tail -n 60 build/wasm/build.log; exit 1; }
for module in build/wasm/bindings/lib*.wasm; do
  echo "$module: $(stat -c %s "$module") bytes, $(gzip -9c "$module" | wc -c) gzipped"
done
[[ ${1:-} == test ]] || exit 0

# The comparison runs whatever the checks say; the exit status is both's.
failed=0
ctest --preset wasm || failed=1
native=${NERITH_NATIVE_BUILD:-build/dev}
program=bindings/test/uniffi_answers
if [[ ! -x $native/$program ]]; then
  [[ -f $native/CMakeCache.txt || $native != build/dev ]] || cmake --preset dev >/dev/null
  cmake --build "$native" -j2 --target uniffi_answers >/dev/null
fi
out=build/wasm/answers
mkdir -p "$out"
"$native/$program" >"$out/x86-64.txt"
node --no-warnings tools/run_wasi.mjs "build/wasm/$program.wasm" >"$out/wasm.txt"
python3 bindings/test/compare_answers.py "$out/x86-64.txt" musl:wasm="$out/wasm.txt" || failed=1
exit $failed
