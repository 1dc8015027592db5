# 32-bit ARM Linux (ARMv7, hard float, glibc) with Debian's
# g++-arm-linux-gnueabihf; executables, tests included, run under qemu-user:
#   cmake -S . -B build/armhf --toolchain cmake/toolchains/arm-linux-gnueabihf.cmake
set(NERITH_TARGET_TRIPLE arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(NERITH_TARGET_EMULATOR qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
