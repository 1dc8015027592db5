// The embedded reference document: stations and their harmonic constants.
#pragma once

#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/strict_json.hpp"
#include "nerith/ports.hpp"

namespace nerith::reference {

struct SourceMetadata {
  std::string type;
  std::string provider;
  std::optional<std::string> endpoint;
  std::string timezone;
  std::optional<std::string> analysis;
  std::optional<std::string> note;
};

struct ReferencePort {
  std::string id;
  std::string name;
  double latitude = 0.0;
  double longitude = 0.0;
  double mean_water_level = 0.0;
  bool atlantic_coast = false;
  std::string source;
  std::optional<strict_json::Json> source_ref;  // provenance, any shape, keys in order
  std::vector<ports::HarmonicConstituent> constituents;

  // A Port with the same station fields; source and source_ref are dropped.
  ports::Port to_port() const;
};

struct Reference {
  std::string schema_version;
  std::string generated_at;
  std::map<std::string, SourceMetadata> sources;
  std::vector<ReferencePort> ports;
};

// Parses a reference document strictly. The error is the parser's
// description of the first fault, naming its line and column.
std::expected<Reference, std::string> parse(std::string_view text);

}  // namespace nerith::reference
