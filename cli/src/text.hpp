// Small helpers every writer of the command's output shares.
#pragma once

#include <cstddef>
#include <cstdio>
#include <nlohmann/json_fwd.hpp>
#include <string>

namespace nerith::cli {

// snprintf into a string, sized by a first dry run.
template <typename... Args>
std::string printf_string(const char* format, Args... args) {
  std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, format, args...)), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

// `text` widened with spaces to `width` bytes, for columns of ASCII.
inline std::string pad(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

// A JSON document on one line, ending in a line break. Invalid UTF-8 in a
// caller's text becomes U+FFFD rather than an exception.
std::string json_document(const nlohmann::ordered_json& json);

}  // namespace nerith::cli
