// Test helper: a built-in station straight from the table, by exact id.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "builtin/db.hpp"

namespace nerith::testing {

inline const ports::Port& builtin_port(std::string_view id) {
  for (const ports::Port& port : db::PORTS.get()) {
    if (port.id == id) return port;
  }
  throw std::runtime_error("no built-in port " + std::string(id));
}

}  // namespace nerith::testing
