// The full model behind the interface both models share.
#include "nerith/model.hpp"
#include "full/catalogue.hpp"
#include "nerith/full/api.hpp"
#include "nerith/full/folds.hpp"

namespace nerith::full {
namespace {

std::vector<ports::Port> as_ports(const std::vector<Port>& ports) {
  std::vector<ports::Port> out;
  out.reserve(ports.size());
  for (const Port& port : ports) out.push_back(port.to_port());
  return out;
}

class FullModel final : public model::Model {
 public:
  std::string_view name() const override { return "full"; }
  std::string_view datum() const override { return "chart datum"; }
  std::string_view attribution() const override { return full::attribution(); }

  std::vector<ports::Port> list_ports() const override { return as_ports(full::list_ports()); }
  std::vector<ports::Port> search_ports(std::string_view query) const override {
    return as_ports(full::search_ports(query));
  }
  std::optional<model::StationDetails> details(std::string_view port_id) const override {
    const Port* port = catalogue::find(port_id).station;
    if (port == nullptr) return std::nullopt;
    model::Analysis analysis{
        port->gauge,   port->record, port->analysis_first,        port->analysis_last,
        port->quality, port->datums, folded_constituents(port_id)};
    return model::StationDetails{port->to_port(), port->timezone, std::move(analysis)};
  }

  std::expected<double, api::ApiError> height_at(std::string_view port_id,
                                                 std::int64_t t) const override {
    return full::height_at(port_id, t);
  }
  std::expected<ports::DayPrediction, api::ApiError> predict_day(
      std::string_view port_id, std::string_view date) const override {
    return full::predict_day(port_id, date);
  }
  std::expected<void, api::ApiError> predict_range(std::string_view port_id, std::string_view first,
                                                   std::string_view last,
                                                   api::DaySink& sink) const override {
    return full::predict_range(port_id, first, last, sink);
  }
  std::expected<std::vector<windows::WaterWindow>, api::ApiError> water_windows(
      std::string_view port_id, std::string_view first, std::string_view last, double level,
      windows::Side side) const override {
    return full::water_windows(port_id, first, last, level, side);
  }
};

}  // namespace

const model::Model& model() {
  static const FullModel instance;
  return instance;
}

}  // namespace nerith::full
