#include "ics.hpp"

#include <algorithm>

#include "minutes.hpp"
#include "nerith/calendar.hpp"
#include "text.hpp"
#include "tide_keys.hpp"
#include "timezone.hpp"
#include "water_format.hpp"

namespace nerith::cli::ics {
namespace {

// Calendars show an instant event as a thin line; ten minutes reads as a mark
// and does not overlap the next water.
constexpr std::int64_t kWaterEventSeconds = 600;

std::string uid(std::string_view port_id, std::string_view kind, std::string_view key) {
  return std::string(port_id) + "-" + std::string(kind) + "-" + std::string(key) + "@nerith";
}

}  // namespace

std::vector<Event> water_events(const ports::Port& port, std::string_view datum,
                                std::string_view coefficients, const Context& context,
                                std::int64_t from, std::int64_t to) {
  std::vector<Event> events;
  for (std::size_t i = 0; i < context.waters.size(); ++i) {
    const auto& e = context.waters[i];
    if (e.time < from || e.time >= to) continue;
    std::string summary =
        port.name + printf_string(": %s water %.2f m", e.is_high ? "high" : "low", e.height);
    if (e.coefficient) summary += printf_string(", coefficient %d", int(*e.coefficient));
    const std::int64_t start = minute_nearest(e.time, Zone{});
    events.push_back({uid(port.id, e.is_high ? "high" : "low", context.keys[i]), start,
                      start + kWaterEventSeconds, std::move(summary),
                      port.name + " (" + port.id + "), " + iso_text(e.time, Zone{}) +
                          "; heights in metres " + std::string(datum) + ", " +
                          std::string(coefficients)});
  }
  return events;
}

std::vector<Event> window_events(const ports::Port& port, std::string_view datum, double level,
                                 windows::Side side, std::span<const windows::WaterWindow> windows,
                                 const Context& context, std::int64_t from, std::int64_t to) {
  const bool above = side == windows::Side::Above;
  const char* side_name = above ? "above" : "below";
  const std::string kind = printf_string("%s-%.3fm", side_name, level);
  const std::string summary = port.name + printf_string(": water %s %.2f m", side_name, level);
  const std::vector<std::string> keys = window_keys(windows, side, context.waters, context.keys);
  std::vector<Event> events;
  const auto add = [&](const windows::WaterWindow& part, const std::string& key,
                       std::string_view note) {
    const auto shown = shown_window(part, side, Zone{});
    if (!shown) return;
    std::string description =
        port.name + " (" + port.id + "), " + printf_string("water %s %.2f m ", side_name, level) +
        std::string(datum) + " for " + duration_text(shown->duration()) + std::string(note);
    events.push_back(
        {uid(port.id, kind, key), shown->start, shown->end, summary, std::move(description)});
  };
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const auto& w = windows[i];
    if (w.end <= from || w.start >= to) continue;
    if (!w.open_start && !w.open_end && w.duration() <= WHOLE_WINDOW_DAYS * 86400) {
      add(w, keys[i], "");
      continue;
    }
    constexpr std::int64_t kDay = 86400;
    const std::int64_t first = std::max(w.start, from);
    const std::int64_t last = std::min(w.end, to);
    for (std::int64_t day = day_of(first); day * kDay < last; ++day) {
      const windows::WaterWindow part{std::max(w.start, day * kDay),
                                      std::min(w.end, (day + 1) * kDay), false, false};
      add(part, "day-" + utc_stamp(day * kDay).substr(0, 8),
          printf_string(" on this day, within a window of more than %lld days",
                        static_cast<long long>(WHOLE_WINDOW_DAYS)));
    }
  }
  return events;
}

std::string calendar(std::string_view name, const ports::Port& port, std::span<const Event> events,
                     std::int64_t stamp) {
  std::string out;
  const auto line = [&out](std::string_view text) { out += fold_line(text); };
  line("BEGIN:VCALENDAR");
  line("VERSION:2.0");
  line("PRODID:-//nerith//nerith " NERITH_VERSION "//EN");
  line("CALSCALE:GREGORIAN");
  line("X-WR-CALNAME:" + escape_text(name));
  const std::string location = "LOCATION:" + escape_text(port.name + " (" + port.id + ")");
  const std::string geo = printf_string("GEO:%.6f;%.6f", port.latitude, port.longitude);
  for (const auto& e : events) {
    line("BEGIN:VEVENT");
    line("UID:" + escape_text(e.uid));
    line("DTSTAMP:" + utc_stamp(stamp));
    line("DTSTART:" + utc_stamp(e.start));
    line("DTEND:" + utc_stamp(e.end));
    line("SUMMARY:" + escape_text(e.summary));
    line("DESCRIPTION:" + escape_text(e.description));
    line(location);
    line(geo);
    line("TRANSP:TRANSPARENT");  // a tide does not make anyone busy
    line("END:VEVENT");
  }
  line("END:VCALENDAR");
  return out;
}

std::string escape_text(std::string_view text) {
  std::string escaped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' || c == ';' || c == ',') {
      escaped += '\\';
      escaped += c;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      escaped += "\\n";
    } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) {
      escaped += c;
    }  // other control characters are not allowed in TEXT
  }
  return escaped;
}

std::string fold_line(std::string_view line) {
  std::string folded;
  std::size_t width = 0;  // octets on the current line
  for (std::size_t i = 0; i < line.size();) {
    // A UTF-8 sequence moves as a whole: its lead byte and continuations.
    std::size_t length = 1;
    while (i + length < line.size() &&
           (static_cast<unsigned char>(line[i + length]) & 0xC0) == 0x80)
      ++length;
    if (width + length > 75) {
      folded += "\r\n ";
      width = 1;
    }
    folded.append(line.substr(i, length));
    width += length;
    i += length;
  }
  return folded + "\r\n";
}

std::string utc_stamp(std::int64_t t) {
  const LocalTime utc = Zone{}.local(t);
  const std::string date = date_text(utc.day);  // YYYY-MM-DD
  return date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2) +
         printf_string("T%02d%02d%02dZ", int(utc.second / 3600), int(utc.second / 60 % 60),
                       int(utc.second % 60));
}

}  // namespace nerith::cli::ics
