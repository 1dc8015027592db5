# Compares what a UniFFI library of nerith exports with the names the
# generated bindings look up for its crate, derived from the crate, the
# namespace and the functions of its interface definition (the build links
# with the same names: this catches a name the sources fail to define, or
# anything else that leaks out):
#   cmake -DNM=nm -DLIBRARY=lib<crate>.so <names> -P this
#     the shared library's dynamic symbol table; with -DFORMAT=macho
#     (-DNM=llvm-nm) a macOS library's exports, with -DFORMAT=pe
#     (-DOBJDUMP=objdump) a Windows library's export table;
#   cmake -DREADELF=readelf -DARCHIVE=lib<crate>.a <names> -P this
#     the archive's definitions of default visibility, which are what an app
#     that links it statically can see;
# <names>: -DCRATE=nerith_uniffi -DNAMESPACE=nerith
#          -DFUNCTIONS=add_custom_port|get_port|... -DCOUNT=73
string(REPLACE "|" ";" functions "${FUNCTIONS}")
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/UniffiLibrary.cmake)
nerith_uniffi_exported_names(${CRATE} ${NAMESPACE} "${functions}" expected)
list(SORT expected)
list(LENGTH expected expected_count)
if(NOT expected_count EQUAL COUNT)
  message(FATAL_ERROR "the expected list has ${expected_count} symbols, not ${COUNT}")
endif()

set(actual "")
if(DEFINED ARCHIVE)
  execute_process(COMMAND ${READELF} -sW ${ARCHIVE} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${READELF} could not read ${ARCHIVE}")
  endif()
  string(REPLACE "\n" ";" lines "${table}")
  foreach(line IN LISTS lines)
    # "Num: Value Size Type Bind Vis Ndx Name"; the two blobs must be data.
    if(line MATCHES "^ *[0-9]+: [0-9a-f]+ +[0-9]+ ([A-Z]+) +(GLOBAL|WEAK) +DEFAULT +([A-Z0-9]+) (.+)$"
       AND NOT CMAKE_MATCH_3 STREQUAL "UND")
      set(type ${CMAKE_MATCH_1})
      set(name ${CMAKE_MATCH_4})
      # AddressSanitizer adds an ODR indicator (__odr_asan.<name>) beside each
      # exported variable; the version script hides them from the shared library.
      if(name MATCHES "^__odr_asan")
        continue()
      endif()
      list(APPEND actual ${name})
      if(name MATCHES "^UNIFFI_META_" AND NOT type STREQUAL "OBJECT")
        message(SEND_ERROR "${name} is a ${type}, not data (OBJECT)")
      elseif(NOT name MATCHES "^UNIFFI_META_" AND NOT type STREQUAL "FUNC")
        message(SEND_ERROR "${name} is a ${type}, not a function (FUNC)")
      endif()
    endif()
  endforeach()
elseif(FORMAT STREQUAL "pe")
  # The export table lists names only: a DLL does not say code or data.
  execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${OBJDUMP} could not read ${LIBRARY}")
  endif()
  string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table\n" "" table "${table}")
  string(REGEX REPLACE "\n\n.*" "" table "${table}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_]*" names "${table}")
  list(TRANSFORM names REPLACE "^\\[ *[0-9]+\\] " "")
  list(APPEND actual ${names})
else()
  # ELF: the dynamic symbol table. Mach-O: the exports, each name with
  # Apple's leading underscore. Zig's Mach-O linker exports the image's own
  # header and DSO handle too, which ld64 keeps private: linker-made data
  # addresses, no code, skipped here.
  set(options -D --defined-only)
  set(prefix "")
  if(FORMAT STREQUAL "macho")
    set(options -g --defined-only)
    set(prefix "_")
  endif()
  execute_process(COMMAND ${NM} ${options} ${LIBRARY} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
  endif()
  string(REPLACE "\n" ";" lines "${table}")
  foreach(line IN LISTS lines)
    # "<address> <kind> <name>"; the two blobs must be read-only data (on
    # Mach-O, a section of __TEXT: S).
    if(line MATCHES "^[0-9a-f]+ ([A-Za-z]) ${prefix}(.+)$")
      set(kind ${CMAKE_MATCH_1})
      set(name ${CMAKE_MATCH_2})
      if(FORMAT STREQUAL "macho" AND name MATCHES "^(_mh_dylib_header|__dso_handle)$")
        continue()
      endif()
      list(APPEND actual ${name})
      if(name MATCHES "^UNIFFI_META_" AND NOT kind MATCHES "^[RS]$")
        message(SEND_ERROR "${name} is of kind ${kind}, not read-only data (R)")
      elseif(NOT name MATCHES "^UNIFFI_META_" AND NOT kind STREQUAL "T")
        message(SEND_ERROR "${name} is of kind ${kind}, not a function (T)")
      endif()
    endif()
  endforeach()
endif()
list(SORT actual)

set(missing ${expected})
list(REMOVE_ITEM missing ${actual})
set(extra ${actual})
list(REMOVE_ITEM extra ${expected})
if(missing OR extra)
  list(JOIN missing "\n  " missing_text)
  list(JOIN extra "\n  " extra_text)
  message(FATAL_ERROR "exported symbols differ from the contract\n"
                      "missing:\n  ${missing_text}\nunexpected:\n  ${extra_text}")
endif()
message(STATUS "all ${COUNT} contract symbols of ${CRATE} exported, nothing else")
