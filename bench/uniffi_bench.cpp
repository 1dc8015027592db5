// The exported calls as a foreign client makes them: argument buffers made by
// the library, the call, the result freed. The core call of the same range
// runs beside them, so the cost of the boundary and its encoding reads off
// one report; so does the same year through the full model's library.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string_view>

#include "nerith/api.hpp"
#include "nerith_full_uniffi.h"
#include "nerith_uniffi.h"

namespace {

constexpr std::string_view kPort = "FR-BREST";

// A library-made buffer holding the bytes of `text`.
RustBuffer lend(std::string_view text) {
  RustCallStatus status{};
  return ffi_nerith_uniffi_rustbuffer_from_bytes(
      {static_cast<std::int32_t>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data())},
      &status);
}

void release(RustBuffer buffer) {
  RustCallStatus status{};
  ffi_nerith_uniffi_rustbuffer_free(buffer, &status);
}

// The same for the full model's library, which keeps its own buffers.
RustBuffer lend_full(std::string_view text) {
  RustCallStatus status{};
  return ffi_nerith_full_uniffi_rustbuffer_from_bytes(
      {static_cast<std::int32_t>(text.size()), reinterpret_cast<const std::uint8_t*>(text.data())},
      &status);
}

void release_full(RustBuffer buffer) {
  RustCallStatus status{};
  ffi_nerith_full_uniffi_rustbuffer_free(buffer, &status);
}

void BM_CorePredictRange(benchmark::State& state, const char* last) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(nerith::api::predict_range(kPort, "2024-01-01", last));
  }
}
BENCHMARK_CAPTURE(BM_CorePredictRange, days_365, "2024-12-30")->Unit(benchmark::kMillisecond);

void BM_ExportedPredictRange(benchmark::State& state, const char* last) {
  for (auto _ : state) {
    RustCallStatus status{};
    const RustBuffer result = uniffi_nerith_uniffi_fn_func_predict_range(
        lend(kPort), lend("2024-01-01"), lend(last), &status);
    if (status.code != 0) state.SkipWithError("predict_range failed");
    benchmark::DoNotOptimize(result.data);
    state.counters["bytes"] = static_cast<double>(result.len);
    release(result);
  }
}
BENCHMARK_CAPTURE(BM_ExportedPredictRange, days_365, "2024-12-30")->Unit(benchmark::kMillisecond);

// The same year of Brest through libnerith_full_uniffi.so: 50 constituents,
// turning points to the second and the official coefficient.
void BM_FullExportedPredictRange(benchmark::State& state, const char* last) {
  for (auto _ : state) {
    RustCallStatus status{};
    const RustBuffer result = uniffi_nerith_full_uniffi_fn_func_predict_range(
        lend_full(kPort), lend_full("2024-01-01"), lend_full(last), &status);
    if (status.code != 0) state.SkipWithError("predict_range failed");
    benchmark::DoNotOptimize(result.data);
    state.counters["bytes"] = static_cast<double>(result.len);
    release_full(result);
  }
}
BENCHMARK_CAPTURE(BM_FullExportedPredictRange, days_365, "2024-12-30")
    ->Unit(benchmark::kMillisecond);

void BM_ExportedPredictDay(benchmark::State& state) {
  for (auto _ : state) {
    RustCallStatus status{};
    const RustBuffer result =
        uniffi_nerith_uniffi_fn_func_predict_day(lend(kPort), lend("2024-03-10"), &status);
    if (status.code != 0) state.SkipWithError("predict_day failed");
    benchmark::DoNotOptimize(result.data);
    release(result);
  }
}
BENCHMARK(BM_ExportedPredictDay)->Unit(benchmark::kMicrosecond);

}  // namespace
