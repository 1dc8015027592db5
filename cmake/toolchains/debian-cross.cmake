# Shared by the Debian cross toolchain files: each sets NERITH_TARGET_TRIPLE,
# CMAKE_SYSTEM_PROCESSOR and NERITH_TARGET_EMULATOR, then includes this.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${NERITH_TARGET_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${NERITH_TARGET_TRIPLE}-g++)

# The target's C library and C++ runtime live under /usr/<triple>. Libraries
# come only from there; header-only packages (nlohmann-json) and programs come
# from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${NERITH_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# qemu-user (Debian package qemu-user) runs the target's executables; -L
# points it at the target's loader and shared libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR ${NERITH_TARGET_EMULATOR} -L /usr/${NERITH_TARGET_TRIPLE})

# GCC notes on ARM that passing some structs changed in GCC 7.1: nothing
# here links against code built before then.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
