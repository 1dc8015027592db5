# 64-bit ARM Linux with musl, with Zig; runs under qemu-user.
#   cmake -S . -B build/zig/aarch64-linux-musl --toolchain cmake/toolchains/aarch64-linux-musl.cmake
set(NERITH_ZIG_TARGET aarch64-linux-musl)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(NERITH_TARGET_EMULATOR qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
