#include "format.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <nlohmann/json.hpp>

#include "minutes.hpp"
#include "text.hpp"

namespace nerith::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string weekday_name(std::int64_t day) {
  static constexpr std::array<const char*, 7> NAMES{"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
  const std::chrono::weekday weekday{std::chrono::sys_days{std::chrono::days{day}}};
  return NAMES[weekday.c_encoding()];
}

std::string position_text(double latitude, double longitude) {
  return printf_string("%.3f° %c, %.3f° %c", std::fabs(latitude), latitude < 0 ? 'S' : 'N',
                       std::fabs(longitude), longitude < 0 ? 'W' : 'E');
}

// Time of day as the table shows it, to the nearest minute: "03:54", with the
// zone's abbreviation ("04:54 CET") on any clock but UTC.
std::string table_time(std::int64_t t, const Zone& zone) {
  const LocalTime local = zone.local(minute_nearest(t, zone));
  return zone.is_utc() ? clock_text(local) : clock_text(local) + " " + local.abbreviation;
}

Json port_record(const ports::Port& port) {
  Json constituents = Json::array();
  for (const auto& c : port.constituents) {
    constituents.push_back(
        {{"name", c.name}, {"amplitude", c.amplitude}, {"phase_lag", c.phase_lag}});
  }
  return {{"id", port.id},
          {"name", port.name},
          {"latitude", port.latitude},
          {"longitude", port.longitude},
          {"mean_water_level", port.mean_water_level},
          {"atlantic_coast", port.atlantic_coast},
          {"constituents", std::move(constituents)}};
}

// A value as json_document() writes it, without the line break.
std::string compact(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The day's record, written straight into `out` with the same bytes as
// json_document() of its document (keys in this order, numbers and strings as
// nlohmann writes them) but without building the document: a year holds
// 53,000 heights.
void append_day(std::string& out, std::string_view port_id, const DayView& view, const Zone& zone) {
  out += "{\"port_id\":" + compact(port_id) + ",\"date\":" + compact(view.date);
  if (!zone.is_utc()) out += ",\"time_zone\":" + compact(zone.name());
  out += ",\"extremes\":[";
  for (std::size_t i = 0; i < view.extremes.size(); ++i) {
    const auto& e = view.extremes[i];
    if (i > 0) out += ',';
    out += "{\"time\":" + std::to_string(e.time) + ",\"height\":" + compact(e.height) +
           ",\"is_high\":" + (e.is_high ? "true" : "false") +
           ",\"coefficient\":" + (e.coefficient ? std::to_string(*e.coefficient) : "null");
    if (!zone.is_utc()) out += ",\"local_time\":" + compact(iso_text(e.time, zone));
    out += '}';
  }
  out += "],\"heights\":[";
  for (std::size_t i = 0; i < view.heights.size(); ++i) {
    const auto& sample = view.heights[i];
    if (i > 0) out += ',';
    out += "{\"time\":";
    out += std::to_string(sample.time);
    out += ",\"height\":";
    out += compact(sample.height);
    out += '}';
  }
  out += "]}";
}

}  // namespace

std::string json_document(const Json& json) {
  return compact(json) + "\n";
}

std::string sparkline(std::span<const HeightSample> heights, double low, double high,
                      std::size_t columns) {
  static constexpr std::array<std::string_view, 8> LEVELS{"▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};
  std::string line;
  if (heights.empty()) return line;
  const std::size_t last = heights.size() - 1;
  for (std::size_t column = 0; column < columns; ++column) {
    const std::size_t index =
        columns == 1 ? 0 : (column * last + (columns - 1) / 2) / (columns - 1);
    const double h = heights[index].height;
    if (!std::isfinite(h)) {
      line += ' ';
      continue;
    }
    const double level = high > low ? std::round((h - low) / (high - low) * 7.0) : 3.0;
    line += LEVELS[static_cast<std::size_t>(std::clamp(level, 0.0, 7.0))];
  }
  return line;
}

std::string ports_table(std::span<const ports::Port> ports) {
  std::size_t id_width = 2;
  for (const auto& port : ports) id_width = std::max(id_width, port.id.size());
  std::string text = pad("ID", id_width + 2) + "LATITUDE  LONGITUDE  NAME\n";
  for (const auto& port : ports) {
    text += pad(port.id, id_width + 2) +
            printf_string("%8.3f  %9.3f  ", port.latitude, port.longitude) + port.name + "\n";
  }
  return text;
}

std::string ports_json(std::span<const ports::Port> ports) {
  Json list = Json::array();
  for (const auto& port : ports) list.push_back(port_record(port));
  return json_document(list);
}

std::string ports_csv(std::span<const ports::Port> ports) {
  std::string text = "id,name,latitude,longitude,mean_water_level,atlantic_coast\n";
  for (const auto& port : ports) {
    text +=
        csv_field(port.id) + "," + csv_field(port.name) +
        printf_string(",%.6g,%.6g,%.6g,", port.latitude, port.longitude, port.mean_water_level) +
        (port.atlantic_coast ? "true" : "false") + "\n";
  }
  return text;
}

std::string port_text(const ports::Port& port) {
  std::string text = port.name + " (" + port.id + ")\n";
  text += "  position      " + position_text(port.latitude, port.longitude) + "\n";
  text += printf_string("  mean level    %.3f m\n", port.mean_water_level);
  text += std::string("  coefficients  ") +
          (port.atlantic_coast ? "on high waters, graded against Brest\n" : "none\n");
  text += printf_string("  constituents  %zu\n", port.constituents.size());
  if (!port.constituents.empty()) text += "\n  name   amplitude  phase lag\n";
  for (const auto& c : port.constituents) {
    text += "  " + pad(c.name, 5) + printf_string("%8.3f m  %8.2f°\n", c.amplitude, c.phase_lag);
  }
  return text;
}

std::string port_json(const ports::Port& port) {
  return json_document(port_record(port));
}

std::string details_text(const model::StationDetails& details, std::string_view attribution) {
  const std::string text = port_text(details.port);
  if (!details.analysis) return text;
  const model::Analysis& analysis = *details.analysis;
  const std::size_t constants = text.find("  constituents");
  std::string out = text.substr(0, constants);
  out += "  gauge         " + std::to_string(analysis.gauge) + " (" + analysis.record + ")\n";
  out += "  analysis      " + analysis.first + " to " + analysis.last +
         printf_string(", quality %d\n", analysis.quality);
  out += "  time zone     " + details.time_zone + "\n";
  if (!analysis.folded.empty()) {
    out += "  folded        ";
    for (std::size_t i = 0; i < analysis.folded.size(); ++i) {
      out += (i > 0 ? ", " : "") + analysis.folded[i].name + " into " + analysis.folded[i].into;
    }
    out += " (the record cannot separate them)\n";
  }
  out += "  datums       ";
  for (const auto& datum : analysis.datums)
    out += " " + datum.name + printf_string(" %.3f", datum.height);
  out += " m above chart datum\n";
  out += text.substr(constants);
  return out + "\nData: " + std::string(attribution) + "\n";
}

std::string details_json(const model::StationDetails& details, std::string_view attribution) {
  if (!details.analysis) return port_json(details.port);
  const model::Analysis& analysis = *details.analysis;
  Json json = port_record(details.port);
  json["gauge"] = analysis.gauge;
  json["record"] = analysis.record;
  json["timezone"] = details.time_zone;
  json["analysis_span"] = {analysis.first, analysis.last};
  json["quality"] = analysis.quality;
  Json folded = Json::array();
  for (const auto& f : analysis.folded) folded.push_back({f.name, f.into});
  json["folded"] = std::move(folded);
  Json datums = Json::object();
  for (const auto& datum : analysis.datums) datums[datum.name] = datum.height;
  json["datums"] = std::move(datums);
  json["attribution"] = attribution;
  return json_document(json);
}

std::string height_text(const ports::Port& port, std::int64_t t, double height, const Zone& zone) {
  const LocalTime local = zone.local(t);
  return port.name + " (" + port.id + ") at " + date_text(local.day) + " " + clock_text(local) +
         printf_string(":%02d ", static_cast<int>(local.second % 60)) + local.abbreviation +
         printf_string(": %.2f m\n", height);
}

std::string height_json(std::string_view port_id, std::int64_t t, double height, const Zone& zone) {
  Json json{{"port_id", port_id}, {"time", t}, {"height", height}};
  if (!zone.is_utc()) {
    json["time_zone"] = zone.name();
    json["local_time"] = iso_text(t, zone);
  }
  return json_document(json);
}

std::string prediction_table(const ports::Port& port, Model model, std::span<const DayView> days,
                             const Zone& zone) {
  std::size_t time_width = 5;
  double low = INFINITY;
  double high = -INFINITY;
  for (const auto& day : days) {
    for (const auto& e : day.extremes) {
      time_width = std::max(time_width, table_time(e.time, zone).size());
    }
    for (const auto& s : day.heights) {
      if (!std::isfinite(s.height)) continue;
      low = std::min(low, s.height);
      high = std::max(high, s.height);
    }
  }
  constexpr std::size_t kDateWidth = 17;
  std::string text = port.name + " (" + port.id + "), times in " + zone.name() +
                     ", heights in metres\n" + model_line(model, true) + "\n";
  text += pad("date", kDateWidth) + "tide  " + pad("time", time_width) + "  height  coef\n";
  for (const auto& day : days) {
    std::string label = weekday_name(day.day) + " " + day.date;
    if (day.extremes.empty()) text += pad(label, kDateWidth) + "no high or low water\n";
    for (const auto& e : day.extremes) {
      text += pad(std::exchange(label, ""), kDateWidth) + (e.is_high ? "high  " : "low   ") +
              pad(table_time(e.time, zone), time_width) + printf_string("  %6.2f", e.height);
      if (e.coefficient) text += printf_string("  %4d", static_cast<int>(*e.coefficient));
      text += "\n";
    }
    if (!day.heights.empty()) {
      text += std::string(kDateWidth, ' ') + sparkline(day.heights, low, high, 49) + "\n";
    }
  }
  if (std::isfinite(low)) {
    text += printf_string("\ncurves run from 00:00 to 24:00, ▁ %.2f m to █ %.2f m\n", low, high);
  }
  return text;
}

std::string prediction_json(std::string_view port_id, std::span<const DayView> days,
                            const Zone& zone, bool as_list) {
  std::string out;
  out.reserve(days.size() * 7400 + 8);  // a day's record is about 7.3 kB
  const bool list = as_list || days.size() != 1;
  if (list) out += '[';
  for (std::size_t i = 0; i < days.size(); ++i) {
    if (i > 0) out += ',';
    append_day(out, port_id, days[i], zone);
  }
  if (list) out += ']';
  out += '\n';
  return out;
}

std::string prediction_csv(std::string_view port_id, std::span<const DayView> days,
                           const Zone& zone) {
  std::string text = "port_id,date,time,datetime,tide,height,coefficient\n";
  for (const auto& day : days) {
    for (const auto& e : day.extremes) {
      text += csv_field(port_id) + "," + day.date + "," + std::to_string(e.time) + "," +
              iso_text(e.time, zone) + (e.is_high ? ",high," : ",low,") +
              printf_string("%.3f,", e.height) +
              (e.coefficient ? std::to_string(*e.coefficient) : "") + "\n";
    }
  }
  return text;
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace nerith::cli
