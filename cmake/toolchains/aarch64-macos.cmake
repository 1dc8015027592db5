# macOS on Apple silicon, 11.0 or later, with Zig; built only.
#   cmake -S . -B build/zig/aarch64-macos --toolchain cmake/toolchains/aarch64-macos.cmake
set(NERITH_ZIG_TARGET aarch64-macos.11.0)
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR arm64)
# Zig's Mach-O linker exports every default-visible symbol: only the
# contract's are (bindings/cmake/platform_exports.cmake).
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
