# GoogleTest for the test suites. A native build uses the installed package
# (libgtest-dev); a cross build compiles it for the target from Debian's
# googletest sources, since the packaged archives are the build machine's.
set(NERITH_GOOGLETEST_SOURCE /usr/src/googletest/googletest
    CACHE PATH "GoogleTest sources, built when cross-compiling")
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()
if(NOT EXISTS ${NERITH_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "no GoogleTest sources in ${NERITH_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${NERITH_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
