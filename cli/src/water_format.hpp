// Text, JSON and CSV renderings of water windows and of the tide now.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "models.hpp"
#include "nerith/ports.hpp"
#include "nerith/types.hpp"
#include "nerith/windows.hpp"
#include "timezone.hpp"

namespace nerith::cli {

// "5h 12m", to the nearest minute.
std::string duration_text(std::int64_t seconds);

// Windows at one level: a table (start, end and duration in whole minutes,
// rounded towards less water; a window cut at either end of the range says
// so), a JSON object naming the model and its datum, or CSV with one row per
// window; JSON and CSV to the second.
std::string windows_table(const ports::Port& port, Model model, double level, windows::Side side,
                          std::span<const windows::WaterWindow> windows, const Zone& zone);
std::string windows_json(std::string_view port_id, Model model, double level, windows::Side side,
                         std::span<const windows::WaterWindow> windows, const Zone& zone);
std::string windows_csv(std::string_view port_id, double level, windows::Side side,
                        std::span<const windows::WaterWindow> windows, const Zone& zone);

// The tide at one instant and the waters after it.
struct TideNow {
  std::int64_t time = 0;  // Unix seconds, UTC
  double height = 0.0;
  bool rising = false;
  // The first after `time`; none when predictions end before it.
  std::optional<Extreme> next_high;
  std::optional<Extreme> next_low;
};

// The text lists the next waters in time order, each clock labelled with its
// zone, and says which water comes after the end of the predictions.
std::string now_text(const ports::Port& port, const TideNow& now, const Zone& zone);
std::string now_json(const ports::Port& port, const TideNow& now, const Zone& zone);

}  // namespace nerith::cli
