# macOS on Intel, 10.15 or later, with Zig; built only. Not 10.13: the C++
# runtime allocates every exception with aligned_alloc, which macOS has from
# 10.15 on (below that it would be a weak import, null when called).
#   cmake -S . -B build/zig/x86_64-macos --toolchain cmake/toolchains/x86_64-macos.cmake
set(NERITH_ZIG_TARGET x86_64-macos.10.15)
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# Zig's Mach-O linker exports every default-visible symbol: only the
# contract's are (bindings/cmake/platform_exports.cmake).
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
