# x86-64 Linux with glibc 2.17 or later (manylinux2014), with Zig; runs here.
#   cmake -S . -B build/zig/x86_64-linux-gnu.2.17 --toolchain cmake/toolchains/x86_64-linux-gnu.2.17.cmake
set(NERITH_ZIG_TARGET x86_64-linux-gnu.2.17)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# Every libm call bound to glibc's own function, not the compiler runtime's.
set(CMAKE_C_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/glibc-libm-versions.h")
set(CMAKE_CXX_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/glibc-libm-versions.h")
include(${CMAKE_CURRENT_LIST_DIR}/zig.cmake)
