# nerith_uniffi_link_exports(<crate> <version_script> <apple_exports>) links
# the shared library <crate> so that it exports exactly the names of its
# version script (exports.cmake writes both files from one list) and carries
# its C++ runtime inside, whatever the platform:
#   ELF:     the version script; GCC and clang also take --exclude-libs and
#            the static C++ runtime flags; Zig always links libc++ statically
#            and rejects --exclude-libs (the version script hides it anyway).
#            Zig names musl's C library libc.so, which musl's loader takes
#            for itself but auditwheel does not know: the musl libraries
#            name it as musl's own builds do, libc.musl-<cpu>.so.1 (patchelf);
#   Windows: a module-definition file (<crate>.def, written from the version
#            script), no "lib" prefix (the bindings load nerith_uniffi.dll);
#            with Zig, the maths the C runtime would lend it carried inside
#            (src/platform/windows_libm.zig, musl's remainder), so that it
#            answers as the musl library does;
#   Apple:   ld64's exported-symbols list, and the install name
#            @rpath/lib<crate>.dylib. Zig's Mach-O linker ignores the list
#            and exports whatever is default-visible: its toolchain files
#            compile everything hidden, and the library carries hidden
#            operator new and delete (src/platform/private_new_delete.cpp)
#            instead of the C++ runtime's default-visible ones.
# Sanitizer builds keep the runtime shared: the sanitizer's interceptors live
# in the host process.
function(nerith_uniffi_link_exports crate version_script apple_exports)
  if(WIN32)
    file(READ ${version_script} script)
    string(REGEX REPLACE ".*global:(.*)local:.*" "\\1" names "${script}")
    string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" names "${names}")
    list(JOIN names "\n  " names)
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${crate}.def)
    file(CONFIGURE OUTPUT ${def} CONTENT "LIBRARY ${crate}\nEXPORTS\n  ${names}\n")
    target_sources(${crate} PRIVATE ${def})
    set_target_properties(${crate} PROPERTIES PREFIX "" LINK_DEPENDS ${def})
    if(NERITH_ZIG_TARGET)
      nerith_uniffi_carry_libm(${crate})
    endif()
  elseif(APPLE)
    # The install name is @rpath/lib<crate>.dylib, CMake's default.
    set_target_properties(${crate} PROPERTIES LINK_DEPENDS ${apple_exports})
    target_link_options(${crate} PRIVATE -Wl,-exported_symbols_list,${apple_exports})
    if(NERITH_ZIG_TARGET)
      # CMake, cross-compiling, cannot tell that the target's loader knows
      # @rpath and would name the build folder.
      set_target_properties(${crate} PROPERTIES NO_SONAME ON)
      target_link_options(${crate} PRIVATE "SHELL:-install_name @rpath/$<TARGET_FILE_NAME:${crate}>")
      set(private_new_delete ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/platform/private_new_delete.cpp)
      target_sources(${crate} PRIVATE ${private_new_delete})
      set_source_files_properties(${private_new_delete} TARGET_DIRECTORY ${crate} PROPERTIES
        COMPILE_OPTIONS -fvisibility-global-new-delete=force-hidden)
    endif()
  else()
    set_target_properties(${crate} PROPERTIES LINK_DEPENDS ${version_script})
    target_link_options(${crate} PRIVATE -Wl,--version-script=${version_script})
    if(NOT NERITH_ZIG_TARGET)
      target_link_options(${crate} PRIVATE -Wl,--exclude-libs,ALL)
    elseif(NERITH_ZIG_TARGET MATCHES "-musl$")
      find_program(NERITH_PATCHELF patchelf REQUIRED)
      add_custom_command(TARGET ${crate} POST_BUILD VERBATIM
        COMMAND ${NERITH_PATCHELF} --replace-needed libc.so libc.musl-${CMAKE_SYSTEM_PROCESSOR}.so.1
                $<TARGET_FILE:${crate}>)
    endif()
  endif()
  if(NERITH_SANITIZER STREQUAL "" AND NOT APPLE)
    target_link_options(${crate} PRIVATE -Wl,--no-undefined)
    if(NOT NERITH_ZIG_TARGET)
      target_link_options(${crate} PRIVATE -static-libstdc++ -static-libgcc)
    endif()
  endif()
endfunction()

# The maths functions of a Windows library built with Zig, as its musl
# builds have them: one archive, from windows_libm.zig and musl's remquo.c
# (the copy Zig ships), linked into each library ahead of the C runtime.
function(nerith_uniffi_carry_libm crate)
  if(NOT TARGET nerith_windows_libm)
    set(source ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/platform/windows_libm.zig)
    get_filename_component(zig_dir ${NERITH_ZIG} DIRECTORY)
    set(remquo ${zig_dir}/lib/libc/musl/src/math/remquo.c)
    set(archive ${CMAKE_BINARY_DIR}/nerith_windows_libm.lib)
    add_custom_command(OUTPUT ${archive}
      COMMAND ${CMAKE_COMMAND} -E env ZIG_GLOBAL_CACHE_DIR=${NERITH_ZIG_CACHE}
              ZIG_LOCAL_CACHE_DIR=${NERITH_ZIG_CACHE}
              ${NERITH_ZIG} build-lib -target ${NERITH_ZIG_TARGET} -mcpu baseline -O ReleaseFast
              -fno-compiler-rt -lc -femit-bin=${archive} ${source} ${remquo}
      DEPENDS ${source} ${remquo} COMMENT "Building the libraries' maths (Zig)" VERBATIM)
    add_custom_target(nerith_windows_libm_archive DEPENDS ${archive})
    add_library(nerith_windows_libm STATIC IMPORTED GLOBAL)
    set_target_properties(nerith_windows_libm PROPERTIES IMPORTED_LOCATION ${archive})
    add_dependencies(nerith_windows_libm nerith_windows_libm_archive)
  endif()
  target_link_libraries(${crate} PRIVATE nerith_windows_libm)
endfunction()
