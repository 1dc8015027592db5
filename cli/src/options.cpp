#include "options.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <expected>
#include <nlohmann/json.hpp>
#include <tuple>

#include "text.hpp"

namespace nerith::cli {
namespace {

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

// The options that take a height in metres, each in its own slot.
constexpr std::array<Option, 6> HEIGHT_OPTIONS{kAbove, kBelow, kDraught, kDepth, kMargin, kLevel};

struct CommandInfo {
  std::string_view name;
  std::string_view usage;  // after "nerith "
  std::string_view summary;
  std::string_view details;
  std::size_t min_args;
  std::size_t max_args;
  unsigned options;
};

constexpr std::array<CommandInfo, 8> COMMANDS{{
    {"list", "list [--json | --csv]", "List the stations.",
     "Prints every station: its id (what the other commands take), position and name.\n", 0, 0,
     kJson | kCsv | kModel},
    {"search", "search TEXT [--json | --csv]", "Find stations by id or name.",
     "Lists the stations whose id or name contains TEXT, ignoring case and accents, and\n"
     "taking any apostrophe, dash or space for another ('ile d’aix' finds Île d'Aix,\n"
     "'paimboeuf' Paimbœuf, 'saint malo' Saint-Malo).\n",
     1, 1, kJson | kCsv | kModel},
    {"show", "show PORT [--json]", "Show one station's details.",
     "Prints the station's name, position, mean water level and harmonic constants; with\n"
     "--model full also its gauge, analysis span, datums and the data's attribution.\n",
     1, 1, kJson | kModel},
    {"height", "height PORT [WHEN] [--tz ZONE] [--json]", "Height of the tide at one instant.",
     "WHEN is 'now' (the default), Unix seconds, or an ISO 8601 date and time such as\n"
     "2026-01-01T12:00:00Z or 2026-01-01T13:00+01:00. Without Z or an offset, WHEN is read\n"
     "on the --tz clock (UTC by default). The height is metres above chart datum with the\n"
     "full model, on the station's mean-level reference with --model builtin.\n",
     1, 2, kTz | kJson | kModel},
    {"predict", "predict PORT [DATE] [--days N] [--tz ZONE] [--json | --csv | --ics]",
     "High and low waters and tide coefficients.",
     "DATE is YYYY-MM-DD, today by default. Prints each day's high and low waters, their\n"
     "times rounded to the nearest minute, their heights in metres (above chart datum with\n"
     "the full model), the coefficient (20-120, graded against Brest; the official one with\n"
     "the full model) of each high water and a sketch of the day's curve.\n"
     "\n"
     "  --days N     N days from DATE (1-366)\n"
     "  --tz ZONE    days and times on a local clock, an IANA zone such as Europe/Paris\n"
     "               (daylight saving included), or 'local' for the station's own zone;\n"
     "               UTC by default\n"
     "  --json       the library's records: port_id, date, extremes (time in Unix seconds,\n"
     "               to the second, height, is_high, coefficient) and heights every 10\n"
     "               minutes\n"
     "  --csv        one row per high or low water\n"
     "  --ics        an iCalendar (RFC 5545) on standard output, one event per high or\n"
     "               low water; importing overlapping days again, with either model,\n"
     "               updates the events instead of duplicating them\n",
     1, 2, kDays | kTz | kJson | kCsv | kIcs | kModel},
    {"chart", "chart PORT [DATE] [--days N] [--tz ZONE] [--level LEVEL] [-o FILE.svg]",
     "Draw a tide chart as SVG.",
     "Draws the height curve of each day with its high and low waters, their times,\n"
     "heights and coefficients. DATE, --days and --tz are as for 'predict'.\n"
     "\n"
     "  --level LEVEL       draw this height as a dashed line and shade the times the\n"
     "                      water stands at or above it; metres above chart datum with\n"
     "                      the full model, on the station's mean-level reference with\n"
     "                      --model builtin (which warns)\n"
     "  -o, --output FILE   where to write the SVG ('-' for standard output);\n"
     "                      PORT_DATE.svg by default\n",
     1, 2, kDays | kTz | kLevel | kOut | kModel},
    {"windows",
     "windows PORT [DATE] (--above LEVEL | --below LEVEL | --draught D --depth C "
     "[--margin M]) [--days N] [--tz ZONE] [--json | --csv | --ics]",
     "When the water stands above or below a level.",
     "Prints each span of time the tide stands at or above (or below) a height, with its\n"
     "start, end and duration. DATE, --days and --tz are as for 'predict'; a window\n"
     "already open at the first instant, or still open at the last, is cut there and\n"
     "marked. Times err towards less water: a window above the level opens at its start\n"
     "rounded up to the minute and closes at its end rounded down; a window below it is\n"
     "widened the same way; the duration is the end minus the start as printed.\n"
     "Heights are in metres above chart datum with the full model (the default); with\n"
     "--model builtin they are on the station's mean-level reference, not chart datum,\n"
     "and a warning says so. Levels run from -1000 to 1000 m.\n"
     "\n"
     "  --above LEVEL   enough water: the tide at or above LEVEL (to cross a sill)\n"
     "  --below LEVEL   little water: the tide under LEVEL (when a boat that needs\n"
     "                  LEVEL is aground)\n"
     "  --draught D     a boat's draught; with --depth, the windows it floats in\n"
     "  --depth C       the charted depth, negative for a drying height (a drying\n"
     "                  height of 1.5 m is --depth -1.5)\n"
     "  --margin M      the water wanted under the keel, 0 by default; the level is\n"
     "                  D + M - C, and the windows are above it (--draught 1.8\n"
     "                  --depth -1.5 --margin 0.3: water above 3.6 m)\n"
     "  --json          port_id, model, datum, level, side and the windows (start, end\n"
     "                  in Unix seconds, to the second, duration in seconds,\n"
     "                  open_start, open_end)\n"
     "  --csv           one row per window\n"
     "  --ics           an iCalendar (RFC 5545) on standard output, one event per\n"
     "                  window, from its true start to its true end even where the\n"
     "                  days cut it; importing overlapping days again, with either\n"
     "                  model, updates the events instead of duplicating them\n",
     1, 2,
     kAbove | kBelow | kDraught | kDepth | kMargin | kDays | kTz | kJson | kCsv | kIcs | kModel},
    {"now", "now PORT [WHEN] [--tz ZONE] [--json]", "The tide now: height, rising or falling.",
     "Prints the height now, whether the tide is rising or falling, and the next high\n"
     "and low waters in time order with the time until each, or says that none comes\n"
     "before predictions end (9999-12-31 24:00 UTC). WHEN is as for 'height' ('now' by\n"
     "default).\n",
     1, 2, kTz | kJson | kModel},
}};

const CommandInfo* find_command(std::string_view name) {
  const auto it = std::ranges::find(COMMANDS, name, &CommandInfo::name);
  return it == COMMANDS.end() ? nullptr : &*it;
}

std::string general_usage() {
  std::string text = "usage: nerith COMMAND [ARGS]\n\nCommands:\n";
  for (const auto& info : COMMANDS) {
    std::string line = "  " + std::string(info.name);
    line.resize(11, ' ');
    text += line + std::string(info.summary) + "\n";
  }
  text +=
      "\nPORT is a station id such as FR-BREST; 'nerith list' shows them all.\n"
      "The full model answers by default: 106 French tide gauges with their 50-constituent\n"
      "analyses, the official tide coefficients, heights above chart datum.\n"
      "--model builtin, before or after any command, uses the library's built-in model\n"
      "instead: 20 stations, 13 constituents, coefficients on its own scale (not the official\n"
      "ones), heights on each station's mean-level reference (not chart datum).\n"
      "--tz local reads times on the station's own clock.\n"
      "Run 'nerith COMMAND --help' for a command's options, 'nerith --version' for the version.\n";
  return text;
}

std::string command_help(const CommandInfo& info) {
  return "usage: nerith " + std::string(info.usage) + "\n\n" + std::string(info.summary) + "\n" +
         std::string(info.details) +
         "\n  --model MODEL  'full' (the default): 106 French tide gauges, 50 constituents\n"
         "                 each, official tide coefficients, heights above chart datum\n"
         "                 (data: TICON-4, CC BY 4.0); 'builtin': the library's 20\n"
         "                 stations, 13 constituents, its own coefficients, heights on\n"
         "                 each station's mean-level reference\n";
}

Message usage_error(const CommandInfo& info, const std::string& problem) {
  return {2, "nerith: " + problem + "\n" + usage_line(info.name) + "\nRun 'nerith " +
                 std::string(info.name) + " --help' for more.\n"};
}

std::optional<int> parse_days(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value < 1 || value > MAX_DAYS)
    return std::nullopt;
  return value;
}

// A height in metres, written as a JSON number: a decimal point whatever the
// locale, no NaN or infinity. The JSON reader parses it, as libc++ has no
// floating-point from_chars.
std::optional<double> parse_height(std::string_view text) {
  const bool number_chars = !text.empty() && std::ranges::all_of(text, [](char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+';
  });
  if (!number_chars) return std::nullopt;
  const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (!json.is_number()) return std::nullopt;
  const double value = json.get<double>();
  if (!std::isfinite(value) || std::fabs(value) > MAX_HEIGHT) return std::nullopt;
  return value;
}

std::string format_option(Format format) {
  return format == Format::Json ? "--json" : format == Format::Csv ? "--csv" : "--ics";
}

// The heights given, by option.
struct Heights {
  std::array<std::optional<double>, HEIGHT_OPTIONS.size()> values;

  std::optional<double>& operator[](unsigned flag) {
    return values[static_cast<std::size_t>(std::ranges::find(HEIGHT_OPTIONS, flag) -
                                           HEIGHT_OPTIONS.begin())];
  }
};

// The level and side the height options name, or the reason they do not fit
// together.
std::expected<std::pair<std::optional<double>, windows::Side>, std::string> resolve_level(
    std::string_view command, Heights& h) {
  if (h[kAbove] && h[kBelow]) return std::unexpected("choose one of --above and --below");
  if (h[kDraught] && (h[kAbove] || h[kBelow])) {
    return std::unexpected(std::string("--draught gives the level itself: drop ") +
                           (h[kAbove] ? "--above" : "--below"));
  }
  if (h[kDraught] && !h[kDepth])
    return std::unexpected("--draught needs --depth, the charted depth");
  if (!h[kDraught] && (h[kDepth] || h[kMargin])) {
    return std::unexpected(std::string(h[kDepth] ? "--depth" : "--margin") +
                           " goes with --draught");
  }
  if (h[kDraught] && (*h[kDraught] < 0 || h[kMargin].value_or(0) < 0)) {
    return std::unexpected(std::string(*h[kDraught] < 0 ? "--draught" : "--margin") +
                           " cannot be negative");
  }
  if (h[kDraught]) {
    const double level = *h[kDraught] + h[kMargin].value_or(0.0) - *h[kDepth];
    if (std::fabs(level) > MAX_HEIGHT) {
      return std::unexpected(printf_string(
          "the level --draught + --margin - --depth is %.3f m, beyond the limit of %g m either "
          "side of the datum",
          level, MAX_HEIGHT));
    }
    return std::pair{level, windows::Side::Above};
  }
  if (h[kBelow]) return std::pair{h[kBelow], windows::Side::Below};
  if (h[kAbove]) return std::pair{h[kAbove], windows::Side::Above};
  if (command == "windows") {
    return std::unexpected(
        "windows needs a level: --above LEVEL, --below LEVEL, or --draught D --depth C");
  }
  return std::pair{h[kLevel], windows::Side::Above};
}

// Maps an option's spelling to its flag; 0 when unknown.
unsigned option_flag(std::string_view name) {
  if (name == "--json") return kJson;
  if (name == "--csv") return kCsv;
  if (name == "--days") return kDays;
  if (name == "--tz") return kTz;
  if (name == "-o" || name == "--output") return kOut;
  if (name == "--model") return kModel;
  if (name == "--ics") return kIcs;
  if (name == "--above") return kAbove;
  if (name == "--below") return kBelow;
  if (name == "--draught") return kDraught;
  if (name == "--depth") return kDepth;
  if (name == "--margin") return kMargin;
  if (name == "--level") return kLevel;
  return 0;
}

bool looks_like_option(std::string_view arg) {
  // "-" alone and negative numbers (Unix seconds before 1970) are arguments.
  return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

}  // namespace

std::string usage_line(std::string_view command) {
  const CommandInfo* info = find_command(command);
  return info == nullptr ? "usage: nerith COMMAND [ARGS]"
                         : "usage: nerith " + std::string(info->usage);
}

// The model a --model value names.
std::optional<Model> parse_model(std::string_view value) {
  for (const Model model : MODELS) {
    if (value == model_name(model)) return model;
  }
  return std::nullopt;
}

std::string model_error(std::string_view value) {
  return "--model expects 'full' or 'builtin', not '" + std::string(value) + "'";
}

std::variant<Invocation, Message> parse_command_line(std::vector<std::string_view> args) {
  // --model may come before the command name too.
  std::optional<Model> leading_model;
  while (!args.empty() && (args[0] == "--model" || args[0].starts_with("--model="))) {
    const bool inline_value = args[0] != "--model";
    if (!inline_value && args.size() < 2)
      return Message{2, "nerith: option '--model' needs a value\n" + general_usage()};
    const std::string_view value = inline_value ? args[0].substr(8) : args[1];
    leading_model = parse_model(value);
    if (!leading_model) return Message{2, "nerith: " + model_error(value) + "\n" + general_usage()};
    args.erase(args.begin(), args.begin() + (inline_value ? 1 : 2));
  }
  if (args.empty()) return Message{2, general_usage()};
  const std::string_view first = args[0];
  if (first == "--version" || first == "-V") return Message{0, "nerith " NERITH_VERSION "\n"};
  if (first == "--help" || first == "-h" || first == "help") {
    if (args.size() > 1) {
      if (const CommandInfo* info = find_command(args[1])) return Message{0, command_help(*info)};
      return Message{2,
                     "nerith: unknown command '" + std::string(args[1]) + "'\n" + general_usage()};
    }
    return Message{0, general_usage()};
  }
  const CommandInfo* info = find_command(first);
  if (info == nullptr) {
    const std::string what = looks_like_option(first) ? "option" : "command";
    return Message{2,
                   "nerith: unknown " + what + " '" + std::string(first) + "'\n" + general_usage()};
  }

  Invocation invocation;
  invocation.command = std::string(info->name);
  invocation.model = leading_model.value_or(Model::Full);
  bool only_arguments = false;
  Heights heights;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (only_arguments || !looks_like_option(arg)) {
      invocation.args.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      only_arguments = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") return Message{0, command_help(*info)};
    const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
    const std::string_view name = arg.substr(0, equals);
    const unsigned flag = option_flag(name);
    if (flag == 0) return usage_error(*info, "unknown option '" + std::string(name) + "'");
    if ((info->options & flag) == 0) {
      return usage_error(*info, "option '" + std::string(name) + "' does not apply to '" +
                                    std::string(info->name) + "'");
    }
    if (flag == kJson || flag == kCsv || flag == kIcs) {
      if (equals != std::string_view::npos)
        return usage_error(*info, "option '" + std::string(name) + "' takes no value");
      const Format format = flag == kJson ? Format::Json : flag == kCsv ? Format::Csv : Format::Ics;
      if (invocation.format != Format::Table && invocation.format != format) {
        return usage_error(*info, "choose one of " + format_option(invocation.format) + " and " +
                                      std::string(name));
      }
      invocation.format = format;
      continue;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return usage_error(*info, "option '" + std::string(name) + "' needs a value");
    }
    if (std::ranges::find(HEIGHT_OPTIONS, flag) != HEIGHT_OPTIONS.end()) {
      heights[flag] = parse_height(value);
      if (!heights[flag]) {
        return usage_error(*info,
                           std::string(name) +
                               printf_string(" expects a height in metres from %g to %g, not '",
                                             -MAX_HEIGHT, MAX_HEIGHT) +
                               std::string(value) + "'");
      }
    } else if (flag == kDays) {
      invocation.days = parse_days(value);
      if (!invocation.days) {
        return usage_error(*info, "--days expects a whole number from 1 to " +
                                      std::to_string(MAX_DAYS) + ", not '" + std::string(value) +
                                      "'");
      }
    } else if (flag == kTz) {
      invocation.tz = std::string(value);
    } else if (flag == kModel) {
      const auto model = parse_model(value);
      if (!model) return usage_error(*info, model_error(value));
      invocation.model = *model;
    } else {
      invocation.out = std::string(value);
    }
  }
  if (invocation.args.size() < info->min_args) {
    const std::string_view usage = info->usage.substr(info->name.size() + 1);
    return usage_error(*info, "missing " + std::string(usage.substr(0, usage.find(' '))));
  }
  if (invocation.args.size() > info->max_args)
    return usage_error(*info, "unexpected argument '" + invocation.args[info->max_args] + "'");
  const auto level = resolve_level(info->name, heights);
  if (!level) return usage_error(*info, level.error());
  std::tie(invocation.level, invocation.side) = *level;
  return invocation;
}

}  // namespace nerith::cli
