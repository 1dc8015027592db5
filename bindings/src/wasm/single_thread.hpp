// std::mutex for wasm32-wasi, force-included into every file
// (cmake/toolchains/wasm32-wasi.cmake). libc++ for wasm is built without
// threads and leaves std::mutex out, but a module instance runs on exactly one
// thread, so the core's locks (the log sink, the lazy tables, the port index)
// guard nothing there: locking is a no-op. std::call_once and function-local
// statics need nothing: libc++ and libc++abi already do them single-threaded.
#pragma once

#include <mutex>

#if defined(__wasi__) && defined(_LIBCPP_HAS_NO_THREADS)
_LIBCPP_BEGIN_NAMESPACE_STD
class mutex {
 public:
  constexpr mutex() noexcept = default;
  mutex(const mutex&) = delete;
  mutex& operator=(const mutex&) = delete;
  void lock() noexcept {}
  bool try_lock() noexcept { return true; }
  void unlock() noexcept {}
};
_LIBCPP_END_NAMESPACE_STD
#endif
