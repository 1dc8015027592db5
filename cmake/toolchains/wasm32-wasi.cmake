# WebAssembly for WASI (wasm32-wasi), with Debian's clang 19 and its packages
# wasi-libc, libc++-19-dev-wasm32, libc++abi-19-dev-wasm32,
# libclang-rt-19-dev-wasm32 and lld-19 (scripts/setup.sh):
#   cmake --preset wasm    (or: cmake -S . -B build/wasm --toolchain this)
# The two UniFFI libraries become reactor modules, lib<crate>.wasm, linked with
# libc++ and libc++abi statically (bindings/cmake/wasm_module.cmake); Node's
# node:wasi runs what the tests need.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
# CMake 3.25 has no WASI platform: ours (wasi/Platform/WASI.cmake).
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/wasi)

set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# Debian lays the target out under /usr, where clang looks by default (no
# sysroot): headers in /usr/include/wasm32-wasi (libc++'s in c++/v1 below it),
# libraries in /usr/lib/wasm32-wasi, the builtins in clang's resource
# directory. The build machine's /usr/include comes last, after wasi-libc's:
# it lends header-only packages (nlohmann-json); a C header wasi-libc lacks
# would be glibc's, and none is included.
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -fuse-ld=lld)
# LLVM's archiver, which writes the symbol index wasm-ld reads.
find_program(CMAKE_AR NAMES llvm-ar-19 llvm-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES llvm-ranlib-19 llvm-ranlib REQUIRED)
find_program(NERITH_NODE node REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${NERITH_NODE} --no-warnings ${CMAKE_CURRENT_LIST_DIR}/../../tools/run_wasi.mjs)

# Compiler checks link a command, not a module.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# One instance is one thread and wasi-libc has no pthreads: the threads the
# core asks for are none at all (bindings/src/wasm/single_thread.hpp).
set(CMAKE_HAVE_LIBC_PTHREAD 1 CACHE INTERNAL "")
string(APPEND CMAKE_CXX_FLAGS_INIT
       " -include ${CMAKE_CURRENT_LIST_DIR}/../../bindings/src/wasm/single_thread.hpp")

# Header-only packages (nlohmann-json) and programs come from the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
