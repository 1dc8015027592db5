// The global allocation functions, kept inside a macOS library. The C++
// runtime's own operator new and delete have default visibility, and Zig's
// Mach-O linker exports every default-visible symbol (it has no export
// list), so a library that took them from the runtime would export them and
// the host's allocations could bind to them. These definitions, compiled with
// -fvisibility-global-new-delete=force-hidden, stand in for them: the
// library allocates and frees through the C library as the runtime does, and
// exports only its contract.
#include <cstddef>
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return ::operator new(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
