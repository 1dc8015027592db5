// The query functions both libraries export, written once over each
// library's model: what it answers with and which records carry it. Each
// takes its argument buffers over, calls the model and lowers the answer;
// the frame reports every failure. A library's exports.cpp names its model
// and defines the C functions with NERITH_UNIFFI_QUERIES, then adds those
// only its interface definition has.
//
// A model is a struct with
//   kCrate                           the crate name, NERITH_UNIFFI_CRATE_NAME
//   TideError                        the library's error record
//   get_port(id)                     an optional port record
//   list_ports(), search_ports(q)    port records
//   height_at(id, t), predict_day(id, day), predict_range(id, first, last, sink)
//                                    the core's answers (std::expected, ApiError)
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "common/answer.hpp"
#include "common/crate_names.hpp"
#include "common/frame.hpp"
#include "common/wire.hpp"
#include "nerith/types.hpp"

namespace nerith::uniffi {

// The library's TideError for an error of the core: its kinds by name, an
// invalid level being an invalid date where the library has no such kind.
template <class TideError>
TideError to_tide_error(ApiError error) {
  using enum ApiError::Kind;
  auto kind =
      error.kind == PortNotFound ? TideError::Kind::PortNotFound : TideError::Kind::InvalidDate;
  if constexpr (requires { TideError::Kind::InvalidLevel; }) {
    if (error.kind == InvalidLevel) kind = TideError::Kind::InvalidLevel;
  }
  return {kind, std::move(error.text)};
}

template <class Model>
struct Queries {
  static constexpr auto to_error = to_tide_error<typename Model::TideError>;

  static RustBuffer get_port(RustBuffer id, RustCallStatus* status) noexcept {
    ArgBuffer id_arg(id);
    log_entry(Model::kCrate, "get_port");
    return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
      const auto text = id_arg.text();
      if (!text) return std::unexpected(text.error());
      return lowered(Model::get_port(*text));
    });
  }

  static double height_at(RustBuffer port_id, std::int64_t timestamp,
                          RustCallStatus* status) noexcept {
    ArgBuffer id_arg(port_id);
    log_entry(Model::kCrate, "height_at");
    return call<double>(status, [&]() -> Outcome<double> {
      const auto id = id_arg.text();
      if (!id) return std::unexpected(id.error());
      return plain_answer(Model::height_at(*id, timestamp), to_error);
    });
  }

  static RustBuffer list_ports(RustCallStatus* status) noexcept {
    log_entry(Model::kCrate, "list_ports");
    return call<RustBuffer>(status,
                            [&]() -> Outcome<RustBuffer> { return lowered(Model::list_ports()); });
  }

  static RustBuffer predict_day(RustBuffer port_id, RustBuffer date,
                                RustCallStatus* status) noexcept {
    ArgBuffer id_arg(port_id);
    ArgBuffer date_arg(date);
    log_entry(Model::kCrate, "predict_day");
    return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
      const auto args = texts(id_arg, date_arg);
      if (!args) return std::unexpected(args.error());
      const auto [id, day] = *args;
      return lowered_answer(Model::predict_day(id, day), to_error);
    });
  }

  static RustBuffer predict_range(RustBuffer port_id, RustBuffer start_date, RustBuffer end_date,
                                  RustCallStatus* status) noexcept {
    ArgBuffer id_arg(port_id);
    ArgBuffer first_arg(start_date);
    ArgBuffer last_arg(end_date);
    log_entry(Model::kCrate, "predict_range");
    return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
      // Arguments are read in signature order, so the first malformed one is reported.
      const auto args = texts(id_arg, first_arg, last_arg);
      if (!args) return std::unexpected(args.error());
      const auto [id, first, last] = *args;
      return streamed_range(
          [&](DaySink& sink) { return Model::predict_range(id, first, last, sink); }, to_error);
    });
  }

  static RustBuffer search_ports(RustBuffer query, RustCallStatus* status) noexcept {
    ArgBuffer query_arg(query);
    log_entry(Model::kCrate, "search_ports");
    return call<RustBuffer>(status, [&]() -> Outcome<RustBuffer> {
      const auto text = query_arg.text();
      if (!text) return std::unexpected(text.error());
      return lowered(Model::search_ports(*text));
    });
  }
};

}  // namespace nerith::uniffi

// The six shared query functions under the crate's names, over Model.
#define NERITH_UNIFFI_QUERIES(Model)                                                             \
  RustBuffer NERITH_FN(get_port)(RustBuffer id, RustCallStatus * status) {                       \
    return nerith::uniffi::Queries<Model>::get_port(id, status);                                 \
  }                                                                                              \
  double NERITH_FN(height_at)(RustBuffer port_id, std::int64_t timestamp,                        \
                              RustCallStatus * status) {                                         \
    return nerith::uniffi::Queries<Model>::height_at(port_id, timestamp, status);                \
  }                                                                                              \
  RustBuffer NERITH_FN(list_ports)(RustCallStatus * status) {                                    \
    return nerith::uniffi::Queries<Model>::list_ports(status);                                   \
  }                                                                                              \
  RustBuffer NERITH_FN(predict_day)(RustBuffer port_id, RustBuffer date,                         \
                                    RustCallStatus * status) {                                   \
    return nerith::uniffi::Queries<Model>::predict_day(port_id, date, status);                   \
  }                                                                                              \
  RustBuffer NERITH_FN(predict_range)(RustBuffer port_id, RustBuffer start_date,                 \
                                      RustBuffer end_date, RustCallStatus * status) {            \
    return nerith::uniffi::Queries<Model>::predict_range(port_id, start_date, end_date, status); \
  }                                                                                              \
  RustBuffer NERITH_FN(search_ports)(RustBuffer query, RustCallStatus * status) {                \
    return nerith::uniffi::Queries<Model>::search_ports(query, status);                          \
  }
