#!/usr/bin/env bash
# Builds one wheel per platform into dist/ from the staged libraries and the
# committed Python bindings: `import nerith` is the built-in library's module,
# `import nerith.full` the full model's, each beside the library it loads.
# The platform tag is the manylinux tag auditwheel finds the libraries
# consistent with; the wheel is refused unless they need only glibc.
source "$(dirname "$0")/common.sh"

step "Python packaging tools (.cache/python-tools)"
tools=$cache/python-tools
[[ -x "$tools/bin/python" ]] || python3 -m venv "$tools"
"$tools/bin/pip" install -q --disable-pip-version-check -r bindings/python/requirements-tools.txt
step_done

# Machine names in wheel tags, in the order of $platforms.
machines=(x86_64 aarch64)
rm -f "$dist"/nerith-*.whl
for i in "${!platforms[@]}"; do
  machine=${machines[$i]}
  step "wheel for $machine"
  root=$stage/wheel-$machine/nerith-$version
  info=$root/nerith-$version.dist-info
  rm -rf "$stage/wheel-$machine"
  mkdir -p "$root/nerith" "$info"
  cp bindings/generated/python/nerith.py "$root/nerith/__init__.py"
  cp bindings/generated/python/nerith_full.py "$root/nerith/full.py"
  cp "$stage/lib/${platforms[$i]}"/*.so "$root/nerith/"
  sed "s/@VERSION@/$version/" bindings/python/METADATA >"$info/METADATA"
  printf 'Wheel-Version: 1.0\nGenerator: scripts/package/wheel.sh\nRoot-Is-Purelib: false\nTag: py3-none-linux_%s\n' \
    "$machine" >"$info/WHEEL"
  "$tools/bin/wheel" pack "$root" -d "$stage/wheel-$machine" >/dev/null
  plain=$stage/wheel-$machine/nerith-$version-py3-none-linux_$machine.whl
  report=$("$tools/bin/auditwheel" show "$plain")
  tag=$(grep -oE '"manylinux_[0-9]+_[0-9]+_'"$machine"'"' <<<"$report" | head -n 1 | tr -d '"')
  if [[ -z "$tag" ]] || grep -q 'external shared libraries' <<<"$report"; then
    echo "$report"
    echo "the $machine libraries must need only glibc"
    exit 1
  fi
  "$tools/bin/wheel" tags --remove --platform-tag "$tag" "$plain" >/dev/null
  mkdir -p "$dist"
  mv "$stage/wheel-$machine/nerith-$version-py3-none-$tag.whl" "$dist/"
  "$tools/bin/auditwheel" show "$dist/nerith-$version-py3-none-$tag.whl"
  step_done
done
