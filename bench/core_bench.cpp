// Speed of the prediction paths, single-threaded. Run a release build:
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DNERITH_BUILD_BENCH=ON
//   cmake --build build/bench --target nerith_bench && build/bench/bench/nerith_bench
// The exported calls through the shared library are in uniffi_bench.cpp.
#include <benchmark/benchmark.h>

#include "builtin/db.hpp"
#include "builtin/harmonic/engine.hpp"
#include "builtin/harmonic/window.hpp"
#include "common/harmonic/extremes.hpp"
#include "nerith/api.hpp"
#include "nerith/full/api.hpp"
#include "nerith/ports/search.hpp"

namespace {

using namespace nerith;

constexpr std::int64_t kDay = 1710028800;  // 2024-03-10 00:00:00 UTC

const ports::Port& brest() {
  return db::PORTS.get().front();
}

void BM_HeightAt(benchmark::State& state) {
  std::int64_t t = kDay;
  for (auto _ : state) {
    benchmark::DoNotOptimize(api::height_at("FR-BREST", t));
    t += 37;
  }
}
BENCHMARK(BM_HeightAt);

void BM_ComputeHeightsDay(benchmark::State& state) {
  const ports::Port& port = brest();
  for (auto _ : state) {
    benchmark::DoNotOptimize(harmonic::engine::compute_heights(
        kDay, kDay + 86400, 600, port.constituents, port.mean_water_level));
  }
}
BENCHMARK(BM_ComputeHeightsDay);

void BM_FindExtremesDay(benchmark::State& state) {
  const ports::Port& port = brest();
  for (auto _ : state) {
    benchmark::DoNotOptimize(harmonic::extremes::find_extremes(
        kDay, kDay + 86400, port.constituents, port.mean_water_level));
  }
}
BENCHMARK(BM_FindExtremesDay);

void BM_PredictDay(benchmark::State& state, const char* port_id) {
  for (auto _ : state) benchmark::DoNotOptimize(api::predict_day(port_id, "2024-03-10"));
}
BENCHMARK_CAPTURE(BM_PredictDay, brest, "FR-BREST");
BENCHMARK_CAPTURE(BM_PredictDay, le_havre, "FR-LE-HAVRE");

// The full model's day beside the built-in one: 50 constituents instead of
// 13, and the official coefficient from Brest's semi-diurnal curve.
void BM_FullPredictDay(benchmark::State& state, const char* station_id) {
  for (auto _ : state) benchmark::DoNotOptimize(full::predict_day(station_id, "2024-03-10"));
}
BENCHMARK_CAPTURE(BM_FullPredictDay, brest, "FR-BREST");
BENCHMARK_CAPTURE(BM_FullPredictDay, le_havre, "FR-LE-HAVRE");
BENCHMARK_CAPTURE(BM_FullPredictDay, papeete, "FR-PAPEETE");

void BM_FullHeightAt(benchmark::State& state) {
  std::int64_t t = kDay;
  for (auto _ : state) {
    benchmark::DoNotOptimize(full::height_at("FR-BREST", t));
    t += 37;
  }
}
BENCHMARK(BM_FullHeightAt);

void BM_PredictRange(benchmark::State& state, const char* last) {
  for (auto _ : state) benchmark::DoNotOptimize(api::predict_range("FR-BREST", "2024-01-01", last));
}
BENCHMARK_CAPTURE(BM_PredictRange, days_31, "2024-01-31")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PredictRange, days_365, "2024-12-30")->Unit(benchmark::kMillisecond);

// The same year in the full model: its speed is judged against the line above.
void BM_FullPredictRange(benchmark::State& state, const char* last) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(full::predict_range("FR-BREST", "2024-01-01", last));
  }
}
BENCHMARK_CAPTURE(BM_FullPredictRange, days_365, "2024-12-30")->Unit(benchmark::kMillisecond);

// A year of water windows (a 3 m sill above mean level at Brest): the days'
// scans without grading, and a few bisections per crossing.
void BM_WaterWindowsYear(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        api::water_windows("FR-BREST", "2024-01-01", "2024-12-30", 7.0, windows::Side::Above));
  }
}
BENCHMARK(BM_WaterWindowsYear)->Unit(benchmark::kMillisecond);

void BM_FullWaterWindowsYear(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        full::water_windows("FR-BREST", "2024-01-01", "2024-12-30", 7.0, windows::Side::Above));
  }
}
BENCHMARK(BM_FullWaterWindowsYear)->Unit(benchmark::kMillisecond);

void BM_SearchPorts(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ports::search::search_ports("golfe du morbihan"));
}
BENCHMARK(BM_SearchPorts);

// The one-time build of the built-in table: parse both documents, convert, correct.
void BM_BuildTable(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        db::build_ports(db::embedded_reference_document(), db::embedded_corrections_document()));
  }
}
BENCHMARK(BM_BuildTable)->Unit(benchmark::kMicrosecond);

}  // namespace
