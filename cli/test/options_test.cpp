#include "options.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace nerith::cli {
namespace {

std::variant<Invocation, Message> parse(const std::vector<std::string_view>& args) {
  return parse_command_line(args);
}

TEST(ParseCommandLine, ReadsArgumentsAndOptionsInAnyOrder) {
  const auto parsed =
      parse({"predict", "--tz", "Europe/Paris", "FR-BREST", "--days=7", "2024-03-10", "--csv"});
  const auto* invocation = std::get_if<Invocation>(&parsed);
  ASSERT_NE(invocation, nullptr);
  EXPECT_EQ(invocation->command, "predict");
  EXPECT_EQ(invocation->args, (std::vector<std::string>{"FR-BREST", "2024-03-10"}));
  EXPECT_EQ(invocation->days, 7);
  EXPECT_EQ(invocation->tz, "Europe/Paris");
  EXPECT_EQ(invocation->format, Format::Csv);

  EXPECT_EQ(std::get<Invocation>(parse({"chart", "FR-SAINT-MALO", "-o", "-"})).out, "-");
  EXPECT_EQ(std::get<Invocation>(parse({"chart", "X", "--output=a.svg"})).out, "a.svg");
  // Negative Unix seconds are an argument, and so is anything after "--".
  EXPECT_EQ(std::get<Invocation>(parse({"height", "FR-BREST", "-86400"})).args.at(1), "-86400");
  EXPECT_EQ(std::get<Invocation>(parse({"search", "--", "--x"})).args.at(0), "--x");
  EXPECT_EQ(std::get<Invocation>(parse({"list"})).format, Format::Table);
}

TEST(ParseCommandLine, ModelIsFullUnlessBuiltInIsAskedBeforeOrAfterTheCommand) {
  EXPECT_EQ(std::get<Invocation>(parse({"list"})).model, Model::Full);
  for (const auto command : {"list", "search", "show", "height", "predict", "chart", "now"}) {
    const bool takes_port = std::string_view(command) != "list";
    for (const bool before : {false, true}) {
      std::vector<std::string_view> args{command};
      if (takes_port) args.push_back("FR-BREST");
      args.insert(before ? args.begin() : args.end(), {"--model", "builtin"});
      const auto parsed = parse(args);
      ASSERT_TRUE(std::holds_alternative<Invocation>(parsed)) << command;
      EXPECT_EQ(std::get<Invocation>(parsed).model, Model::Builtin) << command << before;
      EXPECT_EQ(std::get<Invocation>(parsed).command, command);
    }
  }
  EXPECT_EQ(std::get<Invocation>(parse({"--model=builtin", "show", "X"})).model, Model::Builtin);
  EXPECT_EQ(std::get<Invocation>(parse({"--model=builtin", "show", "X", "--model=full"})).model,
            Model::Full);
  EXPECT_EQ(std::get<Invocation>(parse({"show", "X", "--model=full"})).model, Model::Full);
  for (const auto& args : std::vector<std::vector<std::string_view>>{
           {"show", "X", "--model", "Full"}, {"--model", "Full", "show", "X"}}) {
    const auto bad = std::get<Message>(parse(args));
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.text.find("--model expects 'full' or 'builtin', not 'Full'"), std::string::npos);
  }
  EXPECT_EQ(std::get<Message>(parse({"--model"})).status, 2);
  EXPECT_EQ(std::get<Message>(parse({"--model", "full"})).status, 2);
  EXPECT_EQ(std::get<Message>(parse({"--model", "full", "--help"})).status, 0);
}

struct MessageCase {
  std::vector<std::string_view> args;
  int status;
  std::string_view contains;
};

TEST(ParseCommandLine, PrintsHelpVersionOrUsageErrors) {
  const std::vector<MessageCase> cases{
      {{"--help"}, 0, "usage: nerith COMMAND"},
      {{"help", "chart"}, 0, "usage: nerith chart PORT [DATE]"},
      {{"predict", "--help"}, 0, "--tz ZONE"},
      {{"list", "-h", "--bogus"}, 0, "usage: nerith list"},
      {{"--version"}, 0, "nerith " NERITH_VERSION},
      {{}, 2, "usage: nerith COMMAND"},
      {{"forecast"}, 2, "unknown command 'forecast'"},
      {{"--bogus"}, 2, "unknown option '--bogus'"},
      {{"help", "nope"}, 2, "unknown command 'nope'"},
      {{"predict", "FR-BREST", "--bogus"}, 2, "unknown option '--bogus'"},
      {{"predict", "FR-BREST", "--bogus=1"}, 2, "unknown option '--bogus'"},
      {{"predict"}, 2, "missing PORT"},
      {{"search"}, 2, "missing TEXT"},
      {{"predict", "FR-BREST", "2024-03-10", "extra"}, 2, "unexpected argument 'extra'"},
      {{"list", "--days", "2"}, 2, "option '--days' does not apply to 'list'"},
      {{"show", "FR-BREST", "--csv"}, 2, "does not apply to 'show'"},
      {{"predict", "FR-BREST", "--json", "--csv"}, 2, "choose one of --json and --csv"},
      {{"predict", "FR-BREST", "--json=yes"}, 2, "takes no value"},
      {{"predict", "FR-BREST", "--days"}, 2, "option '--days' needs a value"},
      {{"predict", "FR-BREST", "--days", "0"}, 2, "from 1 to 366, not '0'"},
      {{"predict", "FR-BREST", "--days", "367"}, 2, "from 1 to 366"},
      {{"predict", "FR-BREST", "--days", "7x"}, 2, "from 1 to 366"},
      {{"predict", "FR-BREST", "--days", "-3"}, 2, "from 1 to 366"},
      {{"chart", "FR-BREST", "-o"}, 2, "option '-o' needs a value"},
      {{"predict", "FR-BREST", "--days", "--json"}, 2, "option '--days' needs a value"},
      {{"--model"}, 2, "option '--model' needs a value"},
      {{"--bogus", "predict", "FR-BREST"}, 2, "unknown option '--bogus'"},
      {{"predict", "FR-BREST", "--output", "x"}, 2, "option '--output' does not apply"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse(c.args);
    const auto* message = std::get_if<Message>(&parsed);
    ASSERT_NE(message, nullptr) << c.contains;
    EXPECT_EQ(message->status, c.status) << c.contains;
    EXPECT_NE(message->text.find(c.contains), std::string::npos) << message->text;
  }
}

TEST(ParseCommandLine, UsageErrorsShowTheCommandsUsageLine) {
  const auto message = std::get<Message>(parse({"predict", "FR-BREST", "--bogus"}));
  EXPECT_EQ(message.text,
            "nerith: unknown option '--bogus'\n"
            "usage: nerith predict PORT [DATE] [--days N] [--tz ZONE] [--json | --csv | --ics]\n"
            "Run 'nerith predict --help' for more.\n");
}

// A level as the command line gives it, or the usage error it is.
struct LevelCase {
  std::vector<std::string_view> args;
  std::optional<double> level;  // nothing: a usage error containing `error`
  windows::Side side = windows::Side::Above;
  Format format = Format::Table;
  std::string_view error = "";
};

TEST(ParseCommandLine, ReadsWaterLevelsAndRejectsThoseThatDoNotFit) {
  using enum windows::Side;
  const std::vector<LevelCase> cases{
      {{"windows", "P", "--above", "2.5"}, 2.5},
      {{"windows", "P", "--below=-0.75", "--ics"}, -0.75, Below, Format::Ics},
      {{"windows", "P", "--draught", "1.8", "--depth", "-1.5"}, 3.3},  // a drying height
      {{"windows", "P", "--draught=1.8", "--depth=2", "--margin", "0.5", "--csv"},
       0.3,
       Above,
       Format::Csv},
      {{"chart", "P", "--level", "4"}, 4.0},
      {{"chart", "P"}, std::nullopt, Above, Format::Table, ""},
      {{"predict", "P", "--ics"}, std::nullopt, Above, Format::Ics, ""},
      {{"windows", "P", "--above", "x"},
       {},
       Above,
       {},
       "--above expects a height in metres from -1000 to 1000, not 'x'"},
      {{"windows", "P", "--below", "nan"}, {}, Above, {}, "not 'nan'"},
      {{"windows", "P", "--above", "inf"}, {}, Above, {}, "not 'inf'"},
      {{"windows", "P", "--above", "1e400"}, {}, Above, {}, "not '1e400'"},
      {{"windows", "P", "--above", "2,5"}, {}, Above, {}, "not '2,5'"},
      {{"windows", "P", "--above", "1001"}, {}, Above, {}, "from -1000 to 1000, not '1001'"},
      {{"windows", "P", "--below", "-1000"}, -1000.0, Below},
      {{"windows", "P", "--draught", "999", "--depth", "-999"},
       {},
       Above,
       {},
       "the level --draught + --margin - --depth is 1998.000 m, beyond the limit of 1000 m"},
      {{"windows", "P", "--draught", "500", "--depth", "-499", "--margin", "1"}, 1000.0},
      {{"windows", "P", "--above", "+2"}, {}, Above, {}, "not '+2'"},
      {{"windows", "P", "--above", ""}, {}, Above, {}, "not ''"},
      {{"windows", "P", "--draught", "1", "--depth", "2m"}, {}, Above, {}, "--depth expects"},
      {{"chart", "P", "--level", "1.2.3"}, {}, Above, {}, "--level expects"},
      {{"windows", "P", "--above", "1", "--below", "2"},
       {},
       Above,
       {},
       "one of --above and --below"},
      {{"windows", "P", "--below", "1", "--draught", "2", "--depth", "1"},
       {},
       Above,
       {},
       "--draught gives the level itself: drop --below"},
      {{"windows", "P", "--draught", "1.8"}, {}, Above, {}, "--draught needs --depth"},
      {{"windows", "P", "--depth", "2"}, {}, Above, {}, "--depth goes with --draught"},
      {{"windows", "P", "--above", "1", "--margin", "1"}, {}, Above, {}, "--margin goes with"},
      {{"windows", "P", "--draught", "-1", "--depth", "0"}, {}, Above, {}, "cannot be negative"},
      {{"windows", "P"}, {}, Above, {}, "windows needs a level"},
      {{"windows", "P", "--days", "2"}, {}, Above, {}, "windows needs a level"},
      {{"windows", "P", "--above", "1", "--json", "--ics"},
       {},
       Above,
       {},
       "one of --json and --ics"},
      {{"predict", "P", "--ics", "--csv"}, {}, Above, {}, "one of --ics and --csv"},
      {{"predict", "P", "--above", "1"}, {}, Above, {}, "'--above' does not apply to 'predict'"},
      {{"height", "P", "--ics"}, {}, Above, {}, "'--ics' does not apply"},
      {{"chart", "P", "--below", "1"}, {}, Above, {}, "does not apply to 'chart'"},
      {{"now", "P", "--csv"}, {}, Above, {}, "does not apply to 'now'"},
      {{"now", "P", "1", "2"}, {}, Above, {}, "unexpected argument '2'"},
  };
  for (const auto& c : cases) {
    const auto parsed = parse(c.args);
    std::string label;
    for (const auto arg : c.args) label += std::string(arg) + " ";
    if (!c.level && !c.error.empty()) {
      const auto* message = std::get_if<Message>(&parsed);
      ASSERT_NE(message, nullptr) << c.error;
      EXPECT_EQ(message->status, 2);
      EXPECT_NE(message->text.find(c.error), std::string::npos) << message->text;
      continue;
    }
    const auto* invocation = std::get_if<Invocation>(&parsed);
    ASSERT_NE(invocation, nullptr) << std::get<Message>(parsed).text;
    EXPECT_EQ(invocation->level.has_value(), c.level.has_value()) << label;
    if (c.level) {
      EXPECT_NEAR(*invocation->level, *c.level, 1e-12) << label;
    }
    EXPECT_EQ(invocation->side, c.side) << label;
    EXPECT_EQ(invocation->format, c.format) << label;
  }
  const auto now = std::get<Invocation>(parse({"now", "P", "2024-03-10T12:00Z", "--json"}));
  EXPECT_EQ(now.args.at(1), "2024-03-10T12:00Z");
  EXPECT_EQ(now.format, Format::Json);
}

}  // namespace
}  // namespace nerith::cli
