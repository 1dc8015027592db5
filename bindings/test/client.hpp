// Calls nerith's UniFFI libraries the way generated bindings do: arguments in
// library-made buffers, a fresh RustCallStatus per call, big-endian decoding,
// every returned buffer freed; and runs such calls from many threads at once.
#pragma once

#include <gtest/gtest.h>

#include <barrier>
#include <bit>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "libraries.hpp"
#include "nerith_full_uniffi.h"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes_of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

inline std::string text_of(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A buffer holding a copy of `bytes`, made by the library.
inline RustBuffer lend(const BufferFunctions& library, const Bytes& bytes) {
  RustCallStatus status{};
  const RustBuffer buffer =
      library.from_bytes({static_cast<std::int32_t>(bytes.size()), bytes.data()}, &status);
  EXPECT_EQ(status.code, 0);
  return buffer;
}
inline RustBuffer lend(const Bytes& bytes) {
  return lend(kNerith, bytes);
}
inline RustBuffer lend(std::string_view text) {
  return lend(bytes_of(text));
}

// The buffer's bytes; the buffer is freed.
inline Bytes take(const BufferFunctions& library, RustBuffer buffer) {
  Bytes bytes;
  if (buffer.len > 0) bytes.assign(buffer.data, buffer.data + buffer.len);
  RustCallStatus status{};
  library.free(buffer, &status);
  EXPECT_EQ(status.code, 0);
  return bytes;
}
inline Bytes take(RustBuffer buffer) {
  return take(kNerith, buffer);
}

// What a call left in its status: the code and the error_buf's bytes (freed).
struct Outcome {
  std::int8_t code;
  Bytes error;

  std::string message() const { return text_of(error); }
};

inline Outcome outcome_of(const BufferFunctions& library, RustCallStatus& status) {
  if (status.code == 2) {
    // An unexpected failure's message fills its buffer exactly.
    EXPECT_EQ(status.error_buf.capacity, status.error_buf.len);
  }
  return {status.code, take(library, status.error_buf)};
}
inline Outcome outcome_of(RustCallStatus& status) {
  return outcome_of(kNerith, status);
}

inline bool is_zero(const RustBuffer& buffer) {
  return buffer.capacity == 0 && buffer.len == 0 && buffer.data == nullptr;
}

// Big-endian encoder for argument records.
class Encoder {
 public:
  Encoder& u8(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  Encoder& i32(std::int32_t value) { return big_endian(static_cast<std::uint32_t>(value), 4); }
  Encoder& f64(double value) { return big_endian(std::bit_cast<std::uint64_t>(value), 8); }
  Encoder& string(std::string_view text) {
    i32(static_cast<std::int32_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  Encoder& raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  const Bytes& bytes() const { return bytes_; }

 private:
  Encoder& big_endian(std::uint64_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    return *this;
  }
  Bytes bytes_;
};

// A custom port with one or two constituents, as its wire bytes.
inline Bytes port_bytes(std::string_view id, std::string_view name = "Custom",
                        int constituents = 2) {
  Encoder out;
  out.string(id).string(name).f64(47.5).f64(-3.25).f64(3.1).u8(1).i32(constituents);
  if (constituents >= 1) out.string("M2").f64(1.5).f64(120.0);
  if (constituents >= 2) out.string("S2").f64(0.5).f64(160.0);
  return out.bytes();
}

// Big-endian decoder for results; fails the test on running short.
class Decoder {
 public:
  explicit Decoder(Bytes bytes) : bytes_(std::move(bytes)) {}

  std::uint8_t u8() { return next(); }
  bool boolean() {
    const std::uint8_t byte = next();
    EXPECT_LE(byte, 1);
    return byte == 1;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(big_endian(4)); }
  std::int64_t i64() { return static_cast<std::int64_t>(big_endian(8)); }
  double f64() { return std::bit_cast<double>(big_endian(8)); }
  std::string string() {
    const std::int32_t length = i32();
    std::string text;
    for (std::int32_t i = 0; i < length; ++i) text.push_back(static_cast<char>(next()));
    return text;
  }
  std::size_t remaining() const { return bytes_.size() - at_; }

 private:
  std::uint8_t next() {
    if (at_ >= bytes_.size()) {
      ADD_FAILURE() << "result shorter than its encoding";
      return 0;
    }
    return bytes_[at_++];
  }
  std::uint64_t big_endian(int width) {
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | next();
    return value;
  }
  Bytes bytes_;
  std::size_t at_ = 0;
};

// A Port read field by field; the decoder is left after it.
struct PortView {
  std::string id;
  std::string name;
  int constituents;
};

inline PortView read_port(Decoder& in) {
  PortView port{in.string(), in.string(), 0};
  in.f64();
  in.f64();
  in.f64();
  in.boolean();
  port.constituents = in.i32();
  for (int i = 0; i < port.constituents; ++i) {
    in.string();
    in.f64();
    in.f64();
  }
  return port;
}

// The bytes of a TideError: variant number, then the message.
inline Bytes tide_error(std::int32_t variant, std::string_view message) {
  return Encoder().i32(variant).string(message).bytes();
}

// Everything a call leaves behind: status code, result bytes (a height as its
// bit pattern) and the error_buf's bytes.
struct Answer {
  std::int8_t code = 0;
  Bytes result;
  Bytes error;

  friend bool operator==(const Answer&, const Answer&) = default;
};

inline Answer answer_of(const BufferFunctions& library, RustCallStatus& status, RustBuffer result) {
  Outcome outcome = outcome_of(library, status);
  return {outcome.code, take(library, result), std::move(outcome.error)};
}

// The six queries of either library, as answers.
inline Answer list_ports(const QueryFunctions& library) {
  RustCallStatus status{};
  const RustBuffer result = library.list(&status);
  return answer_of(library.buffers, status, result);
}
inline Answer search_ports(const QueryFunctions& library, RustBuffer query) {
  RustCallStatus status{};
  const RustBuffer result = library.search(query, &status);
  return answer_of(library.buffers, status, result);
}
inline Answer get_port(const QueryFunctions& library, RustBuffer id) {
  RustCallStatus status{};
  const RustBuffer result = library.get(id, &status);
  return answer_of(library.buffers, status, result);
}
inline Answer height_at(const QueryFunctions& library, RustBuffer id, std::int64_t t) {
  RustCallStatus status{};
  const double height = library.height_at(id, t, &status);
  Answer answer = answer_of(library.buffers, status, {0, 0, nullptr});
  answer.result = Encoder().f64(height).bytes();
  return answer;
}
inline Answer predict_day(const QueryFunctions& library, RustBuffer id, RustBuffer date) {
  RustCallStatus status{};
  const RustBuffer result = library.predict_day(id, date, &status);
  return answer_of(library.buffers, status, result);
}
inline Answer predict_range(const QueryFunctions& library, RustBuffer id, RustBuffer first,
                            RustBuffer last) {
  RustCallStatus status{};
  const RustBuffer result = library.predict_range(id, first, last, &status);
  return answer_of(library.buffers, status, result);
}

// As many threads as a phone's worker pool may run.
inline constexpr int kThreads = 8;

// Runs body(t) for every t below `threads`, each on its own thread, all
// released together; returns when all are done.
template <class Body>
void on_threads(int threads, Body body) {
  std::barrier start(threads);
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      start.arrive_and_wait();
      body(t);
    });
  }
  for (std::thread& thread : pool) thread.join();
}

// Each call on its own thread, all at once: their answers, in order.
inline std::vector<Answer> all_at_once(const std::vector<std::function<Answer()>>& calls) {
  std::vector<Answer> answers(calls.size());
  on_threads(static_cast<int>(calls.size()), [&](int i) { answers[i] = calls[i](); });
  return answers;
}

struct NamedCall {
  std::string name;
  std::function<Answer()> call;
};

// kThreads threads each walk `calls` `rounds` times, from their own starting
// point: the names of the calls whose answer was not `expected`'s.
inline std::vector<std::string> mismatches_on_threads(const std::vector<NamedCall>& calls,
                                                      const std::vector<Answer>& expected,
                                                      int rounds) {
  std::vector<std::vector<std::string>> seen(kThreads);
  on_threads(kThreads, [&](int t) {
    for (int round = 0; round < rounds; ++round) {
      for (std::size_t k = 0; k < calls.size(); ++k) {
        const std::size_t i = (k + static_cast<std::size_t>(t + round)) % calls.size();
        if (calls[i].call() != expected[i]) seen[t].push_back(calls[i].name);
      }
    }
  });
  std::vector<std::string> mismatches;
  for (const auto& names : seen) mismatches.insert(mismatches.end(), names.begin(), names.end());
  return mismatches;
}

// One thread's answers to `calls`, in order.
inline std::vector<Answer> answers_of(const std::vector<NamedCall>& calls) {
  std::vector<Answer> answers;
  for (const NamedCall& call : calls) answers.push_back(call.call());
  return answers;
}

}  // namespace nerith::uniffi::testing
