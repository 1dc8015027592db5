#include "timezone.hpp"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <stdexcept>

namespace nerith::cli {
namespace {

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0));
}

std::int64_t days_from_civil(int year, unsigned month, unsigned day) {
  using namespace std::chrono;
  return sys_days{std::chrono::year{year} / month / day}.time_since_epoch().count();
}

std::chrono::year_month_day civil_from_days(std::int64_t day) {
  return std::chrono::year_month_day{std::chrono::sys_days{std::chrono::days{day}}};
}

// Points the C library's local time at this zone; re-read only on change.
void select_zone(const std::string& name) {
  static std::string selected;
  if (selected == name) return;
  const std::string value = ":" + name;
  setenv("TZ", value.c_str(), 1);
  tzset();
  selected = name;
}

std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::string two_digits(std::int64_t n) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", static_cast<int>(n));
  return buffer;
}

// ±HH:MM, with :SS only for the odd local-mean-time offsets of old dates.
std::string offset_text(std::int64_t offset) {
  const std::int64_t a = offset < 0 ? -offset : offset;
  std::string text =
      (offset < 0 ? "-" : "+") + two_digits(a / 3600) + ":" + two_digits(a / 60 % 60);
  if (a % 60 != 0) text += ":" + two_digits(a % 60);
  return text;
}

// Seconds east of UTC of an "Z", "±HH:MM" or "±HHMM" suffix.
std::optional<std::int64_t> parse_offset(std::string_view text) {
  if (text == "Z" || text == "z") return 0;
  if (text.size() != 6 && text.size() != 5) return std::nullopt;
  if (text[0] != '+' && text[0] != '-') return std::nullopt;
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

std::expected<Zone, std::string> Zone::locate(std::string_view name) {
  if (name == "UTC") return Zone{};
  const std::string error =
      "unknown time zone '" + std::string(name) + "' (expected an IANA name such as Europe/Paris)";
  // Plain zone names only: no absolute paths, no dots (so no "..").
  if (name.empty() || name.size() > 128 || name.front() == '/' || name.starts_with("right/"))
    return std::unexpected(error);
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '/' || c == '_' || c == '+' || c == '-';
    if (!ok) return std::unexpected(error);
  }
  const char* dir = std::getenv("TZDIR");
  const std::string path =
      std::string(dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo") + "/" +
      std::string(name);
  std::ifstream file(path, std::ios::binary);
  char magic[4] = {};
  if (!file.read(magic, sizeof magic) || std::string_view(magic, sizeof magic) != "TZif")
    return std::unexpected(error);
  return Zone{std::string(name)};
}

LocalTime Zone::local(std::int64_t t) const {
  if (is_utc()) {
    const std::int64_t day = floor_div(t, 86400);
    return {day, t - day * 86400, 0, "UTC"};
  }
  select_zone(name_);
  // Where time_t has 32 bits (32-bit Android), an instant past 2038 would wrap.
  const auto time = static_cast<std::time_t>(t);
  std::tm tm{};
  if (static_cast<std::int64_t>(time) != t || localtime_r(&time, &tm) == nullptr) {
    throw std::runtime_error("time out of range");
  }
  LocalTime local;
  local.day = days_from_civil(tm.tm_year + 1900, static_cast<unsigned>(tm.tm_mon + 1),
                              static_cast<unsigned>(tm.tm_mday));
  local.second = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
  local.offset = tm.tm_gmtoff;
  local.abbreviation = tm.tm_zone != nullptr ? tm.tm_zone : "";
  return local;
}

std::int64_t Zone::from_local(std::int64_t local_seconds) const {
  if (is_utc()) return local_seconds;
  const auto reading = [this](std::int64_t t) { return t + local(t).offset; };
  // The offsets in force a day either side cover any transition near the
  // reading; of the instants they give, keep the earliest that reads right.
  std::optional<std::int64_t> best;
  for (const std::int64_t probe : {local_seconds - 86400, local_seconds, local_seconds + 86400}) {
    const std::int64_t t = local_seconds - local(probe).offset;
    if (reading(t) == local_seconds && (!best || t < *best)) best = t;
  }
  if (best) return *best;
  // A skipped reading: the first instant whose reading is later. Offsets stay
  // within a day, so the answer lies in this bracket.
  std::int64_t lo = local_seconds - 2 * 86400;
  std::int64_t hi = local_seconds + 2 * 86400;
  while (hi - lo > 1) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    (reading(mid) >= local_seconds ? hi : lo) = mid;
  }
  return hi;
}

std::int64_t Zone::today() const {
  const auto now = std::chrono::duration_cast<std::chrono::seconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return local(now.count()).day;
}

std::optional<std::int64_t> parse_date(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = digits(text, 0, 4);
  const auto month = digits(text, 5, 2);
  const auto day = digits(text, 8, 2);
  if (!year || !month || !day) return std::nullopt;
  const std::chrono::year_month_day ymd{std::chrono::year{*year},
                                        std::chrono::month{static_cast<unsigned>(*month)},
                                        std::chrono::day{static_cast<unsigned>(*day)}};
  if (!ymd.ok()) return std::nullopt;
  return days_from_civil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day));
}

std::string date_text(std::int64_t day) {
  const auto ymd = civil_from_days(day);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
  return buffer;
}

std::string clock_text(const LocalTime& local) {
  return two_digits(local.second / 3600) + ":" + two_digits(local.second / 60 % 60);
}

std::string iso_text(std::int64_t t, const Zone& zone) {
  const LocalTime local = zone.local(t);
  return date_text(local.day) + "T" + clock_text(local) + ":" + two_digits(local.second % 60) +
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
