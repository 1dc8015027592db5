# Shared by the Zig toolchain files, which cross-compile the release
# libraries with `zig cc` / `zig c++` (clang with LLVM's libc++, from the
# `ziglang` package of the Python Package Index; scripts/zig.sh installs the
# pinned one). Each file sets NERITH_ZIG_TARGET (Zig's target triple, with
# the lowest C library or OS version it supports), CMAKE_SYSTEM_NAME and
# CMAKE_SYSTEM_PROCESSOR, and NERITH_TARGET_EMULATOR where this machine runs
# the target's programs, then includes this:
#   cmake -S . -B build/zig/x86_64-linux-musl -DNERITH_BUILD_TESTS=OFF \
#     --toolchain cmake/toolchains/x86_64-linux-musl.cmake
# The zig executable is NERITH_ZIG (a CMake or environment variable), else
# `zig` on PATH, else the one scripts/zig.sh installs under NERITH_CACHE
# (.cache by default). Zig keeps what it builds for the target (libc++, the C
# library's stubs) in NERITH_ZIG_CACHE, by default NERITH_CACHE/zig-cache.
if(NOT NERITH_ZIG AND DEFINED ENV{NERITH_ZIG})
  set(NERITH_ZIG $ENV{NERITH_ZIG})
endif()
set(nerith_cache ${CMAKE_CURRENT_LIST_DIR}/../../.cache)
if(DEFINED ENV{NERITH_CACHE})
  set(nerith_cache $ENV{NERITH_CACHE})
endif()
if(NOT NERITH_ZIG)
  file(GLOB nerith_zig_installed ${nerith_cache}/zig/lib/python3*/site-packages/ziglang/zig)
  find_program(NERITH_ZIG NAMES zig HINTS ${nerith_zig_installed} NO_CACHE)
  if(NOT NERITH_ZIG AND nerith_zig_installed)
    list(GET nerith_zig_installed 0 NERITH_ZIG)
  endif()
endif()
if(NOT NERITH_ZIG)
  message(FATAL_ERROR "no zig: run scripts/zig.sh, or pass -DNERITH_ZIG=/path/to/zig")
endif()
if(NOT NERITH_ZIG_CACHE)
  set(NERITH_ZIG_CACHE ${nerith_cache}/zig-cache)
endif()
cmake_path(ABSOLUTE_PATH NERITH_ZIG_CACHE NORMALIZE)
# Try-compile projects read this file again: they get the same settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES NERITH_ZIG NERITH_ZIG_CACHE)

# One small script per tool, so that CMake sees a plain compiler and archiver
# and every call, whoever makes it, targets the same platform and uses the
# same cache.
set(nerith_zig_bin ${CMAKE_BINARY_DIR}/zig-${NERITH_ZIG_TARGET})
foreach(tool cc c++ ar ranlib)
  set(target_flag "")
  if(tool MATCHES "^c")
    set(target_flag "-target ${NERITH_ZIG_TARGET} ")
  endif()
  file(CONFIGURE OUTPUT ${nerith_zig_bin}/${tool} CONTENT "#!/bin/sh
ZIG_GLOBAL_CACHE_DIR='${NERITH_ZIG_CACHE}' ZIG_LOCAL_CACHE_DIR='${NERITH_ZIG_CACHE}' \\
  exec '${NERITH_ZIG}' ${tool} ${target_flag}\"$@\"
")
  file(CHMOD ${nerith_zig_bin}/${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CMAKE_C_COMPILER ${nerith_zig_bin}/cc)
set(CMAKE_CXX_COMPILER ${nerith_zig_bin}/c++)
set(CMAKE_AR ${nerith_zig_bin}/ar CACHE FILEPATH "Zig's archiver")
set(CMAKE_RANLIB ${nerith_zig_bin}/ranlib CACHE FILEPATH "Zig's ranlib")

# Release libraries, stripped as they link (no strip tool reads every
# format, and one run after the link would void a macOS code signature).
set(CMAKE_SHARED_LINKER_FLAGS_INIT -s)
set(CMAKE_EXE_LINKER_FLAGS_INIT -s)

# The binary tools of the checks (bindings/test): LLVM's read every format,
# GNU objdump a Windows library's import and export tables.
find_program(CMAKE_NM NAMES llvm-nm llvm-nm-14 REQUIRED)
find_program(CMAKE_READELF NAMES readelf llvm-readelf REQUIRED)
if(CMAKE_SYSTEM_NAME STREQUAL "Darwin")
  find_program(CMAKE_OBJDUMP NAMES llvm-objdump llvm-objdump-14 REQUIRED)
else()
  find_program(CMAKE_OBJDUMP NAMES objdump REQUIRED)
endif()

# Header-only packages (nlohmann-json) and programs come from the build
# machine; Zig brings the target's C library and C++ runtime itself.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
if(NERITH_TARGET_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${NERITH_TARGET_EMULATOR})
endif()
