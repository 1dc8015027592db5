// The entry points every UniFFI library exports besides its own functions:
// the contract version, the four buffer functions and the 52 future entry
// points. Compiled once per library with NERITH_UNIFFI_CRATE set to its crate
// name (nerith_uniffi, nerith_full_uniffi), which the generated bindings
// expect in every one of these names: ffi_<crate>_rustbuffer_alloc, …
#include <cstdint>

#include "common/entry_points.hpp"
#include "nerith_uniffi_frame.h"

#ifndef NERITH_UNIFFI_CRATE
#error "NERITH_UNIFFI_CRATE must name the library's crate"
#endif

// ffi_<crate>_<name>: the crate name is expanded before the names are joined.
#define NERITH_UNIFFI_JOIN(prefix, crate, name) prefix##crate##name
#define NERITH_UNIFFI_EXPAND_JOIN(prefix, crate, name) NERITH_UNIFFI_JOIN(prefix, crate, name)
#define NERITH_FFI(name) NERITH_UNIFFI_EXPAND_JOIN(ffi_, NERITH_UNIFFI_CRATE, _##name)
#define NERITH_UNIFFI_QUOTE(crate) #crate
#define NERITH_UNIFFI_EXPAND_QUOTE(crate) NERITH_UNIFFI_QUOTE(crate)

namespace {
constexpr const char* kCrate = NERITH_UNIFFI_EXPAND_QUOTE(NERITH_UNIFFI_CRATE);
}  // namespace

extern "C" {

NERITH_UNIFFI_API std::uint32_t NERITH_FFI(uniffi_contract_version)() {
  return nerith::uniffi::kContractVersion;
}

NERITH_UNIFFI_API RustBuffer NERITH_FFI(rustbuffer_alloc)(std::uint64_t size,
                                                          RustCallStatus* status) {
  return nerith::uniffi::rustbuffer_alloc(size, status);
}

NERITH_UNIFFI_API RustBuffer NERITH_FFI(rustbuffer_from_bytes)(ForeignBytes bytes,
                                                               RustCallStatus* status) {
  return nerith::uniffi::rustbuffer_from_bytes(bytes, status);
}

NERITH_UNIFFI_API void NERITH_FFI(rustbuffer_free)(RustBuffer buffer, RustCallStatus* status) {
  nerith::uniffi::rustbuffer_free(buffer, status);
}

NERITH_UNIFFI_API RustBuffer NERITH_FFI(rustbuffer_reserve)(RustBuffer buffer,
                                                            std::uint64_t additional,
                                                            RustCallStatus* status) {
  return nerith::uniffi::rustbuffer_reserve(buffer, additional, status);
}

// The handle is never followed: poll, cancel and free do nothing, complete
// reports the misuse.
#define NERITH_UNIFFI_FUTURE_ENTRY_POINTS(suffix, Result)                                       \
  NERITH_UNIFFI_API void NERITH_FFI(rust_future_poll_##suffix)(                                 \
      std::uint64_t, UniffiRustFutureContinuationCallback, std::uint64_t) {}                    \
  NERITH_UNIFFI_API void NERITH_FFI(rust_future_cancel_##suffix)(std::uint64_t) {}              \
  NERITH_UNIFFI_API void NERITH_FFI(rust_future_free_##suffix)(std::uint64_t) {}                \
  NERITH_UNIFFI_API Result NERITH_FFI(rust_future_complete_##suffix)(std::uint64_t handle,      \
                                                                     RustCallStatus * status) { \
    return nerith::uniffi::complete_future<Result>(kCrate, handle, status);                     \
  }

NERITH_UNIFFI_FUTURE_ENTRY_POINTS(u8, std::uint8_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(i8, std::int8_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(u16, std::uint16_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(i16, std::int16_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(u32, std::uint32_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(i32, std::int32_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(u64, std::uint64_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(i64, std::int64_t)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(f32, float)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(f64, double)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(pointer, void*)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(rust_buffer, RustBuffer)
NERITH_UNIFFI_FUTURE_ENTRY_POINTS(void, void)
#undef NERITH_UNIFFI_FUTURE_ENTRY_POINTS

}  // extern "C"
