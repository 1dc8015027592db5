#include "nerith/full/api.hpp"

#include "api_days.hpp"
#include "full/catalogue.hpp"
#include "full/official_coefficient.hpp"
#include "full/curve.hpp"
#include "ports/lower_case.hpp"

namespace nerith::full {
namespace {

using api::ApiError;

std::unexpected<ApiError> fail(ApiError::Kind kind, std::string_view text) {
  return std::unexpected(ApiError{kind, std::string(text)});
}

// As the built-in search: the id first, the name only when the id misses.
bool matches(const Station& station, std::string_view lowered_query) {
  return ports::search::to_lower(station.id).find(lowered_query) != std::string::npos ||
         ports::search::to_lower(station.name).find(lowered_query) != std::string::npos;
}

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
  const std::string lowered = ports::search::to_lower(query);
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
  const std::vector<curve::Term> terms = curve::prepare(*entry.station, *entry.rows, t, t);
  return curve::direct_height(terms, entry.station->mean_level, t, t);
}

std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view station_id,
                                                          std::string_view date) {
  // The station is checked before the date, as in the built-in model.
  const catalogue::Entry entry = catalogue::find(station_id);
  if (entry.station == nullptr) return fail(ApiError::Kind::PortNotFound, station_id);
  const auto bounds = api::day_bounds_utc(date);
  if (!bounds) return fail(ApiError::Kind::InvalidDate, date);
  const auto [start, end] = *bounds;
  const curve::Curve curve(*entry.station, *entry.rows, start, end);
  ports::DayPrediction day = api::days::assemble_day(station_id, date, curve);
  coefficient::assign_coefficients(day.extremes, entry.station->coast, start, end);
  return day;
}

std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(
    std::string_view station_id, std::string_view first, std::string_view last) {
  return api::days::assemble_range(
      first, last, [&](const std::string& date) { return predict_day(station_id, date); });
}

}  // namespace nerith::full
