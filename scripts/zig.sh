#!/usr/bin/env bash
# Installs Zig, pinned (tools/zig/requirements.txt: the `ziglang` package of
# the Python Package Index), into a virtual environment under NERITH_CACHE
# (.cache by default), where cmake/toolchains/zig.cmake finds it, and prints
# the zig executable's path.
set -euo pipefail
cd "$(dirname "$0")/.."
cache=${NERITH_CACHE:-$PWD/.cache}
venv=$cache/zig
[[ -x "$venv/bin/python" ]] || python3 -m venv "$venv"
"$venv/bin/pip" install -q --disable-pip-version-check -r tools/zig/requirements.txt >&2
zig=$("$venv/bin/python" -c 'import ziglang, pathlib; print(pathlib.Path(ziglang.__file__).parent / "zig")')
[[ -x "$zig" ]] || { echo "no zig in $venv" >&2; exit 1; }
echo "$zig"
