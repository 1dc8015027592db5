# Reads src/exports.txt, the one list of exported names, and writes what each
# linker takes to export exactly those from libnerith_uniffi:
#   NERITH_UNIFFI_VERSION_SCRIPT  GNU ld / lld version script (Linux, Android)
#   NERITH_UNIFFI_APPLE_EXPORTS   ld64 -exported_symbols_list (macOS, iOS)
# Editing the list reconfigures the build.
set(exports_list ${CMAKE_CURRENT_SOURCE_DIR}/src/exports.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${exports_list})
file(STRINGS ${exports_list} exports_lines)
set(NERITH_UNIFFI_EXPORTS "")
foreach(line IN LISTS exports_lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
    message(FATAL_ERROR "${exports_list}: '${line}' is not a C symbol name")
  endif()
  list(APPEND NERITH_UNIFFI_EXPORTS ${line})
endforeach()

list(JOIN NERITH_UNIFFI_EXPORTS ";\n    " global)
set(NERITH_UNIFFI_VERSION_SCRIPT ${CMAKE_CURRENT_BINARY_DIR}/exports.map)
# Apple's linker sees C names with a leading underscore.
list(TRANSFORM NERITH_UNIFFI_EXPORTS PREPEND "_" OUTPUT_VARIABLE apple)
list(JOIN apple "\n" apple)
set(NERITH_UNIFFI_APPLE_EXPORTS ${CMAKE_CURRENT_BINARY_DIR}/exports.exp)
# Written only when the text changes, so the library relinks only then.
file(CONFIGURE OUTPUT ${NERITH_UNIFFI_VERSION_SCRIPT} CONTENT
  "/* Generated from src/exports.txt. */\n{\n  global:\n    ${global};\n  local:\n    *;\n};\n")
file(CONFIGURE OUTPUT ${NERITH_UNIFFI_APPLE_EXPORTS} CONTENT "${apple}\n")
