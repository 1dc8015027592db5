// The built-in station table, built once per process from the embedded
// reference and corrections documents.
#pragma once

#include <string_view>
#include <vector>

#include "nerith/ports.hpp"

namespace nerith::db {

// Parses both documents, converts every station and applies the corrections.
// Throws std::runtime_error with the fatal message on any fault.
std::vector<ports::Port> build_ports(std::string_view reference_text,
                                     std::string_view corrections_text);

// The embedded documents, byte for byte.
std::string_view embedded_reference_document();
std::string_view embedded_corrections_document();

// The process-wide table. get() builds it on first use (concurrent first
// callers wait for the one build) and is lock-free afterwards. A failed
// build is never retried: every later get() throws
// "Lazy instance has previously been poisoned".
class BuiltinTable {
 public:
  const std::vector<ports::Port>& get() const;
};

inline constexpr BuiltinTable PORTS{};

}  // namespace nerith::db
