#include "common/frame.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "nerith/log.hpp"

namespace nerith::uniffi {
namespace {

// Never read and never freed: lets an empty buffer carry a non-null pointer,
// which Kotlin bindings require.
std::uint8_t* placeholder() noexcept {
  return reinterpret_cast<std::uint8_t*>(std::uintptr_t{1});
}

Panic allocation_failed(std::uint64_t size) {
  return {"memory allocation of " + std::to_string(size) + " bytes failed"};
}

Panic capacity_overflow() {
  return {"capacity overflow"};
}

constexpr std::string_view kPanicTarget = "uniffi_core::ffi::rustcalls";

void log_panic(std::string_view message,
               std::source_location where = std::source_location::current()) noexcept {
  if (!log::enabled(log::Level::Error)) return;
  // A failing sink must not turn a reported failure into a crash.
  quietly([&] {
    const std::string text = "Caught a panic calling rust code: " + debug_quoted(message);
    log::emit(
        {log::Level::Error, kPanicTarget, kPanicTarget, where.file_name(), where.line(), text});
  });
}

}  // namespace

RustBuffer empty_buffer() noexcept {
  return {0, 0, placeholder()};
}

const char* malformation(const RustBuffer& buffer) noexcept {
  if (buffer.data != nullptr) {
    // No block that large exists in this process (on 32-bit targets, 2^31
    // bytes or more), whatever the caller declares.
    if (buffer.capacity > kMaxAllocation) return "RustBuffer capacity exceeds the address space";
    return buffer.len > buffer.capacity ? "RustBuffer length exceeds capacity" : nullptr;
  }
  if (buffer.capacity != 0) return "null RustBuffer had non-zero capacity";
  if (buffer.len != 0) return "null RustBuffer had non-zero length";
  return nullptr;
}

void free_storage(const RustBuffer& buffer) noexcept {
  if (buffer.capacity > 0 && buffer.data != nullptr) std::free(buffer.data);
}

std::expected<RustBuffer, Panic> zeroed(std::uint64_t size) {
  if (size > kMaxBufferSize) return std::unexpected(capacity_overflow());
  if (size == 0) return empty_buffer();
  if (size > kMaxAllocation) return std::unexpected(allocation_failed(size));
  auto* data = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(size), 1));
  if (data == nullptr) return std::unexpected(allocation_failed(size));
  return RustBuffer{size, size, data};
}

std::expected<RustBuffer, Panic> copy_to_buffer(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return empty_buffer();
  auto* data = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
  if (data == nullptr) return std::unexpected(allocation_failed(bytes.size()));
  std::memcpy(data, bytes.data(), bytes.size());
  return RustBuffer{bytes.size(), bytes.size(), data};
}

ByteBuffer::ByteBuffer(const RustBuffer& adopted) noexcept : buffer_(adopted) {
  if (buffer_.data == nullptr) buffer_ = {0, 0, nullptr};
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    free_storage(buffer_);
    buffer_ = std::exchange(other.buffer_, {});
    fault_ = std::exchange(other.fault_, std::nullopt);
  }
  return *this;
}

bool ByteBuffer::reserve(std::uint64_t additional) noexcept {
  if (fault_) return false;
  const std::uint64_t capacity = buffer_.capacity;
  const std::uint64_t len = buffer_.len;
  if (capacity - len >= additional) return true;
  if (additional > std::numeric_limits<std::uint64_t>::max() - len) {
    fail(capacity_overflow());
    return false;
  }
  const std::uint64_t doubled =
      capacity > kMaxBufferSize ? std::numeric_limits<std::uint64_t>::max() : 2 * capacity;
  const std::uint64_t grown = std::max({doubled, len + additional, std::uint64_t{8}});
  if (grown > kMaxBufferSize) {
    fail(capacity_overflow());
    return false;
  }
  void* data = nullptr;
  if (grown <= kMaxAllocation) {
    const auto bytes = static_cast<std::size_t>(grown);
    data = capacity == 0 ? std::malloc(bytes) : std::realloc(buffer_.data, bytes);
  }
  if (data == nullptr) {
    fail(allocation_failed(grown));  // the old storage is still owned
    return false;
  }
  buffer_.data = static_cast<std::uint8_t*>(data);
  buffer_.capacity = grown;
  return true;
}

void ByteBuffer::append(std::span<const std::uint8_t> bytes) noexcept {
  if (bytes.empty() || !reserve(bytes.size())) return;
  std::memcpy(buffer_.data + buffer_.len, bytes.data(), bytes.size());
  buffer_.len += bytes.size();
}

void ByteBuffer::fail(Panic fault) noexcept {
  if (!fault_) fault_ = std::move(fault);
}

std::span<const std::uint8_t> ByteBuffer::bytes() const noexcept {
  if (buffer_.len == 0) return {};
  return {buffer_.data,
          static_cast<std::size_t>(buffer_.len)};  // len <= capacity <= kMaxAllocation
}

RustBuffer ByteBuffer::release() noexcept {
  const RustBuffer out = std::exchange(buffer_, {});
  return out.data == nullptr ? empty_buffer() : out;
}

std::expected<RustBuffer, Panic> ByteBuffer::finish() && noexcept {
  if (fault_) {
    free_storage(std::exchange(buffer_, {}));
    return std::unexpected(*std::exchange(fault_, std::nullopt));
  }
  return release();
}

std::expected<std::span<const std::uint8_t>, Panic> ArgBuffer::bytes() const {
  if (malformation_ != nullptr) return std::unexpected(Panic{malformation_});
  if (buffer_.len == 0) return std::span<const std::uint8_t>{};
  // Well formed: the length fits size_t.
  return std::span<const std::uint8_t>{buffer_.data, static_cast<std::size_t>(buffer_.len)};
}

std::expected<std::string_view, Panic> ArgBuffer::text() const {
  const auto view = bytes();
  if (!view) return std::unexpected(view.error());
  return std::string_view{reinterpret_cast<const char*>(view->data()), view->size()};
}

void report(RustCallStatus* status, Failure failure) noexcept {
  if (Panic* panic = std::get_if<Panic>(&failure)) {
    report_panic(status, panic->message);
    return;
  }
  // Only get_if: std::get would bring std::bad_variant_access into the archives.
  CallError* error = std::get_if<CallError>(&failure);
  if (status == nullptr || error == nullptr) return;
  status->code = error->code;
  status->error_buf = error->payload.release();
}

void report_panic(RustCallStatus* status, std::string_view message) noexcept {
  const std::string_view text = message.empty() ? std::string_view("Unknown panic!") : message;
  if (status != nullptr) status->code = 2;
  log_panic(text);
  if (status == nullptr) return;
  // No memory left even for the message: the client sees an empty one.
  status->error_buf =
      copy_to_buffer({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()})
          .value_or(RustBuffer{0, 0, nullptr});
}

void log_entry(std::string_view crate, std::string_view function,
               std::source_location where) noexcept {
  if (!log::enabled(log::Level::Debug)) return;
  // A failing sink must not stop the call.
  quietly([&] {
    log::emit({log::Level::Debug, crate, crate, where.file_name(), where.line(), function});
  });
}

}  // namespace nerith::uniffi
