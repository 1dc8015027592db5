// iCalendar (RFC 5545) export of high and low waters and water windows, for
// a phone's or desktop's calendar.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nerith/ports.hpp"
#include "nerith/types.hpp"
#include "nerith/windows.hpp"

namespace nerith::cli::ics {

// One calendar event; instants in Unix seconds, UTC, on whole minutes.
struct Event {
  std::string uid;  // the same for the same tide, so a second import updates it
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::string summary;
  std::string description;
};

// The waters and windows of a span wider than the days asked for, so that
// each event's key and true ends are those any other import of it finds.
struct Context {
  std::vector<Extreme> waters;    // in time order
  std::vector<std::string> keys;  // water_keys of `waters`
};

// Each high and low water in [from, to) as a short event starting at its
// time to the nearest minute, its heights said to be `datum` ("above chart
// datum") and its coefficients `coefficients`.
std::vector<Event> water_events(const ports::Port& port, std::string_view datum,
                                std::string_view coefficients, const Context& context,
                                std::int64_t from, std::int64_t to);

// How far a calendar looks beyond its days for a window's true ends, and the
// longest window it shows as one event.
inline constexpr std::int64_t WHOLE_WINDOW_DAYS = 40;

// Each window that overlaps [from, to), from its start to its end rounded
// as the tables round them (an above window holding no whole minute is left
// out). `windows` are in time order, searched WHOLE_WINDOW_DAYS beyond
// [from, to) and cut only where that search ended. A window cut there, or
// longer than WHOLE_WINDOW_DAYS, is one event per UTC day it covers within
// [from, to): any range that overlaps it sees it so.
std::vector<Event> window_events(const ports::Port& port, std::string_view datum, double level,
                                 windows::Side side, std::span<const windows::WaterWindow> windows,
                                 const Context& context, std::int64_t from, std::int64_t to);

// The calendar document named `name`, every event placed at the port (LOCATION
// and GEO), CRLF line ends, stamped with `stamp` (Unix seconds). `events`
// must not be empty: a calendar needs at least one component.
std::string calendar(std::string_view name, const ports::Port& port, std::span<const Event> events,
                     std::int64_t stamp);

// A TEXT value with backslash, semicolon, comma and line breaks escaped.
std::string escape_text(std::string_view text);

// A content line folded to at most 75 octets per line, never inside a UTF-8
// sequence, each line ended by CRLF.
std::string fold_line(std::string_view line);

// 20240310T035300Z
std::string utc_stamp(std::int64_t t);

}  // namespace nerith::cli::ics
