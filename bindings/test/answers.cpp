// Prints the answers of both libraries to one fixed set of calls: every
// query function, at ports and gauges of each coast, on dates from 1950 to 2080,
// with the 91-day range at FR-ROSCOFF that catches the rare last-bit
// differences of libm's cos. One line per call:
//   <library> TAB <kind> TAB <label> TAB <status code> TAB <result hex> TAB <error hex>
// where library is builtin or full and kind tells compare_answers.py how to
// decode the result. Run on each CPU (natively, under qemu-user), the outputs
// are compared field by field by that script.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "libraries.hpp"
#include "nerith_uniffi.h"

namespace {

using nerith::uniffi::testing::BufferFunctions;
using nerith::uniffi::testing::kFullQueries;
using nerith::uniffi::testing::kNerithQueries;
using nerith::uniffi::testing::QueryFunctions;
using Bytes = std::vector<std::uint8_t>;

struct Answer {
  int code = 0;
  Bytes result;
  Bytes error;
};

RustBuffer lend(const BufferFunctions& library, std::string_view text) {
  RustCallStatus status{};
  return library.from_bytes(
      {static_cast<std::int32_t>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data())},
      &status);
}

Bytes take(const BufferFunctions& library, RustBuffer buffer) {
  Bytes bytes(buffer.data, buffer.data + (buffer.data == nullptr ? 0 : buffer.len));
  RustCallStatus status{};
  library.free(buffer, &status);
  return bytes;
}

Answer finish(const BufferFunctions& library, RustCallStatus& status, RustBuffer result) {
  Bytes error = take(library, status.error_buf);
  return {status.code, take(library, result), std::move(error)};
}

struct Call {
  std::string library;
  std::string kind;  // list, get, search, height, day, range, windows or add
  std::string label;
  std::function<Answer()> run;
};

// The calls both libraries answer alike, for one of them.
class Calls {
 public:
  Calls(std::string name, const QueryFunctions& library, std::vector<Call>& out)
      : name_(std::move(name)), library_(&library), out_(out) {}

  void list() {
    add("list", "list", [](const QueryFunctions& l, RustCallStatus& s) { return l.list(&s); });
  }
  void search(std::string query) {
    add("search", query, [query](const QueryFunctions& l, RustCallStatus& s) {
      return l.search(lend(l.buffers, query), &s);
    });
  }
  void get(std::string id) {
    add("get", id, [id](const QueryFunctions& l, RustCallStatus& s) {
      return l.get(lend(l.buffers, id), &s);
    });
  }
  void height(std::string id, std::int64_t t) {
    const QueryFunctions* library = library_;
    out_.push_back({name_, "height", id + " " + std::to_string(t), [library, id, t] {
                      RustCallStatus status{};
                      const double h = library->height_at(lend(library->buffers, id), t, &status);
                      Answer answer = finish(library->buffers, status, {0, 0, nullptr});
                      const auto bits = std::bit_cast<std::uint64_t>(h);
                      for (int shift = 56; shift >= 0; shift -= 8)
                        answer.result.push_back(static_cast<std::uint8_t>(bits >> shift));
                      return answer;
                    }});
  }
  void day(std::string id, std::string date) {
    add("day", id + " " + date, [id, date](const QueryFunctions& l, RustCallStatus& s) {
      return l.predict_day(lend(l.buffers, id), lend(l.buffers, date), &s);
    });
  }
  void range(std::string id, std::string first, std::string last) {
    add("range", id + " " + first + " " + last,
        [id, first, last](const QueryFunctions& l, RustCallStatus& s) {
          const BufferFunctions& b = l.buffers;
          return l.predict_range(lend(b, id), lend(b, first), lend(b, last), &s);
        });
  }
  // Water windows, the second library's own; side 1 is above, 2 below.
  void windows(std::string id, std::string first, std::string last, double level, int side) {
    add("windows",
        id + " " + first + " " + last + (side == 1 ? " above " : " below ") + std::to_string(level),
        [=](const QueryFunctions& l, RustCallStatus& s) {
          const BufferFunctions& b = l.buffers;
          const char variant[] = {0, 0, 0, static_cast<char>(side)};
          return l.water_windows(lend(b, id), lend(b, first), lend(b, last), level,
                                 lend(b, {variant, 4}), &s);
        });
  }

 private:
  template <class Function>
  void add(std::string kind, std::string label, Function function) {
    const QueryFunctions* library = library_;
    out_.push_back({name_, std::move(kind), std::move(label), [library, function] {
                      RustCallStatus status{};
                      const RustBuffer result = function(*library, status);
                      return finish(library->buffers, status, result);
                    }});
  }

  std::string name_;
  const QueryFunctions* library_;  // one of the tables, which live as long as the program
  std::vector<Call>& out_;
};

constexpr std::int64_t kInstants[] = {-631152000, 1710072000, 3471292800};  // 1950, 2024, 2080
const char* const kDates[] = {"1950-06-21", "2024-03-10", "2080-12-31"};

// A custom port of the first library, its constants unlike any built-in one.
Bytes custom_port() {
  Bytes out;
  auto put = [&](std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
      out.push_back(static_cast<std::uint8_t>(value >> shift));
  };
  auto text = [&](std::string_view t) {
    put(t.size(), 4);
    out.insert(out.end(), t.begin(), t.end());
  };
  auto number = [&](double value) { put(std::bit_cast<std::uint64_t>(value), 8); };
  text("CROSS-CPU");
  text("Quai de comparaison");
  number(47.25);
  number(-2.75);
  number(3.4);
  out.push_back(1);
  put(3, 4);
  for (const auto& [name, amplitude, phase] :
       {std::tuple{"M2", 1.8, 97.5}, std::tuple{"S2", 0.61, 133.0}, std::tuple{"K1", 0.07, 71.0}}) {
    text(name);
    number(amplitude);
    number(phase);
  }
  return out;
}

std::vector<Call> built_in_calls() {
  std::vector<Call> calls;
  Calls c("builtin", kNerithQueries, calls);
  c.list();
  for (const char* query : {"brest", "saint", "golfe du morbihan", "\xC3\x89TEL", ""})
    c.search(query);
  for (const char* id : {"FR-BREST", "FR-ROSCOFF", "FR-PORT-TUDY", "FR-LE-HAVRE", "fr-brest"})
    c.get(id);
  calls.push_back({"builtin", "add", "CROSS-CPU", [] {
                     RustCallStatus status{};
                     const Bytes port = custom_port();
                     RustCallStatus lent{};
                     uniffi_nerith_uniffi_fn_func_add_custom_port(
                         kNerithQueries.buffers.from_bytes(
                             {static_cast<std::int32_t>(port.size()), port.data()}, &lent),
                         &status);
                     return finish(kNerithQueries.buffers, status, {0, 0, nullptr});
                   }});
  for (const char* id : {"FR-BREST", "FR-SAINT-MALO", "FR-DUNKERQUE", "FR-BAYONNE", "CROSS-CPU"}) {
    for (const std::int64_t t : kInstants) c.height(id, t);
  }
  c.height("XX", 0);
  for (const char* id : {"FR-BREST", "FR-LE-HAVRE", "FR-ARCACHON", "FR-ETEL", "CROSS-CPU"}) {
    for (const char* date : kDates) c.day(id, date);
  }
  c.day("FR-BREST", "2024-02-30");
  c.range("FR-ROSCOFF", "2024-01-01", "2024-03-31");
  c.range("FR-BREST", "2024-02-28", "2024-03-01");
  c.range("FR-SAINT-NAZAIRE", "1999-12-30", "2000-01-02");
  c.range("FR-BREST", "2024-03-12", "2024-03-11");
  return calls;
}

std::vector<Call> full_calls() {
  std::vector<Call> calls;
  Calls c("full", kFullQueries, calls);
  c.list();
  for (const char* query : {"saint", "nice", "\xC3\xAEle", ""}) c.search(query);
  for (const char* id : {"FR-LE-CONQUET", "FR-PAPEETE", "FR-MARSEILLE", "fr-brest"}) c.get(id);
  for (const char* id : {"FR-BREST", "FR-LE-CONQUET", "FR-MARSEILLE", "FR-PAPEETE"}) {
    for (const std::int64_t t : kInstants) c.height(id, t);
  }
  c.height("XX", 0);
  for (const char* id : {"FR-BREST", "FR-SAINT-MALO", "FR-NICE", "FR-PAPEETE", "FR-KERGUELEN"}) {
    for (const char* date : kDates) c.day(id, date);
  }
  c.day("FR-NICE", "2024-02-30");
  c.range("FR-ROSCOFF", "2024-01-01", "2024-03-31");
  c.range("FR-PAPEETE", "2024-03-10", "2024-03-16");
  c.range("FR-MARSEILLE", "2024-12-30", "2025-01-01");
  c.range("FR-BREST", "2024-03-12", "2024-03-11");
  c.windows("FR-SAINT-MALO", "2024-03-10", "2024-03-16", 8.5, 1);
  c.windows("FR-BREST", "1950-06-21", "1950-06-22", 3.0, 2);
  c.windows("FR-PAPEETE", "2080-12-30", "2080-12-31", 0.3, 1);
  return calls;
}

void print_hex(const Bytes& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * bytes.size());
  for (const std::uint8_t byte : bytes) {
    text.push_back(digits[byte >> 4]);
    text.push_back(digits[byte & 15]);
  }
  std::fputs(text.c_str(), stdout);
}

}  // namespace

int main() {
  std::vector<Call> calls = built_in_calls();
  for (Call& call : full_calls()) calls.push_back(std::move(call));
  for (const Call& call : calls) {
    const Answer answer = call.run();
    std::printf("%s\t%s\t%s\t%d\t", call.library.c_str(), call.kind.c_str(), call.label.c_str(),
                answer.code);
    print_hex(answer.result);
    std::fputs("\t", stdout);
    print_hex(answer.error);
    std::fputs("\n", stdout);
  }
  return 0;
}
