// Arbitrary bytes as the text arguments of the queries that take text (get,
// height_at, predict_day, predict_range, search, and the second library's
// water_windows), each argument in any buffer a caller may pass (made by
// from_bytes, by alloc and reserve, empty, all-zero, shortened) or in a
// malformed one, against either library (the
// target it is linked with). Every answer is checked against an oracle: the
// ids the library lists and the dates the core's own reader accepts, which
// both models share.
//
// A range longer than a few days is skipped: a real long range is slow, not
// faulty, and has its own test.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "harness.hpp"
#include "nerith/api.hpp"

namespace {

using namespace nerith::fuzz;

constexpr std::int64_t kLongestRange = 3;  // days

std::set<std::string>& known_ids() {
  static std::set<std::string> ids;
  return ids;
}

const QueryFunctions& library() {
  return target().queries;
}

// One text argument and the buffer that carries it.
struct Argument {
  RustBuffer buffer;
  std::string text;            // what the library must read
  const char* malformed;       // the refusal expected, or nullptr
  std::uint64_t true_len = 0;  // for a buffer whose length was raised past its capacity
};

Argument argument(FuzzedDataProvider& in) {
  std::string text = in.ConsumeRandomLengthString(64);
  switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0:
      return {{0, 0, nullptr}, "", nullptr};  // all zero: the empty text
    case 1: {
      RustCallStatus status{};
      const RustBuffer empty = library().buffers.alloc(0, &status);
      require(settle(status).code == 0, "alloc(0) failed");
      return {empty, "", nullptr};
    }
    case 2: {
      // Lowered as generated bindings do: alloc, length 0, reserve, write.
      RustCallStatus status{};
      RustBuffer buffer = library().buffers.alloc(in.ConsumeIntegralInRange(0, 16), &status);
      buffer.len = 0;
      buffer = library().buffers.reserve(buffer, text.size(), &status);
      require(settle(status).code == 0, "reserve failed");
      if (!text.empty()) std::memcpy(buffer.data, text.data(), text.size());
      buffer.len = text.size();
      return {buffer, text, nullptr};
    }
    case 3: {
      // A shorter length than the bytes written: only those are the text.
      RustBuffer buffer = lend(text);
      buffer.len = in.ConsumeIntegralInRange<std::uint64_t>(0, buffer.len);
      return {buffer, text.substr(0, buffer.len), nullptr};
    }
    case 4:
      return {{0, in.ConsumeIntegralInRange<std::uint64_t>(1, 1 << 20), nullptr},
              "",
              "null RustBuffer had non-zero length"};
    case 5:
      return {{in.ConsumeIntegralInRange<std::uint64_t>(1, 1 << 20),
               in.ConsumeIntegral<std::uint64_t>(), nullptr},
              "",
              "null RustBuffer had non-zero capacity"};
    case 6: {
      RustBuffer buffer = lend(text);
      const std::uint64_t true_len = buffer.len;
      buffer.len = buffer.capacity + in.ConsumeIntegralInRange<std::uint64_t>(1, 1 << 20);
      return {buffer, "", "RustBuffer length exceeds capacity", true_len};
    }
    default:
      return {lend(text), text, nullptr};
  }
}

// A malformed buffer is not taken over: the caller still owns it.
void reclaim(Argument& arg) {
  if (arg.malformed == nullptr || arg.buffer.data == nullptr) return;
  arg.buffer.len = arg.true_len;
  take(arg.buffer);
}

// The refusal of the first malformed argument, in signature order.
const char* first_malformed(std::initializer_list<const Argument*> args) {
  for (const Argument* arg : args) {
    if (arg->malformed != nullptr) return arg->malformed;
  }
  return nullptr;
}

bool known(const std::string& id) {
  return known_ids().contains(id);
}

std::optional<std::int64_t> day_start(const std::string& date) {
  const auto bounds = nerith::api::day_bounds_utc(date);
  if (!bounds) return std::nullopt;
  return bounds->first;
}

// What a call must have answered when one of its arguments was malformed or
// when the oracle expects a TideError; true when a result is to be read.
bool answered(const RustCallStatus& status, const char* malformed, std::optional<TideError> error,
              bool zero_result) {
  const Failure failure = settle(status);
  if (malformed != nullptr) {
    require(failure.code == 2 && failure.message() == malformed,
            "a malformed argument was not refused with its message");
    require(zero_result, "a refused call returned something");
    return false;
  }
  if (error) {
    require(failure.code == 1, "an expected TideError was not reported");
    require(read_tide_error(failure.error) == *error, "the wrong TideError");
    require(zero_result, "a failed call returned something");
    return false;
  }
  require(failure.code == 0, "a well-formed call failed");
  return true;
}

void get(FuzzedDataProvider& in) {
  Argument id = argument(in);
  RustCallStatus status{};
  const RustBuffer result = library().get(id.buffer, &status);
  if (answered(status, id.malformed, std::nullopt, is_zero(result))) {
    const Bytes bytes = take(result);
    Reader port(bytes);
    require(port.boolean() == known(id.text), "get disagrees with the list");
    if (known(id.text)) {
      require(target().read_station(port) == id.text, "get answered another station");
    }
    require(port.remaining() == 0, "bytes left after an optional station");
  }
  reclaim(id);
}

void height_at(FuzzedDataProvider& in) {
  Argument id = argument(in);
  const auto t = in.ConsumeIntegral<std::int64_t>();
  RustCallStatus status{};
  const double height = library().height_at(id.buffer, t, &status);
  std::optional<TideError> error;
  if (!known(id.text)) error = TideError{1, id.text};
  answered(status, id.malformed, error, std::bit_cast<std::uint64_t>(height) == 0);
  reclaim(id);
}

void predict_day(FuzzedDataProvider& in) {
  Argument id = argument(in);
  Argument date = argument(in);
  const std::optional<std::int64_t> start = day_start(date.text);
  std::optional<TideError> error;
  if (!known(id.text)) {
    error = TideError{1, id.text};
  } else if (!start) {
    error = TideError{2, date.text};
  }
  RustCallStatus status{};
  const RustBuffer result = library().predict_day(id.buffer, date.buffer, &status);
  if (answered(status, first_malformed({&id, &date}), error, is_zero(result))) {
    const Bytes bytes = take(result);
    Reader day(bytes);
    read_day(day, id.text, date.text, *start);
    require(day.remaining() == 0, "bytes left after a DayPrediction");
  }
  reclaim(id);
  reclaim(date);
}

// The two dates of a range call, read first: a call skipped as too long
// leaves no buffer behind.
struct RangeDates {
  std::string first_text, last_text;
  std::optional<std::int64_t> s0, s1;

  explicit RangeDates(FuzzedDataProvider& in)
      : first_text(in.ConsumeRandomLengthString(32)),
        last_text(in.ConsumeRandomLengthString(32)),
        s0(day_start(first_text)),
        s1(day_start(last_text)) {}

  bool too_long() const { return s0 && s1 && *s0 <= *s1 && (*s1 - *s0) / 86400 >= kLongestRange; }

  // The TideError a range call must report: the dates are read before the port.
  std::optional<TideError> error(const std::string& id) const {
    if (!s0) return TideError{2, first_text};
    if (!s1) return TideError{2, last_text};
    if (*s0 > *s1) return TideError{2, first_text + " > " + last_text};
    if (!known(id)) return TideError{1, id};
    return std::nullopt;
  }
};

void predict_range(FuzzedDataProvider& in) {
  const RangeDates dates(in);
  if (dates.too_long()) return;
  const auto& [first_text, last_text, s0, s1] = dates;

  Argument id = argument(in);
  const bool malformed_dates = in.ConsumeIntegralInRange(0, 15) == 0;
  Argument first{lend(first_text), first_text, nullptr};
  Argument last{lend(last_text), last_text, nullptr};
  if (malformed_dates) {
    last.true_len = last.buffer.len;
    last.buffer.len = last.buffer.capacity + 1;
    last.malformed = "RustBuffer length exceeds capacity";
  }
  const std::optional<TideError> error = dates.error(id.text);
  RustCallStatus status{};
  const RustBuffer result = library().predict_range(id.buffer, first.buffer, last.buffer, &status);
  if (answered(status, first_malformed({&id, &first, &last}), error, is_zero(result))) {
    const Bytes bytes = take(result);
    Reader days(bytes);
    const std::int64_t count = (*s1 - *s0) / 86400 + 1;
    require(days.count() == count, "a range with the wrong number of days");
    for (std::int64_t d = 0; d < count; ++d) {
      const std::int64_t start = *s0 + 86400 * d;
      const std::string date =
          nerith::api::format_date(nerith::api::civil_from_days(start / 86400));
      read_day(days, id.text, date, start);
    }
    require(days.remaining() == 0, "bytes left after a range");
  }
  reclaim(id);
  reclaim(first);
  reclaim(last);
}

// A lowered sequence of water windows, checked against any range's rules:
// inside [start, end), each at least a second long, in time order, open ends
// only at the range's ends. Returns their total duration.
std::int64_t read_windows(std::span<const std::uint8_t> bytes, std::int64_t start,
                          std::int64_t end) {
  Reader in(bytes);
  std::int64_t total = 0;
  std::int64_t previous = start;
  for (std::int32_t n = in.count(); n > 0; --n) {
    const std::int64_t from = in.i64();
    const std::int64_t to = in.i64();
    const bool open_start = in.boolean();
    const bool open_end = in.boolean();
    require(from >= previous && from < to && to <= end, "windows out of the range or of order");
    require(!open_start || from == start, "an open start inside the range");
    require(!open_end || to == end, "an open end inside the range");
    total += to - from;
    previous = to;
  }
  require(in.remaining() == 0, "bytes left after the windows");
  return total;
}

// The side's lowered bytes: a variant (1 above, 2 below) or arbitrary bytes.
std::string side_bytes(std::int32_t variant) {
  std::string bytes(4, '\0');
  bytes[3] = static_cast<char>(variant);
  return bytes;
}

// Water windows, the second library's own: the dates as a range's, any
// double as the level or one the tide crosses, any bytes as the side. A
// readable call is made on the other side too: the two must tile the range.
void water_windows(FuzzedDataProvider& in) {
  const RangeDates dates(in);
  if (dates.too_long()) return;
  const auto& [first_text, last_text, s0, s1] = dates;

  Argument id = argument(in);
  const double level = in.ConsumeBool()
                           ? in.ConsumeFloatingPointInRange(-2.0, 12.0)
                           : std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
  const std::int32_t variant = in.ConsumeIntegralInRange(0, 2);  // 0: arbitrary bytes
  const std::string side = variant == 0 ? in.ConsumeRandomLengthString(8) : side_bytes(variant);
  const bool readable_side = side == side_bytes(1) || side == side_bytes(2);

  // The level is read before the dates.
  const std::optional<TideError> error =
      std::isnan(level) ? TideError{3, "NaN"} : dates.error(id.text);
  auto call = [&](RustBuffer id_buffer, const std::string& side_text, RustCallStatus& status) {
    return library().water_windows(id_buffer, lend(first_text), lend(last_text), level,
                                   lend(side_text), &status);
  };
  RustCallStatus status{};
  const RustBuffer result = call(id.buffer, side, status);
  if (id.malformed == nullptr && !readable_side) {
    const Failure failure = settle(status);
    require(failure.code == 2 && failure.message().starts_with("Failed to convert arg 'side': "),
            "an unreadable side was not refused");
    require(is_zero(result), "a refused call returned something");
  } else if (answered(status, id.malformed, error, is_zero(result))) {
    const std::int64_t start = *s0;
    const std::int64_t end = *s1 + 86400;
    const std::int64_t kept = read_windows(take(result), start, end);
    RustCallStatus other{};
    const RustBuffer rest = call(lend(id.text), side_bytes(side == side_bytes(1) ? 2 : 1), other);
    require(settle(other).code == 0, "the other side failed");
    require(kept + read_windows(take(rest), start, end) == end - start,
            "the two sides do not tile the range");
  }
  reclaim(id);
}

void search(FuzzedDataProvider& in) {
  Argument query = argument(in);
  RustCallStatus status{};
  const RustBuffer result = library().search(query.buffer, &status);
  if (answered(status, query.malformed, std::nullopt, is_zero(result))) {
    const std::vector<std::string> ids = read_stations(take(result));
    for (const std::string& id : ids) require(known(id), "search found an unknown station");
    // The empty query matches every station.
    require(!query.text.empty() || ids.size() == known_ids().size(),
            "search with an empty query missed stations");
  }
  reclaim(query);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  target().prepare();
  RustCallStatus status{};
  const Bytes listed = take(library().list(&status));
  require(settle(status).code == 0, "list failed");
  for (std::string& id : read_stations(listed)) known_ids().insert(std::move(id));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  for (int call = 0; call < 8 && in.remaining_bytes() > 0; ++call) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0:
        get(in);
        break;
      case 1:
        height_at(in);
        break;
      case 2:
        predict_day(in);
        break;
      case 3:
        predict_range(in);
        break;
      case 4:
        search(in);
        break;
      default:
        if (library().water_windows != nullptr) water_windows(in);
        break;
    }
  }
  return 0;
}
