#include "nerith/ports/search.hpp"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "builtin/db.hpp"
#include "builtin/ports/search_testing.hpp"
#include "common/text/unicode.hpp"

namespace nerith::ports::search {
namespace {

std::atomic<bool> inject_locked_failure{false};

// The stations added at run time, shared by every thread of the process.
// One mutex guards the list and its poisoned mark; it is held only while the
// list is scanned, copied from or appended to, and no other lock is taken
// while it is held.
class CustomPortList {
 public:
  // Runs `section` on the list under the lock. A section that throws may have
  // left the list half-changed, so it poisons the list for good: every later
  // section fails instead of trusting it.
  template <typename Section>
  decltype(auto) locked(Section&& section) {
    const std::lock_guard lock(mutex_);
    if (poisoned_) {
      throw std::runtime_error(
          "custom station list is poisoned: an earlier operation failed while holding its lock");
    }
    try {
      if (inject_locked_failure.exchange(false)) {
        throw std::runtime_error("injected failure while holding the custom station lock");
      }
      return std::forward<Section>(section)(ports_);
    } catch (...) {
      poisoned_ = true;
      throw;
    }
  }

 private:
  std::mutex mutex_;
  bool poisoned_ = false;
  std::vector<Port> ports_;
};

// Created empty on first use and never destroyed, so that threads still
// running while the process exits can reach it.
CustomPortList& CUSTOM_PORTS() {
  static auto* const list = new CustomPortList;
  return *list;
}

// The first station with exactly this id, byte for byte.
const Port* find_by_id(const std::vector<Port>& ports, std::string_view id) {
  const auto found = std::ranges::find(ports, id, &Port::id);
  return found == ports.end() ? nullptr : &*found;
}

// The id is tried first; the name is lower-cased only when the id misses.
bool matches(const Port& port, std::string_view lowered_query) {
  return text::to_lower(port.id).find(lowered_query) != std::string::npos ||
         text::to_lower(port.name).find(lowered_query) != std::string::npos;
}

}  // namespace

namespace test_hooks {

void fail_next_locked_section() {
  inject_locked_failure.store(true);
}

}  // namespace test_hooks

std::string PortError::debug_text() const {
  return "DuplicateId(" + text::debug_quoted(id) + ")";
}

std::vector<Port> list_ports() {
  const std::vector<Port>& builtin = db::PORTS.get();
  std::vector<Port> all(builtin.begin(), builtin.end());
  CUSTOM_PORTS().locked([&](const std::vector<Port>& custom) {
    all.reserve(all.size() + custom.size());
    all.insert(all.end(), custom.begin(), custom.end());
  });
  return all;
}

std::vector<Port> search_ports(std::string_view query) {
  const std::string lowered_query = text::to_lower(query);
  std::vector<Port> found;
  for (const Port& port : db::PORTS.get()) {
    if (matches(port, lowered_query)) found.push_back(port);
  }
  CUSTOM_PORTS().locked([&](const std::vector<Port>& custom) {
    for (const Port& port : custom) {
      if (matches(port, lowered_query)) found.push_back(port);
    }
  });
  return found;
}

std::optional<Port> get_port(std::string_view id) {
  // A built-in station is answered without the lock, even from a poisoned list.
  if (const Port* builtin = find_by_id(db::PORTS.get(), id)) return *builtin;
  return CUSTOM_PORTS().locked([&](const std::vector<Port>& custom) -> std::optional<Port> {
    if (const Port* found = find_by_id(custom, id)) return *found;
    return std::nullopt;
  });
}

std::expected<void, PortError> add_custom_port(Port port) {
  bool added = false;
  if (find_by_id(db::PORTS.get(), port.id) == nullptr) {
    // The duplicate check and the append under one hold: two threads adding
    // the same id cannot both succeed.
    added = CUSTOM_PORTS().locked([&](std::vector<Port>& custom) {
      if (find_by_id(custom, port.id) != nullptr) return false;
      custom.push_back(std::move(port));
      return true;
    });
  }
  if (added) return {};
  return std::unexpected(PortError{PortError::Kind::DuplicateId, std::move(port.id)});
}

}  // namespace nerith::ports::search
