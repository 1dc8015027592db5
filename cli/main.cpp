// Placeholder main job: the built-in stations and today's curve at Brest.
#include <chrono>
#include <cstdio>

#include "nerith/db.hpp"
#include "nerith/harmonic/engine.hpp"

int main() {
  using namespace nerith;
  const auto& table = db::PORTS.get();
  for (const auto& port : table) std::printf("%-18s %s\n", port.id.c_str(), port.name.c_str());
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const std::int64_t day = std::chrono::duration_cast<std::chrono::seconds>(now).count() / 86400;
  const auto& brest = table.front();
  for (const auto& s : harmonic::engine::compute_heights(day * 86400, day * 86400 + 86400, 600,
                                                         brest.constituents,
                                                         brest.mean_water_level)) {
    std::printf("%02lld:%02lld  %.2f m\n", static_cast<long long>(s.time % 86400 / 3600),
                static_cast<long long>(s.time % 3600 / 60), s.height);
  }
}
