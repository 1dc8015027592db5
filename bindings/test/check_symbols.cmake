# Compares what libnerith_uniffi exports with the 73 symbols of the UniFFI
# contract, listed here on their own, apart from src/exports.txt:
#   cmake -DNM=nm -DLIBRARY=libnerith_uniffi.so -P this
#     the shared library's dynamic symbol table;
#   cmake -DREADELF=readelf -DARCHIVE=libnerith_uniffi.a -P this
#     the archive's definitions of default visibility, which are what an app
#     that links it statically can see.
set(expected UNIFFI_META_NAMESPACE_NERITH UNIFFI_META_UDL_NERITH
  ffi_nerith_uniffi_uniffi_contract_version)
foreach(function add_custom_port get_port height_at list_ports predict_day predict_range
        search_ports)
  list(APPEND expected uniffi_nerith_uniffi_fn_func_${function}
       uniffi_nerith_uniffi_checksum_func_${function})
endforeach()
foreach(function alloc from_bytes free reserve)
  list(APPEND expected ffi_nerith_uniffi_rustbuffer_${function})
endforeach()
foreach(op poll cancel complete free)
  foreach(type u8 i8 u16 i16 u32 i32 u64 i64 f32 f64 pointer rust_buffer void)
    list(APPEND expected ffi_nerith_uniffi_rust_future_${op}_${type})
  endforeach()
endforeach()
list(SORT expected)
list(LENGTH expected expected_count)
if(NOT expected_count EQUAL 73)
  message(FATAL_ERROR "the expected list has ${expected_count} symbols, not 73")
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
else()
  execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE table RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
  endif()
  string(REPLACE "\n" ";" lines "${table}")
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
message(STATUS "all 73 contract symbols exported, nothing else")
