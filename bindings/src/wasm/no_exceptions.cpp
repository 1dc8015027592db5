// The C++ runtime's throw, for wasm32-wasi. Debian's libc++abi for wasm is
// built without exceptions and has no __cxa_throw, yet the sources keep their
// throw expressions (the native build uses them inside the library). No
// caller-provokable path throws, so reaching one is a bug in nerith: trap at
// once rather than unwind through code that cannot catch.
#include <cstddef>
#include <cstdlib>

extern "C" {
void* __cxa_allocate_exception(std::size_t) noexcept {
  std::abort();
}
[[noreturn]] void __cxa_throw(void*, void*, void (*)(void*)) {
  std::abort();
}
}
