// The allocator set up while _initialize runs. wasi-libc's malloc takes, the
// first time it is called, all memory from the heap's start to the memory's
// end as it finds it then; a host that grows the memory for its own scratch
// space (the RustBuffer and RustCallStatus a call returns through pointers)
// before any allocation would see that page handed out. Allocating once here
// makes every page grown after _initialize the host's alone.
#include <cstdlib>

namespace {

// Volatile: the compiler would drop a malloc freed at once.
void* volatile g_first_block = nullptr;

[[gnu::constructor]] void set_up_allocator() {
  g_first_block = std::malloc(1);
  std::free(g_first_block);
}

}  // namespace
