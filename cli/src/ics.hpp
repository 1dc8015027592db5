// iCalendar (RFC 5545) export of high and low waters and water windows, for
// a phone's or desktop's calendar.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "local_days.hpp"
#include "nerith/ports.hpp"
#include "nerith/windows.hpp"

namespace nerith::cli::ics {

// One calendar event; instants in Unix seconds, UTC.
struct Event {
  std::string uid;  // the same for the same tide, so a second import updates it
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::string summary;
  std::string description;
};

// Each high and low water as a short event (it starts at the water's time),
// its heights said to be above `datum` (the model's).
std::vector<Event> water_events(const ports::Port& port, std::string_view datum,
                                std::span<const DayView> days);

// Each window as an event from its start to its end.
std::vector<Event> window_events(const ports::Port& port, double level, windows::Side side,
                                 std::span<const windows::WaterWindow> windows);

// The calendar document, CRLF line ends, stamped with `stamp` (Unix seconds).
std::string calendar(std::span<const Event> events, std::int64_t stamp);

// A TEXT value with backslash, semicolon, comma and line breaks escaped.
std::string escape_text(std::string_view text);

// A content line folded to at most 75 octets per line, never inside a UTF-8
// sequence, each line ended by CRLF.
std::string fold_line(std::string_view line);

// 20240310T035300Z
std::string utc_stamp(std::int64_t t);

}  // namespace nerith::cli::ics
