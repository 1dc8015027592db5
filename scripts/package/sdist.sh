#!/usr/bin/env bash
# Builds dist/nerith-<version>.tar.gz with `python -m build --sdist` and then,
# as pip would from it, a wheel in a fresh isolated build environment (the
# backend and nlohmann-json from the index): the source build needs only a
# C++23 compiler. The wheel is installed in a fresh virtual environment and
# asked for one day's tides.
source "$(dirname "$0")/common.sh"

step "sdist, and a wheel built from it as pip would"
tools=$cache/python-tools
out=$stage/sdist
rm -rf "$out"
"$tools/bin/python" -m build --sdist --outdir "$dist" >"$stage/sdist.log" 2>&1 ||
  { tail -n 20 "$stage/sdist.log"; exit 1; }
sdist=$dist/nerith-$version.tar.gz
echo "$(basename "$sdist"): $(tar tzf "$sdist" | wc -l) files"
PIP_CACHE_DIR=$cache/pip "$tools/bin/pip" wheel -q --disable-pip-version-check --no-deps \
  -w "$out" "$sdist" >"$stage/sdist-wheel.log" 2>&1 || { tail -n 30 "$stage/sdist-wheel.log"; exit 1; }
python3 -m venv "$out/venv"
"$out/venv/bin/pip" install -q --disable-pip-version-check "$out"/nerith-*.whl
(cd "$out" && venv/bin/python -c 'import nerith, nerith.full
day = nerith.predict_day("FR-BREST", "2024-03-10")
full = nerith.full.predict_day("FR-BREST", "2024-03-10")
print(f"from the sdist: {len(day.extremes)} and {len(full.extremes)} tides at Brest on {day.date}")')
step_done
