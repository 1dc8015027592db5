#!/usr/bin/env bash
# Installs what is missing, builds nerith and prints today's tide at Brest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DNERITH_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target nerith
build/release/cli/nerith predict FR-BREST "$@"
