# 64-bit ARM Linux (glibc) with Debian's g++-aarch64-linux-gnu; executables,
# tests included, run under qemu-user:
#   cmake -S . -B build/arm64 --toolchain cmake/toolchains/aarch64-linux-gnu.cmake
set(NERITH_TARGET_TRIPLE aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(NERITH_TARGET_EMULATOR qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
