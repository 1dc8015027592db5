#include "models.hpp"

#include "nerith/api.hpp"
#include "nerith/full/api.hpp"
#include "text.hpp"

namespace nerith::cli {

const model::Model& model_of(Model choice) {
  return choice == Model::Full ? full::model() : api::model();
}

std::string_view model_name(Model choice) {
  return model_of(choice).name();
}

std::string_view model_label(Model choice) {
  return choice == Model::Full ? "full model" : "built-in model";
}

std::string_view datum_name(Model choice) {
  return choice == Model::Full ? "chart datum" : "station mean-level reference";
}

std::string_view datum_phrase(Model choice) {
  return choice == Model::Full ? "above chart datum" : "on the station's mean-level reference";
}

std::string_view coefficient_phrase(Model choice) {
  return choice == Model::Full ? "official coefficients"
                               : "coefficients on the built-in model's own scale, not the "
                                 "official ones";
}

std::string model_line(Model choice, bool with_coefficients) {
  if (choice == Model::Full) {
    return with_coefficients ? "full model: heights above chart datum, official coefficients\n"
                             : "full model: heights above chart datum\n";
  }
  return with_coefficients ? "built-in model: heights on the station's mean level, not chart "
                             "datum; unofficial coefficients\n"
                           : "built-in model: heights on the station's mean level, not chart "
                             "datum\n";
}

std::string builtin_datum_warning() {
  return printf_string(
      "nerith: warning: the built-in model's heights are on the station's mean-level reference, "
      "not chart datum: its low waters stand up to %.1f m higher than the full model's (drop "
      "--model builtin for chart datum)\n",
      BUILTIN_LOW_WATER_EXCESS);
}

}  // namespace nerith::cli
