#!/usr/bin/env bash
# Installs the manylinux x86-64 wheel (the glibc 2.17 build) into a fresh
# virtual environment and runs the pytest suite against it
# (bindings/python/tests), from outside the source tree's Python path.
source "$(dirname "$0")/common.sh"

step "pytest against the installed wheel"
venv=$stage/venv
rm -rf "$venv"
python3 -m venv "$venv"
"$venv/bin/pip" install -q --disable-pip-version-check -r bindings/python/requirements-test.txt \
  "$dist/nerith-$version"-py3-none-*manylinux_2_17_x86_64.whl
"$venv/bin/pytest" -p no:cacheprovider -q bindings/python/tests
step_done
