// The records and the error both models answer with. They belong to
// neither model: nerith::api, nerith::ports and nerith::windows name them
// too, for the callers written against the built-in model's headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nerith {

// The error of the query operations; `text` is the whole message (for
// InvalidLevel, the level as given; only water windows take one).
struct ApiError {
  enum class Kind { PortNotFound, InvalidDate, InvalidLevel };
  Kind kind;
  std::string text;

  friend bool operator==(const ApiError&, const ApiError&) = default;
};

// One point of a height curve: Unix seconds, metres.
struct HeightSample {
  std::int64_t time = 0;
  double height = 0.0;

  friend bool operator==(const HeightSample&, const HeightSample&) = default;
};

// One high or low water. `coefficient` is set only on graded high waters.
struct Extreme {
  std::int64_t time = 0;  // Unix seconds, UTC
  double height = 0.0;    // metres
  bool is_high = false;
  std::optional<std::uint8_t> coefficient;

  friend bool operator==(const Extreme&, const Extreme&) = default;
};

// One station-day: the 10-minute height curve and the high and low waters.
struct DayPrediction {
  std::string port_id;                // the identifier as the caller passed it
  std::string date;                   // the day's date text
  std::vector<Extreme> extremes;      // ascending by time
  std::vector<HeightSample> heights;  // 145 samples, 600 s apart

  friend bool operator==(const DayPrediction&, const DayPrediction&) = default;
};

// Which side of the level a water window keeps the water on. Below is
// at-or-above's complement: a level exactly met counts as above.
enum class WaterSide { Above, Below };

// One window, its instants refined to the second. A window already open when
// the range began, or still open when it ends, is cut there and says so.
struct WaterWindow {
  std::int64_t start = 0;   // Unix seconds, UTC; the range's start when open_start
  std::int64_t end = 0;     // Unix seconds, UTC; the range's end when open_end
  bool open_start = false;  // the water was already on this side when the range began
  bool open_end = false;    // and is still there when it ends

  std::int64_t duration() const { return end - start; }

  friend bool operator==(const WaterWindow&, const WaterWindow&) = default;
};

// Receives the days of a range as they are made, for a caller that uses each
// day at once (the binding layer encodes it) instead of keeping the list.
class DaySink {
 public:
  // The number of days, before the first one (a 64-bit count: the longest
  // ranges hold more days than a 32-bit size_t).
  virtual void begin(std::uint64_t days) = 0;
  // Each day in date order. The record is refilled for the next day.
  virtual void day(const DayPrediction& prediction) = 0;
  // True once the sink wants no more days (it could not take the last one):
  // the range stops at once, and its outcome is the sink's to report.
  virtual bool stopped() const noexcept { return false; }

 protected:
  ~DaySink() = default;
};

}  // namespace nerith
