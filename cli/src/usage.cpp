#include "usage.hpp"

#include <algorithm>

namespace nerith::cli {
namespace {

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

}  // namespace

std::span<const CommandInfo> commands() {
  return COMMANDS;
}

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

std::string usage_line(std::string_view command) {
  const CommandInfo* info = find_command(command);
  return info == nullptr ? "usage: nerith COMMAND [ARGS]"
                         : "usage: nerith " + std::string(info->usage);
}

}  // namespace nerith::cli
