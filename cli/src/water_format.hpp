// Text, JSON and CSV renderings of water windows and of the tide now.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "nerith/ports.hpp"
#include "nerith/ports/day_prediction.hpp"
#include "nerith/windows.hpp"
#include "timezone.hpp"

namespace nerith::cli {

// "5h 12m", to the nearest minute.
std::string duration_text(std::int64_t seconds);

// Windows at one level: a table (start, end, duration; a window cut at either
// end of the range says so), a JSON object, or CSV with one row per window.
std::string windows_table(const ports::Port& port, double level, windows::Side side,
                          std::span<const windows::WaterWindow> windows, const Zone& zone);
std::string windows_json(std::string_view port_id, double level, windows::Side side,
                         std::span<const windows::WaterWindow> windows, const Zone& zone);
std::string windows_csv(std::string_view port_id, double level, windows::Side side,
                        std::span<const windows::WaterWindow> windows, const Zone& zone);

// The tide at one instant and the waters after it.
struct TideNow {
  std::int64_t time = 0;  // Unix seconds, UTC
  double height = 0.0;
  std::optional<harmonic::extremes::Extreme> next_high;  // the first after `time`
  std::optional<harmonic::extremes::Extreme> next_low;

  // Rising while the next high water comes before the next low.
  bool rising() const { return next_high && (!next_low || next_high->time < next_low->time); }
};

std::string now_text(const ports::Port& port, const TideNow& now, const Zone& zone);
std::string now_json(const ports::Port& port, const TideNow& now, const Zone& zone);

}  // namespace nerith::cli
