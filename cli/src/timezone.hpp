// Calendar days and local legal time for the command-line tool. The library
// itself knows only UTC; everything about time zones lives here.
#pragma once

#include <cstdint>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace date {
class time_zone;
}
namespace Posix {
class time_zone;
}

namespace nerith::cli {

// The first and last instants the tool accepts: 0000-01-01 to 9999-12-31 UTC.
inline constexpr std::int64_t MIN_INSTANT = -62167219200;
inline constexpr std::int64_t MAX_INSTANT = 253402300799;

// An instant as read on a local clock.
struct LocalTime {
  std::int64_t day = 0;      // local calendar day, days since 1970-01-01
  std::int64_t second = 0;   // seconds since local midnight, 0..86399
  std::int64_t offset = 0;   // seconds east of UTC
  std::string abbreviation;  // "UTC", "CET", "CEST", "+0545"
};

// UTC, or an IANA zone of the system's tz database (/usr/share/zoneinfo),
// read through Howard Hinnant's date/tz. Past the last transition a zone file
// lists, its closing POSIX TZ rule applies (date/tz's Posix::time_zone), as
// the C library would apply it.
class Zone {
 public:
  Zone() = default;  // UTC

  // The zone with this name, or the reason it cannot be used.
  static std::expected<Zone, std::string> locate(std::string_view name);

  bool is_utc() const { return zone_ == nullptr; }
  std::string name() const;

  // Local clock reading of t (Unix seconds within MIN_INSTANT..MAX_INSTANT).
  LocalTime local(std::int64_t t) const;

  // The earliest instant whose local reading is `local_seconds` (seconds since
  // 1970-01-01 on the local clock); for a reading that the clocks skip, the
  // instant they jump.
  std::int64_t from_local(std::int64_t local_seconds) const;

  // First instant of a local calendar day.
  std::int64_t day_start(std::int64_t day) const { return from_local(day * 86400); }

  // The local calendar day of now.
  std::int64_t today() const;

 private:
  const date::time_zone* zone_ = nullptr;         // null for UTC
  std::shared_ptr<const Posix::time_zone> rule_;  // after the zone file's last transition
};

// Days since 1970-01-01 of a strict YYYY-MM-DD text naming a real date, or
// nothing.
std::optional<std::int64_t> parse_date(std::string_view text);

// YYYY-MM-DD of a day number.
std::string date_text(std::int64_t day);

// "HH:MM" of a local reading; seconds are dropped (round the instant first).
std::string clock_text(const LocalTime& local);

// ISO 8601 with the zone's offset: 2024-03-10T04:53:54+01:00, or ...Z in UTC.
std::string iso_text(std::int64_t t, const Zone& zone);

// An instant written as Unix seconds, "now", or ISO 8601 date and time
// (YYYY-MM-DDTHH:MM[:SS]) followed by Z, an offset ±HH:MM, or nothing, in
// which case it is a reading of the zone's clock. Nothing if unreadable or
// outside 0000..9999.
std::optional<std::int64_t> parse_instant(std::string_view text, const Zone& zone,
                                          std::int64_t now);

}  // namespace nerith::cli
