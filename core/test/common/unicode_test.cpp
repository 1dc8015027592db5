// The generated Unicode tables against ICU 72 (Unicode 15.0), which did this
// work before them: what ICU answers here is the behaviour to keep.
#include "common/text/unicode.hpp"

#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <string>
#include <vector>

namespace nerith::text {
namespace {

// Station search's lower case as it was done with ICU.
std::string icu_lower(const std::string& text) {
  auto utf16 = icu::UnicodeString::fromUTF8(text);
  std::string lowered;
  utf16.toLower(icu::Locale::getRoot()).toUTF8String(lowered);
  return lowered;
}

std::u32string icu_lower(UChar32 c) {
  UChar source[2], lowered[8];
  int32_t length = 0;
  U16_APPEND_UNSAFE(source, length, c);
  UErrorCode status = U_ZERO_ERROR;
  length = u_strToLower(lowered, 8, source, length, "", &status);
  EXPECT_TRUE(U_SUCCESS(status));
  std::u32string code_points;
  for (int32_t i = 0; i < length;) {
    UChar32 next;
    U16_NEXT(lowered, i, length, next);
    code_points += static_cast<char32_t>(next);
  }
  return code_points;
}

Hidden icu_hidden(UChar32 c) {
  switch (u_charType(c)) {
    case U_CONTROL_CHAR:
      return Hidden::control;
    case U_FORMAT_CHAR:
      return Hidden::format;
    case U_SURROGATE:
      return Hidden::surrogate;
    case U_PRIVATE_USE_CHAR:
      return Hidden::private_use;
    case U_UNASSIGNED:
      return Hidden::unassigned;
    case U_LINE_SEPARATOR:
      return Hidden::line_separator;
    case U_PARAGRAPH_SEPARATOR:
      return Hidden::paragraph_separator;
    case U_SPACE_SEPARATOR:
      return Hidden::space_separator;
    default:
      return Hidden::none;
  }
}

std::string utf8(UChar32 c) {
  char bytes[U8_MAX_LENGTH];
  int32_t length = 0;
  U8_APPEND_UNSAFE(bytes, length, c);
  return {bytes, static_cast<std::size_t>(length)};
}

const std::string kSigma = "\u03A3";

// Each code point's lower case and escaping classes; and, set before and
// after a capital sigma, whether it counts as cased or case-ignorable for
// the final sigma ("AcΣ" tells cased-or-ignorable, "cΣ" and "AΣc" cased and
// not ignorable).
TEST(UnicodeTables, AgreeWithIcuOnEveryCodePoint) {
  for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
    const LowerMapping lower = lower_mapping(static_cast<char32_t>(c));
    ASSERT_EQ(std::u32string(lower.code_points.data(), lower.size), icu_lower(c))
        << "U+" << std::hex << c;
    const Properties p = properties(static_cast<char32_t>(c));
    ASSERT_EQ(p.hidden, icu_hidden(c)) << "U+" << std::hex << c;
    ASSERT_EQ(p.grapheme_extend, u_hasBinaryProperty(c, UCHAR_GRAPHEME_EXTEND) != 0)
        << "U+" << std::hex << c;
    if (U_IS_SURROGATE(c)) continue;  // not in UTF-8
    for (const std::string& text :
         {"A" + utf8(c) + kSigma, utf8(c) + kSigma, "A" + kSigma + utf8(c)}) {
      ASSERT_EQ(to_lower(text), icu_lower(text)) << "U+" << std::hex << c;
    }
  }
}

TEST(UnicodeTables, FinalSigmaAsIcuDecides) {
  const std::vector<std::string> texts = {"ΣΑΣ ΒΑΣΗ",
                                          "ΟΔΟΣ.",
                                          "Σ",
                                          "ΣΣΣ",
                                          "A Σ",
                                          "AΣ'B",
                                          "A'Σ'",
                                          "A'Σ'B",
                                          "A\u0301Σ\u0301",
                                          "A\u0345Σ",
                                          "\u0345Σ",
                                          "AΣ\u0345",
                                          "İΣ",
                                          "AΣ\xFF",
                                          "A\xFFΣ",
                                          "A\xCEΣ",
                                          "ΣAΣ\xCE\xA3\xA3",
                                          "(ΟΔΟΣ)",
                                          "ΟΔΟΣ\u00ADΟΔΟΣ",
                                          "Ὀδυσσεύς ΟΔΥΣΣΕΥΣ."};
  for (const std::string& text : texts) EXPECT_EQ(to_lower(text), icu_lower(text)) << text;
}

// Every two-byte start followed by two continuation bytes decodes as ICU's
// U8_NEXT_OR_FFFD does: one U+FFFD per maximal ill-formed subpart.
TEST(UnicodeTables, DecodesUtf8AsIcu) {
  for (int pair = 0; pair < 0x10000; ++pair) {
    const std::string bytes = {static_cast<char>(pair >> 8), static_cast<char>(pair), '\x80',
                               '\xBF'};
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    std::size_t ours = 0, theirs = 0;
    while (theirs < bytes.size()) {
      UChar32 expected;
      U8_NEXT_OR_FFFD(data, theirs, bytes.size(), expected);
      ASSERT_LT(ours, bytes.size());
      ASSERT_EQ(next_code_point(bytes, ours), static_cast<char32_t>(expected)) << pair;
      ASSERT_EQ(ours, theirs) << pair;
    }
    EXPECT_EQ(ours, bytes.size());
  }
}

}  // namespace
}  // namespace nerith::text
