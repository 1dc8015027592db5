#include "nerith/api.hpp"

#include <cmath>
#include <limits>
#include <span>

#include "builtin/coefficient.hpp"
#include "builtin/harmonic/engine.hpp"
#include "builtin/harmonic/window.hpp"
#include "common/assembly.hpp"
#include "nerith/ports/search.hpp"

namespace nerith::api {
namespace {

using assembly::fail;
using harmonic::engine::AstronomicalArguments;
using harmonic::engine::HeightSample;
using harmonic::engine::NodalCorrections;

constexpr std::int64_t kDay = assembly::DAY;

// 00:00:00 UTC of the day holding t: t minus the Euclidean remainder. In the
// first day of the i64 range that midnight cannot be written; the next one
// stands in for it.
std::int64_t midnight_at_or_before(std::int64_t t) {
  const std::int64_t r = ((t % kDay) + kDay) % kDay;
  if (t < std::numeric_limits<std::int64_t>::min() + r) return t + (kDay - r);
  return t - r;
}

// The built-in model: the registry's stations, the 13-constituent window,
// coefficients against the built-in Brest.
struct BuiltinModel {
  using Station = ports::Port;

  std::optional<ports::Port> find(std::string_view id) const { return ports::search::get_port(id); }
  harmonic::extremes::Window curve(const ports::Port& port, std::int64_t start,
                                   std::int64_t end) const {
    return {start, end, port.constituents, port.mean_water_level};
  }
  void grade(const ports::Port& port, std::vector<harmonic::extremes::Extreme>& extremes,
             std::int64_t start, std::int64_t end) const {
    coefficient::assign_coefficients(extremes, port.atlantic_coast, start, end);
  }
};

}  // namespace

std::expected<double, ApiError> height_at(std::string_view port_id, std::int64_t t) {
  const std::optional<ports::Port> port = ports::search::get_port(port_id);
  if (!port) return fail(ApiError::Kind::PortNotFound, std::string(port_id));
  // The arguments and the node are both fixed for the UTC day.
  const std::int64_t t_ref = midnight_at_or_before(t);
  return harmonic::engine::height_with_nodal(t, t_ref, port->constituents,
                                             AstronomicalArguments::at(t_ref),
                                             NodalCorrections::at(t_ref), port->mean_water_level);
}

std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                          std::string_view date) {
  return assembly::predict_day(BuiltinModel{}, port_id, date);
}

std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last) {
  return assembly::predict_range(BuiltinModel{}, port_id, first, last);
}

std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                            std::string_view last, DaySink& sink) {
  return assembly::stream_days(BuiltinModel{}, port_id, first, last, sink);
}

std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last,
                                                                         double level,
                                                                         windows::Side side) {
  return assembly::water_windows(BuiltinModel{}, port_id, first, last, level, side);
}

}  // namespace nerith::api
