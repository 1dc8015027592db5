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

#include "nerith/ports/day_prediction.hpp"
#include "nerith/windows.hpp"

namespace nerith::model {
class Model;
}

namespace nerith::api {

// The error of the query operations; `text` is the whole message (for
// InvalidLevel, the level as given; only water windows take one).
struct ApiError {
  enum class Kind { PortNotFound, InvalidDate, InvalidLevel };
  Kind kind;
  std::string text;

  friend bool operator==(const ApiError&, const ApiError&) = default;
};

struct CivilDate {
  std::int64_t year;
  std::int64_t month;
  std::int64_t day;

  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Height in metres at instant t (Unix seconds), or PortNotFound.
std::expected<double, ApiError> height_at(std::string_view port_id, std::int64_t t);

// [start, start + 86400) of the UTC day named by a year-month-day text, or
// nothing when the text is not a real proleptic Gregorian date.
std::optional<std::pair<std::int64_t, std::int64_t>> day_bounds_utc(std::string_view date);

// Civil date of a day number (days since 1970-01-01).
CivilDate civil_from_days(std::int64_t days);

// Canonical date text: YYYY-MM-DD, the year zero-padded to four digits.
std::string format_date(const CivilDate& date);

// The station's day: 145 heights every 10 minutes, high and low waters,
// coefficients on high waters.
std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                          std::string_view date);

// One DayPrediction per day from first to last, both included.
std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last);

// Receives the days of a range as they are made, for a caller that uses each
// day at once (the binding layer encodes it) instead of keeping the list.
class DaySink {
 public:
  // The number of days, before the first one (a 64-bit count: the longest
  // ranges hold more days than a 32-bit size_t).
  virtual void begin(std::uint64_t days) = 0;
  // Each day in date order. The record is refilled for the next day.
  virtual void day(const ports::DayPrediction& prediction) = 0;
  // True once the sink wants no more days (it could not take the last one):
  // the range stops at once, and its outcome is the sink's to report.
  virtual bool stopped() const noexcept { return false; }

 protected:
  ~DaySink() = default;
};

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
