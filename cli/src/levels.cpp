#include "levels.hpp"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "text.hpp"
#include "usage.hpp"

namespace nerith::cli {

// The JSON reader parses it, as libc++ has no floating-point from_chars.
std::optional<double> parse_height(std::string_view text) {
  const bool number_chars = !text.empty() && std::ranges::all_of(text, [](char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+';
  });
  if (!number_chars) return std::nullopt;
  const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (!json.is_number()) return std::nullopt;
  const double value = json.get<double>();
  if (!std::isfinite(value) || std::fabs(value) > MAX_HEIGHT) return std::nullopt;
  return value;
}

std::expected<std::pair<std::optional<double>, windows::Side>, std::string> resolve_level(
    std::string_view command, const Heights& h) {
  if (h[kAbove] && h[kBelow]) return std::unexpected("choose one of --above and --below");
  if (h[kDraught] && (h[kAbove] || h[kBelow])) {
    return std::unexpected(std::string("--draught gives the level itself: drop ") +
                           (h[kAbove] ? "--above" : "--below"));
  }
  if (h[kDraught] && !h[kDepth])
    return std::unexpected("--draught needs --depth, the charted depth");
  if (!h[kDraught] && (h[kDepth] || h[kMargin])) {
    return std::unexpected(std::string(h[kDepth] ? "--depth" : "--margin") +
                           " goes with --draught");
  }
  if (h[kDraught] && (*h[kDraught] < 0 || h[kMargin].value_or(0) < 0)) {
    return std::unexpected(std::string(*h[kDraught] < 0 ? "--draught" : "--margin") +
                           " cannot be negative");
  }
  if (h[kDraught]) {
    const double level = *h[kDraught] + h[kMargin].value_or(0.0) - *h[kDepth];
    if (std::fabs(level) > MAX_HEIGHT) {
      return std::unexpected(printf_string(
          "the level --draught + --margin - --depth is %.3f m, beyond the limit of %g m either "
          "side of the datum",
          level, MAX_HEIGHT));
    }
    return std::pair{level, windows::Side::Above};
  }
  if (h[kBelow]) return std::pair{h[kBelow], windows::Side::Below};
  if (h[kAbove]) return std::pair{h[kAbove], windows::Side::Above};
  if (command == "windows") {
    return std::unexpected(
        "windows needs a level: --above LEVEL, --below LEVEL, or --draught D --depth C");
  }
  return std::pair{h[kLevel], windows::Side::Above};
}

}  // namespace nerith::cli
