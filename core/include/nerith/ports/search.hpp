// The station registry: the built-in table followed by the stations that
// callers add at run time. Every station handed out is a deep copy. Safe to
// call from any thread.
//
// If an operation ever fails while holding the lock of the custom list, the
// list is poisoned: from then on every operation that needs it throws
// std::runtime_error (a lookup that finds a built-in station still answers).
#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nerith/ports.hpp"

namespace nerith::ports::search {

// The registry's error. Its one variant, DuplicateId, carries the rejected id.
struct PortError {
  enum class Kind { DuplicateId };
  Kind kind = Kind::DuplicateId;
  std::string id;

  // Debug text: DuplicateId("…") with the id as an escaped quoted literal.
  std::string debug_text() const;

  friend bool operator==(const PortError&, const PortError&) = default;
};

// Every built-in station in table order, then every custom one in the order added.
std::vector<Port> list_ports();

// Stations whose lower-cased id, or failing that lower-cased name, contains
// the lower-cased query (full Unicode lower-case mapping; nothing trimmed).
std::vector<Port> search_ports(std::string_view query);

// The station with exactly this id (byte for byte), or nothing.
std::optional<Port> get_port(std::string_view id);

// Appends a custom station unless its id is already taken.
std::expected<void, PortError> add_custom_port(Port port);

}  // namespace nerith::ports::search
