// The command line: subcommands, their arguments and options, and help.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "models.hpp"
#include "nerith/windows.hpp"

namespace nerith::cli {

// Table is the default; Ics (an iCalendar) is offered by predict and windows.
enum class Format { Table, Json, Csv, Ics };

// A parsed command line, ready to run.
struct Invocation {
  std::string command;  // "list", "search", "show", "height", "predict", "chart", "windows", "now"
  std::vector<std::string> args;  // positional arguments, in order
  Format format = Format::Table;
  std::optional<int> days;         // --days N
  std::optional<std::string> tz;   // --tz ZONE ("local": the station's own zone)
  Model model = Model::Full;       // --model full|builtin, before or after the command
  std::optional<std::string> out;  // -o FILE
  // The water level of windows (--above, --below, or the sailor's --draught
  // D --depth C [--margin M] as D + M - C) and of chart --level; metres on
  // the model's datum, within ±MAX_HEIGHT (levels.hpp).
  std::optional<double> level;
  windows::Side side = windows::Side::Above;  // --below: the water under the level
};

// What to print instead of running: help or the version (status 0, standard
// output) or a usage error (status 2, standard error).
struct Message {
  int status = 0;
  std::string text;
};

// The most days one command predicts.
inline constexpr int MAX_DAYS = 366;

// The command line read with CLI11: the command, its arguments and options
// in any order, "--" before arguments that look like options.
std::variant<Invocation, Message> parse_command_line(std::vector<std::string_view> args);

}  // namespace nerith::cli
