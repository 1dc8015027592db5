#include "common/answer.hpp"

#include <string>

namespace nerith::uniffi {
namespace {

constexpr std::uint64_t kCountBytes = 4;
constexpr std::uint64_t kExtremeBytes = 19;  // time, height, is_high, coefficient

}  // namespace

void RangeEncoder::begin(std::uint64_t days) {
  wire::write_count(out_, days);
  remaining_ = days;
}

void RangeEncoder::day(const DayPrediction& prediction) {
  const std::uint64_t before = out_.size();
  wire::write(out_, prediction);
  if (--remaining_ > 0 && before == kCountBytes) {
    const std::uint64_t per_day = out_.size() - before + kExtremeBytes;
    if (remaining_ > kMaxBufferSize / per_day) {
      out_.fail({"capacity overflow"});
      return;
    }
    out_.reserve(remaining_ * per_day);
  }
}

Failure unreadable(std::string_view name, std::string_view reason) {
  const std::string message =
      "Failed to convert arg '" + std::string(name) + "': " + std::string(reason);
  auto payload =
      copy_to_buffer({reinterpret_cast<const std::uint8_t*>(message.data()), message.size()});
  if (!payload) return std::move(payload.error());
  return CallError{2, ByteBuffer(*payload)};
}

}  // namespace nerith::uniffi
