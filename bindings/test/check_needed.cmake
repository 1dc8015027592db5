# Checks that a shared library of nerith needs nothing but the platform's C
# library: the C++ runtime (libstdc++ or libc++) is linked in, so an app
# ships the one file.
#   cmake -DREADELF=readelf -DLIBRARY=lib<crate>.so -P this
#     ELF: the dynamic section may name only glibc's libc, libm, libpthread,
#     libdl and loader (glibc 2.17 links the last two apart), or musl's libc
#     (libc.musl-<cpu>.so.1);
#   cmake -DFORMAT=pe -DOBJDUMP=objdump -DLIBRARY=<crate>.dll -P this
#     Windows: only KERNEL32 and the Universal C Runtime's API sets, and
#     nothing from its maths set: the library carries its maths, so that
#     every Windows answers as the musl build does;
#   cmake -DFORMAT=macho -DOBJDUMP=llvm-objdump -DNM=llvm-nm -DLIBRARY=lib<crate>.dylib
#         [-DARCH=arm64 -DMIN_OS=11.0] -P this
#     macOS: only libSystem; the install name @rpath/<file>; the CPU and the
#     lowest macOS asked for; and no weak import, which would be a function
#     that macOS lacks below some later version, null when called.
get_filename_component(file ${LIBRARY} NAME)
set(needed "")
set(others "")
if(FORMAT STREQUAL "pe")
  execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
  string(REGEX MATCHALL "DLL Name: [^\n]+" entries "${headers}")
  list(TRANSFORM entries REPLACE "^DLL Name: " "")
  set(allowed "^(KERNEL32\\.dll|api-ms-win-crt-[a-z]+-l1-1-0\\.dll)$")
  set(forbidden "^api-ms-win-crt-math-")
elseif(FORMAT STREQUAL "macho")
  execute_process(COMMAND ${OBJDUMP} --macho --dylibs-used ${LIBRARY}
    OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
  string(REGEX MATCHALL "\n\t[^ ]+ \\(compat" entries "${headers}")
  list(TRANSFORM entries REPLACE "^\n\t([^ ]+) \\(compat$" "\\1")
  # The first is the library's own name.
  list(POP_FRONT entries install_name)
  if(NOT install_name STREQUAL "@rpath/${file}")
    message(FATAL_ERROR "${file}'s install name is ${install_name}, not @rpath/${file}")
  endif()
  set(allowed "^/usr/lib/libSystem\\.B\\.dylib$")
  set(forbidden "^$")
else()
  execute_process(COMMAND ${READELF} -dW ${LIBRARY} OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
  string(REGEX MATCHALL "\\(NEEDED\\)[^[]*\\[[^]]+\\]" entries "${headers}")
  list(TRANSFORM entries REPLACE ".*\\[(.+)\\]$" "\\1")
  set(allowed "^((libc|libm|libpthread|libdl|ld-linux[-a-z0-9_]*)\\.so\\.[0-9]+|libc\\.musl-[a-z0-9_]+\\.so\\.1)$")
  set(forbidden "^$")
endif()
if(failed)
  message(FATAL_ERROR "could not read ${LIBRARY}")
endif()
foreach(name IN LISTS entries)
  list(APPEND needed ${name})
  if(NOT name MATCHES "${allowed}" OR name MATCHES "${forbidden}")
    list(APPEND others ${name})
  endif()
endforeach()
if(needed STREQUAL "")
  message(FATAL_ERROR "${LIBRARY} names no library at all: not a library this check reads")
endif()
if(others)
  message(FATAL_ERROR "${LIBRARY} needs ${others} beside the C library")
endif()

if(FORMAT STREQUAL "macho")
  execute_process(COMMAND ${OBJDUMP} --macho --private-headers ${LIBRARY} OUTPUT_VARIABLE headers)
  string(TOUPPER "${ARCH}" cpu)
  if(ARCH AND NOT headers MATCHES "MH_MAGIC_64 +${cpu} ")
    message(FATAL_ERROR "${file} is not for ${ARCH}")
  endif()
  # LC_BUILD_VERSION's minos, or LC_VERSION_MIN_MACOSX's version.
  set(min_os "")
  if(headers MATCHES "\n +minos ([0-9.]+)\n")
    set(min_os ${CMAKE_MATCH_1})
  elseif(headers MATCHES "LC_VERSION_MIN_MACOSX\n[^\n]*\n +version ([0-9.]+)\n")
    set(min_os ${CMAKE_MATCH_1})
  else()
    message(FATAL_ERROR "${file} states no lowest macOS")
  endif()
  if(MIN_OS AND NOT min_os VERSION_EQUAL MIN_OS)
    message(FATAL_ERROR "${file} asks for macOS ${min_os}, not ${MIN_OS}")
  endif()
  execute_process(COMMAND ${NM} -m ${LIBRARY} OUTPUT_VARIABLE symbols)
  string(REGEX MATCHALL "\\(undefined\\) weak external [^ \n]+" weak "${symbols}")
  if(weak)
    message(FATAL_ERROR "${file} imports weakly, so macOS ${min_os} may lack: ${weak}")
  endif()
  set(needed "${needed}; install name @rpath/${file}, macOS ${min_os} or later, ${ARCH}")
endif()
list(JOIN needed ", " needed)
message(STATUS "${LIBRARY} needs only the C library: ${needed}")
