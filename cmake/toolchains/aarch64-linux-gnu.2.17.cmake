# 64-bit ARM Linux with glibc 2.17 or later (manylinux2014), with Zig; runs under qemu-user.
#   cmake -S . -B build/zig/aarch64-linux-gnu.2.17 --toolchain cmake/toolchains/aarch64-linux-gnu.2.17.cmake
set(NERITH_ZIG_TARGET aarch64-linux-gnu.2.17)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(NERITH_TARGET_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
# Every libm call bound to glibc's own function, not the compiler runtime's.
set(CMAKE_C_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/glibc-libm-versions.h")
set(CMAKE_CXX_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/glibc-libm-versions.h")
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
