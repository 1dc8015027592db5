// A bounded barrage of random calls through both libraries at once, loaded
// side by side as an app loads them: eight threads, each with its own seeded
// generator, call every function with valid, mutated and random texts in
// well-formed and malformed buffers. Whatever the input, every call ends with
// status 0, 1 or 2 and a status and result that follow the contract, and the
// process survives; in the ASan pass LeakSanitizer checks that nothing the
// libraries hand out is lost (every buffer is freed here).
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "client.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

constexpr int kCallsPerThread = 1500;

// Texts the libraries know, and near misses: the seeds of mutation.
// BARRAGE-7 is one of the custom ports the barrage adds, often from mutated
// bytes.
constexpr std::array<std::string_view, 17> kTexts = {"FR-BREST",    "FR-LE-CONQUET",
                                                     "FR-PAPEETE",  "FR-ROSCOFF",
                                                     "fr-brest",    "",
                                                     "2024-03-10",  "2024-2-29",
                                                     "2026-13-01",  "+2147483647-12-31",
                                                     "-0001-01-01", "saint",
                                                     "\xC3\xAEle",  "\xC4\xB0zmir",
                                                     "\xFF\xFE",    "FR-",
                                                     "BARRAGE-7"};

// Ranges stay within a few days whatever happens to their buffers: a date
// cut short is a prefix, which is either invalid or earlier in the month.
constexpr std::array<std::array<std::string_view, 2>, 4> kRanges = {{
    {"2024-03-10", "2024-03-12"},
    {"2024-03-12", "2024-03-10"},
    {"2024-02-28", "2024-03-01"},
    {"2024-12-31", "2025-01-01"},
}};

// What one thread saw: the calls that broke the contract, and how many
// calls of each library ended with each status code.
struct Tally {
  std::vector<std::string> faults;
  std::array<std::array<int, 3>, 2> codes{};
};

// A buffer handed to a call. A malformed one is refused without being taken
// over, so it is freed afterwards with its true length.
struct Argument {
  RustBuffer buffer;
  bool malformed = false;
  std::uint64_t true_len = 0;
};

class Barrage {
 public:
  explicit Barrage(int thread) : random_(0x9E3779B97F4A7C15u * (thread + 1)) {}

  void run(Tally& tally) {
    for (int call = 0; call < kCallsPerThread; ++call) one_call(tally);
  }

 private:
  std::uint64_t below(std::uint64_t n) { return random_() % n; }

  Bytes random_bytes(std::size_t most) {
    Bytes bytes(below(most + 1));
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random_());
    return bytes;
  }

  // A copy of `bytes` with a few random edits: bytes changed, inserted,
  // removed, or the end cut off.
  Bytes mutated(Bytes bytes) {
    for (std::uint64_t edits = 1 + below(3); edits > 0; --edits) {
      const std::size_t at = below(bytes.size() + 1);
      const auto byte = static_cast<std::uint8_t>(random_());
      switch (below(4)) {
        case 0:
          if (at < bytes.size()) bytes[at] = byte;
          break;
        case 1:
          bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), byte);
          break;
        case 2:
          if (at < bytes.size()) bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at));
          break;
        default:
          bytes.resize(at);
          break;
      }
    }
    return bytes;
  }

  Bytes text() {
    const Bytes known = bytes_of(kTexts[below(kTexts.size())]);
    switch (below(4)) {
      case 0:
        return random_bytes(24);
      case 1:
        return mutated(known);
      default:
        return known;
    }
  }

  // `bytes` in any buffer a caller may pass, or in a malformed one.
  Argument argument(const BufferFunctions& library, const Bytes& bytes) {
    RustCallStatus status{};
    switch (below(10)) {
      case 0:
        return {{0, 0, nullptr}};
      case 1: {
        // As generated bindings lower: alloc, length 0, reserve, write.
        RustBuffer buffer = library.alloc(below(16), &status);
        buffer.len = 0;
        buffer = library.reserve(buffer, bytes.size(), &status);
        if (!bytes.empty()) std::memcpy(buffer.data, bytes.data(), bytes.size());
        buffer.len = bytes.size();
        return {buffer};
      }
      case 2: {
        RustBuffer buffer = lend(library, bytes);
        buffer.len = below(buffer.len + 1);  // shortened
        return {buffer};
      }
      case 3:
        return {{0, 1 + below(1 << 20), nullptr}, true};
      case 4:
        return {{1 + below(1 << 20), random_(), nullptr}, true};
      case 5: {
        RustBuffer buffer = lend(library, bytes);
        const std::uint64_t true_len = buffer.len;
        buffer.len = buffer.capacity + 1 + below(1 << 20);
        return {buffer, true, true_len};
      }
      default:
        return {lend(library, bytes)};
    }
  }

  // A call's status and result against the contract; a refused malformed
  // argument goes back to the caller, who frees it.
  void settle(const BufferFunctions& library, RustCallStatus& status, bool zero_result,
              std::vector<Argument> arguments, std::size_t which, Tally& tally) {
    const auto fault = [&](std::string what) {
      tally.faults.push_back(std::string(library.crate) + ": " + std::move(what));
    };
    if (status.code < 0 || status.code > 2) {
      fault("status code " + std::to_string(status.code));
      return;
    }
    ++tally.codes[which][static_cast<std::size_t>(status.code)];
    if (status.code == 0 && !is_zero(status.error_buf)) fault("success wrote error_buf");
    if (status.code != 0 && (status.error_buf.len == 0 || !zero_result)) {
      fault("a failure without its error, or with a result");
    }
    if (status.code == 2 && status.error_buf.capacity != status.error_buf.len) {
      fault("a failure message that does not fill its buffer");
    }
    take(library, status.error_buf);
    for (Argument& arg : arguments) {
      if (!arg.malformed || arg.buffer.data == nullptr) continue;
      arg.buffer.len = arg.true_len;
      take(library, arg.buffer);
    }
  }

  void take_result(const BufferFunctions& library, RustBuffer result, Tally& tally) {
    if (result.len > result.capacity) {
      tally.faults.push_back(std::string(library.crate) + ": a result longer than its capacity");
      return;
    }
    take(library, result);
  }

  void one_call(Tally& tally) {
    const std::size_t which = below(2);
    const QueryFunctions& library = which == 0 ? kNerithQueries : kFullQueries;
    const BufferFunctions& buffers = library.buffers;
    RustCallStatus status{};
    RustBuffer result{0, 0, nullptr};
    std::vector<Argument> args;
    switch (below(which == 0 ? 7 : 6)) {
      case 0:
        result = library.list(&status);
        break;
      case 1:
        args = {argument(buffers, text())};
        result = library.search(args[0].buffer, &status);
        break;
      case 2:
        args = {argument(buffers, text())};
        result = library.get(args[0].buffer, &status);
        break;
      case 3: {
        args = {argument(buffers, text())};
        const auto t = static_cast<std::int64_t>(random_());
        const double height = library.height_at(args[0].buffer, t, &status);
        settle(buffers, status, std::bit_cast<std::uint64_t>(height) == 0, args, which, tally);
        return;
      }
      case 4:
        args = {argument(buffers, text()), argument(buffers, text())};
        result = library.predict_day(args[0].buffer, args[1].buffer, &status);
        break;
      case 5: {
        const auto& range = kRanges[below(kRanges.size())];
        args = {argument(buffers, text()), argument(buffers, bytes_of(range[0])),
                argument(buffers, bytes_of(range[1]))};
        result = library.predict_range(args[0].buffer, args[1].buffer, args[2].buffer, &status);
        break;
      }
      default: {
        // The first library's own function: a port's bytes, often mutated.
        const Bytes port = port_bytes("BARRAGE-" + std::to_string(below(100)));
        args = {argument(buffers, below(2) == 0 ? port : mutated(port))};
        uniffi_nerith_uniffi_fn_func_add_custom_port(args[0].buffer, &status);
        break;
      }
    }
    settle(buffers, status, is_zero(result), args, which, tally);
    take_result(buffers, result, tally);
  }

  std::mt19937_64 random_;
};

TEST(Barrage, RandomCallsFromEightThreadsThroughBothLibrariesKeepTheContract) {
  std::vector<Tally> tallies(kThreads);
  on_threads(kThreads, [&](int t) { Barrage(t).run(tallies[t]); });

  std::array<std::array<int, 3>, 2> codes{};
  int calls = 0;
  for (const Tally& tally : tallies) {
    for (std::size_t i = 0; i < tally.faults.size() && i < 10; ++i)
      ADD_FAILURE() << tally.faults[i];
    EXPECT_TRUE(tally.faults.empty()) << tally.faults.size() << " faults on one thread";
    for (std::size_t library = 0; library < 2; ++library) {
      for (std::size_t code = 0; code < 3; ++code) {
        codes[library][code] += tally.codes[library][code];
        calls += tally.codes[library][code];
      }
    }
  }
  EXPECT_EQ(calls, kThreads * kCallsPerThread);
  // Both libraries answered, failed as expected and refused malformed buffers.
  for (std::size_t library = 0; library < 2; ++library) {
    for (std::size_t code = 0; code < 3; ++code) {
      EXPECT_GT(codes[library][code], 50) << "library " << library << ", status " << code;
    }
  }
}

}  // namespace
}  // namespace nerith::uniffi::testing
