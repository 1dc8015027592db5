// The built-in model behind the interface both models share.
#include "nerith/model.hpp"
#include "nerith/api.hpp"
#include "nerith/ports/search.hpp"

namespace nerith::api {
namespace {

class BuiltinModel final : public model::Model {
 public:
  std::string_view name() const override { return "builtin"; }
  std::string_view datum() const override { return "the built-in table's datum"; }
  std::string_view attribution() const override { return {}; }

  std::vector<ports::Port> list_ports() const override { return ports::search::list_ports(); }
  std::vector<ports::Port> search_ports(std::string_view query) const override {
    return ports::search::search_ports(query);
  }
  // The built-in stations are all on the French mainland.
  std::optional<model::StationDetails> details(std::string_view port_id) const override {
    auto port = ports::search::get_port(port_id);
    if (!port) return std::nullopt;
    return model::StationDetails{std::move(*port), "Europe/Paris", std::nullopt};
  }

  std::expected<double, ApiError> height_at(std::string_view port_id,
                                            std::int64_t t) const override {
    return api::height_at(port_id, t);
  }
  std::expected<ports::DayPrediction, ApiError> predict_day(std::string_view port_id,
                                                            std::string_view date) const override {
    return api::predict_day(port_id, date);
  }
  std::expected<void, ApiError> predict_range(std::string_view port_id, std::string_view first,
                                              std::string_view last, DaySink& sink) const override {
    return api::predict_range(port_id, first, last, sink);
  }
  std::expected<std::vector<windows::WaterWindow>, ApiError> water_windows(
      std::string_view port_id, std::string_view first, std::string_view last, double level,
      windows::Side side) const override {
    return api::water_windows(port_id, first, last, level, side);
  }
};

}  // namespace

const model::Model& model() {
  static const BuiltinModel instance;
  return instance;
}

}  // namespace nerith::api
