// Dates and instants as the command reads and writes them.
#include <date/date.h>

#include <charconv>

#include "text.hpp"
#include "timezone.hpp"

namespace nerith::cli {
namespace {

// The number that `count` ASCII digits of `text` from `pos` write, or nothing.
std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data() + pos, text.data() + pos + count, value);
  if (ec != std::errc{} || end != text.data() + pos + count || text[pos] == '-' || text[pos] == '+')
    return std::nullopt;
  return value;
}

// ±HH:MM, with :SS only for the odd local-mean-time offsets of old dates.
std::string offset_text(std::int64_t offset) {
  const auto a = static_cast<int>(offset < 0 ? -offset : offset);
  std::string text = printf_string("%c%02d:%02d", offset < 0 ? '-' : '+', a / 3600, a / 60 % 60);
  return a % 60 != 0 ? text + printf_string(":%02d", a % 60) : text;
}

// Seconds east of UTC of a "Z", "±HH:MM" or "±HHMM" suffix.
std::optional<std::int64_t> parse_offset(std::string_view text) {
  if (text == "Z" || text == "z") return 0;
  if ((text.size() != 6 && text.size() != 5) || (text[0] != '+' && text[0] != '-'))
    return std::nullopt;
  const auto hours = digits(text, 1, 2);
  const auto minutes = digits(text, text.size() == 6 ? 4 : 3, 2);
  if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
  if (text.size() == 6 && text[3] != ':') return std::nullopt;
  const std::int64_t seconds = *hours * 3600 + *minutes * 60;
  return text[0] == '-' ? -seconds : seconds;
}

bool is_integer_text(std::string_view text) {
  const std::size_t sign = !text.empty() && (text[0] == '-' || text[0] == '+');
  return text.size() > sign && text.find_first_not_of("0123456789", sign) == std::string_view::npos;
}

}  // namespace

std::optional<std::int64_t> parse_date(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = digits(text, 0, 4);
  const auto month = digits(text, 5, 2);
  const auto day = digits(text, 8, 2);
  if (!year || !month || !day) return std::nullopt;
  const date::year_month_day ymd{date::year{*year}, date::month(static_cast<unsigned>(*month)),
                                 date::day(static_cast<unsigned>(*day))};
  if (!ymd.ok()) return std::nullopt;
  return date::sys_days{ymd}.time_since_epoch().count();
}

std::string date_text(std::int64_t day) {
  return date::format("%F", date::sys_days{date::days{day}});
}

std::string clock_text(const LocalTime& local) {
  return printf_string("%02d:%02d", static_cast<int>(local.second / 3600),
                       static_cast<int>(local.second / 60 % 60));
}

std::string iso_text(std::int64_t t, const Zone& zone) {
  const LocalTime local = zone.local(t);
  return date_text(local.day) + "T" + clock_text(local) +
         printf_string(":%02d", static_cast<int>(local.second % 60)) +
         (zone.is_utc() ? "Z" : offset_text(local.offset));
}

std::optional<std::int64_t> parse_instant(std::string_view text, const Zone& zone,
                                          std::int64_t now) {
  if (text == "now") return now;
  std::optional<std::int64_t> t;
  if (is_integer_text(text)) {
    std::int64_t value = 0;
    const char* first = text.data() + (text[0] == '+');
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (ec == std::errc{} && end == text.data() + text.size()) t = value;
  } else if (text.size() >= 16 && (text[10] == 'T' || text[10] == 't' || text[10] == ' ')) {
    // YYYY-MM-DDTHH:MM, then :SS, then Z or an offset, or nothing: the zone's clock.
    const auto day = parse_date(text.substr(0, 10));
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    if (!day || !hour || !minute || text[13] != ':' || *hour > 23 || *minute > 59)
      return std::nullopt;
    std::size_t pos = 16;
    int second = 0;
    if (text.size() >= 19 && text[16] == ':') {
      const auto s = digits(text, 17, 2);
      if (!s || *s > 59) return std::nullopt;
      second = *s;
      pos = 19;
    }
    const std::int64_t reading = *day * 86400 + *hour * 3600 + *minute * 60 + second;
    const std::string_view rest = text.substr(pos);
    if (rest.empty()) {
      t = zone.from_local(reading);
    } else if (const auto offset = parse_offset(rest)) {
      t = reading - *offset;
    }
  }
  if (!t || *t < MIN_INSTANT || *t > MAX_INSTANT) return std::nullopt;
  return t;
}

}  // namespace nerith::cli
