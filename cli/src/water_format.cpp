#include "water_format.hpp"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include "format.hpp"
#include "minutes.hpp"
#include "text.hpp"

namespace nerith::cli {
namespace {

using Json = nlohmann::ordered_json;

const char* side_name(windows::Side side) {
  return side == windows::Side::Above ? "above" : "below";
}

// "2024-03-10 04:00" of a whole minute, with the zone's abbreviation on any
// clock but UTC, or on every clock when `labelled`.
std::string date_time(std::int64_t t, const Zone& zone, bool labelled = false) {
  const LocalTime local = zone.local(t);
  std::string text = date_text(local.day) + " " + clock_text(local);
  return zone.is_utc() && !labelled ? text : text + " " + local.abbreviation;
}

Json water_record(const Extreme& e, std::int64_t from, const Zone& zone) {
  Json json{{"time", e.time},
            {"height", e.height},
            {"coefficient", e.coefficient ? Json(*e.coefficient) : Json(nullptr)},
            {"in_seconds", e.time - from},
            {"in", duration_text(e.time - from)}};
  if (!zone.is_utc()) json["local_time"] = iso_text(e.time, zone);
  return json;
}

}  // namespace

std::string duration_text(std::int64_t seconds) {
  const std::int64_t minutes = (seconds + 30) / 60;
  return printf_string("%lldh %02lldm", static_cast<long long>(minutes / 60),
                       static_cast<long long>(minutes % 60));
}

std::string windows_table(const ports::Port& port, Model model, double level, windows::Side side,
                          std::span<const windows::WaterWindow> windows, const Zone& zone) {
  std::string text = port.name + " (" + port.id + "), water " + side_name(side) +
                     printf_string(" %.2f m", level) + ", times in " + zone.name() + "\n" +
                     model_line(model, false) + "\n";
  std::vector<windows::WaterWindow> shown;
  for (const auto& w : windows) {
    if (const auto minutes = shown_window(w, side, zone)) shown.push_back(*minutes);
  }
  const std::size_t brief = windows.size() - shown.size();
  const std::string left_out =
      brief == 0 ? ""
                 : printf_string("(%zu window%s above the level for less than a minute left out)\n",
                                 brief, brief == 1 ? "" : "s");
  if (shown.empty()) return text + "no window in these days\n" + left_out;
  const std::size_t width = date_time(shown.front().start, zone).size() + 2;
  text += pad("start", width) + pad("end", width) + "duration\n";
  for (const auto& w : shown) {
    // A cut window lasts longer than the range shows.
    const bool cut = w.open_start || w.open_end;
    text += pad(date_time(w.start, zone), width) + pad(date_time(w.end, zone), width) +
            (cut ? "at least " : "") + duration_text(w.duration());
    if (w.open_start) text += " (open before)";
    if (w.open_end) text += " (open after)";
    text += "\n";
  }
  return text + left_out;
}

std::string windows_json(std::string_view port_id, Model model, double level, windows::Side side,
                         std::span<const windows::WaterWindow> windows, const Zone& zone) {
  Json json{{"port_id", port_id},
            {"model", model_name(model)},
            {"datum", datum_name(model)},
            {"level", level},
            {"side", side_name(side)}};
  if (!zone.is_utc()) json["time_zone"] = zone.name();
  Json list = Json::array();
  for (const auto& w : windows) {
    Json record{{"start", w.start},
                {"end", w.end},
                {"duration", w.duration()},
                {"open_start", w.open_start},
                {"open_end", w.open_end}};
    if (!zone.is_utc()) {
      record["local_start"] = iso_text(w.start, zone);
      record["local_end"] = iso_text(w.end, zone);
    }
    list.push_back(std::move(record));
  }
  json["windows"] = std::move(list);
  return json_document(json);
}

std::string windows_csv(std::string_view port_id, double level, windows::Side side,
                        std::span<const windows::WaterWindow> windows, const Zone& zone) {
  std::string text =
      "port_id,level,side,start,end,start_datetime,end_datetime,duration,open_start,open_end\n";
  const std::string prefix = csv_field(port_id) + printf_string(",%.3f,", level) + side_name(side);
  for (const auto& w : windows) {
    text += prefix + "," + std::to_string(w.start) + "," + std::to_string(w.end) + "," +
            iso_text(w.start, zone) + "," + iso_text(w.end, zone) + "," +
            std::to_string(w.duration()) + (w.open_start ? ",true" : ",false") +
            (w.open_end ? ",true\n" : ",false\n");
  }
  return text;
}

std::string now_text(const ports::Port& port, const TideNow& now, const Zone& zone) {
  const std::int64_t shown_now = minute_nearest(now.time, zone);
  std::string text = port.name + " (" + port.id + ") at " + date_time(shown_now, zone, true) +
                     printf_string(": %.2f m, ", now.height) + (now.rising ? "rising" : "falling") +
                     "\n";
  std::array waters{std::pair{"high", now.next_high}, std::pair{"low", now.next_low}};
  // In time order; a water past the end of the predictions comes last.
  std::ranges::stable_sort(waters, [](const auto& a, const auto& b) {
    return a.second && (!b.second || a.second->time < b.second->time);
  });
  for (const auto& [name, water] : waters) {
    text += printf_string("  next %-4s water  ", name);
    if (!water) {
      text += "none before predictions end, at 9999-12-31 24:00 UTC\n";
      continue;
    }
    const std::int64_t shown = minute_nearest(water->time, zone);
    text += date_time(shown, zone, true) + printf_string("  %5.2f m  in ", water->height) +
            duration_text(shown - shown_now);
    if (water->coefficient) text += printf_string("  coef %d", int(*water->coefficient));
    text += "\n";
  }
  return text;
}

std::string now_json(const ports::Port& port, const TideNow& now, const Zone& zone) {
  Json json{{"port_id", port.id},
            {"name", port.name},
            {"time", now.time},
            {"height", now.height},
            {"trend", now.rising ? "rising" : "falling"}};
  if (!zone.is_utc()) {
    json["time_zone"] = zone.name();
    json["local_time"] = iso_text(now.time, zone);
  }
  json["next_high"] = now.next_high ? water_record(*now.next_high, now.time, zone) : Json(nullptr);
  json["next_low"] = now.next_low ? water_record(*now.next_low, now.time, zone) : Json(nullptr);
  return json_document(json);
}

}  // namespace nerith::cli
