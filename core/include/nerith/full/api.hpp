// The full harmonic model: 106 French tide gauges with their 50-constituent
// analyses (TICON-4, CC BY 4.0), standard astronomy and the official tide
// coefficient. Opt-in, beside the built-in model of nerith::api, whose
// results it never changes; it shares that model's records and calendar only. Heights are metres
// above the gauge's chart datum.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nerith/calendar.hpp"
#include "nerith/model.hpp"
#include "nerith/ports.hpp"
#include "nerith/types.hpp"
#include "nerith/windows.hpp"

namespace nerith::full {

// Where a gauge is: the official coefficient scale covers the Atlantic,
// Channel and North Sea coasts only.
enum class Coast { Atlantic, Mediterranean, Overseas };

using model::Datum;

// A gauge of the full model, with the built-in Port's fields and names where
// they mean the same.
struct Port {
  std::string id;  // built-in id for the 14 gauges the built-in table also has
  std::string name;
  int gauge = 0;       // SHOM/REFMAR gauge number
  std::string record;  // TICON-4 record id
  double latitude = 0.0;
  double longitude = 0.0;
  std::string timezone;  // IANA zone of the gauge
  Coast coast = Coast::Atlantic;
  double mean_water_level = 0.0;  // metres above chart datum
  std::vector<Datum> datums;      // in the data's order
  std::string analysis_first;     // span of the analysed record, YYYY-MM-DD
  std::string analysis_last;
  int quality = 0;  // the record score of the source (64–84)
  std::vector<ports::HarmonicConstituent> constituents;

  // The station as a built-in record: mean level and constants as they
  // are, atlantic_coast for the Atlantic coast.
  ports::Port to_port() const;

  friend bool operator==(const Port&, const Port&) = default;
};

// The credit the data's licence requires wherever it is shown or passed on.
std::string_view attribution();

// The full model behind the interface both models share.
const model::Model& model();

// Every gauge, in the data's order.
std::vector<Port> list_ports();

// Gauges whose id, or failing that name, contains the query, compared as
// the built-in search compares (full Unicode lower-case mapping).
std::vector<Port> search_ports(std::string_view query);

// The gauge with exactly this id, or nothing.
std::optional<Port> get_port(std::string_view id);

// Height in metres above chart datum at instant t (Unix seconds), or
// PortNotFound.
std::expected<double, ApiError> height_at(std::string_view port_id, std::int64_t t);

// The gauge's UTC day as nerith::api::predict_day gives it: 145 heights
// every 10 minutes, high and low waters, the official coefficient on the
// high waters of an Atlantic-coast gauge. Same dates and errors.
std::expected<DayPrediction, ApiError> predict_day(std::string_view port_id, std::string_view date);

// One DayPrediction per day from first to last, both included; same dates
// and errors as nerith::api::predict_range.
std::expected<std::vector<DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                  std::string_view first,
                                                                  std::string_view last);

// The same days handed to `sink` one by one, as they are made.
std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                            std::string_view last, DaySink& sink);

// The windows of the UTC days first .. last during which the height stands
// on `side` of `level`, in metres above chart datum.
std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last,
                                                                         double level,
                                                                         windows::Side side);

}  // namespace nerith::full
