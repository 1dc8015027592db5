#!/usr/bin/env bash
# Installs the benchmark's pinned packages (npm ci, from package-lock.json) and
# times nerith's WebAssembly build against @neaps/tide-predictor on a year of
# Brest. Arguments go to bench.mjs (--reps N, --year YYYY, --json).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
# The package's .wasm files are build products: scripts/wasm.sh builds them
# into build/wasm and the package takes copies, as scripts/package/npm.sh does.
# Fresh copies each run, so that the timings are the tree's; built when neither
# the build nor the package has them.
wasm_build=${NERITH_WASM_BUILD:-$repo/build/wasm}
package_wasm=$repo/bindings/js/wasm
if [[ ! -f $wasm_build/bindings/libnerith_full_uniffi.wasm && ! -f $package_wasm/nerith_full_uniffi.wasm ]]; then
  (cd "$repo" && bash scripts/wasm.sh)
fi
if [[ -f $wasm_build/bindings/libnerith_full_uniffi.wasm ]]; then
  mkdir -p "$package_wasm"
  for crate in nerith_uniffi nerith_full_uniffi; do
    cp "$wasm_build/bindings/lib$crate.wasm" "$package_wasm/$crate.wasm"
  done
fi
cd "$here"
npm ci --no-audit --no-fund --loglevel=error
exec node bench.mjs "$@"
