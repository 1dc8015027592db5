#include "nerith/log.hpp"

#include <atomic>
#include <mutex>

namespace nerith::log {
namespace {

void discard(const Record&, void*) {}

struct Installed {
  Sink sink = discard;
  void* context = nullptr;
};

std::atomic<Level> g_max_level{Level::Off};
std::mutex g_sink_mutex;
Installed g_installed;

}  // namespace

void set_sink(Sink sink, void* context) {
  const std::lock_guard lock(g_sink_mutex);
  g_installed = {sink != nullptr ? sink : discard, context};
}

void set_max_level(Level level) {
  g_max_level.store(level, std::memory_order_relaxed);
}

Level max_level() {
  return g_max_level.load(std::memory_order_relaxed);
}

bool enabled(Level level) {
  return level != Level::Off &&
         static_cast<std::uint8_t>(level) <= static_cast<std::uint8_t>(max_level());
}

void emit(const Record& record) {
  if (!enabled(record.level)) return;
  Installed installed;
  {
    const std::lock_guard lock(g_sink_mutex);
    installed = g_installed;
  }
  installed.sink(record, installed.context);
}

}  // namespace nerith::log
