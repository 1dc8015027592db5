#include "common/reader.hpp"

namespace nerith::uniffi::wire {

std::optional<Utf8Error> check_utf8(std::span<const std::uint8_t> s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::uint8_t first = s[i];
    if (first < 0x80) {
      ++i;
      continue;
    }
    // C0, C1 and F5..FF never start a sequence; continuation bytes neither.
    const std::size_t width = first >= 0xC2 && first <= 0xDF   ? 2
                              : first >= 0xE0 && first <= 0xEF ? 3
                              : first >= 0xF0 && first <= 0xF4 ? 4
                                                               : 0;
    if (width == 0) return Utf8Error{i, 1};
    // The second byte's range excludes overlong forms (E0, F0), surrogates
    // (ED) and code points above U+10FFFF (F4).
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
    for (std::size_t k = 1; k < width; ++k) {
      if (i + k >= s.size()) return Utf8Error{i, std::nullopt};
      const std::uint8_t byte = s[i + k];
      const bool fits = k == 1 ? byte >= low && byte <= high : byte >= 0x80 && byte <= 0xBF;
      if (!fits) return Utf8Error{i, k};
    }
    i += width;
  }
  return std::nullopt;
}

std::optional<std::string> Reader::finish() {
  if (!fault_ && !rest_.empty()) {
    fail("junk data left in buffer after lifting (count: " + std::to_string(rest_.size()) + ")");
  }
  return fault_;
}

std::int32_t Reader::variant(std::string_view enumeration, std::int32_t count) {
  const std::int32_t value = i32();
  if (failed()) return 1;
  if (value < 1 || value > count) {
    // As a long long: the int overload leaves its digit helper as a weak
    // default-visibility symbol on 32-bit ARM, visible in the static archives.
    fail("Invalid " + std::string(enumeration) +
         " enum value: " + std::to_string(static_cast<long long>(value)));
    return 1;
  }
  return value;
}

std::string Reader::string() {
  const auto bytes = take(length());
  if (failed()) return {};
  if (const auto bad = check_utf8(bytes)) {
    fail(bad->error_len
             ? "invalid utf-8 sequence of " + std::to_string(*bad->error_len) +
                   " bytes from index " + std::to_string(bad->valid_up_to)
             : "incomplete utf-8 byte sequence from index " + std::to_string(bad->valid_up_to));
    return {};
  }
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace nerith::uniffi::wire
