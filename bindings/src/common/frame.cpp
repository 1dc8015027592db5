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

[[noreturn]] void allocation_failed(std::uint64_t size) {
  throw Panic("memory allocation of " + std::to_string(size) + " bytes failed");
}

constexpr std::string_view kPanicTarget = "uniffi_core::ffi::rustcalls";

void log_panic(std::string_view message,
               std::source_location where = std::source_location::current()) noexcept {
  if (!log::enabled(log::Level::Error)) return;
  try {
    const std::string text = "Caught a panic calling rust code: " + debug_quoted(message);
    log::emit(
        {log::Level::Error, kPanicTarget, kPanicTarget, where.file_name(), where.line(), text});
  } catch (...) {
    // A failing sink must not turn a reported failure into a crash.
  }
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

RustBuffer zeroed(std::uint64_t size) {
  if (size > kMaxBufferSize) throw Panic("capacity overflow");
  if (size == 0) return empty_buffer();
  if (size > kMaxAllocation) allocation_failed(size);
  auto* data = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(size), 1));
  if (data == nullptr) allocation_failed(size);
  return {size, size, data};
}

RustBuffer copy_to_buffer(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return empty_buffer();
  auto* data = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
  if (data == nullptr) allocation_failed(bytes.size());
  std::memcpy(data, bytes.data(), bytes.size());
  return {bytes.size(), bytes.size(), data};
}

ByteBuffer::ByteBuffer(const RustBuffer& adopted) noexcept : buffer_(adopted) {
  if (buffer_.data == nullptr) buffer_ = {0, 0, nullptr};
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    free_storage(buffer_);
    buffer_ = std::exchange(other.buffer_, {});
  }
  return *this;
}

void ByteBuffer::reserve(std::uint64_t additional) {
  const std::uint64_t capacity = buffer_.capacity;
  const std::uint64_t len = buffer_.len;
  if (capacity - len >= additional) return;
  if (additional > std::numeric_limits<std::uint64_t>::max() - len) {
    throw Panic("capacity overflow");
  }
  const std::uint64_t doubled =
      capacity > kMaxBufferSize ? std::numeric_limits<std::uint64_t>::max() : 2 * capacity;
  const std::uint64_t grown = std::max({doubled, len + additional, std::uint64_t{8}});
  if (grown > kMaxBufferSize) throw Panic("capacity overflow");
  if (grown > kMaxAllocation) allocation_failed(grown);
  const auto bytes = static_cast<std::size_t>(grown);
  void* data = capacity == 0 ? std::malloc(bytes) : std::realloc(buffer_.data, bytes);
  if (data == nullptr) allocation_failed(grown);  // the old storage is still owned
  buffer_.data = static_cast<std::uint8_t*>(data);
  buffer_.capacity = grown;
}

void ByteBuffer::append(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  reserve(bytes.size());
  std::memcpy(buffer_.data + buffer_.len, bytes.data(), bytes.size());
  buffer_.len += bytes.size();
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

std::span<const std::uint8_t> ArgBuffer::bytes() const {
  if (malformation_ != nullptr) throw Panic(malformation_);
  if (buffer_.len == 0) return {};
  return {buffer_.data, static_cast<std::size_t>(buffer_.len)};  // well formed: fits size_t
}

std::string_view ArgBuffer::text() const {
  const auto view = bytes();
  return {reinterpret_cast<const char*>(view.data()), view.size()};
}

void report(RustCallStatus* status, CallError error) noexcept {
  if (status == nullptr) return;
  status->code = error.code;
  status->error_buf = error.payload.release();
}

void report_panic(RustCallStatus* status, std::string_view message) noexcept {
  const std::string_view text = message.empty() ? std::string_view("Unknown panic!") : message;
  if (status != nullptr) status->code = 2;
  log_panic(text);
  if (status == nullptr) return;
  try {
    status->error_buf =
        copy_to_buffer({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  } catch (...) {
    // No memory left even for the message: the client sees an empty one.
    status->error_buf = {0, 0, nullptr};
  }
}

void log_entry(std::string_view crate, std::string_view function,
               std::source_location where) noexcept {
  if (!log::enabled(log::Level::Debug)) return;
  try {
    log::emit({log::Level::Debug, crate, crate, where.file_name(), where.line(), function});
  } catch (...) {
    // A failing sink must not stop the call.
  }
}

}  // namespace nerith::uniffi
