#!/usr/bin/env bash
# Installs the benchmark's pinned packages (npm ci, from package-lock.json) and
# times nerith's WebAssembly build against @neaps/tide-predictor on a year of
# Brest. Arguments go to bench.mjs (--reps N, --year YYYY, --json).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
# The .wasm files are build products; build them when the package has none.
if ! compgen -G "$repo/bindings/js/wasm/*.wasm" >/dev/null; then
  bash "$repo/scripts/wasm.sh"
fi
cd "$here"
npm ci --no-audit --no-fund --loglevel=error
exec node bench.mjs "$@"
