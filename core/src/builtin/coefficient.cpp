#include "builtin/coefficient.hpp"

#include <algorithm>

#include "builtin/db.hpp"
#include "builtin/harmonic/window.hpp"
#include "common/coefficient.hpp"

namespace nerith::builtin::coefficient {

using harmonic::extremes::Extreme;

void assign_coefficients(std::vector<Extreme>& extremes, bool atlantic_coast, std::int64_t start,
                         std::int64_t end) {
  if (!atlantic_coast) return;
  // The built-in table only: a custom station can never stand in for Brest.
  // The table never changes once built, so the station is looked up once (a
  // failed build throws here every time, as the table itself does).
  static const ports::Port* const reference = []() -> const ports::Port* {
    const std::vector<ports::Port>& table = db::PORTS.get();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [](const ports::Port& p) { return p.id == REFERENCE_PORT_ID; });
    return found == table.end() ? nullptr : &*found;
  }();
  if (reference == nullptr) return;
  // Without a high water to grade, the reference run could change nothing.
  if (std::none_of(extremes.begin(), extremes.end(), [](const Extreme& e) { return e.is_high; })) {
    return;
  }
  const std::vector<Extreme> ref =
      harmonic::extremes::find_extremes(nerith::coefficient::reference_start(start), end,
                                        reference->constituents, reference->mean_water_level);
  nerith::coefficient::grade(extremes, ref);
}

}  // namespace nerith::builtin::coefficient
