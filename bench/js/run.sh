#!/usr/bin/env bash
# Installs the benchmark's pinned packages (npm ci, from package-lock.json) and
# times nerith's WebAssembly build against @neaps/tide-predictor on a year of
# Brest. Arguments go to bench.mjs (--reps N, --year YYYY, --json).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
# The package's .wasm files are build products (scripts/wasm.sh builds them
# into build/wasm; the package takes copies, as scripts/package/npm.sh does).
if [[ ! -f $repo/bindings/js/wasm/nerith_uniffi.wasm || ! -f $repo/bindings/js/wasm/nerith_full_uniffi.wasm ]]; then
  wasm_build=${NERITH_WASM_BUILD:-$repo/build/wasm}
  [[ -f $wasm_build/bindings/libnerith_full_uniffi.wasm ]] || (cd "$repo" && bash scripts/wasm.sh)
  mkdir -p "$repo/bindings/js/wasm"
  for crate in nerith_uniffi nerith_full_uniffi; do
    cp "$wasm_build/bindings/lib$crate.wasm" "$repo/bindings/js/wasm/$crate.wasm"
  done
fi
cd "$here"
npm ci --no-audit --no-fund --loglevel=error
exec node bench.mjs "$@"
