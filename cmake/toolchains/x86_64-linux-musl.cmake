# x86-64 Linux with musl (Alpine, musllinux_1_2), with Zig; runs with Debian's musl loader.
#   cmake -S . -B build/zig/x86_64-linux-musl --toolchain cmake/toolchains/x86_64-linux-musl.cmake
set(NERITH_ZIG_TARGET x86_64-linux-musl)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NERITH_TARGET_EMULATOR /lib/ld-musl-x86_64.so.1)
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
