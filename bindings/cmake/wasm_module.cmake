# nerith on wasm32-wasi (cmake/toolchains/wasm32-wasi.cmake):
#   nerith_wasm_module(<crate> <version_script> LINK <target>...)
# links lib<crate>.wasm, a WASI reactor module (its _initialize runs the
# constructors once; then any export may be called) from the crate's objects,
# exporting exactly the names of its version script (exports.cmake writes it
# from the crate's list) and its memory, the C++ runtime carried inside.
# nerith_wasm_runtime: what every wasm link of nerith needs besides libc++
# (src/wasm/no_exceptions.cpp, src/wasm/host_pages.cpp), for the modules and
# the WASI commands the tests run (test/CMakeLists.txt). The stack comes first
# in memory, so that overflowing it traps instead of overwriting the data
# below it, and is 1 MiB rather than wasm-ld's 64 KiB.
if(NOT TARGET nerith_wasm_runtime)
  add_library(nerith_wasm_runtime OBJECT ${CMAKE_CURRENT_LIST_DIR}/../src/wasm/no_exceptions.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/../src/wasm/host_pages.cpp)
  target_link_options(nerith_wasm_runtime INTERFACE -Wl,--stack-first -Wl,-z,stack-size=1048576)
endif()

function(nerith_wasm_module crate version_script)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "LINK")
  file(READ ${version_script} script)
  string(REGEX REPLACE ".*global:(.*)local:.*" "\\1" names "${script}")
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" names "${names}")
  list(TRANSFORM names PREPEND "--export=")
  list(JOIN names "\n" names)
  set(response ${CMAKE_CURRENT_BINARY_DIR}/${crate}.exports)
  file(CONFIGURE OUTPUT ${response} CONTENT "${names}\n")

  add_executable(${crate} $<TARGET_OBJECTS:${crate}_objects>)
  set_target_properties(${crate} PROPERTIES OUTPUT_NAME lib${crate} LINK_DEPENDS ${response})
  target_link_libraries(${crate} PRIVATE nerith_uniffi_frame ${arg_LINK} nerith_wasm_runtime)
  # -static-libstdc++ is implied (wasm-ld links archives only); no names section.
  target_link_options(${crate} PRIVATE -mexec-model=reactor "-Wl,@${response}" -Wl,--strip-all)
endfunction()
