#include "nerith/full/api.hpp"

#include "common/assembly.hpp"
#include "common/text/unicode.hpp"
#include "full/catalogue.hpp"
#include "full/curve.hpp"
#include "full/official_coefficient.hpp"

namespace nerith::full {
namespace {

using api::ApiError;

std::unexpected<ApiError> fail(ApiError::Kind kind, std::string_view text) {
  return std::unexpected(ApiError{kind, std::string(text)});
}

// As the built-in search: the id first, the name only when the id misses.
bool matches(const Port& port, std::string_view lowered_query) {
  return text::to_lower(port.id).find(lowered_query) != std::string::npos ||
         text::to_lower(port.name).find(lowered_query) != std::string::npos;
}

// The full model as the shared day and range assembly takes it: the
// catalogue's stations, the phasor curve, the official coefficient.
struct FullModel {
  using Station = catalogue::Entry;

  std::optional<catalogue::Entry> find(std::string_view id) const {
    const catalogue::Entry entry = catalogue::find(id);
    if (entry.station == nullptr) return std::nullopt;
    return entry;
  }
  curve::Curve curve(const catalogue::Entry& entry, std::int64_t start, std::int64_t end) const {
    return {*entry.station, *entry.rows, entry.folding, start, end};
  }
  void grade(const catalogue::Entry& entry, std::vector<harmonic::extremes::Extreme>& extremes,
             std::int64_t start, std::int64_t end) const {
    coefficient::assign_coefficients(extremes, entry.station->coast, start, end);
  }
};

}  // namespace

ports::Port Port::to_port() const {
  return {id, name, latitude, longitude, mean_water_level, coast == Coast::Atlantic, constituents};
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

// Every term at t itself: V0 and the nodal corrections of that instant.
std::expected<double, ApiError> height_at(std::string_view port_id, std::int64_t t) {
  const catalogue::Entry entry = catalogue::find(port_id);
  if (entry.station == nullptr) return fail(ApiError::Kind::PortNotFound, port_id);
  const std::vector<curve::Term> terms =
      curve::prepare(*entry.station, *entry.rows, entry.folding, t, t);
  return curve::direct_height(terms, entry.station->mean_water_level, t, t);
}

std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                          std::string_view date) {
  return api::assembly::predict_day(FullModel{}, port_id, date);
}

std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last) {
  return api::assembly::predict_range(FullModel{}, port_id, first, last);
}

std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                            std::string_view last, api::DaySink& sink) {
  return api::assembly::stream_days(FullModel{}, port_id, first, last, sink);
}

std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last,
                                                                         double level,
                                                                         windows::Side side) {
  return api::assembly::water_windows(FullModel{}, port_id, first, last, level, side);
}

}  // namespace nerith::full
