// What the contract's buffer functions and future entry points do, for every
// UniFFI library of nerith. The exported C names carry each library's crate
// name; crate_entry_points.cpp defines them once per crate over these.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "common/frame.hpp"

namespace nerith::uniffi {

// The UniFFI contract version the generated bindings check on load.
inline constexpr std::uint32_t kContractVersion = 26;

RustBuffer rustbuffer_alloc(std::uint64_t size, RustCallStatus* status) noexcept;
RustBuffer rustbuffer_from_bytes(ForeignBytes bytes, RustCallStatus* status) noexcept;
void rustbuffer_free(RustBuffer buffer, RustCallStatus* status) noexcept;
RustBuffer rustbuffer_reserve(RustBuffer buffer, std::uint64_t additional,
                              RustCallStatus* status) noexcept;

// No function of nerith's libraries is asynchronous, so no future is ever
// created and no handle a caller can pass is valid: complete reports the
// misuse with code 2 and returns the zero value.
void report_no_future(std::string_view crate, std::uint64_t handle,
                      RustCallStatus* status) noexcept;

template <class Result>
Result complete_future(std::string_view crate, std::uint64_t handle,
                       RustCallStatus* status) noexcept {
  report_no_future(crate, handle, status);
  if constexpr (!std::is_void_v<Result>) return Result{};
}

}  // namespace nerith::uniffi
