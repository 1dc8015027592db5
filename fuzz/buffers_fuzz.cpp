// The four buffer functions driven by a program of arbitrary operations:
// alloc of any size, from_bytes with any length and with or without data,
// reserve of any amount, free; on buffers the library made, as well as on
// every malformed buffer a caller could build without lying about storage
// (null data with a length or capacity, a length beyond the capacity).
// Each answer is checked against the rules of the frame; the harness keeps a
// copy of every live buffer's bytes to check that nothing is lost or moved.
// Either library's buffer functions: those of the target it is linked with.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "harness.hpp"

namespace {

using namespace nerith::fuzz;

constexpr std::uint64_t kMaxBufferSize = (std::uint64_t{1} << 63) - 1;
// Buffers up to this size are really made; a legitimate larger request can
// only exhaust memory, which is not a fault.
constexpr std::uint64_t kLargestMade = 1 << 20;

const BufferFunctions& buffers() {
  return target().buffers();
}

std::uint8_t* placeholder() {
  return reinterpret_cast<std::uint8_t*>(std::uintptr_t{1});
}

// A live buffer and the bytes it must hold.
struct Live {
  RustBuffer buffer;
  Bytes bytes;
};

// A size: mostly small, sometimes at or beyond the 2^63 - 1 limit.
std::uint64_t size_from(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return in.ConsumeIntegralInRange<std::uint64_t>(0, 64);
    case 1:
      return in.ConsumeIntegralInRange<std::uint64_t>(0, kLargestMade);
    case 2:
      return kMaxBufferSize + in.ConsumeIntegralInRange<std::uint64_t>(0, 2);
    default:
      return std::numeric_limits<std::uint64_t>::max() - in.ConsumeIntegral<std::uint8_t>();
  }
}

void expect_failure(const RustCallStatus& status, std::string_view message) {
  const Failure failure = settle(status);
  require(failure.code == 2, "a malformed request was not refused with code 2");
  require(failure.message() == message, "a refusal with the wrong message");
}

void expect_success(const RustCallStatus& status) {
  require(settle(status).code == 0, "a well-formed request failed");
}

void check_holds(const Live& live) {
  require(live.buffer.len == live.bytes.size(), "a buffer's length changed");
  require(live.buffer.len <= live.buffer.capacity, "a buffer's length exceeds its capacity");
  require(live.buffer.data != nullptr, "a library-made buffer without data");
  require(live.bytes.empty() ||
              std::memcmp(live.buffer.data, live.bytes.data(), live.bytes.size()) == 0,
          "a buffer's bytes changed");
}

void alloc(FuzzedDataProvider& in, std::vector<Live>& live) {
  const std::uint64_t size = size_from(in);
  if (size > kLargestMade && size <= kMaxBufferSize) return;
  RustCallStatus status{};
  const RustBuffer buffer = buffers().alloc(size, &status);
  if (size > kMaxBufferSize) {
    expect_failure(status, "capacity overflow");
    require(is_zero(buffer), "a failed alloc returned storage");
    return;
  }
  expect_success(status);
  require(buffer.capacity == size && buffer.len == size, "alloc: capacity or length wrong");
  require(size > 0 || buffer.data == placeholder(), "alloc(0) without the placeholder data");
  live.push_back({buffer, Bytes(size, 0)});
  check_holds(live.back());
}

void from_bytes(FuzzedDataProvider& in, std::vector<Live>& live) {
  const Bytes source = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 256));
  const bool with_data = in.ConsumeBool();
  // Any length with null data; with data, any negative length or one that
  // stays inside the source.
  std::int32_t len = in.ConsumeIntegral<std::int32_t>();
  if (with_data && len >= 0) len %= static_cast<std::int32_t>(source.size() + 1);
  // A non-null pointer even for an empty source.
  static const std::uint8_t one = 0;
  const std::uint8_t* data = with_data ? (source.empty() ? &one : source.data()) : nullptr;

  RustCallStatus status{};
  const RustBuffer buffer = buffers().from_bytes({len, data}, &status);
  if (data == nullptr && len != 0) {
    expect_failure(status, "null ForeignBytes had non-zero length");
  } else if (len < 0) {
    expect_failure(status, "bytes length negative or overflowed: TryFromIntError(())");
  } else {
    expect_success(status);
    require(buffer.capacity == static_cast<std::uint64_t>(len), "from_bytes: capacity wrong");
    live.push_back({buffer, Bytes(data, data + len)});
    check_holds(live.back());
    return;
  }
  require(is_zero(buffer), "a failed from_bytes returned storage");
}

void reserve(Live& target, std::uint64_t additional, std::vector<Live>& live) {
  const std::uint64_t capacity = target.buffer.capacity;
  const std::uint64_t len = target.buffer.len;
  const bool overflows = additional > std::numeric_limits<std::uint64_t>::max() - len;
  std::uint64_t grown = capacity;
  if (!overflows && capacity - len < additional) {
    grown = std::max({capacity > kMaxBufferSize ? kMaxBufferSize + 1 : 2 * capacity,
                      len + additional, std::uint64_t{8}});
  }
  if (!overflows && grown > kLargestMade && grown <= kMaxBufferSize) {
    if (target.buffer.data != nullptr) live.push_back(target);  // too large to make: kept
    return;
  }
  RustCallStatus status{};
  const RustBuffer result = buffers().reserve(target.buffer, additional, &status);
  if (overflows || grown > kMaxBufferSize) {
    // The buffer was taken over and is released with the failure.
    expect_failure(status, "capacity overflow");
    require(is_zero(result), "a failed reserve returned storage");
    return;
  }
  expect_success(status);
  require(result.capacity == grown, "reserve: capacity other than max(2C, L + A, 8)");
  // A buffer with room comes back as it was; null data as the empty buffer.
  const std::uint8_t* same = target.buffer.data == nullptr ? placeholder() : target.buffer.data;
  require(grown != capacity || result.data == same, "reserve moved a buffer that had room");
  live.push_back({result, std::move(target.bytes)});
  check_holds(live.back());
}

// A malformed buffer is refused with its message and is not taken over.
void refuse(FuzzedDataProvider& in, std::vector<Live>& live, bool free_it) {
  RustBuffer malformed{};
  std::string_view message;
  Live* borrowed = nullptr;
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
      malformed = {
          in.ConsumeIntegralInRange<std::uint64_t>(1, std::numeric_limits<std::uint64_t>::max()),
          in.ConsumeIntegral<std::uint64_t>(), nullptr};
      message = "null RustBuffer had non-zero capacity";
      break;
    case 1:
      malformed = {
          0, in.ConsumeIntegralInRange<std::uint64_t>(1, std::numeric_limits<std::uint64_t>::max()),
          nullptr};
      message = "null RustBuffer had non-zero length";
      break;
    default:
      if (live.empty()) return;
      borrowed = &live[in.ConsumeIntegralInRange<std::size_t>(0, live.size() - 1)];
      malformed = borrowed->buffer;
      malformed.len = in.ConsumeIntegralInRange<std::uint64_t>(
          malformed.capacity + 1, std::numeric_limits<std::uint64_t>::max());
      message = "RustBuffer length exceeds capacity";
      break;
  }
  RustCallStatus status{};
  if (free_it) {
    buffers().free(malformed, &status);
  } else {
    const RustBuffer result =
        buffers().reserve(malformed, in.ConsumeIntegral<std::uint64_t>(), &status);
    require(is_zero(result), "a refused reserve returned storage");
  }
  expect_failure(status, message);
  if (borrowed != nullptr) check_holds(*borrowed);  // still the caller's, untouched
}

// A live buffer, handed to reserve or free as is or with a shorter length.
Live pick(FuzzedDataProvider& in, std::vector<Live>& live) {
  const std::size_t at = in.ConsumeIntegralInRange<std::size_t>(0, live.size() - 1);
  Live picked = std::move(live[at]);
  live.erase(live.begin() + static_cast<std::ptrdiff_t>(at));
  if (in.ConsumeBool()) {
    picked.buffer.len = in.ConsumeIntegralInRange<std::uint64_t>(0, picked.buffer.len);
    picked.bytes.resize(picked.buffer.len);
  }
  return picked;
}

void free_buffer(const RustBuffer& buffer) {
  RustCallStatus status{};
  buffers().free(buffer, &status);
  expect_success(status);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::vector<Live> live;
  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0:
        alloc(in, live);
        break;
      case 1:
        from_bytes(in, live);
        break;
      case 2:
        if (!live.empty()) {
          Live target = pick(in, live);
          reserve(target, size_from(in), live);
        }
        break;
      case 3:
        if (!live.empty()) free_buffer(pick(in, live).buffer);
        break;
      case 4: {
        // The all-zero buffer and the empty one: free does nothing, reserve grows.
        const RustBuffer empty =
            in.ConsumeBool() ? RustBuffer{0, 0, nullptr} : RustBuffer{0, 0, placeholder()};
        if (in.ConsumeBool()) {
          free_buffer(empty);
        } else {
          Live target{empty, {}};
          reserve(target, size_from(in), live);
        }
        break;
      }
      case 5:
        refuse(in, live, true);
        break;
      case 6:
        refuse(in, live, false);
        break;
      default:
        // The caller writes into a buffer it holds.
        if (!live.empty()) {
          Live& target = live[in.ConsumeIntegralInRange<std::size_t>(0, live.size() - 1)];
          const Bytes written = in.ConsumeBytes<std::uint8_t>(target.bytes.size());
          if (!written.empty()) std::memcpy(target.buffer.data, written.data(), written.size());
          std::copy(written.begin(), written.end(), target.bytes.begin());
        }
        break;
    }
  }
  for (const Live& remaining : live) {
    check_holds(remaining);
    free_buffer(remaining.buffer);
  }
  return 0;
}
