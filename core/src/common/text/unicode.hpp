#pragma once

// The little of Unicode the library needs, from tables generated out of the
// Unicode Character Database 15.0 (unicode_tables.inc): UTF-8 decoding, the
// full lower-case mapping of station search, and the escaping of debug texts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nerith::text {

inline constexpr char32_t kReplacement = U'\uFFFD';

// The code point starting at byte `at` of `text`, moving `at` past it. An
// ill-formed sequence reads as one U+FFFD per maximal subpart (the longest
// start of a well-formed sequence, or else one byte). `at` < text.size().
char32_t next_code_point(std::string_view text, std::size_t& at) noexcept;

// Full lower case in the root locale, ill-formed sequences read as U+FFFD:
// one-to-many mappings included (U+0130 → i + U+0307), and a capital sigma
// becomes the final sigma when it follows a cased letter and no cased letter
// follows it, case-ignorable characters skipped on both sides (even those
// that are cased too, such as U+02B0, as ICU does).
std::string to_lower(std::string_view text);

// `text` as a quoted literal: in double quotes, with a backslash before a
// quote or a backslash, \t \r \n \0 for those four, and \u{hex} for the
// code points that `escapes_as_code_point` names. Ill-formed sequences read
// as U+FFFD.
std::string debug_quoted(std::string_view text);

// Characters without a visible form of their own: the general categories
// Cc, Cf, Cs, Co, Cn, Zl, Zp and Zs.
enum class Hidden : std::uint8_t {
  none,
  control,
  format,
  surrogate,
  private_use,
  unassigned,
  line_separator,
  paragraph_separator,
  space_separator,
};

struct Properties {
  Hidden hidden;
  bool grapheme_extend;
  bool cased;
  bool case_ignorable;
};

Properties properties(char32_t c) noexcept;

// Grapheme extenders (they would combine with the quote or escape before
// them) and the hidden characters, except the plain space.
bool escapes_as_code_point(char32_t c) noexcept;

// The full lower-case mapping of one code point, out of context (U+03A3
// gives the non-final sigma).
struct LowerMapping {
  std::array<char32_t, 3> code_points;
  std::size_t size;
};

LowerMapping lower_mapping(char32_t c) noexcept;

}  // namespace nerith::text
