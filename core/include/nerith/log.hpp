// A minimal process-wide logging facade: a maximum level and one sink.
// It starts off (level Off, a discarding sink); the library only reads it.
#pragma once

#include <cstdint>
#include <string_view>

namespace nerith::log {

enum class Level : std::uint8_t { Off = 0, Error = 1, Warn = 2, Info = 3, Debug = 4, Trace = 5 };

struct Record {
  Level level;
  std::string_view target;
  std::string_view module_path;
  std::string_view file;
  std::uint32_t line;
  std::string_view text;
};

// A sink receives every admitted record; it must be callable from any thread.
using Sink = void (*)(const Record& record, void* context);

// For hosts: install a sink (nullptr restores the discarding one) and set the level.
void set_sink(Sink sink, void* context);
void set_max_level(Level level);

Level max_level();
bool enabled(Level level);
// Hands the record to the sink when its level is admitted.
void emit(const Record& record);

}  // namespace nerith::log
