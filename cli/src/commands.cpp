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
#include "models.hpp"
#include "nerith/calendar.hpp"
#include "nerith/model.hpp"
#include "nerith/types.hpp"
#include "station_search.hpp"
#include "text.hpp"
#include "tide_keys.hpp"
#include "timezone.hpp"
#include "water_format.hpp"

namespace nerith::cli {
namespace {

struct Failure {
  int status;
  std::string message;
};

// What to print on success: the answer on standard output, and notes
// (warnings, or why nothing was written) on standard error.
struct Output {
  Output(std::string answer) : text(std::move(answer)) {}  // NOLINT: an answer alone
  Output(std::string answer, std::string note) : text(std::move(answer)), notes(std::move(note)) {}
  std::string text;
  std::string notes;
};
using Result = std::expected<Output, Failure>;

// The first and last UTC days the models predict: 0000-01-01 and 9999-12-31.
const std::int64_t FIRST_DAY = *parse_date("0000-01-01");
const std::int64_t LAST_DAY = *parse_date("9999-12-31");

std::int64_t now_seconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A run of days kept whole: the command cuts local days out of them.
class DayList final : public DaySink {
 public:
  void begin(std::uint64_t days) override {
    if (days > days_.max_size()) throw std::bad_alloc();
    days_.reserve(static_cast<std::size_t>(days));
  }
  void day(const DayPrediction& prediction) override { days_.push_back(prediction); }
  std::vector<DayPrediction> take() && { return std::move(days_); }

 private:
  std::vector<DayPrediction> days_;
};

// Which models hold a suggested station, and how to reach it from `current`.
std::string held_by(const Suggestion& s, Model current) {
  if (s.in_builtin && s.in_full) return "full and built-in models";
  const Model holder = s.in_full ? Model::Full : Model::Builtin;
  std::string text = holder == Model::Full ? "full model" : "built-in model";
  if (holder != current) text += ": add --model " + std::string(model_name(holder));
  return text;
}

Failure unknown_port(Model current, std::string_view id) {
  std::string message = "unknown port '" + std::string(id) + "'";
  for (const Model elsewhere : MODELS) {
    if (elsewhere == current || !model_of(elsewhere).details(id)) continue;
    const std::string name(model_name(elsewhere));
    return {1, message + "\n" + std::string(id) + " is a station of the " + name +
                   " model: add --model " + name + " to use it."};
  }
  const auto near = suggestions(id, current);
  if (near.empty()) return {1, message + "\nRun 'nerith list' to see the stations."};
  message += "\nDid you mean:";
  for (const auto& s : near)
    message += "\n  " + s.port.id + "  " + s.port.name + "  (" + held_by(s, current) + ")";
  return {1, message};
}

std::expected<model::StationDetails, Failure> find_port(const Invocation& invocation) {
  const model::Model& model = model_of(invocation.model);
  if (auto details = model.details(invocation.args[0])) return std::move(*details);
  return std::unexpected(unknown_port(invocation.model, invocation.args[0]));
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

Failure from_api(const Invocation& invocation, const ApiError& error) {
  if (error.kind == ApiError::Kind::PortNotFound) return unknown_port(invocation.model, error.text);
  if (error.kind == ApiError::Kind::InvalidLevel) return {2, "invalid level " + error.text};
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
  if (span.first < FIRST_DAY || span.last > LAST_DAY)
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
  const std::vector<DayPrediction> utc_days = std::move(days).take();
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

// The UTC days first .. last that cover [start, end), widened by `margin`
// days on each side as far as predictions go.
UtcSpan utc_days(std::int64_t start, std::int64_t end, std::int64_t margin) {
  return {std::max(day_of(start) - margin, FIRST_DAY),
          std::min(day_of(end - 1) + margin, LAST_DAY)};
}

// The high and low waters of a run of UTC days, in time order.
class WaterList final : public DaySink {
 public:
  void begin(std::uint64_t) override {}
  void day(const DayPrediction& prediction) override {
    waters_.insert(waters_.end(), prediction.extremes.begin(), prediction.extremes.end());
  }
  std::vector<Extreme> take() && { return std::move(waters_); }

 private:
  std::vector<Extreme> waters_;
};

std::expected<std::vector<Extreme>, Failure> waters_of(const Invocation& invocation, UtcSpan days) {
  WaterList waters;
  const auto done =
      model_of(invocation.model)
          .predict_range(invocation.args[0], date_text(days.first), date_text(days.last), waters);
  if (!done) return std::unexpected(from_api(invocation, done.error()));
  return std::move(waters).take();
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

// A calendar keys its events by tide on one clock for both models: the full
// model's constants where it holds the station, else the model's own.
TideClock tide_clock(const ports::Port& port) {
  const auto full = model_of(Model::Full).details(port.id);
  return TideClock(full ? full->port : port);
}

// The waters of the calendar's days and two days either side, keyed.
std::expected<ics::Context, Failure> calendar_context(const Invocation& invocation,
                                                      const ports::Port& port, UtcSpan days) {
  auto waters = waters_of(invocation, days);
  if (!waters) return std::unexpected(waters.error());
  std::vector<std::string> keys = water_keys(tide_clock(port), *waters);
  return ics::Context{std::move(*waters), std::move(keys)};
}

// The calendar of these events, or, with none, nothing and a note: a
// calendar needs at least one event.
Output calendar_of(const Invocation& invocation, const ports::Port& port, std::string name,
                   const std::vector<ics::Event>& events, std::string_view nothing) {
  if (events.empty()) return {"", "nerith: " + std::string(nothing) + ": no calendar written\n"};
  name += ", " + std::string(model_label(invocation.model));
  return ics::calendar(name, port, events, now_seconds());
}

Result predict(const Invocation& invocation) {
  const auto p = prediction(invocation);
  if (!p) return std::unexpected(p.error());
  switch (invocation.format) {
    case Format::Json:
      return prediction_json(invocation.args[0], p->days, p->zone, invocation.days.has_value());
    case Format::Csv:
      return prediction_csv(invocation.args[0], p->days, p->zone);
    case Format::Ics: {
      const std::int64_t from = p->days.front().start;
      const std::int64_t to = p->days.back().end;
      const auto context = calendar_context(invocation, p->port, utc_days(from, to, 2));
      if (!context) return std::unexpected(context.error());
      const auto events =
          ics::water_events(p->port, datum_phrase(invocation.model),
                            coefficient_phrase(invocation.model), *context, from, to);
      return calendar_of(invocation, p->port, "Tides at " + p->port.name, events,
                         "no high or low water in these days");
    }
    case Format::Table:
      break;
  }
  return prediction_table(p->port, invocation.model, p->days, p->zone);
}

// The windows of the model's UTC days `days` that overlap [start, end).
std::expected<std::vector<windows::WaterWindow>, Failure> overlapping_windows(
    const Invocation& invocation, UtcSpan days, std::int64_t start, std::int64_t end) {
  const auto found = model_of(invocation.model)
                         .water_windows(invocation.args[0], date_text(days.first),
                                        date_text(days.last), *invocation.level, invocation.side);
  if (!found) return std::unexpected(from_api(invocation, found.error()));
  std::vector<windows::WaterWindow> overlapping;
  for (const windows::WaterWindow& w : *found) {
    if (w.end > start && w.start < end) overlapping.push_back(w);
  }
  return overlapping;
}

// The windows of the UTC days that cover the local days, cut to the local
// days' span: a window that runs past either end is cut there and says so.
std::expected<std::vector<windows::WaterWindow>, Failure> local_windows(
    const Invocation& invocation, std::span<const DayView> days) {
  const std::int64_t start = days.front().start;
  const std::int64_t end = days.back().end;
  auto found = overlapping_windows(invocation, utc_days(start, end, 0), start, end);
  if (!found) return std::unexpected(found.error());
  for (windows::WaterWindow& w : *found) {
    if (w.start <= start) w = {start, w.end, true, w.open_end};
    if (w.end >= end) w = {w.start, end, w.open_start, true};
  }
  return found;
}

// The windows that overlap [start, end), each to its true ends: the days
// searched widen until no window is cut by them, up to the calendar's
// WHOLE_WINDOW_DAYS either side (a window longer than that is a level the
// tide crosses rarely), and the days searched.
struct WholeWindows {
  std::vector<windows::WaterWindow> windows;
  UtcSpan days;
};

std::expected<WholeWindows, Failure> whole_windows(const Invocation& invocation, std::int64_t start,
                                                   std::int64_t end) {
  for (const std::int64_t margin : {std::int64_t{2}, ics::WHOLE_WINDOW_DAYS}) {
    const UtcSpan days = utc_days(start, end, margin);
    auto found = overlapping_windows(invocation, days, start, end);
    if (!found) return std::unexpected(found.error());
    const bool cut = !found->empty() && ((found->front().open_start && days.first > FIRST_DAY) ||
                                         (found->back().open_end && days.last < LAST_DAY));
    if (!cut || margin == ics::WHOLE_WINDOW_DAYS) return WholeWindows{std::move(*found), days};
  }
  std::unreachable();
}

Result water_windows(const Invocation& invocation) {
  const auto p = prediction(invocation);
  if (!p) return std::unexpected(p.error());
  const double level = *invocation.level;
  const std::string warning =
      invocation.model == Model::Builtin ? builtin_datum_warning() : std::string();
  if (invocation.format == Format::Ics) {
    const std::int64_t from = p->days.front().start;
    const std::int64_t to = p->days.back().end;
    const auto whole = whole_windows(invocation, from, to);
    if (!whole) return std::unexpected(whole.error());
    const auto context = calendar_context(invocation, p->port, whole->days);
    if (!context) return std::unexpected(context.error());
    const auto events = ics::window_events(p->port, datum_phrase(invocation.model), level,
                                           invocation.side, whole->windows, *context, from, to);
    const char* side = invocation.side == windows::Side::Above ? "above" : "below";
    Output calendar = calendar_of(invocation, p->port,
                                  p->port.name + printf_string(": water %s %.2f m", side, level),
                                  events, "no window in these days");
    calendar.notes = warning + calendar.notes;
    return calendar;
  }
  const auto found = local_windows(invocation, p->days);
  if (!found) return std::unexpected(found.error());
  switch (invocation.format) {
    case Format::Json:
      return Output{windows_json(invocation.args[0], invocation.model, level, invocation.side,
                                 *found, p->zone),
                    warning};
    case Format::Csv:
      return Output{windows_csv(invocation.args[0], level, invocation.side, *found, p->zone),
                    warning};
    case Format::Ics:
    case Format::Table:
      break;
  }
  return Output{windows_table(p->port, invocation.model, level, invocation.side, *found, p->zone),
                warning};
}

// The height at an instant, and the high and low waters after it, from the
// UTC day that holds it and the two after (a high and a low water fall in
// any 25 hours), as far as predictions go.
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
  const auto waters = waters_of(invocation, {day_of(*t), std::min(day_of(*t) + 2, LAST_DAY)});
  if (!waters) return std::unexpected(waters.error());
  TideNow now{*t, *h, false, std::nullopt, std::nullopt};
  for (const auto& e : *waters) {
    auto& next = e.is_high ? now.next_high : now.next_low;
    if (e.time > *t && !next) next = e;
  }
  if (now.next_high || now.next_low) {
    now.rising = now.next_high && (!now.next_low || now.next_high->time < now.next_low->time);
  } else {
    // Past the last water predicted: the curve's slope says.
    const auto before = model.height_at(invocation.args[0], *t - 60);
    now.rising = before && *before < *h;
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
  Chart drawing = make_chart(p->port, p->days, p->zone, datum_phrase(invocation.model));
  std::string warning;
  if (invocation.level) {
    const auto found = local_windows(invocation, p->days);
    if (!found) return std::unexpected(found.error());
    drawing.level = invocation.level;
    drawing.windows = std::move(*found);
    if (invocation.model == Model::Builtin) warning = builtin_datum_warning();
  }
  const std::string svg = render_svg(drawing);
  const std::string path = invocation.out.value_or(default_chart_name(p->port, p->days.front()));
  if (path == "-") return Output{svg, warning};
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file << svg;
  if (file) file.close();
  if (!file) {
    return std::unexpected(Failure{1, "cannot write '" + path + "': " + std::strerror(errno)});
  }
  return Output{"chart written to " + path + "\n", warning};
}

Result dispatch(const Invocation& invocation) {
  const std::string& command = invocation.command;
  const model::Model& model = model_of(invocation.model);
  if (command == "list") return list(invocation, model.list_ports());
  if (command == "search") return list(invocation, search(model.list_ports(), invocation.args[0]));
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
  std::fputs(result->notes.c_str(), stderr);
  std::fwrite(result->text.data(), 1, result->text.size(), stdout);
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "nerith: cannot write the output: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace nerith::cli
