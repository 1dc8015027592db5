// Runs a parsed command against the library and prints its answer.
#pragma once

#include "options.hpp"

namespace nerith::cli {

// The exit status: 0 done, 1 unknown port or failure to write, 2 bad input.
int run(const Invocation& invocation);

}  // namespace nerith::cli
