// What the library keeps to itself: the log records of the boundary and the
// writers of the wire format. Linked with the library's objects, so the
// logging facade seen here is the one the exported functions use.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "builtin/records.hpp"
#include "client.hpp"
#include "common/answer.hpp"
#include "common/frame.hpp"
#include "common/wire.hpp"
#include "nerith/api.hpp"
#include "nerith/log.hpp"
#include "nerith_uniffi.h"

namespace nerith::uniffi::testing {
namespace {

struct Seen {
  log::Level level;
  std::string target;
  std::string module_path;
  std::string text;
};

std::mutex seen_mutex;
std::vector<Seen> seen;

void remember(const log::Record& record, void*) {
  const std::lock_guard lock(seen_mutex);
  seen.push_back({record.level, std::string(record.target), std::string(record.module_path),
                  std::string(record.text)});
}

void throw_from_sink(const log::Record&, void*) {
  throw std::runtime_error("sink failed");
}

// Installs a recording sink at the given level for one test.
class LogRecords : public ::testing::Test {
 protected:
  void listen(log::Level level, log::Sink sink = remember) {
    seen.clear();
    log::set_sink(sink, nullptr);
    log::set_max_level(level);
  }
  void TearDown() override {
    log::set_max_level(log::Level::Off);
    log::set_sink(nullptr, nullptr);
  }
};

TEST_F(LogRecords, EachQueryLogsItsNameOnEntryAtDebugLevel) {
  listen(log::Level::Debug);
  RustCallStatus status{};
  take(uniffi_nerith_uniffi_fn_func_get_port(lend("FR-BREST"), &status));
  take(uniffi_nerith_uniffi_fn_func_list_ports(&status));
  uniffi_nerith_uniffi_fn_func_height_at(lend("XX"), 0, &status);
  take(status.error_buf);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].level, log::Level::Debug);
  EXPECT_EQ(seen[0].target, "nerith_uniffi");
  EXPECT_EQ(seen[0].module_path, "nerith_uniffi");
  EXPECT_EQ(seen[0].text, "get_port");
  EXPECT_EQ(seen[1].text, "list_ports");
  EXPECT_EQ(seen[2].text, "height_at");  // a TideError is not a fault: nothing more
}

TEST_F(LogRecords, BufferFunctionsLogOnlyTheirFaults) {
  listen(log::Level::Trace);
  RustCallStatus status{};
  take(ffi_nerith_uniffi_rustbuffer_alloc(4, &status));
  EXPECT_TRUE(seen.empty());
  ffi_nerith_uniffi_rustbuffer_free({5, 0, nullptr}, &status);
  take(status.error_buf);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].level, log::Level::Error);
  EXPECT_EQ(seen[0].target, "uniffi_core::ffi::rustcalls");
  EXPECT_EQ(seen[0].module_path, "uniffi_core::ffi::rustcalls");
  EXPECT_EQ(seen[0].text,
            "Caught a panic calling rust code: \"null RustBuffer had non-zero capacity\"");
}

TEST_F(LogRecords, AnUnreadableArgumentIsNotLogged) {
  listen(log::Level::Error);
  RustCallStatus status{};
  uniffi_nerith_uniffi_fn_func_add_custom_port(lend(Bytes{0, 0}), &status);
  EXPECT_EQ(outcome_of(status).code, 2);
  EXPECT_TRUE(seen.empty());  // and the entry record is below the level
}

TEST_F(LogRecords, NothingIsLoggedWhileTheLevelIsOff) {
  listen(log::Level::Off);
  RustCallStatus status{};
  take(uniffi_nerith_uniffi_fn_func_get_port(lend("FR-BREST"), &status));
  ffi_nerith_uniffi_rustbuffer_free({5, 0, nullptr}, &status);
  take(status.error_buf);
  EXPECT_TRUE(seen.empty());
}

TEST_F(LogRecords, AThrowingSinkDoesNotDisturbTheCall) {
#ifdef NERITH_BINDINGS_NO_EXCEPTIONS
  GTEST_SKIP() << "built without exceptions: for runtimes where no sink can throw";
#endif
  listen(log::Level::Trace, throw_from_sink);
  RustCallStatus status{};
  Decoder in(take(uniffi_nerith_uniffi_fn_func_get_port(lend("FR-BREST"), &status)));
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(in.u8(), 1);
  ffi_nerith_uniffi_rustbuffer_free({0, 1, nullptr}, &status);
  const Outcome outcome = outcome_of(status);
  EXPECT_EQ(outcome.code, 2);
  EXPECT_EQ(outcome.message(), "null RustBuffer had non-zero length");
}

TEST(DebugQuoted, EscapesWhatWouldBeInvisibleOrAmbiguous) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
      {"a\tb\rc\nd", "\"a\\tb\\rc\\nd\""},
      {std::string("nul\0", 4), "\"nul\\0\""},
      {"it's", "\"it's\""},
      {"\x1b[0m", "\"\\u{1b}[0m\""},
      {"Île d'Yeu", "\"Île d'Yeu\""},
      {"e\xCC\x81", "\"e\\u{301}\""},  // combining acute accent
      {"a\xE2\x80\x8B"
       "b",
       "\"a\\u{200b}b\""},  // zero-width space (format)
      {"a\xC2\xA0"
       "b",
       "\"a\\u{a0}b\""},  // no-break space
      {"bad\xFF", "\"bad\xEF\xBF\xBD\""},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(debug_quoted(text), quoted);
}

Bytes lowered(const auto& value) {
  auto buffer = wire::lower(value);
  EXPECT_TRUE(buffer.has_value());
  return buffer ? take(*buffer) : Bytes{};
}

TEST(Wire, WorkedExamples) {
  harmonic::extremes::Extreme high{1767268800, 6.5, true, 95};
  EXPECT_EQ(lowered(high), (Bytes{0x00, 0x00, 0x00, 0x00, 0x69, 0x56, 0x61, 0xC0, 0x40, 0x1A, 0x00,
                                  0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x5F}));
  harmonic::extremes::Extreme low{1767268800, 6.5, false, std::nullopt};
  EXPECT_EQ(lowered(low), (Bytes{0x00, 0x00, 0x00, 0x00, 0x69, 0x56, 0x61, 0xC0, 0x40, 0x1A, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(lowered(ports::HarmonicConstituent{"M2", 0.0, -0.0}),
            (Bytes{0, 0, 0, 2, 0x4D, 0x32, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(lowered(std::vector<harmonic::engine::HeightSample>{}), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(lowered(std::optional<ports::Port>{}), Bytes{0});
  EXPECT_EQ(lowered(builtin::TideError{builtin::TideError::Kind::PortNotFound, "X"}),
            (Bytes{0, 0, 0, 1, 0, 0, 0, 1, 0x58}));
  EXPECT_EQ(lowered(harmonic::engine::HeightSample{-1, 1.0}),
            (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
}

TEST(Wire, APortRoundTripsThroughItsBytes) {
  const ports::Port port{"ID", "Nâme", 1.5, -2.25, 3.0, true, {{"M2", 1.0, 2.0}, {"K1", 3.0, 4.0}}};
  const Bytes bytes = lowered(port);
  EXPECT_EQ(bytes.size(), (4 + 2) + (4 + 5) + 24 + 1 + 4 + 2 * (4 + 2 + 16));
  const auto lifted = builtin::lift_port(bytes);
  ASSERT_TRUE(lifted.has_value()) << lifted.error();
  EXPECT_EQ(*lifted, port);
}

TEST(Wire, ResultsGrowLikeReserve) {
  ByteBuffer out;
  wire::write_u8(out, 1);
  RustBuffer buffer = out.release();
  EXPECT_EQ(buffer.capacity, 8u);
  take(buffer);
  // Nothing written: the empty buffer with its placeholder.
  buffer = ByteBuffer().release();
  EXPECT_EQ(buffer.capacity, 0u);
  EXPECT_NE(buffer.data, nullptr);
  take(buffer);
}

// A fault is kept, not thrown: later writes are dropped and finish() gives
// the first fault, whatever came after it.
TEST(Wire, TheFirstFaultIsKeptAndLaterWritesAreDropped) {
  ByteBuffer out;
  wire::write_u8(out, 1);
  wire::write_count(out, std::uint64_t{1} << 31);
  EXPECT_TRUE(out.faulted());
  wire::write_string(out, "dropped");
  wire::write_count(out, std::uint64_t{1} << 32);
  EXPECT_FALSE(out.reserve(1));
  EXPECT_EQ(out.size(), 1u);
  const auto finished = std::move(out).finish();
  ASSERT_FALSE(finished.has_value());
  EXPECT_EQ(finished.error().message, "a sequence of 2147483648 elements is too long to encode");
}

// Each reading fault is the first one met; a forged count stops at the
// first missing constituent instead of reading on to the count.
TEST(Wire, ALiftReportsItsFirstFault) {
  const auto port_head = [](std::uint8_t coast) {
    Bytes bytes = {0, 0, 0, 1, 'A', 0, 0, 0, 1, 'B'};
    bytes.resize(bytes.size() + 24, 0);  // latitude, longitude, mean level
    bytes.push_back(coast);
    return bytes;
  };
  const auto with = [](Bytes bytes, const Bytes& tail) {
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  const std::pair<Bytes, std::string> cases[] = {
      {with(port_head(1), {0x7F, 0xFF, 0xFF, 0xFF}),
       "not enough bytes remaining in buffer (0 < 4)"},
      {with(port_head(2), {0x7F, 0xFF, 0xFF, 0xFF}), "unexpected byte for Boolean"},
      {with(port_head(1), {0xFF, 0xFF, 0xFF, 0xFF}),
       "out of range integral type conversion attempted"},
      {with(port_head(1), {0, 0, 0, 1, 0, 0, 0, 1, 0xC3}),
       "incomplete utf-8 byte sequence from index 0"},
      {with(port_head(1), {0, 0, 0, 0, 9}), "junk data left in buffer after lifting (count: 1)"},
      {{0, 0, 0, 2, 'A'}, "not enough bytes remaining in buffer (1 < 2)"},
  };
  for (const auto& [bytes, message] : cases) {
    const auto lifted = builtin::lift_port(bytes);
    ASSERT_FALSE(lifted.has_value()) << message;
    EXPECT_EQ(lifted.error(), message);
  }
}

// Counts the days it is given and stops after `limit` of them.
class StoppingSink final : public api::DaySink {
 public:
  explicit StoppingSink(std::uint64_t limit) : limit_(limit) {}
  void begin(std::uint64_t) override {}
  void day(const ports::DayPrediction&) override { ++days; }
  bool stopped() const noexcept override { return days >= limit_; }
  std::uint64_t days = 0;

 private:
  std::uint64_t limit_;
};

// A sink that stops is given no more days: a range too long to encode
// fails at once instead of working out every day first.
TEST(Range, ASinkThatStopsEndsTheRangeAtOnce) {
  for (const std::uint64_t limit : {1, 3}) {
    StoppingSink sink(limit);
    EXPECT_TRUE(api::predict_range("FR-BREST", "2026-01-01", "2026-12-31", sink).has_value());
    EXPECT_EQ(sink.days, limit);
  }
  RangeEncoder encoder;
  encoder.begin(std::uint64_t{1} << 40);
  EXPECT_TRUE(encoder.stopped());
  const auto encoded = std::move(encoder).finish();
  ASSERT_FALSE(encoded.has_value());
  EXPECT_EQ(encoded.error().message, "a sequence of 1099511627776 elements is too long to encode");
}

}  // namespace
}  // namespace nerith::uniffi::testing
