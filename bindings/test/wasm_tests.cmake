# The wasm build's tests (cmake --preset wasm, bindings/cmake/wasm_module.cmake):
# each module exports exactly its contract, memory and _initialize, and
# imports only the WASI functions it is allowed (check_wasm_module.mjs); and
# its buffer-level failures come back as status 2, never as a trap
# (wasm_error_paths.mjs).
foreach(crate IN LISTS NERITH_UNIFFI_CRATES)
  nerith_uniffi_exported_names(${crate} ${${crate}_NAMESPACE} "${${crate}_FUNCTIONS}" names)
  list(JOIN names "|" names)
  list(LENGTH ${crate}_FUNCTIONS count)
  math(EXPR count "59 + 2 * ${count}")  # 52 futures, 4 buffer functions, version, 2 blobs
  add_test(NAME uniffi.wasm_module.${crate}
    COMMAND ${NERITH_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/check_wasm_module.mjs $<TARGET_FILE:${crate}>
            ${crate} ${names} ${count})
  add_test(NAME uniffi.wasm_error_paths.${crate}
    COMMAND ${NERITH_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/wasm_error_paths.mjs $<TARGET_FILE:${crate}>
            ${crate})
endforeach()
set_tests_properties(uniffi.wasm_module.nerith_uniffi PROPERTIES
  PASS_REGULAR_EXPRESSION "all 73 contract symbols of nerith_uniffi exported")
