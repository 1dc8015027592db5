# clang 19 with LLVM's C++ library, libc++ 19 (Debian's clang-19,
# libc++-19-dev, libc++abi-19-dev): the standard library of Android's NDK and
# of Xcode, on this machine:
#   cmake -S . -B build/libcxx --toolchain cmake/toolchains/clang-libcxx.cmake
# The shared libraries link libc++ and libc++abi statically, as an app built
# with ANDROID_STL=c++_static does (bindings/cmake/UniffiLibrary.cmake);
# GoogleTest is built from its sources for libc++ (cmake/googletest.cmake).
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
