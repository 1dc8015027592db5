#include "commands.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <expected>
#include <fstream>
#include <functional>

#include "chart.hpp"
#include "format.hpp"
#include "ics.hpp"
#include "local_days.hpp"
#include "nerith/api.hpp"
#include "nerith/full/api.hpp"
#include "nerith/model.hpp"
#include "timezone.hpp"
#include "water_format.hpp"

namespace nerith::cli {
namespace {

struct Failure {
  int status;
  std::string message;
};

// The text to print on success.
using Result = std::expected<std::string, Failure>;

std::int64_t now_seconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The models the command offers, in Model's order.
const std::array<const model::Model*, 2>& models() {
  static const std::array<const model::Model*, 2> all{&api::model(), &full::model()};
  return all;
}

const model::Model& model_of(Model choice) {
  return *models()[static_cast<std::size_t>(choice)];
}

// A run of days kept whole: the command cuts local days out of them.
class DayList final : public api::DaySink {
 public:
  void begin(std::uint64_t days) override {
    if (days > days_.max_size()) throw std::bad_alloc();
    days_.reserve(static_cast<std::size_t>(days));
  }
  void day(const ports::DayPrediction& prediction) override { days_.push_back(prediction); }
  std::vector<ports::DayPrediction> take() && { return std::move(days_); }

 private:
  std::vector<ports::DayPrediction> days_;
};

// Up to three stations the caller may have meant: those the model's search
// finds for the whole text and for each word of it, most words matched first.
std::vector<ports::Port> suggestions(const model::Model& model, std::string_view text) {
  std::vector<std::pair<std::string_view, int>> terms;  // term, weight
  if (text.size() >= 3) terms.emplace_back(text, 10);
  std::size_t begin = 0;
  while (begin < text.size()) {
    const auto is_separator = [](char c) {
      const auto u = static_cast<unsigned char>(c);
      return u < 0x80 && !std::isalnum(u);
    };
    while (begin < text.size() && is_separator(text[begin])) ++begin;
    std::size_t end = begin;
    while (end < text.size() && !is_separator(text[end])) ++end;
    if (end - begin >= 3 && end - begin < text.size())
      terms.emplace_back(text.substr(begin, end - begin), 1);
    begin = end;
  }
  std::vector<std::pair<ports::Port, int>> scored;
  for (const auto& [term, weight] : terms) {
    for (auto& port : model.search_ports(term)) {
      const auto it =
          std::ranges::find_if(scored, [&](const auto& s) { return s.first.id == port.id; });
      if (it != scored.end()) {
        it->second += weight;
      } else {
        scored.emplace_back(std::move(port), weight);
      }
    }
  }
  std::ranges::stable_sort(scored, std::greater<>{}, &std::pair<ports::Port, int>::second);
  std::vector<ports::Port> best;
  for (auto& entry : scored) {
    if (best.size() == 3) break;
    best.push_back(std::move(entry.first));
  }
  return best;
}

Failure unknown_port(const model::Model& model, std::string_view id) {
  std::string message = "unknown port '" + std::string(id) + "'";
  for (const model::Model* elsewhere : models()) {
    if (elsewhere == &model || !elsewhere->details(id)) continue;
    const std::string name(elsewhere->name());
    return {1, message + "\n" + std::string(id) + " is a station of the " + name +
                   " model: add --model " + name + " to use it."};
  }
  const auto near = suggestions(model, id);
  if (near.empty()) return {1, message + "\nRun 'nerith list' to see the stations."};
  message += "\nDid you mean:";
  for (const auto& port : near) message += "\n  " + port.id + "  " + port.name;
  return {1, message};
}

std::expected<model::StationDetails, Failure> find_port(const Invocation& invocation) {
  const model::Model& model = model_of(invocation.model);
  if (auto details = model.details(invocation.args[0])) return std::move(*details);
  return std::unexpected(unknown_port(model, invocation.args[0]));
}

// The --tz clock; "local" is the station's own zone.
std::expected<Zone, Failure> find_zone(const Invocation& invocation,
                                       const model::StationDetails& station) {
  if (!invocation.tz) return Zone{};
  const std::string name = *invocation.tz == "local" ? station.time_zone : *invocation.tz;
  auto zone = Zone::locate(name);
  if (!zone) return std::unexpected(Failure{2, zone.error()});
  return std::move(*zone);
}

Failure from_api(const Invocation& invocation, const api::ApiError& error) {
  if (error.kind == api::ApiError::Kind::PortNotFound)
    return unknown_port(model_of(invocation.model), error.text);
  if (error.kind == api::ApiError::Kind::InvalidLevel) return {2, "invalid level " + error.text};
  return {2, "invalid date '" + error.text + "'"};
}

// The UTC days that cover the local days the command asks for.
std::expected<UtcSpan, Failure> requested_span(const Invocation& invocation, const Zone& zone,
                                               std::int64_t& first, std::int64_t& count) {
  if (invocation.args.size() > 1) {
    const auto day = parse_date(invocation.args[1]);
    if (!day) {
      return std::unexpected(Failure{
          2, "invalid date '" + invocation.args[1] + "': expected YYYY-MM-DD, e.g. 2024-03-10"});
    }
    first = *day;
  } else {
    first = zone.today();
  }
  count = invocation.days.value_or(1);
  const UtcSpan span = utc_days_covering(zone, first, count);
  if (span.first < *parse_date("0000-01-01") || span.last > *parse_date("9999-12-31"))
    return std::unexpected(Failure{2, "predictions run from 0000-01-01 to 9999-12-31 UTC"});
  return span;
}

// The local days the command asks for, cut from the model's UTC days.
std::expected<std::vector<DayView>, Failure> predict_days(const Invocation& invocation,
                                                          const Zone& zone) {
  std::int64_t first = 0;
  std::int64_t count = 0;
  const auto span = requested_span(invocation, zone, first, count);
  if (!span) return std::unexpected(span.error());
  DayList days;
  const auto done =
      model_of(invocation.model)
          .predict_range(invocation.args[0], date_text(span->first), date_text(span->last), days);
  if (!done) return std::unexpected(from_api(invocation, done.error()));
  const std::vector<ports::DayPrediction> utc_days = std::move(days).take();
  return cut_local_days(utc_days, span->first, zone, first, count);
}

Result list(const Invocation& invocation, const std::vector<ports::Port>& ports) {
  switch (invocation.format) {
    case Format::Json:
      return ports_json(ports);
    case Format::Csv:
      return ports_csv(ports);
    case Format::Ics:  // list and search do not take --ics
    case Format::Table:
      break;
  }
  if (ports.empty()) return "no station matches '" + invocation.args.at(0) + "'\n";
  return ports_table(ports);
}

Result show(const Invocation& invocation) {
  const auto station = find_port(invocation);
  if (!station) return std::unexpected(station.error());
  const std::string_view attribution = model_of(invocation.model).attribution();
  return invocation.format == Format::Json ? details_json(*station, attribution)
                                           : details_text(*station, attribution);
}

// The WHEN argument of height and now: the current instant by default.
std::expected<std::int64_t, Failure> requested_instant(const Invocation& invocation,
                                                       const Zone& zone) {
  const std::int64_t now = now_seconds();
  if (invocation.args.size() < 2) return now;
  const auto parsed = parse_instant(invocation.args[1], zone, now);
  if (parsed) return *parsed;
  return std::unexpected(
      Failure{2, "invalid time '" + invocation.args[1] +
                     "': expected 'now', Unix seconds, or YYYY-MM-DDTHH:MM[:SS] optionally "
                     "followed by Z or an offset such as +01:00 (years 0000 to 9999)"});
}

// The UTC day number holding t.
std::int64_t floor_day(std::int64_t t) {
  return t / 86400 - (t % 86400 < 0 ? 1 : 0);
}

Result height(const Invocation& invocation) {
  const auto port = find_port(invocation);
  if (!port) return std::unexpected(port.error());
  const auto zone = find_zone(invocation, *port);
  if (!zone) return std::unexpected(zone.error());
  const auto t = requested_instant(invocation, *zone);
  if (!t) return std::unexpected(t.error());
  const auto h = model_of(invocation.model).height_at(invocation.args[0], *t);
  if (!h) return std::unexpected(from_api(invocation, h.error()));
  return invocation.format == Format::Json ? height_json(invocation.args[0], *t, *h, *zone)
                                           : height_text(port->port, *t, *h, *zone);
}

// What predict and chart both show: the station, the zone and its local days.
struct Prediction {
  ports::Port port;
  Zone zone;
  std::vector<DayView> days;
};

std::expected<Prediction, Failure> prediction(const Invocation& invocation) {
  auto port = find_port(invocation);
  if (!port) return std::unexpected(port.error());
  auto zone = find_zone(invocation, *port);
  if (!zone) return std::unexpected(zone.error());
  auto days = predict_days(invocation, *zone);
  if (!days) return std::unexpected(days.error());
  return Prediction{std::move(port->port), std::move(*zone), std::move(*days)};
}

Result predict(const Invocation& invocation) {
  const auto p = prediction(invocation);
  if (!p) return std::unexpected(p.error());
  switch (invocation.format) {
    case Format::Json:
      return prediction_json(invocation.args[0], p->days, p->zone, invocation.days.has_value());
    case Format::Csv:
      return prediction_csv(invocation.args[0], p->days, p->zone);
    case Format::Ics:
      return ics::calendar(ics::water_events(p->port, model_of(invocation.model).datum(), p->days),
                           now_seconds());
    case Format::Table:
      break;
  }
  return prediction_table(p->port, p->days, p->zone);
}

// The windows of the model's UTC days that cover the local days, cut to the
// local days' span: a window that runs past either end is cut there and says so.
std::expected<std::vector<windows::WaterWindow>, Failure> local_windows(
    const Invocation& invocation, std::span<const DayView> days) {
  const std::int64_t start = days.front().start;
  const std::int64_t end = days.back().end;
  const auto found =
      model_of(invocation.model)
          .water_windows(invocation.args[0], date_text(floor_day(start)),
                         date_text(floor_day(end - 1)), *invocation.level, invocation.side);
  if (!found) return std::unexpected(from_api(invocation, found.error()));
  std::vector<windows::WaterWindow> cut;
  for (windows::WaterWindow w : *found) {
    if (w.end <= start || w.start >= end) continue;
    if (w.start <= start) w = {start, w.end, true, w.open_end};
    if (w.end >= end) w = {w.start, end, w.open_start, true};
    cut.push_back(w);
  }
  return cut;
}

Result water_windows(const Invocation& invocation) {
  const auto p = prediction(invocation);
  if (!p) return std::unexpected(p.error());
  const auto found = local_windows(invocation, p->days);
  if (!found) return std::unexpected(found.error());
  const double level = *invocation.level;
  switch (invocation.format) {
    case Format::Json:
      return windows_json(invocation.args[0], level, invocation.side, *found, p->zone);
    case Format::Csv:
      return windows_csv(invocation.args[0], level, invocation.side, *found, p->zone);
    case Format::Ics:
      return ics::calendar(ics::window_events(p->port, level, invocation.side, *found),
                           now_seconds());
    case Format::Table:
      break;
  }
  return windows_table(p->port, level, invocation.side, *found, p->zone);
}

// The height at an instant, and the high and low waters after it, from the
// UTC day that holds it and the next (a high and a low water fall in any
// 25 hours).
Result tide_now(const Invocation& invocation) {
  const auto port = find_port(invocation);
  if (!port) return std::unexpected(port.error());
  const auto zone = find_zone(invocation, *port);
  if (!zone) return std::unexpected(zone.error());
  const auto t = requested_instant(invocation, *zone);
  if (!t) return std::unexpected(t.error());
  const model::Model& model = model_of(invocation.model);
  const auto h = model.height_at(invocation.args[0], *t);
  if (!h) return std::unexpected(from_api(invocation, h.error()));
  TideNow now{*t, *h, std::nullopt, std::nullopt};
  const std::int64_t day = floor_day(*t);
  if (day + 1 <= *parse_date("9999-12-31")) {
    DayList days;
    const auto done =
        model.predict_range(invocation.args[0], date_text(day), date_text(day + 1), days);
    if (!done) return std::unexpected(from_api(invocation, done.error()));
    for (const auto& prediction : std::move(days).take()) {
      for (const auto& e : prediction.extremes) {
        if (e.time <= *t) continue;
        auto& next = e.is_high ? now.next_high : now.next_low;
        if (!next) next = e;
      }
    }
  }
  return invocation.format == Format::Json ? now_json(port->port, now, *zone)
                                           : now_text(port->port, now, *zone);
}

// PORT_DATE.svg, keeping only characters that are safe in any file name.
std::string default_chart_name(const ports::Port& port, const DayView& first) {
  std::string name;
  for (const char c : port.id)
    name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_';
  return name + "_" + first.date + ".svg";
}

Result chart(const Invocation& invocation) {
  const auto p = prediction(invocation);
  if (!p) return std::unexpected(p.error());
  Chart drawing = make_chart(p->port, p->days, p->zone);
  if (invocation.level) {
    const auto found = local_windows(invocation, p->days);
    if (!found) return std::unexpected(found.error());
    drawing.level = invocation.level;
    drawing.windows = std::move(*found);
  }
  const std::string svg = render_svg(drawing);
  const std::string path = invocation.out.value_or(default_chart_name(p->port, p->days.front()));
  if (path == "-") return svg;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file << svg;
  if (file) file.close();
  if (!file) {
    return std::unexpected(Failure{1, "cannot write '" + path + "': " + std::strerror(errno)});
  }
  return "chart written to " + path + "\n";
}

Result dispatch(const Invocation& invocation) {
  const std::string& command = invocation.command;
  const model::Model& model = model_of(invocation.model);
  if (command == "list") return list(invocation, model.list_ports());
  if (command == "search") return list(invocation, model.search_ports(invocation.args[0]));
  if (command == "show") return show(invocation);
  if (command == "height") return height(invocation);
  if (command == "predict") return predict(invocation);
  if (command == "chart") return chart(invocation);
  if (command == "windows") return water_windows(invocation);
  if (command == "now") return tide_now(invocation);
  return std::unexpected(Failure{2, "unknown command '" + command + "'"});
}

}  // namespace

int run(const Invocation& invocation) {
  const Result result = dispatch(invocation);
  if (!result) {
    std::fprintf(stderr, "nerith: %s\n", result.error().message.c_str());
    return result.error().status;
  }
  std::fwrite(result->data(), 1, result->size(), stdout);
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "nerith: cannot write the output: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace nerith::cli
