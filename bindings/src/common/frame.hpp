// The call frame shared by every exported function: buffer ownership, the
// growable byte array behind every result, and the RustCallStatus reporting.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <expected>
#include <optional>
#include <source_location>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "common/text/unicode.hpp"
#include "nerith_uniffi_frame.h"

// Foreign callers pass these by value in registers or memory as plain C
// structs: any user-declared special member would change how they travel.
static_assert(std::is_standard_layout_v<RustBuffer> && std::is_trivially_copyable_v<RustBuffer>);
static_assert(sizeof(RustBuffer) == 24 && offsetof(RustBuffer, capacity) == 0 &&
              offsetof(RustBuffer, len) == 8 && offsetof(RustBuffer, data) == 16);
static_assert(std::is_standard_layout_v<ForeignBytes> &&
              std::is_trivially_copyable_v<ForeignBytes>);
// The i32 length is padded to the pointer's width: 16 bytes on 64-bit
// targets, 8 on 32-bit ones.
static_assert(sizeof(ForeignBytes) == 2 * sizeof(void*) && offsetof(ForeignBytes, len) == 0 &&
              offsetof(ForeignBytes, data) == sizeof(void*));
static_assert(std::is_standard_layout_v<RustCallStatus> &&
              std::is_trivially_copyable_v<RustCallStatus>);
static_assert(sizeof(RustCallStatus) == 32 && offsetof(RustCallStatus, code) == 0 &&
              offsetof(RustCallStatus, error_buf) == 8);

namespace nerith::uniffi {

// An internal fault: reported with status code 2 and logged at error level.
// A value, never thrown: the libraries are also built without exceptions.
struct Panic {
  std::string message;
};

// The largest buffer size the contract allows: 2^63 - 1 bytes; beyond it,
// "capacity overflow".
inline constexpr std::uint64_t kMaxBufferSize = (std::uint64_t{1} << 63) - 1;
// The largest block this process can address (2^31 - 1 bytes on 32-bit
// targets). A size between the two cannot be allocated here: it fails as an
// allocation does, and is never narrowed to size_t.
inline constexpr std::uint64_t kMaxAllocation = PTRDIFF_MAX;

// The empty buffer made by the library: capacity 0, len 0, placeholder data.
RustBuffer empty_buffer() noexcept;

// Why a buffer cannot be used, or nullptr when it is well formed.
const char* malformation(const RustBuffer& buffer) noexcept;

// Frees a well-formed buffer's storage; capacity 0 owns nothing.
void free_storage(const RustBuffer& buffer) noexcept;

// A new buffer of `size` zero bytes, capacity = len = size, or
// "capacity overflow" or the allocation failure.
std::expected<RustBuffer, Panic> zeroed(std::uint64_t size);

// A new buffer holding a copy of `bytes`, capacity = len = bytes.size(), or
// the allocation failure.
std::expected<RustBuffer, Panic> copy_to_buffer(std::span<const std::uint8_t> bytes);

// A growable byte array in the C allocator's storage, handed over whole as a
// RustBuffer. It grows like rustbuffer_reserve: to max(2 * capacity, needed, 8).
// The first fault (an overflow, a failed allocation, a value too long to
// encode) is kept and every later write is dropped, so writers need not
// check each step; finish() hands over the bytes or that fault.
class ByteBuffer {
 public:
  ByteBuffer() noexcept = default;
  // Takes over a well-formed buffer.
  explicit ByteBuffer(const RustBuffer& adopted) noexcept;
  ByteBuffer(ByteBuffer&& other) noexcept
      : buffer_(std::exchange(other.buffer_, {})),
        fault_(std::exchange(other.fault_, std::nullopt)) {}
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ~ByteBuffer() { free_storage(buffer_); }

  // Room for `additional` more bytes; false once faulted ("capacity
  // overflow" or the allocation failure; the bytes held are kept).
  bool reserve(std::uint64_t additional) noexcept;
  void append(std::span<const std::uint8_t> bytes) noexcept;
  // `count` more bytes at the end, left for the caller to write, or nullptr
  // once faulted.
  std::uint8_t* extend(std::uint64_t count) noexcept {
    if (buffer_.capacity - buffer_.len < count && !reserve(count)) return nullptr;
    if (fault_) return nullptr;
    std::uint8_t* at = buffer_.data + buffer_.len;
    buffer_.len += count;
    return at;
  }
  // Keeps `fault` unless an earlier one is kept already.
  void fail(Panic fault) noexcept;
  bool faulted() const noexcept { return fault_.has_value(); }

  std::uint64_t size() const noexcept { return buffer_.len; }
  std::span<const std::uint8_t> bytes() const noexcept;

  // Hands the storage over; this array is left empty.
  RustBuffer release() noexcept;
  // The storage, or the first fault (the storage is then freed).
  std::expected<RustBuffer, Panic> finish() && noexcept;

 private:
  RustBuffer buffer_{0, 0, nullptr};
  std::optional<Panic> fault_;
};

// An argument buffer taken over by a query function. A well-formed one is
// released when this goes away, whatever the outcome; a malformed one is
// left alone and reported as soon as its bytes are asked for.
class ArgBuffer {
 public:
  explicit ArgBuffer(const RustBuffer& buffer) noexcept
      : buffer_(buffer), malformation_(nerith::uniffi::malformation(buffer)) {}
  ArgBuffer(const ArgBuffer&) = delete;
  ArgBuffer& operator=(const ArgBuffer&) = delete;
  ~ArgBuffer() {
    if (malformation_ == nullptr) free_storage(buffer_);
  }

  // The bytes, or the validation message when the buffer is malformed.
  std::expected<std::span<const std::uint8_t>, Panic> bytes() const;
  // The bytes taken as text, without UTF-8 validation.
  std::expected<std::string_view, Panic> text() const;

 private:
  RustBuffer buffer_;
  const char* malformation_;
};

// A failure that is reported without being logged: code 1 with a serialized
// TideError, or code 2 for an argument that cannot be read.
struct CallError {
  std::int8_t code;
  ByteBuffer payload;
};

// Why a call failed: a reported error or a panic.
using Failure = std::variant<CallError, Panic>;

template <class T>
using Outcome = std::expected<T, Failure>;

// The texts of several argument buffers, read in order, so that the first
// malformed one is the one reported.
template <class... Args>
std::expected<std::array<std::string_view, sizeof...(Args)>, Panic> texts(const Args&... args) {
  std::array<std::string_view, sizeof...(Args)> out;
  std::optional<Panic> fault;
  std::size_t i = 0;
  const auto read = [&](const ArgBuffer& arg) {
    if (fault) return;
    auto text = arg.text();
    if (text) {
      out[i++] = *text;
    } else {
      fault = std::move(text.error());
    }
  };
  (read(args), ...);
  if (fault) return std::unexpected(std::move(*fault));
  return out;
}

// Writes a failure into the caller's status (which may be null); a panic is
// logged as report_panic does.
void report(RustCallStatus* status, Failure failure) noexcept;
// Code 2 with the message ("Unknown panic!" when empty), logged at error level.
void report_panic(RustCallStatus* status, std::string_view message) noexcept;

// The text in double quotes, with quotes, backslashes, control characters,
// invisible characters and combining marks escaped, as in the log records:
// the core's quoted literal, the same as in a DuplicateId message.
using text::debug_quoted;

// The entry record of a query function, at debug level: target and module
// path are the library's crate name.
void log_entry(std::string_view crate, std::string_view function,
               std::source_location where = std::source_location::current()) noexcept;

// Runs `action`, and where exceptions exist swallows any it throws: for a
// log sink that throws, or an allocation failing inside the logging.
template <class Action>
void quietly(Action&& action) noexcept {
#if defined(__cpp_exceptions)
  try {
    std::forward<Action>(action)();
  } catch (...) {
  }
#else
  std::forward<Action>(action)();
#endif
}

// Runs `work` (returning Outcome<T>): success returns the value and leaves
// the status alone; a failure is written into the status and the zero value
// of T is returned. Every failure a caller can provoke comes back as a
// value; where exceptions exist, one from the standard library (memory
// running out inside the core) is reported as a panic instead of escaping.
template <class T, class Work>
T call(RustCallStatus* status, Work&& work) noexcept {
#if defined(__cpp_exceptions)
  try {
#endif
    Outcome<T> outcome = std::forward<Work>(work)();
    if (outcome.has_value()) {
      if constexpr (std::is_void_v<T>) {
        return;
      } else {
        return std::move(*outcome);
      }
    }
    report(status, std::move(outcome.error()));
#if defined(__cpp_exceptions)
  } catch (const std::exception& fault) {
    report_panic(status, fault.what());
  } catch (...) {
    report_panic(status, {});
  }
#endif
  if constexpr (!std::is_void_v<T>) return T{};
}

}  // namespace nerith::uniffi
