# GoogleTest for the test suites. A native libstdc++ build uses the installed
# package (libgtest-dev); a cross build, or one with another standard library
# (libc++), compiles it from Debian's googletest sources, since the packaged
# archives are the build machine's and libstdc++'s.
include(CheckCXXSourceCompiles)
set(NERITH_GOOGLETEST_SOURCE /usr/src/googletest/googletest
    CACHE PATH "GoogleTest sources, built when cross-compiling or on libc++")
check_cxx_source_compiles("#include <version>
#ifndef _LIBCPP_VERSION
#error not libc++
#endif
int main() {}" NERITH_LIBCXX)
if(NOT CMAKE_CROSSCOMPILING AND NOT NERITH_LIBCXX)
  find_package(GTest REQUIRED)
  return()
endif()
if(NOT EXISTS ${NERITH_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "no GoogleTest sources in ${NERITH_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${NERITH_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
