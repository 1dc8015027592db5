#!/usr/bin/env bash
# Stages both libraries, stripped, for each platform under
# build/package/lib/<platform>/: libnerith_uniffi.so and libnerith_full_uniffi.so.
# NERITH_NATIVE_BUILD and NERITH_ARM64_BUILD name build folders that already
# hold them (CI's native and arm64 passes); without them, Release builds of
# the two library targets are made in build/release and build/arm64-release.
source "$(dirname "$0")/common.sh"

# One row per platform: build folder, toolchain file ('' for the host), strip.
rows=(
  "${NERITH_NATIVE_BUILD:-build/release} - strip"
  "${NERITH_ARM64_BUILD:-build/arm64-release} cmake/toolchains/aarch64-linux-gnu.cmake aarch64-linux-gnu-strip"
)
for i in "${!platforms[@]}"; do
  read -r dir toolchain strip <<<"${rows[$i]}"
  platform=${platforms[$i]}
  step "libraries for $platform ($dir)"
  if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    args=(-DCMAKE_BUILD_TYPE=Release -DNERITH_BUILD_TESTS=OFF)
    [[ "$toolchain" == - ]] || args+=(--toolchain "$toolchain")
    cmake -S . -B "$dir" "${args[@]}" >/dev/null
  fi
  cmake --build "$dir" -j"$(nproc)" --target nerith_uniffi nerith_full_uniffi >/dev/null
  mkdir -p "$stage/lib/$platform"
  for library in libnerith_uniffi.so libnerith_full_uniffi.so; do
    "$strip" -o "$stage/lib/$platform/$library" "$dir/bindings/$library"
  done
  ls -l "$stage/lib/$platform"
  step_done
done
