// The query operations: height at an instant, day and range predictions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "nerith/calendar.hpp"
#include "nerith/ports/day_prediction.hpp"
#include "nerith/types.hpp"
#include "nerith/windows.hpp"

namespace nerith::model {
class Model;
}

namespace nerith::api {

// The shared records and calendar under the names this API has always had.
using nerith::ApiError;
using nerith::civil_from_days;
using nerith::CivilDate;
using nerith::day_bounds_utc;
using nerith::DaySink;
using nerith::format_date;

// Height in metres at instant t (Unix seconds), or PortNotFound.
std::expected<double, ApiError> height_at(std::string_view port_id, std::int64_t t);

// The station's day: 145 heights every 10 minutes, high and low waters,
// coefficients on high waters.
std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                          std::string_view date);

// One DayPrediction per day from first to last, both included.
std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last);

// The same days as predict_range, handed to `sink` one by one. The errors
// are predict_range's, and come before the sink is called.
std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                            std::string_view last, DaySink& sink);

// The windows of the UTC days first .. last during which the height stands
// on `side` of `level` (metres, on the station's own levels), to the second;
// InvalidLevel for a NaN level.
std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last,
                                                                         double level,
                                                                         windows::Side side);

// The built-in model behind the interface both models share.
const model::Model& model();

}  // namespace nerith::api
