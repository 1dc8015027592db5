// The two tide models the command offers, and what it says of each: which
// datum its heights stand on and which coefficients it gives.
#pragma once

#include <string>
#include <string_view>

#include "nerith/model.hpp"

namespace nerith::cli {

// The full model (the default: 106 French tide gauges, 50 constituents,
// official coefficients, heights above chart datum) or the library's
// built-in one (20 stations, 13 constituents, heights on each station's
// mean-level reference).
enum class Model { Builtin, Full };

const model::Model& model_of(Model choice);

// Both models, in Model's order.
inline constexpr Model MODELS[] = {Model::Builtin, Model::Full};

// What --model takes: "builtin" or "full".
std::string_view model_name(Model choice);

// "full model" or "built-in model".
std::string_view model_label(Model choice);

// "chart datum", or "station mean-level reference"; the JSON's "datum".
std::string_view datum_name(Model choice);

// "above chart datum", or "on the station's mean-level reference".
std::string_view datum_phrase(Model choice);

// "official coefficients", or the built-in model's own scale.
std::string_view coefficient_phrase(Model choice);

// What a table says under its title: "full model: heights above chart
// datum", and the coefficients too when it shows them.
std::string model_line(Model choice, bool with_coefficients);

// How much higher than the full model's the built-in model's low waters can
// stand, in metres: the largest difference over every port both models hold,
// rounded up to a tenth: 0.76 m at Dieppe over 2000 to 2039, 0.68 m at
// springs (bench/low_water_offsets.cpp measures it).
inline constexpr double BUILTIN_LOW_WATER_EXCESS = 0.8;

// The one line printed on standard error when a built-in height is set
// against a depth (windows, chart --level).
std::string builtin_datum_warning();

}  // namespace nerith::cli
