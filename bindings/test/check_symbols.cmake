# Compares the dynamic symbol table of a UniFFI library with the symbols the
# generated bindings look up for its crate, and nothing more. Usage:
#   cmake -DNM=nm -DLIBRARY=lib.so -DCRATE=nerith_uniffi -DNAMESPACE=nerith
#         -DFUNCTIONS=add_custom_port|get_port|... -DCOUNT=73 -P this
string(REPLACE "|" ";" functions "${FUNCTIONS}")
# The same list the library's version script is written from: this test
# catches a name the library does not define, or one more than the list.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/UniffiLibrary.cmake)
nerith_uniffi_exported_names(${CRATE} ${NAMESPACE} "${functions}" expected)
list(SORT expected)
list(LENGTH expected expected_count)
if(NOT expected_count EQUAL COUNT)
  message(FATAL_ERROR "the expected list has ${expected_count} symbols, not ${COUNT}")
endif()

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${table}")
set(actual "")
foreach(line IN LISTS lines)
  # "<address> <kind> <name>"; the two blobs must be read-only data.
  if(line MATCHES "^[0-9a-f]+ ([A-Za-z]) (.+)$")
    set(kind ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    list(APPEND actual ${name})
    if(name MATCHES "^UNIFFI_META_" AND NOT kind STREQUAL "R")
      message(SEND_ERROR "${name} is of kind ${kind}, not read-only data (R)")
    elseif(NOT name MATCHES "^UNIFFI_META_" AND NOT kind STREQUAL "T")
      message(SEND_ERROR "${name} is of kind ${kind}, not a function (T)")
    endif()
  endif()
endforeach()
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
