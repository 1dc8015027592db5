# nerith_uniffi_exports(<crate> <names> <source> <out_version_script> <out_apple_exports>)
# writes, from <names>, the names lib<crate> exports (derived from <source>,
# its interface definition), what each linker takes to export exactly those:
#   <crate>.map  GNU ld / lld version script (Linux, Android)
#   <crate>.exp  ld64 -exported_symbols_list (macOS, iOS)
# Windows' module-definition file and the WebAssembly export list are written
# from the version script (platform_exports.cmake, wasm_module.cmake).
function(nerith_uniffi_exports crate exports source out_version_script out_apple_exports)
  list(JOIN exports ";\n    " global)
  set(version_script ${CMAKE_CURRENT_BINARY_DIR}/${crate}.map)
  # Apple's linker sees C names with a leading underscore.
  list(TRANSFORM exports PREPEND "_" OUTPUT_VARIABLE apple)
  list(JOIN apple "\n" apple)
  set(apple_exports ${CMAKE_CURRENT_BINARY_DIR}/${crate}.exp)
  # Written only when the text changes, so the library relinks only then.
  file(CONFIGURE OUTPUT ${version_script} CONTENT
    "/* Generated from ${source}. */\n{\n  global:\n    ${global};\n  local:\n    *;\n};\n")
  file(CONFIGURE OUTPUT ${apple_exports} CONTENT "${apple}\n")
  set(${out_version_script} ${version_script} PARENT_SCOPE)
  set(${out_apple_exports} ${apple_exports} PARENT_SCOPE)
endfunction()
