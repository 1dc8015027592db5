// The full model: the catalogue's stations, the phasor curve, the official
// coefficient, assembled once; nerith::full's queries are this model's.
#include "nerith/full/api.hpp"

#include "common/assembly.hpp"
#include "common/text/unicode.hpp"
#include "full/catalogue.hpp"
#include "full/curve.hpp"
#include "full/official_coefficient.hpp"
#include "nerith/full/folds.hpp"

namespace nerith::full {
namespace {

// As the built-in search: the id first, the name only when the id misses.
bool matches(const Port& port, std::string_view lowered_query) {
  return text::to_lower(port.id).find(lowered_query) != std::string::npos ||
         text::to_lower(port.name).find(lowered_query) != std::string::npos;
}

std::vector<ports::Port> as_ports(const std::vector<Port>& ports) {
  std::vector<ports::Port> out;
  out.reserve(ports.size());
  for (const Port& port : ports) out.push_back(port.to_port());
  return out;
}

struct FullPolicy {
  using Station = catalogue::Entry;
  static constexpr std::string_view name = "full";
  static constexpr std::string_view datum = "chart datum";

  std::string_view attribution() const { return full::attribution(); }
  std::vector<ports::Port> list_ports() const { return as_ports(full::list_ports()); }
  std::vector<ports::Port> search_ports(std::string_view query) const {
    return as_ports(full::search_ports(query));
  }
  std::optional<model::StationDetails> details(std::string_view port_id) const {
    const Port* port = catalogue::find(port_id).station;
    if (port == nullptr) return std::nullopt;
    model::Analysis analysis{
        port->gauge,   port->record, port->analysis_first,        port->analysis_last,
        port->quality, port->datums, folded_constituents(port_id)};
    return model::StationDetails{port->to_port(), port->timezone, std::move(analysis)};
  }

  std::optional<catalogue::Entry> find(std::string_view id) const {
    const catalogue::Entry entry = catalogue::find(id);
    if (entry.station == nullptr) return std::nullopt;
    return entry;
  }
  // Every term at t itself: V0 and the nodal corrections of that instant.
  double height(const catalogue::Entry& entry, std::int64_t t) const {
    const std::vector<curve::Term> terms =
        curve::prepare(*entry.station, *entry.rows, entry.folding, t, t);
    return curve::direct_height(terms, entry.station->mean_water_level, t, t);
  }
  curve::Curve curve(const catalogue::Entry& entry, std::int64_t start, std::int64_t end) const {
    return {*entry.station, *entry.rows, entry.folding, start, end};
  }
  void grade(const catalogue::Entry& entry, std::vector<harmonic::extremes::Extreme>& extremes,
             std::int64_t start, std::int64_t end) const {
    coefficient::assign_coefficients(extremes, entry.station->coast, start, end);
  }
};

constinit const assembly::AssembledModel<FullPolicy> full_model;

}  // namespace

ports::Port Port::to_port() const {
  return {id, name, latitude, longitude, mean_water_level, coast == Coast::Atlantic, constituents};
}

const model::Model& model() {
  return full_model;
}

std::string_view attribution() {
  return catalogue::embedded().attribution;
}

std::vector<Port> list_ports() {
  return catalogue::embedded().stations;
}

std::vector<Port> search_ports(std::string_view query) {
  const std::string lowered = text::to_lower(query);
  std::vector<Port> found;
  for (const Port& port : catalogue::embedded().stations) {
    if (matches(port, lowered)) found.push_back(port);
  }
  return found;
}

std::optional<Port> get_port(std::string_view id) {
  const Port* port = catalogue::find(id).station;
  if (port == nullptr) return std::nullopt;
  return *port;
}

std::expected<double, ApiError> height_at(std::string_view port_id, std::int64_t t) {
  return full_model.height_at(port_id, t);
}

std::expected<DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                   std::string_view date) {
  return full_model.predict_day(port_id, date);
}

std::expected<std::vector<DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                  std::string_view first,
                                                                  std::string_view last) {
  return full_model.predict_range(port_id, first, last);
}

std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                            std::string_view last, DaySink& sink) {
  return full_model.predict_range(port_id, first, last, sink);
}

std::expected<std::vector<WaterWindow>, ApiError> water_windows(std::string_view port_id,
                                                                std::string_view first,
                                                                std::string_view last, double level,
                                                                WaterSide side) {
  return full_model.water_windows(port_id, first, last, level, side);
}

}  // namespace nerith::full
