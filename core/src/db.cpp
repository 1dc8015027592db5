#include "nerith/db.hpp"

#include <atomic>
#include <mutex>
#include <stdexcept>

#include "nerith/corrections.hpp"
#include "nerith/reference.hpp"

namespace nerith::db {

std::vector<ports::Port> build_ports(std::string_view reference_text,
                                     std::string_view corrections_text) {
  // Both documents are parsed before anything is converted.
  auto reference = reference::parse(reference_text);
  if (!reference) {
    throw std::runtime_error("invalid embedded ports_reference.json: " + reference.error());
  }
  const auto corrections = corrections::parse(corrections_text);
  if (!corrections) {
    throw std::runtime_error("invalid embedded ports_corrections.json: " + corrections.error());
  }
  std::vector<ports::Port> table;
  table.reserve(reference->ports.size());
  for (const reference::ReferencePort& entry : reference->ports) table.push_back(entry.to_port());
  if (const auto applied = corrections::apply(table, *corrections); !applied) {
    throw std::runtime_error("ports_corrections.json merge failed: " + applied.error().message());
  }
  return table;
}

namespace {

// A lazily built value whose failed build poisons it for good
// (std::call_once would retry after an exception).
class PoisonableTable {
 public:
  const std::vector<ports::Port>& get() {
    if (state_.load(std::memory_order_acquire) == State::Built) return table_;
    const std::lock_guard lock(mutex_);
    switch (state_.load(std::memory_order_relaxed)) {
      case State::Built:
        return table_;
      case State::Poisoned:
        throw std::runtime_error("Lazy instance has previously been poisoned");
      case State::Empty:
        break;
    }
    try {
      table_ = build_ports(embedded_reference_document(), embedded_corrections_document());
    } catch (...) {
      state_.store(State::Poisoned, std::memory_order_relaxed);
      throw;
    }
    state_.store(State::Built, std::memory_order_release);
    return table_;
  }

 private:
  enum class State { Empty, Built, Poisoned };
  std::atomic<State> state_{State::Empty};
  std::mutex mutex_;
  std::vector<ports::Port> table_;
};

}  // namespace

const std::vector<ports::Port>& BuiltinTable::get() const {
  static PoisonableTable table;  // never destroyed before exit; never rebuilt
  return table.get();
}

}  // namespace nerith::db
