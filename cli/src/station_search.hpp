// Finding a station as a person types it: the command's search, and the
// suggestions for an id or name it does not know. The library's own
// search_ports matches the exact lower-cased text; the command folds more.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "models.hpp"
#include "nerith/ports.hpp"

namespace nerith::cli {

// `text` lower-cased, its Latin letters without accents ("Île" → "ile",
// "œ" → "oe"), and every run of blanks, apostrophes, dashes and other
// punctuation, of any kind (’ – — ...), made one space, none at either end:
// "Nantes – Usine Brûlée" → "nantes usine brulee". Other characters stay.
std::string fold(std::string_view text);

// The ports whose folded id or name contains the folded query, in their order.
std::vector<ports::Port> search(std::span<const ports::Port> ports, std::string_view query);

// The fewest single-byte insertions, deletions and substitutions that turn
// `needle` into some part of `haystack` (0 when it is a substring).
std::size_t substring_distance(std::string_view needle, std::string_view haystack);

// A station the caller may have meant, and which models hold it.
struct Suggestion {
  ports::Port port;
  bool in_builtin = false;
  bool in_full = false;
};

// Up to three stations of either model whose id or name (folded, spaces and
// the leading "FR-" aside) holds `text` within an edit distance that grows
// with its length: the nearest first (a whole id or name before a part of
// one, then the nearest whole), those of `current` first among equals.
std::vector<Suggestion> suggestions(std::string_view text, Model current);

}  // namespace nerith::cli
