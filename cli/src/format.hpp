// Text, JSON and CSV renderings of stations, heights and predictions.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "local_days.hpp"
#include "models.hpp"
#include "nerith/model.hpp"
#include "nerith/ports.hpp"
#include "timezone.hpp"

namespace nerith::cli {

// One character per column, eight levels from low to high ("▁" .. "█"),
// sampled evenly across the curve.
std::string sparkline(std::span<const HeightSample> heights, double low, double high,
                      std::size_t columns);

// Stations: a table with the name last (names vary in width), JSON Port
// records, or CSV.
std::string ports_table(std::span<const ports::Port> ports);
std::string ports_json(std::span<const ports::Port> ports);
std::string ports_csv(std::span<const ports::Port> ports);

// One station's details and constants.
std::string port_text(const ports::Port& port);
std::string port_json(const ports::Port& port);

// A station as its model describes it: port_text/port_json, and for a gauge
// analysed from its own record also its gauge, analysis span, time zone,
// folded constituents and datums, and the attribution its data requires.
std::string details_text(const model::StationDetails& details, std::string_view attribution);
std::string details_json(const model::StationDetails& details, std::string_view attribution);

// The height at one instant.
std::string height_text(const ports::Port& port, std::int64_t t, double height, const Zone& zone);
std::string height_json(std::string_view port_id, std::int64_t t, double height, const Zone& zone);

// Day predictions. The table shows times to the nearest minute and says
// which model, datum and coefficients it holds. The JSON has the library's
// DayPrediction fields (one object, or a list when `as_list`); with a zone
// other than UTC it also names the zone and gives each extreme's local_time.
std::string prediction_table(const ports::Port& port, Model model, std::span<const DayView> days,
                             const Zone& zone);
std::string prediction_json(std::string_view port_id, std::span<const DayView> days,
                            const Zone& zone, bool as_list);
std::string prediction_csv(std::string_view port_id, std::span<const DayView> days,
                           const Zone& zone);

// A CSV field, quoted when it holds a comma, quote or line break.
std::string csv_field(std::string_view text);

}  // namespace nerith::cli
