// The entry points every UniFFI library exports besides its query functions:
// their checksums and the generator's metadata, the contract version, the
// four buffer functions and the 52 future entry points. Compiled once per
// library with NERITH_UNIFFI_CRATE set to its crate name (nerith_uniffi,
// nerith_full_uniffi), which the generated bindings expect in every one of
// these names: ffi_<crate>_rustbuffer_alloc, …; the checksums and metadata
// come from the crate's interface definition (nerith_uniffi_udl.h, written
// by cmake/udl.cmake).
#include <cstdint>

#include "common/crate_names.hpp"
#include "common/entry_points.hpp"
#include "nerith_uniffi_frame.h"
#include "nerith_uniffi_udl.h"

namespace {
constexpr const char* kCrate = NERITH_UNIFFI_CRATE_NAME;
}  // namespace

extern "C" {

// Any change to a function's name, arguments, result or error in the
// interface definition changes its checksum.
#define NERITH_UNIFFI_CHECKSUM_FUNCTION(function, checksum)     \
  NERITH_UNIFFI_API std::uint16_t NERITH_CHECKSUM(function)() { \
    return checksum;                                            \
  }
NERITH_UNIFFI_CHECKSUMS(NERITH_UNIFFI_CHECKSUM_FUNCTION)
#undef NERITH_UNIFFI_CHECKSUM_FUNCTION

// Read by the binding generator from the library file, never by the library:
// a kind byte (6 namespace, 8 interface-definition file), then strings, each
// a length byte and its bytes: the binding module, the namespace and, for
// the interface definition, its file stem.
NERITH_UNIFFI_API extern const std::uint8_t NERITH_UNIFFI_META_NAMESPACE[];
NERITH_UNIFFI_API extern const std::uint8_t NERITH_UNIFFI_META_UDL[];
const std::uint8_t NERITH_UNIFFI_META_NAMESPACE[] = NERITH_UNIFFI_META_NAMESPACE_BYTES;
const std::uint8_t NERITH_UNIFFI_META_UDL[] = NERITH_UNIFFI_META_UDL_BYTES;

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
