// nerith: tide tables, heights and charts for the built-in stations.
#include <cstdio>
#include <exception>
#include <string_view>
#include <variant>
#include <vector>

#include "commands.hpp"
#include "options.hpp"

int main(int argc, char** argv) {
  using namespace nerith::cli;
  // Whatever goes wrong inside ends here as a message, never as an abort.
  try {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto parsed = parse_command_line(args);
    if (const auto* message = std::get_if<Message>(&parsed)) {
      std::fputs(message->text.c_str(), message->status == 0 ? stdout : stderr);
      return message->status;
    }
    return run(std::get<Invocation>(parsed));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "nerith: internal error: %s\n", error.what());
  } catch (...) {
    std::fputs("nerith: internal error\n", stderr);
  }
  return 1;
}
