#include "common/windows.hpp"

namespace nerith::windows {

AboveWindows::AboveWindows(std::int64_t start, bool above_at_start)
    : range_start_(start), above_(above_at_start), since_(start) {}

void AboveWindows::cross(std::int64_t t) {
  if (above_) {
    // A window that opened at this very second closes at once: nothing to keep.
    if (t > since_) windows_.push_back({since_, t, since_ == range_start_, false});
  }
  above_ = !above_;
  since_ = t;
}

std::vector<WaterWindow> AboveWindows::finish(std::int64_t end) && {
  if (above_ && end > since_) windows_.push_back({since_, end, since_ == range_start_, true});
  return std::move(windows_);
}

std::vector<WaterWindow> complement(std::span<const WaterWindow> above, std::int64_t start,
                                    std::int64_t end) {
  std::vector<WaterWindow> below;
  std::int64_t from = start;
  bool open = true;  // the first gap, if any, began before the range
  for (const WaterWindow& w : above) {
    if (w.start > from) below.push_back({from, w.start, open, false});
    from = w.end;
    open = false;
  }
  if (end > from || above.empty()) below.push_back({from, end, open, true});
  return below;
}

}  // namespace nerith::windows
