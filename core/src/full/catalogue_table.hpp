// The full model's station catalogue as compiled data: the records that
// cmake/full_catalogue.cmake writes from stations_full.json at build time,
// with the checks that make a bad document fail the build.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "full/constituent_table.hpp"
#include "nerith/full/api.hpp"

namespace nerith::full::catalogue::table {

// [name, amplitude in metres, Greenwich phase lag in degrees], the name as
// its row of constituents::TABLE.
struct ConstituentRecord {
  std::size_t row = 0;
  double amplitude = 0.0;
  double phase_lag = 0.0;
};

struct DatumRecord {
  std::string_view name;
  double height = 0.0;
};

// One station, field for field as the document has it.
struct StationRecord {
  std::string_view id;
  std::string_view name;
  int gauge = 0;
  std::string_view record;
  double latitude = 0.0;
  double longitude = 0.0;
  std::string_view timezone;
  Coast coast = Coast::Atlantic;
  double mean_level = 0.0;
  std::span<const DatumRecord> datums;
  std::string_view analysis_first;
  std::string_view analysis_last;
  int quality = 0;
  std::span<const ConstituentRecord> constituents;
};

struct Document {
  std::string_view licence;
  std::string_view attribution;
  std::span<const StationRecord> stations;
};

// The compiled stations_full.json.
extern const Document DOCUMENT;

// No constituent given twice (checked on each station at compile time).
consteval bool distinct_rows(std::span<const ConstituentRecord> constituents) {
  for (std::size_t i = 0; i < constituents.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (constituents[i].row == constituents[j].row) return false;
    }
  }
  return true;
}

// No station id given twice.
consteval bool distinct_ids(std::span<const StationRecord> stations) {
  for (std::size_t i = 0; i < stations.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (stations[i].id == stations[j].id) return false;
    }
  }
  return true;
}

}  // namespace nerith::full::catalogue::table
