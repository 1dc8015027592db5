#include "common/entry_points.hpp"

#include <string>

namespace nerith::uniffi {

RustBuffer rustbuffer_alloc(std::uint64_t size, RustCallStatus* status) noexcept {
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> { return zeroed(size); });
}

RustBuffer rustbuffer_from_bytes(ForeignBytes bytes, RustCallStatus* status) noexcept {
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    if (bytes.data == nullptr) {
      if (bytes.len != 0) return std::unexpected(Panic{"null ForeignBytes had non-zero length"});
      return empty_buffer();
    }
    if (bytes.len < 0) {
      return std::unexpected(Panic{"bytes length negative or overflowed: TryFromIntError(())"});
    }
    return copy_to_buffer({bytes.data, static_cast<std::size_t>(bytes.len)});
  });
}

void rustbuffer_free(RustBuffer buffer, RustCallStatus* status) noexcept {
  call<void>(status, [&]() -> Outcome<void> {
    if (const char* malformed = malformation(buffer)) return std::unexpected(Panic{malformed});
    free_storage(buffer);
    return {};
  });
}

RustBuffer rustbuffer_reserve(RustBuffer buffer, std::uint64_t additional,
                              RustCallStatus* status) noexcept {
  return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
    if (const char* malformed = malformation(buffer)) {
      return std::unexpected(Panic{malformed});  // not taken over: left to the caller
    }
    ByteBuffer grown(buffer);  // released if growing fails
    grown.reserve(additional);
    return std::move(grown).finish();
  });
}

void report_no_future(std::string_view crate, std::uint64_t handle,
                      RustCallStatus* status) noexcept {
  call<void>(status, [&]() -> Outcome<void> {
    return std::unexpected(Panic{"no future has handle " + std::to_string(handle) + ": " +
                                 std::string(crate) + " has no asynchronous functions"});
  });
}

}  // namespace nerith::uniffi
