#include "common/text/unicode.hpp"

#include <algorithm>
#include <charconv>

namespace nerith::text {
namespace {

struct LowerRun {
  char32_t first;
  char32_t last;
  std::int32_t delta;
  char32_t step;
};

struct LowerSpecial {
  char32_t code_point;
  std::array<char32_t, 3> lower;
  std::size_t size;
};

#include "common/text/unicode_tables.inc"

struct Utf8 {
  std::array<char, 4> bytes;
  std::size_t size;

  constexpr std::string_view view() const { return {bytes.data(), size}; }
};

constexpr Utf8 encode(char32_t c) noexcept {
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (c < 0x80) return {{byte(c)}, 1};
  if (c < 0x800) return {{byte(0xC0 | c >> 6), byte(0x80 | (c & 0x3F))}, 2};
  if (c < 0x10000) {
    return {{byte(0xE0 | c >> 12), byte(0x80 | (c >> 6 & 0x3F)), byte(0x80 | (c & 0x3F))}, 3};
  }
  return {{byte(0xF0 | c >> 18), byte(0x80 | (c >> 12 & 0x3F)), byte(0x80 | (c >> 6 & 0x3F)),
           byte(0x80 | (c & 0x3F))},
          4};
}

void append_utf8(std::string& out, char32_t c) {
  out += encode(c).view();
}

// Whether the first character from byte `at` on that is not case-ignorable
// is cased.
bool cased_letter_follows(std::string_view text, std::size_t at) noexcept {
  while (at < text.size()) {
    const Properties next = properties(next_code_point(text, at));
    if (!next.case_ignorable) return next.cased;
  }
  return false;
}

}  // namespace

char32_t next_code_point(std::string_view text, std::size_t& at) noexcept {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  // Well-formed sequences by lead byte; the second byte's range is narrower
  // after E0, ED, F0 and F4 (no overlong forms, surrogates or values past
  // U+10FFFF).
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kReplacement;
  }
  char32_t c = lead & (0x7Fu >> length);
  for (std::size_t k = 1; k < length; ++k, low = 0x80, high = 0xBF) {
    if (at == text.size()) return kReplacement;
    const auto next = static_cast<unsigned char>(text[at]);
    if (next < low || next > high) return kReplacement;
    c = c << 6 | (next & 0x3Fu);
    ++at;
  }
  return c;
}

Properties properties(char32_t c) noexcept {
  // The first run starts at U+0000, so the one before the upper bound exists.
  const auto run = std::upper_bound(kPropertyRuns.begin(), kPropertyRuns.end(), c,
                                    [](char32_t c, std::uint32_t run) { return c < run >> 8; });
  const auto flags = static_cast<std::uint8_t>(run[-1] & 0xFF);
  return {static_cast<Hidden>(flags & kHiddenMask), (flags & kGraphemeExtend) != 0,
          (flags & kCased) != 0, (flags & kCaseIgnorable) != 0};
}

bool escapes_as_code_point(char32_t c) noexcept {
  const Properties p = properties(c);
  return p.grapheme_extend || (p.hidden != Hidden::none && c != U' ');
}

LowerMapping lower_mapping(char32_t c) noexcept {
  if (c < 0x80) return {{c >= U'A' && c <= U'Z' ? c + 0x20 : c}, 1};
  const auto special = std::ranges::find(kLowerSpecials, c, &LowerSpecial::code_point);
  if (special != kLowerSpecials.end()) return {special->lower, special->size};
  const auto run = std::upper_bound(kLowerRuns.begin(), kLowerRuns.end(), c,
                                    [](char32_t c, const LowerRun& run) { return c < run.first; });
  if (run != kLowerRuns.begin()) {
    const LowerRun& r = run[-1];
    if (c <= r.last && (c - r.first) % r.step == 0) {
      return {{static_cast<char32_t>(static_cast<std::int32_t>(c) + r.delta)}, 1};
    }
  }
  return {{c}, 1};
}

std::string to_lower(std::string_view text) {
  static constexpr Utf8 kCapitalSigmaUtf8 = encode(kCapitalSigma);
  // Only a capital sigma looks at its neighbours; most texts have none.
  const bool track_context = text.find(kCapitalSigmaUtf8.view()) != std::string_view::npos;
  bool follows_cased = false;  // the last character that is not case-ignorable was cased
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const char32_t c = next_code_point(text, at);
    if (c == kCapitalSigma && follows_cased && !cased_letter_follows(text, at)) {
      append_utf8(out, kFinalSigma);
    } else {
      const LowerMapping lower = lower_mapping(c);
      for (std::size_t k = 0; k < lower.size; ++k) append_utf8(out, lower.code_points[k]);
    }
    if (track_context) {
      const Properties p = properties(c);
      if (!p.case_ignorable) follows_cased = p.cased;
    }
  }
  return out;
}

std::string debug_quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (std::size_t at = 0; at < text.size();) {
    const char32_t c = next_code_point(text, at);
    switch (c) {
      case U'"':
        out += "\\\"";
        continue;
      case U'\\':
        out += "\\\\";
        continue;
      case U'\t':
        out += "\\t";
        continue;
      case U'\r':
        out += "\\r";
        continue;
      case U'\n':
        out += "\\n";
        continue;
      case U'\0':
        out += "\\0";
        continue;
      default:
        break;
    }
    if (escapes_as_code_point(c)) {
      char hex[8];
      const auto end = std::to_chars(hex, hex + sizeof hex, static_cast<std::uint32_t>(c), 16).ptr;
      out += "\\u{";
      out.append(hex, end);
      out += '}';
    } else {
      append_utf8(out, c);
    }
  }
  out += '"';
  return out;
}

}  // namespace nerith::text
