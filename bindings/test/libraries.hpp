// The C functions of nerith's two UniFFI libraries, one table each, so that a
// test or a fuzz harness runs against either library through the same code.
// The only place outside the libraries that names their query functions.
#pragma once

#include <cstdint>

#include "nerith_full_uniffi.h"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {

// The buffer functions of one library, through which its arguments are
// lent and its results taken back.
struct BufferFunctions {
  const char* crate;
  RustBuffer (*alloc)(std::uint64_t, RustCallStatus*);
  RustBuffer (*from_bytes)(ForeignBytes, RustCallStatus*);
  void (*free)(RustBuffer, RustCallStatus*);
  RustBuffer (*reserve)(RustBuffer, std::uint64_t, RustCallStatus*);
};

inline constexpr BufferFunctions kNerith{
    "nerith_uniffi", ffi_nerith_uniffi_rustbuffer_alloc, ffi_nerith_uniffi_rustbuffer_from_bytes,
    ffi_nerith_uniffi_rustbuffer_free, ffi_nerith_uniffi_rustbuffer_reserve};
inline constexpr BufferFunctions kFull{
    "nerith_full_uniffi", ffi_nerith_full_uniffi_rustbuffer_alloc,
    ffi_nerith_full_uniffi_rustbuffer_from_bytes, ffi_nerith_full_uniffi_rustbuffer_free,
    ffi_nerith_full_uniffi_rustbuffer_reserve};

// The six queries both libraries answer, with the same arguments and result
// shapes; only the port record (list, search, get) differs between them.
// add_custom_port is the first library's own, water_windows the second's.
struct QueryFunctions {
  const BufferFunctions& buffers;
  RustBuffer (*list)(RustCallStatus*);
  RustBuffer (*search)(RustBuffer query, RustCallStatus*);
  RustBuffer (*get)(RustBuffer id, RustCallStatus*);
  double (*height_at)(RustBuffer id, std::int64_t timestamp, RustCallStatus*);
  RustBuffer (*predict_day)(RustBuffer id, RustBuffer date, RustCallStatus*);
  RustBuffer (*predict_range)(RustBuffer id, RustBuffer first, RustBuffer last, RustCallStatus*);
  std::int32_t error_variants;  // TideError's variants, numbered from 1
  // The second library's own; null for the first.
  RustBuffer (*water_windows)(RustBuffer id, RustBuffer first, RustBuffer last, double level,
                              RustBuffer side, RustCallStatus*) = nullptr;
};

inline constexpr QueryFunctions kNerithQueries{kNerith,
                                               uniffi_nerith_uniffi_fn_func_list_ports,
                                               uniffi_nerith_uniffi_fn_func_search_ports,
                                               uniffi_nerith_uniffi_fn_func_get_port,
                                               uniffi_nerith_uniffi_fn_func_height_at,
                                               uniffi_nerith_uniffi_fn_func_predict_day,
                                               uniffi_nerith_uniffi_fn_func_predict_range,
                                               3};
inline constexpr QueryFunctions kFullQueries{kFull,
                                             uniffi_nerith_full_uniffi_fn_func_list_ports,
                                             uniffi_nerith_full_uniffi_fn_func_search_ports,
                                             uniffi_nerith_full_uniffi_fn_func_get_port,
                                             uniffi_nerith_full_uniffi_fn_func_height_at,
                                             uniffi_nerith_full_uniffi_fn_func_predict_day,
                                             uniffi_nerith_full_uniffi_fn_func_predict_range,
                                             3,
                                             uniffi_nerith_full_uniffi_fn_func_water_windows};

}  // namespace nerith::uniffi::testing
