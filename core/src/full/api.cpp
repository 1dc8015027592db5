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
bool matches(const Station& station, std::string_view lowered_query) {
  return text::to_lower(station.id).find(lowered_query) != std::string::npos ||
         text::to_lower(station.name).find(lowered_query) != std::string::npos;
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

ports::Port Station::to_port() const {
  return {id, name, latitude, longitude, mean_level, coast == Coast::Atlantic, constituents};
}

std::string_view attribution() {
  return catalogue::embedded().attribution;
}

const std::vector<Station>& list_stations() {
  return catalogue::embedded().stations;
}

std::vector<Station> search_stations(std::string_view query) {
  const std::string lowered = text::to_lower(query);
  std::vector<Station> found;
  for (const Station& station : list_stations()) {
    if (matches(station, lowered)) found.push_back(station);
  }
  return found;
}

const Station* get_station(std::string_view id) {
  return catalogue::find(id).station;
}

// Every term at t itself: V0 and the nodal corrections of that instant.
std::expected<double, ApiError> height_at(std::string_view station_id, std::int64_t t) {
  const catalogue::Entry entry = catalogue::find(station_id);
  if (entry.station == nullptr) return fail(ApiError::Kind::PortNotFound, station_id);
  const std::vector<curve::Term> terms =
      curve::prepare(*entry.station, *entry.rows, entry.folding, t, t);
  return curve::direct_height(terms, entry.station->mean_level, t, t);
}

std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view station_id,
                                                          std::string_view date) {
  return api::assembly::predict_day(FullModel{}, station_id, date);
}

std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(
    std::string_view station_id, std::string_view first, std::string_view last) {
  return api::assembly::predict_range(FullModel{}, station_id, first, last);
}

}  // namespace nerith::full
