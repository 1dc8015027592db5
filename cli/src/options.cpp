#include "options.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>

#include "levels.hpp"
#include "text.hpp"
#include "usage.hpp"

namespace nerith::cli {
namespace {

// CLI11 prints the help of whichever command was asked, in this tool's texts.
class Help final : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
    const CommandInfo* info = find_command(app->get_name());
    return info != nullptr ? command_help(*info) : general_usage();
  }
};

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

bool looks_like_option(std::string_view arg) {
  // "-" alone and negative numbers (Unix seconds before 1970) are arguments.
  return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
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

// What CLI11 fills in for one command: its arguments, and each option's
// value (the last given) and occurrences.
struct Given {
  std::vector<std::string> args;
  std::array<std::string, OPTIONS.size()> values;
  std::array<CLI::Option*, OPTIONS.size()> options{};
};

// The spelling with which a value option was given last without its value
// ("-o" at the end of the line, or before another option), if it was.
std::optional<std::string> bare(const CLI::Option& option, std::span<const std::string> tokens) {
  for (std::size_t i = tokens.size(); i-- > 0;) {
    if (!option.check_name(tokens[i])) continue;
    if (i + 1 == tokens.size() || looks_like_option(tokens[i + 1])) return tokens[i];
    return std::nullopt;
  }
  return std::nullopt;
}

// Whether `name` (without a value) is an option of any command.
bool known_option(std::string_view name) {
  return std::ranges::any_of(OPTIONS, [&](const OptionInfo& o) {
    return ("," + std::string(o.names) + ",").find("," + std::string(name) + ",") !=
           std::string::npos;
  });
}

// The invocation, from the options and arguments CLI11 read for one command.
std::variant<Invocation, Message> invocation_of(const CommandInfo& info, CLI::App& command,
                                                Given& given, std::span<const std::string> tokens,
                                                std::optional<Model> leading_model) {
  for (const std::string& extra : command.remaining()) {
    if (!looks_like_option(extra)) return usage_error(info, "unexpected argument '" + extra + "'");
    const std::string name = extra.substr(0, extra.starts_with("--") ? extra.find('=') : 2);
    if (!known_option(name)) return usage_error(info, "unknown option '" + name + "'");
    return usage_error(info,
                       "option '" + name + "' does not apply to '" + std::string(info.name) + "'");
  }
  Invocation invocation;
  invocation.command = std::string(info.name);
  invocation.model = leading_model.value_or(Model::Full);
  Heights heights;
  std::optional<std::string> format_given;
  for (const CLI::Option* option : command.parse_order()) {
    const auto it = std::ranges::find(given.options, option);
    if (it == given.options.end()) continue;  // an argument
    const auto i = static_cast<std::size_t>(it - given.options.begin());
    const OptionInfo& about = OPTIONS[i];
    const std::string name = option->get_name();
    if (!about.takes_value) {
      const Format format = about.option == kJson  ? Format::Json
                            : about.option == kCsv ? Format::Csv
                                                   : Format::Ics;
      if (format_given && *format_given != name)
        return usage_error(info, "choose one of " + *format_given + " and " + name);
      format_given = name;
      invocation.format = format;
      continue;
    }
    const std::string& value = given.values[i];
    if (value.empty()) {
      if (const auto spelling = bare(*option, tokens))
        return usage_error(info, "option '" + *spelling + "' needs a value");
    }
    if (about.is_height) {
      const auto height = parse_height(value);
      if (!height) {
        return usage_error(info, name +
                                     printf_string(" expects a height in metres from %g to %g, "
                                                   "not '",
                                                   -MAX_HEIGHT, MAX_HEIGHT) +
                                     value + "'");
      }
      heights.values[about.option] = *height;
    } else if (about.option == kDays) {
      invocation.days = parse_days(value);
      if (!invocation.days) {
        return usage_error(info, "--days expects a whole number from 1 to " +
                                     std::to_string(MAX_DAYS) + ", not '" + value + "'");
      }
    } else if (about.option == kTz) {
      invocation.tz = value;
    } else if (about.option == kModel) {
      const auto model = parse_model(value);
      if (!model) return usage_error(info, model_error(value));
      invocation.model = *model;
    } else {
      invocation.out = value;
    }
  }
  invocation.args = std::move(given.args);
  if (invocation.args.size() < info.min_args) {
    const std::string_view usage = info.usage.substr(info.name.size() + 1);
    return usage_error(info, "missing " + std::string(usage.substr(0, usage.find(' '))));
  }
  if (invocation.args.size() > info.max_args)
    return usage_error(info, "unexpected argument '" + invocation.args[info.max_args] + "'");
  const auto level = resolve_level(info.name, heights);
  if (!level) return usage_error(info, level.error());
  std::tie(invocation.level, invocation.side) = *level;
  return invocation;
}

// A flag given a value ("--json=yes"): CLI11's complaint, in this tool's words.
Message flag_with_value(std::span<const std::string> tokens) {
  const auto command = std::ranges::find_if(
      tokens, [](const std::string& token) { return find_command(token) != nullptr; });
  for (auto token = command; token != tokens.end(); ++token) {
    const std::string name = token->substr(0, token->find('='));
    if (command != tokens.end() && name.size() < token->size() && known_option(name))
      return usage_error(*find_command(*command), "option '" + name + "' takes no value");
  }
  return {2, general_usage()};
}

}  // namespace

std::variant<Invocation, Message> parse_command_line(std::vector<std::string_view> args) {
  if (args.empty()) return Message{2, general_usage()};
  // What follows "--" are arguments, whatever they look like.
  std::vector<std::string> tokens(args.begin(), args.end());
  std::vector<std::string> tail;
  if (const auto mark = std::ranges::find(tokens, "--"); mark != tokens.end()) {
    tail.assign(mark + 1, tokens.end());
    tokens.erase(mark, tokens.end());
  }

  CLI::App app{"", "nerith"};
  app.formatter(std::make_shared<Help>());
  app.set_help_flag("-h,--help");
  app.set_version_flag("-V,--version", "nerith " NERITH_VERSION);
  app.allow_extras();
  app.require_subcommand(0, 1);
  // --model may come before the command name too.
  std::string leading_value;
  CLI::Option* leading = app.add_option("--model", leading_value)->expected(0, 1);
  std::vector<std::string> topic;
  CLI::App* help = app.add_subcommand("help");
  help->add_option("command", topic)->expected(0, -1);
  help->allow_extras();
  std::map<std::string_view, Given> given;
  for (const CommandInfo& info : commands()) {
    CLI::App* command = app.add_subcommand(std::string(info.name));
    command->allow_extras();
    Given& g = given[info.name];
    command->add_option("args", g.args)->expected(0, -1);
    for (std::size_t i = 0; i < OPTIONS.size(); ++i) {
      if ((info.options & OPTIONS[i].option) == 0) continue;
      const std::string names(OPTIONS[i].names);
      g.options[i] = OPTIONS[i].takes_value
                         ? command->add_option(names, g.values[i])
                               ->expected(0, 1)
                               ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
                         : command->add_flag(names)->disable_flag_override();
    }
  }

  try {
    app.parse(std::vector<std::string>(tokens.rbegin(), tokens.rend()));
  } catch (const CLI::CallForHelp&) {
    return Message{0, app.help()};
  } catch (const CLI::CallForVersion& version) {
    return Message{0, std::string(version.what()) + "\n"};
  } catch (const CLI::ArgumentMismatch&) {
    return flag_with_value(tokens);
  } catch (const CLI::ParseError& error) {
    return Message{2, "nerith: " + std::string(error.what()) + "\n" + general_usage()};
  }

  if (leading->count() > 0 && leading_value.empty())
    return Message{2, "nerith: option '--model' needs a value\n" + general_usage()};
  const auto selected = app.get_subcommands();
  const std::vector<std::string> unknown = app.remaining();
  if (!unknown.empty() || selected.empty()) {
    if (unknown.empty()) return Message{2, general_usage()};
    const std::string& first = unknown.front();
    const std::string what = looks_like_option(first) ? "option" : "command";
    return Message{2, "nerith: unknown " + what + " '" + first + "'\n" + general_usage()};
  }
  std::optional<Model> leading_model;
  if (leading->count() > 0) {
    leading_model = parse_model(leading_value);
    if (!leading_model)
      return Message{2, "nerith: " + model_error(leading_value) + "\n" + general_usage()};
  }

  CLI::App* command = selected.front();
  if (command == help) {
    topic.insert(topic.end(), tail.begin(), tail.end());
    if (topic.empty()) return Message{0, general_usage()};
    if (const CommandInfo* info = find_command(topic.front()))
      return Message{0, command_help(*info)};
    return Message{2, "nerith: unknown command '" + topic.front() + "'\n" + general_usage()};
  }
  const CommandInfo& info = *find_command(command->get_name());
  Given& g = given[info.name];
  g.args.insert(g.args.end(), tail.begin(), tail.end());
  return invocation_of(info, *command, g, tokens, leading_model);
}

}  // namespace nerith::cli
