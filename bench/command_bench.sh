#!/usr/bin/env bash
# The nerith command as a whole process: start-up, one day and a year of
# Brest in the full model, as tables and as CSV and JSON, with the built-in
# model's year beside them. Pinned to one CPU, 31 rounds each after warm-up;
# hyperfine reports mean, median (in the JSON export), min and max.
#
#   bash bench/command_bench.sh [path/to/nerith] [cpu]
#
# Targets (wall time, a quiet machine): a one-day `predict --model full` in
# 5 ms or less; a year of --csv (1,415 high and low waters) in 28-33 ms and a
# year of --json (53,000 heights) in 48-60 ms, half of what they took before
# the command's own speed-ups. Needs hyperfine (scripts/setup.sh installs it).
set -euo pipefail

nerith=${1:-build/release/cli/nerith}
cpu=${2:-0}
[[ -x "$nerith" ]] || { echo "no nerith at $nerith (build the 'nerith' target in Release)" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "hyperfine is missing: run scripts/setup.sh" >&2; exit 2; }

year=(predict FR-BREST 2024-01-01 --days 366)
pin=()
command -v taskset >/dev/null && pin=(taskset -c "$cpu")

"${pin[@]}" hyperfine --shell=none --warmup 3 --runs 31 --style basic \
  --export-markdown "${TMPDIR:-/tmp}/nerith_command_bench.md" \
  -n "start-up (--version)" "$nerith --version" \
  -n "one day, full model" "$nerith predict FR-BREST 2024-03-10 --model full" \
  -n "a year, full model, table" "$nerith ${year[*]} --model full" \
  -n "a year, full model, --csv" "$nerith ${year[*]} --model full --csv" \
  -n "a year, full model, --json" "$nerith ${year[*]} --model full --json" \
  -n "a year, built-in model, --csv" "$nerith ${year[*]} --csv" \
  -n "a year, built-in model, --json" "$nerith ${year[*]} --json"
cat "${TMPDIR:-/tmp}/nerith_command_bench.md"
