#include "builtin/reference.hpp"

#include "common/strict_json.hpp"

namespace nerith::reference {
namespace {

using strict_json::Document;
using strict_json::Json;
using strict_json::ObjectReader;

ports::HarmonicConstituent read_constituent(const Document& doc, const Json& value) {
  const ObjectReader in(doc, value, "struct HarmonicConstituent",
                        {"name", "amplitude", "phase_lag"});
  return {in.string("name"), in.number("amplitude"), in.number("phase_lag")};
}

SourceMetadata read_source(const Document& doc, const Json& value) {
  const ObjectReader in(doc, value, "struct SourceMetadata",
                        {"type", "provider", "endpoint", "timezone", "analysis", "note"});
  return {in.string("type"),     in.string("provider"),          in.optional_string("endpoint"),
          in.string("timezone"), in.optional_string("analysis"), in.optional_string("note")};
}

ReferencePort read_port(const Document& doc, const Json& value) {
  const ObjectReader in(doc, value, "struct ReferencePort",
                        {"id", "name", "latitude", "longitude", "mean_water_level",
                         "atlantic_coast", "source", "source_ref", "constituents"});
  ReferencePort port;
  port.id = in.string("id");
  port.name = in.string("name");
  port.latitude = in.number("latitude");
  port.longitude = in.number("longitude");
  port.mean_water_level = in.number("mean_water_level");
  port.atlantic_coast = in.boolean_or("atlantic_coast").value_or(false);
  port.source = in.string("source");
  port.source_ref = in.any("source_ref");
  const Json& constituents = in.array("constituents");
  port.constituents.reserve(constituents.size());
  for (const Json& entry : constituents) port.constituents.push_back(read_constituent(doc, entry));
  return port;
}

Reference read_reference(const Document& doc) {
  const ObjectReader in(doc, doc.root, "struct Reference",
                        {"schema_version", "generated_at", "sources", "ports"});
  Reference reference;
  reference.schema_version = in.string("schema_version");
  reference.generated_at = in.string("generated_at");
  for (const auto& [key, value] : in.object("sources").items()) {
    reference.sources.insert_or_assign(key, read_source(doc, value));
  }
  const Json& ports = in.array("ports");
  reference.ports.reserve(ports.size());
  for (const Json& entry : ports) reference.ports.push_back(read_port(doc, entry));
  return reference;
}

}  // namespace

ports::Port ReferencePort::to_port() const {
  return {id, name, latitude, longitude, mean_water_level, atlantic_coast, constituents};
}

std::expected<Reference, std::string> parse(std::string_view text) {
  return strict_json::read_document(text, read_reference);
}

}  // namespace nerith::reference
