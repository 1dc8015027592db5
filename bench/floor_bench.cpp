// The floor of a prediction: a day is, at bottom, a fixed number of std::cos
// calls that bit-exact results cannot avoid. This binary counts them and
// times them, and sets the exported predict_range against them:
//   ratio = exported predict_range µs per day ÷ (cos calls per day × ns per cos)
// Both sides are timed back to back in every iteration, so that the load of
// the machine cancels out of the ratio; run with --benchmark_repetitions=5
// and read the median.
//
// The count: this binary is linked with -Wl,--wrap=cos, so that every cos
// call of the statically linked core goes through __wrap_cos below, which
// counts it and keeps its argument: the engine's own phases, converted to
// radians exactly as the engine converts them. The shipped library is not
// wrapped: its hot path pays nothing, and it is the one timed here.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include "nerith/api.hpp"
#include "nerith_uniffi.h"

extern "C" double __real_cos(double x);
extern "C" double __wrap_cos(double x);

namespace {

// What the wrapper records while `on`; the arguments only when `keep` is set.
struct CosLog {
  bool on = false;
  bool keep = false;
  std::uint64_t calls = 0;
  std::vector<double> arguments;
};
CosLog cos_log;

}  // namespace

extern "C" double __wrap_cos(double x) {
  if (cos_log.on) {
    ++cos_log.calls;
    if (cos_log.keep) cos_log.arguments.push_back(x);
  }
  return __real_cos(x);
}

namespace {

constexpr std::string_view kPort = "FR-BREST";
constexpr std::string_view kFirst = "2024-01-01";
constexpr std::string_view kLast = "2024-12-30";  // 365 days
constexpr double kRangeDays = 365.0;

// The thread's CPU time in seconds: the machine is shared, and time spent
// descheduled belongs to neither side of the ratio.
double cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The cos calls of one core call, with their arguments when `keep`.
template <class Call>
CosLog record(bool keep, Call&& call) {
  cos_log = CosLog{true, keep, 0, {}};
  call();
  CosLog log = std::move(cos_log);
  log.on = false;
  cos_log = CosLog{};
  return log;
}

struct Floor {
  double cos_per_day = 0;         // predict_range, 365 days
  double cos_per_single_day = 0;  // predict_day
  // The arguments of one predict_day, in call order. The floor replays them
  // from cache: the engine computes its phases in registers, so streaming a
  // whole range's arguments from memory would add a cost the engine has not.
  std::vector<double> arguments;
};

const Floor& floor_of_range() {
  static const Floor floor = [] {
    Floor f;
    CosLog day = record(true, [] {
      if (!nerith::api::predict_day(kPort, "2024-03-10")) std::abort();
    });
    f.cos_per_single_day = static_cast<double>(day.calls);
    f.arguments = std::move(day.arguments);
    const CosLog range = record(false, [] {
      if (!nerith::api::predict_range(kPort, kFirst, kLast)) std::abort();
    });
    f.cos_per_day = static_cast<double>(range.calls) / kRangeDays;
    return f;
  }();
  return floor;
}

// The engine's cos calls replayed, results summed as the height sum does.
double replay(const std::vector<double>& arguments) {
  double sum = 0.0;
  for (const double x : arguments) sum += __real_cos(x);
  return sum;
}

// A library-made buffer holding the bytes of `text`.
RustBuffer lend(std::string_view text) {
  RustCallStatus status{};
  return ffi_nerith_uniffi_rustbuffer_from_bytes(
      {static_cast<std::int32_t>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data())},
      &status);
}

// The exported predict_range, 365 days, result freed; false on failure.
bool exported_range() {
  RustCallStatus status{};
  const RustBuffer result =
      uniffi_nerith_uniffi_fn_func_predict_range(lend(kPort), lend(kFirst), lend(kLast), &status);
  benchmark::DoNotOptimize(result.data);
  RustCallStatus freed{};
  ffi_nerith_uniffi_rustbuffer_free(result, &freed);
  return status.code == 0;
}

// ns per cos over one day of the engine's own arguments.
void BM_Cos(benchmark::State& state) {
  const std::vector<double>& day = floor_of_range().arguments;
  for (auto _ : state) benchmark::DoNotOptimize(replay(day));
  const auto calls = state.iterations() * static_cast<std::int64_t>(day.size());
  state.SetItemsProcessed(calls);
  state.counters["ns_per_cos"] = benchmark::Counter(
      static_cast<double>(calls), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Cos);

// Each iteration times the exported 365-day range, then replays a day's cos
// calls 365 times: the floor of the same work, in the same conditions.
void BM_FloorRatio(benchmark::State& state) {
  const Floor& floor = floor_of_range();
  double range_seconds = 0.0;
  double cos_seconds = 0.0;
  for (auto _ : state) {
    const double t0 = cpu_seconds();
    if (!exported_range()) state.SkipWithError("predict_range failed");
    const double t1 = cpu_seconds();
    for (int day = 0; day < static_cast<int>(kRangeDays); ++day) {
      benchmark::DoNotOptimize(replay(floor.arguments));
    }
    const double t2 = cpu_seconds();
    range_seconds += t1 - t0;
    cos_seconds += t2 - t1;
  }
  const double n = static_cast<double>(state.iterations());
  const double us_per_day = range_seconds / n / kRangeDays * 1e6;
  const double ns_per_cos =
      cos_seconds / n / (kRangeDays * static_cast<double>(floor.arguments.size())) * 1e9;
  state.counters["us_per_day"] = us_per_day;
  state.counters["cos_per_day"] = floor.cos_per_day;
  state.counters["cos_predict_day"] = floor.cos_per_single_day;
  state.counters["ns_per_cos"] = ns_per_cos;
  state.counters["floor_us_per_day"] = floor.cos_per_day * ns_per_cos / 1e3;
  state.counters["ratio"] = us_per_day / (floor.cos_per_day * ns_per_cos / 1e3);
}
BENCHMARK(BM_FloorRatio)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
