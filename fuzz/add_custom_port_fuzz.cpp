// add_custom_port with arbitrary argument bytes. The answer is a success, a
// PortRejected carrying DuplicateId("…"), or a conversion failure with its
// message; only a success changes the registry, by exactly one station,
// which then comes back byte for byte and can be predicted. The built-in
// library's own function: linked with builtin_target.cpp.
#include <cstdint>
#include <span>
#include <string>

#include "harness.hpp"
#include "nerith_uniffi.h"

namespace {

using namespace nerith::fuzz;

constexpr std::int64_t kMarch10th2026 = 1773100800;

std::int32_t registered() {
  RustCallStatus status{};
  const Bytes listed = take(uniffi_nerith_uniffi_fn_func_list_ports(&status));
  require(settle(status).code == 0, "list_ports failed");
  return static_cast<std::int32_t>(read_stations(listed).size());
}

// The id of a Port encoding that the library accepted: its first string.
std::string id_of(std::span<const std::uint8_t> port) {
  Reader in(port);
  return in.string();
}

Bytes found(std::span<const std::uint8_t> port) {
  Bytes bytes{1};
  bytes.insert(bytes.end(), port.begin(), port.end());
  return bytes;
}

Bytes get_port(const std::string& id) {
  RustCallStatus status{};
  const Bytes result = take(uniffi_nerith_uniffi_fn_func_get_port(lend(id), &status));
  require(settle(status).code == 0, "get_port failed");
  return result;
}

// A station just added, whatever its constants, gives a well-formed day and a height.
void predict(const std::string& id) {
  RustCallStatus status{};
  const Bytes day =
      take(uniffi_nerith_uniffi_fn_func_predict_day(lend(id), lend("2026-03-10"), &status));
  require(settle(status).code == 0, "predict_day failed for an added station");
  Reader in(day);
  read_day(in, id, "2026-03-10", kMarch10th2026);
  require(in.remaining() == 0, "bytes left after a DayPrediction");
  uniffi_nerith_uniffi_fn_func_height_at(lend(id), kMarch10th2026 + 12345, &status);
  require(settle(status).code == 0, "height_at failed for an added station");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::int32_t initial = registered();
  static std::int32_t added = 0;
  static std::uint64_t runs = 0;
  // Counting lists every station, so it is done on every input only while
  // the custom list is short. A failure that added a station would still
  // show at a later count: the list never shrinks.
  const bool count = added < 256 || ++runs % 64 == 0;
  if (count) require(registered() == initial + added, "the registry changed between calls");

  const std::span<const std::uint8_t> port(data, size);
  RustCallStatus status{};
  uniffi_nerith_uniffi_fn_func_add_custom_port(lend(port), &status);
  const Failure failure = settle(status);
  switch (failure.code) {
    case 0: {
      ++added;
      const std::string id = id_of(port);
      require(get_port(id) == found(port), "an added station does not come back as sent");
      predict(id);
      break;
    }
    case 1: {
      const TideError error = read_tide_error(failure.error);
      require(error.variant == 3, "add_custom_port failed with other than PortRejected");
      require(error.message.starts_with("DuplicateId(\"") && error.message.ends_with("\")"),
              "PortRejected without DuplicateId(\"…\")");
      require(get_port(id_of(port)).at(0) == 1, "a rejected id is not registered");
      break;
    }
    default:
      require(failure.message().starts_with("Failed to convert arg 'port': "),
              "add_custom_port failed without a conversion message");
      break;
  }
  if (count) require(registered() == initial + added, "a failed addition changed the registry");
  return 0;
}
