# 64-bit Windows (the UCRT), with Zig; runs under wine64.
#   cmake -S . -B build/zig/x86_64-windows-gnu --toolchain cmake/toolchains/x86_64-windows-gnu.cmake
set(NERITH_ZIG_TARGET x86_64-windows-gnu)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
