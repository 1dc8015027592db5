#include "station_search.hpp"

#include <algorithm>
#include <array>
#include <numeric>
#include <tuple>

namespace nerith::cli {
namespace {

// U+00C0 to U+017F folded: the base letters of their canonical
// decompositions, lower case, and the ligatures and letters without one
// spelled out; an empty entry (× and ÷) is punctuation.
constexpr std::array<const char*, 192> LATIN{
    "a", "a", "a",  "a",  "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",   // U+00C0
    "d", "n", "o",  "o",  "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",  // U+00D0
    "a", "a", "a",  "a",  "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",   // U+00E0
    "d", "n", "o",  "o",  "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",   // U+00F0
    "a", "a", "a",  "a",  "a", "a", "c",  "c", "c", "c", "c", "c", "c", "c", "d",  "d",   // U+0100
    "d", "d", "e",  "e",  "e", "e", "e",  "e", "e", "e", "e", "e", "g", "g", "g",  "g",   // U+0110
    "g", "g", "g",  "g",  "h", "h", "h",  "h", "i", "i", "i", "i", "i", "i", "i",  "i",   // U+0120
    "i", "i", "ij", "ij", "j", "j", "k",  "k", "k", "l", "l", "l", "l", "l", "l",  "l",   // U+0130
    "l", "l", "l",  "n",  "n", "n", "n",  "n", "n", "n", "n", "n", "o", "o", "o",  "o",   // U+0140
    "o", "o", "oe", "oe", "r", "r", "r",  "r", "r", "r", "s", "s", "s", "s", "s",  "s",   // U+0150
    "s", "s", "t",  "t",  "t", "t", "t",  "t", "u", "u", "u", "u", "u", "u", "u",  "u",   // U+0160
    "u", "u", "u",  "u",  "w", "w", "y",  "y", "y", "z", "z", "z", "z", "z", "z",  "s",   // U+0170
};

// The code point at `at`, moving `at` past it; a byte that does not start a
// well-formed sequence reads as itself (kept as it is).
char32_t next_code_point(std::string_view text, std::size_t& at, std::size_t& length) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  bool ok = length != 0 && at + length <= text.size() && lead < 0xF5;
  char32_t c = length == 1   ? lead
               : length == 2 ? lead & 0x1F
               : length == 3 ? lead & 0x0F
                             : lead & 7;
  for (std::size_t i = 1; ok && i < length; ++i) {
    ok = (byte(at + i) & 0xC0) == 0x80;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (!ok) {
    length = 1;
    c = 0xFFFFFFFF;  // not a code point: copied as a byte
  }
  at += length;
  return c;
}

// Beyond ASCII: blanks, apostrophes and dashes of every kind (U+2000 to
// U+2015 are spaces, zero-width characters, hyphens and dashes).
constexpr char32_t SEPARATORS[] = {0x00A0, 0x00B4, 0x02BB, 0x02BC, 0x2018, 0x2019, 0x201B,
                                   0x2032, 0x202F, 0x2212, 0x3000, 0xFE58, 0xFE63, 0xFF0D};

bool is_separator(char32_t c) {
  if (c < 0x80) {
    return !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
  }
  return (c >= 0x2000 && c <= 0x2015) || std::ranges::find(SEPARATORS, c) != std::end(SEPARATORS);
}

bool is_combining_mark(char32_t c) {
  return c >= 0x0300 && c <= 0x036F;
}

// A folded id or name without its spaces, and without the country ("fr ")
// that every id starts with: the forms suggestions compare.
std::array<std::string, 2> compared_forms(std::string folded) {
  std::string without_country = folded.starts_with("fr ") ? folded.substr(3) : folded;
  std::erase(folded, ' ');
  std::erase(without_country, ' ');
  return {folded, without_country};
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitution = diagonal + (a[i - 1] != b[j - 1]);
      diagonal = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, substitution});
    }
  }
  return row[b.size()];
}

}  // namespace

std::string fold(std::string_view text) {
  std::string out;
  bool gap = false;  // a separator since the last letter
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t begin = at;
    std::size_t length = 0;
    const char32_t c = next_code_point(text, at, length);
    if (is_combining_mark(c)) continue;
    const bool latin = c >= 0xC0 && c < 0x180;
    if (is_separator(c) || (latin && *LATIN[c - 0xC0] == '\0')) {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += ' ';
    gap = false;
    if (latin) {
      out += LATIN[c - 0xC0];
    } else if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c - 'A' + 'a');
    } else {
      out.append(text.substr(begin, length));
    }
  }
  return out;
}

std::vector<ports::Port> search(std::span<const ports::Port> ports, std::string_view query) {
  const std::string wanted = fold(query);
  std::vector<ports::Port> found;
  for (const auto& port : ports) {
    if (fold(port.id).find(wanted) != std::string::npos ||
        fold(port.name).find(wanted) != std::string::npos)
      found.push_back(port);
  }
  return found;
}

std::size_t substring_distance(std::string_view needle, std::string_view haystack) {
  // Sellers: the edit distance with a free start and end in the haystack.
  std::vector<std::size_t> column(needle.size() + 1);
  std::iota(column.begin(), column.end(), std::size_t{0});
  std::size_t best = column.back();
  for (const char h : haystack) {
    std::size_t diagonal = column[0];  // the free start: 0 on every row
    for (std::size_t i = 1; i <= needle.size(); ++i) {
      const std::size_t substitution = diagonal + (needle[i - 1] != h);
      diagonal = column[i];
      column[i] = std::min({column[i] + 1, column[i - 1] + 1, substitution});
    }
    best = std::min(best, column.back());
  }
  return best;
}

std::vector<Suggestion> suggestions(std::string_view text, Model current) {
  const auto wanted = compared_forms(fold(text));
  // Short texts must match exactly: two letters are a part of many names.
  const std::size_t length = wanted[0].size();
  const std::size_t allowed = length <= 3 ? 0 : length <= 5 ? 1 : length <= 8 ? 2 : 3;
  struct Scored {
    Suggestion suggestion;
    // The whole id or name nearest, or a part of one a step further: a
    // text found inside a longer name ranks after a name one typo away.
    std::size_t rank;
    std::size_t whole;  // to the whole id or name, to order equals
    bool elsewhere;     // only in the other model, to order equals again
  };
  std::vector<Scored> scored;
  for (const Model model : {current, current == Model::Full ? Model::Builtin : Model::Full}) {
    for (auto& port : model_of(model).list_ports()) {
      const auto known = std::ranges::find_if(
          scored, [&](const Scored& s) { return s.suggestion.port.id == port.id; });
      if (known != scored.end()) {
        (model == Model::Full ? known->suggestion.in_full : known->suggestion.in_builtin) = true;
        continue;
      }
      std::size_t distance = allowed + 1;
      std::size_t whole = SIZE_MAX;
      for (const std::string& field : {fold(port.id), fold(port.name)}) {
        const auto forms = compared_forms(field);
        for (std::size_t i = 0; i < 2; ++i) {
          distance = std::min(distance, substring_distance(wanted[i], forms[i]));
          whole = std::min(whole, edit_distance(wanted[i], forms[i]));
        }
      }
      if (length == 0 || distance > allowed) continue;
      Suggestion s{std::move(port), model == Model::Builtin, model == Model::Full};
      scored.push_back({std::move(s), std::min(whole, distance + 1), whole, model != current});
    }
  }
  std::ranges::stable_sort(
      scored, {}, [](const Scored& s) { return std::tuple(s.rank, s.whole, s.elsewhere); });
  std::vector<Suggestion> best;
  for (auto& s : scored) {
    if (best.size() == 3) break;
    best.push_back(std::move(s.suggestion));
  }
  return best;
}

}  // namespace nerith::cli
