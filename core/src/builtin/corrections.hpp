// Calibration corrections applied once to the built-in constants.
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "nerith/ports.hpp"

namespace nerith::corrections {

struct Adjustment {
  std::string constituent;
  double phase_offset_deg = 0.0;  // degrees added to phase_lag
  double amplitude_ratio = 1.0;   // factor applied to amplitude
};

struct Correction {
  std::string port_id;
  std::string reason;
  std::string applied_at;
  std::string source_campaign;
  std::vector<Adjustment> adjustments;
};

struct Corrections {
  std::string schema_version;
  std::vector<Correction> corrections;
};

struct CorrectionError {
  enum class Kind { UnknownPort, UnknownConstituent, DuplicateEntry };
  Kind kind;
  std::string port_id;
  std::string constituent;  // set for UnknownConstituent only

  // "correction references unknown port '…'" and the like.
  std::string message() const;

  friend bool operator==(const CorrectionError&, const CorrectionError&) = default;
};

// Parses a corrections document strictly (same rules as the reference document).
std::expected<Corrections, std::string> parse(std::string_view text);

// Applies every adjustment in document order, in place. Stops at the first
// error, leaving earlier adjustments applied.
std::expected<void, CorrectionError> apply(std::vector<ports::Port>& ports,
                                           const Corrections& corrections);

}  // namespace nerith::corrections
