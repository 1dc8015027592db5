#!/usr/bin/env bash
# Installs what is missing, builds nerith with its tests and runs them all.
# Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/test -j"$jobs"
ctest --test-dir build/test -j"$jobs" --output-on-failure
