# One UniFFI contract-26 library of nerith per crate, from its interface
# definition, its list of exported names and its own sources over the shared
# frame:
#
#   nerith_uniffi_library(<crate> UDL <file.udl> EXPORTS <list.txt>
#                         EXPORT_NAME <name> SOURCES <src>... LINK <target>...)
#
# gives <crate>_objects (the crate's own objects, for tests that look inside),
# the shared lib<crate>.so (nerith::<name>) exporting exactly the list's names
# (cmake/exports.cmake), and its static twin <crate>_static
# (nerith::<name>_static). Appends <crate> to NERITH_UNIFFI_CRATES and sets
# <crate>_UDL, <crate>_NAMESPACE and <crate>_FUNCTIONS for the tests, which
# check the exports against nerith_uniffi_exported_names: the generator's
# names for the crate and the definition's functions.
include(${CMAKE_CURRENT_LIST_DIR}/exports.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/platform_exports.cmake)
if(WASI)
  include(${CMAKE_CURRENT_LIST_DIR}/wasm_module.cmake)
endif()

# The namespace of an interface definition and the functions it declares.
function(nerith_uniffi_read_udl udl out_namespace out_functions)
  file(READ ${udl} text)
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  if(NOT text MATCHES "namespace[ \t\n]+([a-z0-9_]+)[ \t\n]*{([^}]*)}")
    message(FATAL_ERROR "${udl} has no namespace block")
  endif()
  set(namespace ${CMAKE_MATCH_1})
  string(REGEX MATCHALL "[a-z0-9_]+[ \t\n]*\\(" functions "${CMAKE_MATCH_2}")
  list(TRANSFORM functions REPLACE "[ \t\n]*\\($" "")
  set(${out_namespace} ${namespace} PARENT_SCOPE)
  set(${out_functions} ${functions} PARENT_SCOPE)
endfunction()

# Every name the generated bindings look up in the crate's library.
function(nerith_uniffi_exported_names crate namespace functions out)
  string(TOUPPER ${namespace} upper)
  set(names "")
  foreach(function IN LISTS functions)
    list(APPEND names uniffi_${crate}_fn_func_${function})
  endforeach()
  foreach(function IN LISTS functions)
    list(APPEND names uniffi_${crate}_checksum_func_${function})
  endforeach()
  list(APPEND names ffi_${crate}_uniffi_contract_version)
  foreach(function alloc from_bytes free reserve)
    list(APPEND names ffi_${crate}_rustbuffer_${function})
  endforeach()
  foreach(op poll cancel complete free)
    foreach(type u8 i8 u16 i16 u32 i32 u64 i64 f32 f64 pointer rust_buffer void)
      list(APPEND names ffi_${crate}_rust_future_${op}_${type})
    endforeach()
  endforeach()
  list(APPEND names UNIFFI_META_NAMESPACE_${upper} UNIFFI_META_UDL_${upper})
  set(${out} ${names} PARENT_SCOPE)
endfunction()

function(nerith_uniffi_library crate)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "UDL;EXPORTS;EXPORT_NAME" "SOURCES;LINK")
  nerith_uniffi_read_udl(${arg_UDL} namespace functions)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_UDL})
  # For the tests: the crate, its definition, its namespace and functions.
  set(NERITH_UNIFFI_CRATES ${NERITH_UNIFFI_CRATES} ${crate} PARENT_SCOPE)
  set(${crate}_UDL ${CMAKE_CURRENT_SOURCE_DIR}/${arg_UDL} PARENT_SCOPE)
  set(${crate}_NAMESPACE ${namespace} PARENT_SCOPE)
  set(${crate}_FUNCTIONS ${functions} PARENT_SCOPE)
  nerith_uniffi_exports(${crate} ${CMAKE_CURRENT_SOURCE_DIR}/${arg_EXPORTS} version_script
                        apple_exports)

  # The crate's own sources and its copy of the common entry points, named
  # for the crate.
  add_library(${crate}_objects OBJECT ${arg_SOURCES} src/common/crate_entry_points.cpp)
  set_target_properties(${crate}_objects PROPERTIES
    POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_compile_definitions(${crate}_objects PRIVATE NERITH_UNIFFI_CRATE=${crate})
  target_link_libraries(${crate}_objects PUBLIC nerith_uniffi_frame ${arg_LINK})

  if(WASI)
    # A WebAssembly module, lib<crate>.wasm, instead (wasm_module.cmake).
    nerith_wasm_module(${crate} ${version_script} LINK ${arg_LINK})
  else()
    add_library(${crate} SHARED $<TARGET_OBJECTS:${crate}_objects>)
    add_library(nerith::${arg_EXPORT_NAME} ALIAS ${crate})
    target_include_directories(${crate} PUBLIC
      $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${crate} PRIVATE nerith_uniffi_frame ${arg_LINK})
    # Exactly the contract's symbols leave the library; the core, any static
    # archive and the C++ runtime stay inside it (platform_exports.cmake).
    nerith_uniffi_link_exports(${crate} ${version_script} ${apple_exports})
  endif()
  set_target_properties(${crate} PROPERTIES EXPORT_NAME ${arg_EXPORT_NAME})

  # The same objects as an archive, for apps that link statically (iOS): the
  # same C functions, the internals (the frame's too) as hidden as in the
  # shared library. The app links the core archives with it.
  add_library(${crate}_static STATIC
    $<TARGET_OBJECTS:${crate}_objects> $<TARGET_OBJECTS:nerith_uniffi_frame>)
  add_library(nerith::${arg_EXPORT_NAME}_static ALIAS ${crate}_static)
  set_target_properties(${crate}_static PROPERTIES
    EXPORT_NAME ${arg_EXPORT_NAME}_static OUTPUT_NAME ${crate})
  target_include_directories(${crate}_static PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${crate}_static PRIVATE ${arg_LINK})
endfunction()
