// The built-in model: the registry's stations, the 13-constituent window,
// coefficients against the built-in Brest, assembled once; nerith::api's
// queries are this model's.
#include "nerith/api.hpp"

#include <limits>

#include "builtin/coefficient.hpp"
#include "builtin/harmonic/engine.hpp"
#include "builtin/harmonic/window.hpp"
#include "common/assembly.hpp"
#include "nerith/calendar.hpp"
#include "nerith/model.hpp"
#include "nerith/ports/search.hpp"

namespace nerith::api {
namespace {

using harmonic::engine::AstronomicalArguments;
using harmonic::engine::NodalCorrections;

// 00:00:00 UTC of the day holding t. In the first day of the i64 range that
// midnight cannot be written; the next one stands in for it.
std::int64_t midnight_at_or_before(std::int64_t t) {
  const std::int64_t r = floor_divide(t, SECONDS_PER_DAY).rest;
  if (t < std::numeric_limits<std::int64_t>::min() + r) return t + (SECONDS_PER_DAY - r);
  return t - r;
}

struct BuiltinPolicy {
  using Station = ports::Port;
  static constexpr std::string_view name = "builtin";
  static constexpr std::string_view datum = "the built-in table's datum";

  std::string_view attribution() const { return {}; }
  std::vector<ports::Port> list_ports() const { return ports::search::list_ports(); }
  std::vector<ports::Port> search_ports(std::string_view query) const {
    return ports::search::search_ports(query);
  }
  // The built-in stations are all on the French mainland.
  std::optional<model::StationDetails> details(std::string_view port_id) const {
    auto port = ports::search::get_port(port_id);
    if (!port) return std::nullopt;
    return model::StationDetails{std::move(*port), "Europe/Paris", std::nullopt};
  }

  std::optional<ports::Port> find(std::string_view id) const { return ports::search::get_port(id); }
  // The arguments and the node are both fixed for the UTC day.
  double height(const ports::Port& port, std::int64_t t) const {
    const std::int64_t t_ref = midnight_at_or_before(t);
    return harmonic::engine::height_with_nodal(t, t_ref, port.constituents,
                                               AstronomicalArguments::at(t_ref),
                                               NodalCorrections::at(t_ref), port.mean_water_level);
  }
  harmonic::extremes::Window curve(const ports::Port& port, std::int64_t start,
                                   std::int64_t end) const {
    return {start, end, port.constituents, port.mean_water_level};
  }
  void grade(const ports::Port& port, std::vector<harmonic::extremes::Extreme>& extremes,
             std::int64_t start, std::int64_t end) const {
    builtin::coefficient::assign_coefficients(extremes, port.atlantic_coast, start, end);
  }
};

constinit const assembly::AssembledModel<BuiltinPolicy> builtin_model;

}  // namespace

const model::Model& model() {
  return builtin_model;
}

std::expected<double, ApiError> height_at(std::string_view port_id, std::int64_t t) {
  return builtin_model.height_at(port_id, t);
}

std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                          std::string_view date) {
  return builtin_model.predict_day(port_id, date);
}

std::expected<std::vector<ports::DayPrediction>, ApiError> predict_range(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last) {
  return builtin_model.predict_range(port_id, first, last);
}

std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                            std::string_view last, DaySink& sink) {
  return builtin_model.predict_range(port_id, first, last, sink);
}

std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(std::string_view port_id,
                                                                         std::string_view first,
                                                                         std::string_view last,
                                                                         double level,
                                                                         windows::Side side) {
  return builtin_model.water_windows(port_id, first, last, level, side);
}

}  // namespace nerith::api
