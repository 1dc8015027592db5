// A value built on first use. One caller runs the build while concurrent
// first callers wait for it; afterwards reads take no lock. A build that
// throws poisons the value for good (std::call_once would retry instead):
// its caller gets the build's exception and every later get() throws
// "Lazy instance has previously been poisoned".
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace nerith::detail {

template <class Build>
class Lazy {
 public:
  using Value = std::invoke_result_t<Build&>;

  explicit Lazy(Build build) : build_(std::move(build)) {}

  const Value& get() {
    if (state_.load(std::memory_order_acquire) == State::Built) return *value_;
    const std::lock_guard lock(mutex_);
    switch (state_.load(std::memory_order_relaxed)) {
      case State::Built:
        return *value_;
      case State::Poisoned:
        throw std::runtime_error("Lazy instance has previously been poisoned");
      case State::Empty:
        break;
    }
    try {
      value_.emplace(build_());
    } catch (...) {
      state_.store(State::Poisoned, std::memory_order_relaxed);
      throw;
    }
    state_.store(State::Built, std::memory_order_release);
    return *value_;
  }

 private:
  enum class State { Empty, Built, Poisoned };
  std::atomic<State> state_{State::Empty};
  std::mutex mutex_;
  Build build_;
  std::optional<Value> value_;
};

}  // namespace nerith::detail
