// Water levels as the command line gives them: --above, --below, the
// sailor's --draught D --depth C [--margin M], and chart --level.
#pragma once

#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "nerith/windows.hpp"

namespace nerith::cli {

// The largest level accepted, in metres either side of the datum: far beyond
// any tide, small enough that sums of heights stay exact to the millimetre.
inline constexpr double MAX_HEIGHT = 1000.0;

// A height in metres within ±MAX_HEIGHT, written as a JSON number: a decimal
// point whatever the locale, no NaN or infinity.
std::optional<double> parse_height(std::string_view text);

// The height options given, by option (usage.hpp's Option bits).
struct Heights {
  std::map<unsigned, double> values;

  std::optional<double> operator[](unsigned option) const {
    const auto it = values.find(option);
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
};

// The level and side the height options name (for --draught, D + M - C
// above, held to ±MAX_HEIGHT), or the reason they do not fit together.
std::expected<std::pair<std::optional<double>, windows::Side>, std::string> resolve_level(
    std::string_view command, const Heights& h);

}  // namespace nerith::cli
