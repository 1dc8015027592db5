#include "ics.hpp"

#include "text.hpp"
#include "timezone.hpp"
#include "water_format.hpp"

namespace nerith::cli::ics {
namespace {

// Calendars show an instant event as a thin line; ten minutes reads as a mark
// and does not overlap the next water.
constexpr std::int64_t kWaterEventSeconds = 600;

std::string uid(std::string_view port_id, std::string_view kind, std::int64_t start) {
  return std::string(port_id) + "-" + std::string(kind) + "-" + utc_stamp(start) + "@nerith";
}

}  // namespace

std::vector<Event> water_events(const ports::Port& port, std::string_view datum,
                                std::span<const DayView> days) {
  std::vector<Event> events;
  for (const auto& day : days) {
    for (const auto& e : day.extremes) {
      std::string summary = printf_string("%s water %.2f m", e.is_high ? "High" : "Low", e.height);
      if (e.coefficient) summary += printf_string(", coefficient %d", int(*e.coefficient));
      events.push_back({uid(port.id, e.is_high ? "high" : "low", e.time), e.time,
                        e.time + kWaterEventSeconds, std::move(summary),
                        port.name + " (" + port.id + "), " + iso_text(e.time, Zone{}) +
                            ", heights in metres above " + std::string(datum)});
    }
  }
  return events;
}

std::vector<Event> window_events(const ports::Port& port, double level, windows::Side side,
                                 std::span<const windows::WaterWindow> windows) {
  const bool above = side == windows::Side::Above;
  std::vector<Event> events;
  for (const auto& w : windows) {
    std::string description =
        port.name + " (" + port.id + "), " +
        printf_string("water %s %.2f m for ", above ? "above" : "below", level) +
        duration_text(w.duration());
    if (w.open_start) description += "; already open before the start";
    if (w.open_end) description += "; still open after the end";
    events.push_back({uid(port.id, above ? "above" : "below", w.start), w.start, w.end,
                      printf_string("Water %s %.2f m", above ? "above" : "below", level),
                      std::move(description)});
  }
  return events;
}

std::string calendar(std::span<const Event> events, std::int64_t stamp) {
  std::string out;
  const auto line = [&out](std::string_view text) { out += fold_line(text); };
  line("BEGIN:VCALENDAR");
  line("VERSION:2.0");
  line("PRODID:-//nerith//nerith " NERITH_VERSION "//EN");
  line("CALSCALE:GREGORIAN");
  for (const auto& e : events) {
    line("BEGIN:VEVENT");
    line("UID:" + escape_text(e.uid));
    line("DTSTAMP:" + utc_stamp(stamp));
    line("DTSTART:" + utc_stamp(e.start));
    line("DTEND:" + utc_stamp(e.end));
    line("SUMMARY:" + escape_text(e.summary));
    line("DESCRIPTION:" + escape_text(e.description));
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
