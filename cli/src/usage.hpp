// The commands: what each takes, and the texts of its help.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace nerith::cli {

// The options, each a bit of a command's set.
enum Option : unsigned {
  kJson = 1,
  kCsv = 2,
  kDays = 4,
  kTz = 8,
  kOut = 16,
  kModel = 32,
  kIcs = 64,
  kAbove = 128,
  kBelow = 256,
  kDraught = 512,
  kDepth = 1024,
  kMargin = 2048,
  kLevel = 4096,
};

struct OptionInfo {
  Option option;
  std::string_view names;  // as CLI11 takes them: "-o,--output"
  bool takes_value;
  bool is_height;  // metres, read by parse_height
};

inline constexpr std::array<OptionInfo, 13> OPTIONS{{
    {kJson, "--json", false, false},
    {kCsv, "--csv", false, false},
    {kIcs, "--ics", false, false},
    {kDays, "--days", true, false},
    {kTz, "--tz", true, false},
    {kOut, "-o,--output", true, false},
    {kModel, "--model", true, false},
    {kAbove, "--above", true, true},
    {kBelow, "--below", true, true},
    {kDraught, "--draught", true, true},
    {kDepth, "--depth", true, true},
    {kMargin, "--margin", true, true},
    {kLevel, "--level", true, true},
}};

// One command: its name, help texts, how many arguments it takes, and its
// options (a set of Option bits).
struct CommandInfo {
  std::string_view name;
  std::string_view usage;  // after "nerith "
  std::string_view summary;
  std::string_view details;
  std::size_t min_args;
  std::size_t max_args;
  unsigned options;
};

// The commands, in the order the general help lists them.
std::span<const CommandInfo> commands();

// The command of that name, or null.
const CommandInfo* find_command(std::string_view name);

// "usage: nerith COMMAND [ARGS]" and the commands, for `nerith --help`.
std::string general_usage();

// `nerith COMMAND --help`.
std::string command_help(const CommandInfo& info);

// "usage: nerith predict PORT [DATE] ..." for one command.
std::string usage_line(std::string_view command);

}  // namespace nerith::cli
