#include "builtin/corrections.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "common/strict_json.hpp"

namespace nerith::corrections {
namespace {

using strict_json::Document;
using strict_json::Json;
using strict_json::ObjectReader;

Adjustment read_adjustment(const Document& doc, const Json& value) {
  const ObjectReader in(doc, value, "struct Adjustment",
                        {"constituent", "phase_offset_deg", "amplitude_ratio"});
  return {in.string("constituent"), in.number_or("phase_offset_deg").value_or(0.0),
          in.number_or("amplitude_ratio").value_or(1.0)};
}

Correction read_correction(const Document& doc, const Json& value) {
  const ObjectReader in(doc, value, "struct Correction",
                        {"port_id", "reason", "applied_at", "source_campaign", "adjustments"});
  Correction correction{in.string("port_id"),
                        in.string("reason"),
                        in.string("applied_at"),
                        in.string("source_campaign"),
                        {}};
  for (const Json& entry : in.array("adjustments")) {
    correction.adjustments.push_back(read_adjustment(doc, entry));
  }
  return correction;
}

Corrections read_corrections(const Document& doc) {
  const ObjectReader in(doc, doc.root, "struct Corrections", {"schema_version", "corrections"});
  Corrections corrections{in.string("schema_version"), {}};
  for (const Json& entry : in.array("corrections")) {
    corrections.corrections.push_back(read_correction(doc, entry));
  }
  return corrections;
}

// (phase + offset) reduced into [0, 360]: fmod keeps the dividend's sign, so
// a negative remainder gets one turn added. A remainder of −0.0 stays, and a
// tiny negative one rounds up to exactly 360.0.
double shifted_phase(double phase, double offset) {
  double reduced = std::fmod(phase + offset, 360.0);
  if (reduced < 0.0) reduced += 360.0;
  return reduced;
}

}  // namespace

std::string CorrectionError::message() const {
  switch (kind) {
    case Kind::UnknownPort:
      return "correction references unknown port '" + port_id + "'";
    case Kind::UnknownConstituent:
      return "port '" + port_id + "' has no constituent '" + constituent + "'";
    case Kind::DuplicateEntry:
      return "port '" + port_id + "' has more than one correction entry";
  }
  return {};
}

std::expected<Corrections, std::string> parse(std::string_view text) {
  return strict_json::read_document(text, read_corrections);
}

std::expected<void, CorrectionError> apply(std::vector<ports::Port>& ports,
                                           const Corrections& corrections) {
  std::unordered_set<std::string> corrected;
  for (const Correction& correction : corrections.corrections) {
    const std::string& id = correction.port_id;
    if (!corrected.insert(id).second) {
      return std::unexpected(CorrectionError{CorrectionError::Kind::DuplicateEntry, id, {}});
    }
    const auto port = std::ranges::find(ports, id, &ports::Port::id);
    if (port == ports.end()) {
      return std::unexpected(CorrectionError{CorrectionError::Kind::UnknownPort, id, {}});
    }
    for (const Adjustment& adjustment : correction.adjustments) {
      const auto constituent = std::ranges::find(port->constituents, adjustment.constituent,
                                                 &ports::HarmonicConstituent::name);
      if (constituent == port->constituents.end()) {
        return std::unexpected(
            CorrectionError{CorrectionError::Kind::UnknownConstituent, id, adjustment.constituent});
      }
      constituent->phase_lag = shifted_phase(constituent->phase_lag, adjustment.phase_offset_deg);
      constituent->amplitude = constituent->amplitude * adjustment.amplitude_ratio;
    }
  }
  return {};
}

}  // namespace nerith::corrections
