// A tide model as its callers use it: its stations, the height at an
// instant, a day, a run of days and the water windows of a run. The built-in
// model (nerith::api::model()) and the full model (nerith::full::model())
// both implement it, so a caller written against it serves either.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nerith/ports.hpp"
#include "nerith/types.hpp"
#include "nerith/windows.hpp"

namespace nerith::model {

// A datum of a gauge (HAT, MHWS, …, LAT): metres above its chart datum.
struct Datum {
  std::string name;
  double height = 0.0;

  friend bool operator==(const Datum&, const Datum&) = default;
};

// A constituent the record was too short to separate from a stronger one,
// which carries it far from the analysis span.
struct FoldedConstituent {
  std::string name;  // the weaker, e.g. "3N2"
  std::string into;  // the stronger, e.g. "N2"

  friend bool operator==(const FoldedConstituent&, const FoldedConstituent&) = default;
};

// Where an analysed gauge's constants come from.
struct Analysis {
  int gauge = 0;       // the tide gauge's number
  std::string record;  // the analysed record's id
  std::string first;   // its span, YYYY-MM-DD
  std::string last;
  int quality = 0;                        // the source's score of the record
  std::vector<Datum> datums;              // in the data's order
  std::vector<FoldedConstituent> folded;  // the strongest pair first
};

// Everything a model knows of one station.
struct StationDetails {
  ports::Port port;
  std::string time_zone;             // IANA zone of the station
  std::optional<Analysis> analysis;  // for a gauge analysed from its own record
};

class Model {
 public:
  // What selects it ("builtin", "full") and what heights are measured from.
  virtual std::string_view name() const = 0;
  virtual std::string_view datum() const = 0;
  // The credit its data's licence requires wherever it is shown; may be empty.
  virtual std::string_view attribution() const = 0;

  // Stations as ports::search gives them: in the model's order, by id or
  // name (full Unicode lower-case match), by exact id.
  virtual std::vector<ports::Port> list_ports() const = 0;
  virtual std::vector<ports::Port> search_ports(std::string_view query) const = 0;
  virtual std::optional<StationDetails> details(std::string_view port_id) const = 0;

  // Metres above the model's datum at t (Unix seconds), or PortNotFound.
  virtual std::expected<double, ApiError> height_at(std::string_view port_id,
                                                    std::int64_t t) const = 0;
  // The UTC day and the run of UTC days, dates read by nerith/calendar.hpp.
  virtual std::expected<DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                             std::string_view date) const = 0;
  virtual std::expected<void, ApiError> predict_range(std::string_view port_id,
                                                      std::string_view first, std::string_view last,
                                                      DaySink& sink) const = 0;
  // The windows of the UTC days first .. last during which the height is on
  // `side` of `level` (metres above the model's datum), to the second.
  virtual std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(
      std::string_view port_id, std::string_view first, std::string_view last, double level,
      windows::Side side) const = 0;

 protected:
  ~Model() = default;
};

}  // namespace nerith::model
