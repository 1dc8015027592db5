#!/usr/bin/env bash
# Builds the release libraries of the seven platforms apps run on, each once,
# with Zig (cmake/toolchains/<target>.cmake) through the Python package's own
# backend (scikit-build-core, pyproject.toml): the wheel, and in
# build/zig/<target>/ both libraries and the comparison host, which the jar
# and the Swift package take from there. For each target it then
#   - checks the libraries (ctest: exports, dependencies, platform facts);
#   - runs the comparison host where this machine can (natively, under
#     qemu-user, with musl's loader, under wine64);
#   - tags the wheel: the manylinux or musllinux tag auditwheel confirms, or
#     the backend's own for Windows and macOS;
# and compares every answer with the native build's (NERITH_NATIVE_BUILD's
# uniffi_answers), one bound per platform class (compare_answers.py).
source "$(dirname "$0")/common.sh"

step "Zig and the Python packaging tools"
zig=$(bash scripts/zig.sh)
tools=$cache/python-tools
[[ -x "$tools/bin/python" ]] || python3 -m venv "$tools"
"$tools/bin/pip" install -q --disable-pip-version-check -r bindings/python/requirements-tools.txt
export ZIG_GLOBAL_CACHE_DIR=$cache/zig-cache ZIG_LOCAL_CACHE_DIR=$cache/zig-cache
step_done

# One row per target: Zig toolchain, JNA's folder ('-': not in the jar), the
# wheel's platform as the backend names it, the class of its answers, and how
# this machine runs its programs ('-': it does not; the target is built and
# checked only).
rows=(
  "x86_64-linux-gnu.2.17  linux-x86-64   linux-x86_64         glibc native"
  "aarch64-linux-gnu.2.17 linux-aarch64  linux-aarch64        glibc qemu-aarch64 -L /usr/aarch64-linux-gnu"
  "x86_64-linux-musl      -              linux-x86_64         musl  /lib/ld-musl-x86_64.so.1"
  "aarch64-linux-musl     -              linux-aarch64        musl  qemu-aarch64"
  "x86_64-windows-gnu     win32-x86-64   win-amd64            musl  wine"
  "x86_64-macos           darwin-x86-64  macosx-10.15-x86_64  -     -"
  "aarch64-macos          darwin-aarch64 macosx-11.0-arm64    -     -"
)
export WINEPREFIX=$cache/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
answers=$PWD/build/answers
mkdir -p "$answers" "$dist" "$stage"
compared=()
for row in "${rows[@]}"; do
  read -r target jna platform class runner <<<"$row"
  step "$target: wheel and libraries (Zig, scikit-build-core)"
  dir=build/zig/$target
  wheels=$stage/wheels/$target
  rm -rf "$wheels"
  # The comparison host only where it runs; its checks are ctest's anyway.
  targets="nerith_uniffi;nerith_full_uniffi"
  [[ $runner == - ]] || targets+=";uniffi_answers"
  if ! _PYTHON_HOST_PLATFORM=$platform "$tools/bin/python" -m build --wheel --no-isolation \
      --outdir "$wheels" -C build-dir="$PWD/$dir" -C install.strip=false -C cmake.define.NERITH_ZIG="$zig" \
      -C cmake.define.CMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/$target.cmake" \
      -C cmake.define.NERITH_BUILD_ANSWERS=ON \
      -C build.targets="$targets" >"$stage/$target.log" 2>&1; then
    grep -E 'error|Error' "$stage/$target.log" | head -n 40
    tail -n 20 "$stage/$target.log"
    exit 1
  fi
  ctest --test-dir "$dir" --output-on-failure | grep -E 'contract symbols|needs only|tests passed|Fail|Error'
  host=$dir/bindings/test/uniffi_answers
  case $runner in
    -) ;;
    native) "$host" >"$answers/$target.txt" ;;
    wine) WINEPATH="$PWD/$dir/bindings" /usr/lib/wine/wine64 "$host.exe" >"$answers/$target.txt" ;;
    *) $runner "$host" >"$answers/$target.txt" ;;
  esac
  [[ $runner == - ]] || compared+=("$class:$target=$answers/$target.txt")

  wheel=$(ls "$wheels"/*.whl)
  if [[ $platform == linux-* ]]; then
    # auditwheel names the oldest glibc or musl the libraries run on; for
    # musl it reads the libraries Debian's musl packages install.
    search=()
    [[ $target == *-musl ]] && search=(--ldpaths "/lib/${target%%-*}-linux-musl")
    report=$("$tools/bin/auditwheel" -v show "${search[@]}" "$wheel" 2>/dev/null) || true
    tag=$(grep -oE '"(manylinux|musllinux)_[0-9]+_[0-9]+_[a-z0-9_]+"' <<<"$report" | head -n 1 | tr -d '"')
    if [[ -z "$tag" ]] || ! grep -q 'requires no external shared libraries' <<<"$report"; then
      echo "$report"
      echo "the $target libraries must need only the C library"
      exit 1
    fi
    # The glibc 2.17 wheels keep the older alias too, for pip before 20.3.
    [[ $tag == manylinux_2_17_* ]] && tag=$tag.manylinux2014_${tag#manylinux_2_17_}
    wheel=$("$tools/bin/wheel" tags --remove --platform-tag "$tag" "$wheel")
    wheel=$wheels/$wheel
  fi
  cp "$wheel" "$dist/"
  echo "wheel: $(basename "$wheel")"
  mapfile -t libraries < <(find "$dir/bindings" -maxdepth 1 -name '*nerith*uniffi.*' \
    \( -name '*.so' -o -name '*.dll' -o -name '*.dylib' \) | sort)
  ((${#libraries[@]} == 2)) || { echo "$dir/bindings holds ${#libraries[@]} libraries, not 2"; exit 1; }
  if [[ $jna != - ]]; then
    mkdir -p "$stage/lib/$jna"
    cp "${libraries[@]}" "$stage/lib/$jna/"
  fi
  stat -c '  %s bytes  %n' "${libraries[@]}"
  step_done
done

step "wheels: twine check"
"$tools/bin/twine" check --strict "$dist"/*.whl
step_done

step "the same answers on every platform that runs here"
native=${NERITH_NATIVE_BUILD:-build/release}/bindings/test/uniffi_answers
"$native" >"$answers/native.txt"
python3 bindings/test/compare_answers.py "$answers/native.txt" "${compared[@]}"
# The Windows library carries the maths the musl one takes from musl: the
# same bits, so that real Windows answers as wine does.
python3 bindings/test/compare_answers.py "$answers/x86_64-linux-musl.txt" \
  "same:x86_64-windows-gnu=$answers/x86_64-windows-gnu.txt" | head -n 1
step_done
