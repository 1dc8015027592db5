# Compares the checksums cmake/udl.cmake derives from an interface definition
# (those the library answers) with the ones the pinned binding generator
# wrote into the committed bindings, which refuse a library that differs:
#   cmake -DUDL=<stem>.udl -DCRATE=<crate> -DGENERATED=generated/python/<stem>.py -P this
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/udl.cmake)
nerith_uniffi_udl_checksums(${UDL} ${CRATE} derived)
file(STRINGS ${GENERATED} lines REGEX "uniffi_${CRATE}_checksum_func_[a-z0-9_]+\\(\\) != [0-9]+")
set(generated "")
foreach(line IN LISTS lines)
  string(REGEX MATCH "checksum_func_([a-z0-9_]+)\\(\\) != ([0-9]+)" _ "${line}")
  list(APPEND generated ${CMAKE_MATCH_1}=${CMAKE_MATCH_2})
endforeach()
list(LENGTH derived count)
if(count EQUAL 0 OR NOT derived STREQUAL generated)
  list(JOIN derived "\n  " derived_text)
  list(JOIN generated "\n  " generated_text)
  message(FATAL_ERROR "the checksums of ${UDL} differ from the generated bindings'\n"
                      "derived:\n  ${derived_text}\ngenerated:\n  ${generated_text}")
endif()
message(STATUS "the ${count} checksums of ${CRATE} are the generated bindings'")
