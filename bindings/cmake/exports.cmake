# nerith_uniffi_exports(<crate> <list> <out_version_script> <out_apple_exports>)
# reads <list>, the one list of the names lib<crate> exports (one a line, #
# comments), and writes what each linker takes to export exactly those:
#   <crate>.map  GNU ld / lld version script (Linux, Android)
#   <crate>.exp  ld64 -exported_symbols_list (macOS, iOS)
# Editing the list reconfigures the build.
function(nerith_uniffi_exports crate exports_list out_version_script out_apple_exports)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${exports_list})
  file(STRINGS ${exports_list} exports_lines)
  set(exports "")
  foreach(line IN LISTS exports_lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
      message(FATAL_ERROR "${exports_list}: '${line}' is not a C symbol name")
    endif()
    list(APPEND exports ${line})
  endforeach()

  list(JOIN exports ";\n    " global)
  set(version_script ${CMAKE_CURRENT_BINARY_DIR}/${crate}.map)
  # Apple's linker sees C names with a leading underscore.
  list(TRANSFORM exports PREPEND "_" OUTPUT_VARIABLE apple)
  list(JOIN apple "\n" apple)
  set(apple_exports ${CMAKE_CURRENT_BINARY_DIR}/${crate}.exp)
  # Written only when the text changes, so the library relinks only then.
  file(RELATIVE_PATH source ${CMAKE_CURRENT_SOURCE_DIR} ${exports_list})
  file(CONFIGURE OUTPUT ${version_script} CONTENT
    "/* Generated from ${source}. */\n{\n  global:\n    ${global};\n  local:\n    *;\n};\n")
  file(CONFIGURE OUTPUT ${apple_exports} CONTENT "${apple}\n")
  set(${out_version_script} ${version_script} PARENT_SCOPE)
  set(${out_apple_exports} ${apple_exports} PARENT_SCOPE)
endfunction()
