#include "timezone.hpp"

#include <date/tz.h>

// date 3.0.1's ptz.h names hh_mm_ss once unqualified, under both `using
// namespace date` and `using namespace std::chrono`: since C++20 has its own
// hh_mm_ss that is ambiguous, so the macro points that one use at date's.
namespace date {
template <class Duration>
using date_hh_mm_ss = hh_mm_ss<Duration>;
}  // namespace date
#define hh_mm_ss date_hh_mm_ss
#include <date/ptz.h>
#undef hh_mm_ss

#include <chrono>
#include <fstream>
#include <iterator>

namespace nerith::cli {
namespace {

using std::chrono::seconds;

// date/tz's answer for an instant or reading after the last transition its
// zone file lists: the end of time.
bool unbounded(const date::sys_info& info) {
  return info.end >= date::sys_days{date::year{10000} / 1 / 1};
}

// The POSIX TZ rule a zone file closes with (its last line), for the years
// after its last transition, which date/tz does not apply; none if the file
// has none or the rule does not read.
std::shared_ptr<const Posix::time_zone> closing_rule(const std::string& name) {
  std::ifstream file("/usr/share/zoneinfo/" + name, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(file), {}};
  const std::size_t end = text.size() - 1;
  if (text.size() < 2 || text[end] != '\n') return nullptr;
  const std::size_t begin = text.rfind('\n', end - 1);
  if (begin == std::string::npos || begin + 1 == end) return nullptr;
  try {
    return std::make_shared<const Posix::time_zone>(text.substr(begin + 1, end - begin - 1));
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

std::expected<Zone, std::string> Zone::locate(std::string_view name) {
  if (name == "UTC") return Zone{};
  Zone zone;
  try {
    zone.zone_ = date::locate_zone(name);
  } catch (const std::exception&) {
    return std::unexpected("unknown time zone '" + std::string(name) +
                           "' (expected an IANA name such as Europe/Paris)");
  }
  zone.rule_ = closing_rule(zone.zone_->name());
  return zone;
}

std::string Zone::name() const {
  return is_utc() ? "UTC" : zone_->name();
}

LocalTime Zone::local(std::int64_t t) const {
  date::sys_info info{{}, {}, seconds{0}, {}, "UTC"};
  if (!is_utc()) {
    const date::sys_seconds instant{seconds{t}};
    info = zone_->get_info(instant);
    if (rule_ && unbounded(info)) info = rule_->get_info(instant);
  }
  const std::int64_t reading = t + info.offset.count();
  const std::int64_t day =
      date::floor<date::days>(date::sys_seconds{seconds{reading}}).time_since_epoch().count();
  return {day, reading - day * 86400, info.offset.count(), info.abbrev};
}

std::int64_t Zone::from_local(std::int64_t local_seconds) const {
  if (is_utc()) return local_seconds;
  const date::local_seconds reading{seconds{local_seconds}};
  date::local_info info = zone_->get_info(reading);
  if (rule_ && info.result == date::local_info::unique && unbounded(info.first))
    info = rule_->get_info(reading);
  // A skipped reading: the instant the clocks jump. Otherwise the first
  // instant that reads so (before the clocks go back, if they do).
  if (info.result == date::local_info::nonexistent)
    return info.second.begin.time_since_epoch().count();
  return local_seconds - info.first.offset.count();
}

std::int64_t Zone::today() const {
  const auto now = std::chrono::floor<seconds>(std::chrono::system_clock::now());
  return local(now.time_since_epoch().count()).day;
}

}  // namespace nerith::cli
