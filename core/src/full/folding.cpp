#include "full/folding.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "full/catalogue.hpp"
#include "full/constituents.hpp"
#include "nerith/calendar.hpp"
#include "nerith/full/folds.hpp"

namespace nerith::full::folding {

std::int64_t Folding::instant(std::int64_t t) const {
  const std::int64_t middle = std::midpoint(first, last);
  const std::int64_t half = (last - first) / 2;
  // Compared before subtracting, so that no instant overflows.
  if (t <= middle - 2 * half || t >= middle + 2 * half) return middle;
  const std::int64_t d = t - middle;
  if (std::llabs(d) <= half) return t;
  return d > 0 ? middle + (2 * half - d) : middle - (2 * half + d);
}

Folding fold(const Port& station, const std::vector<const constituents::Constituent*>& rows) {
  Folding out;
  const auto first = day_bounds_utc(station.analysis_first);
  const auto last = day_bounds_utc(station.analysis_last);
  if (!first || !last || last->second <= first->first) return out;
  out.first = first->first;
  out.last = last->second;
  const double hours = static_cast<double>(out.last - out.first) / 3600.0;
  // Strongest first; each constituent is kept unless it is unresolved from
  // one already kept.
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::ranges::sort(order, [&](std::size_t a, std::size_t b) {
    const double x = station.constituents[a].amplitude;
    const double y = station.constituents[b].amplitude;
    return x != y ? x > y : a < b;  // equal amplitudes in the station's order
  });
  std::vector<double> speeds(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) speeds[i] = constituents::speed(*rows[i]);
  std::vector<std::size_t> kept;
  for (const std::size_t i : order) {
    const auto into = std::ranges::find_if(
        kept, [&](std::size_t k) { return std::abs(speeds[k] - speeds[i]) * hours < 360.0; });
    if (into == kept.end()) {
      kept.push_back(i);
    } else {
      out.folds.push_back({*into, i});
    }
  }
  return out;
}

}  // namespace nerith::full::folding

namespace nerith::full {

std::vector<FoldedConstituent> folded_constituents(std::string_view id) {
  const catalogue::Entry entry = catalogue::find(id);
  std::vector<FoldedConstituent> out;
  if (entry.station == nullptr) return out;
  for (const folding::Fold& fold : entry.folding->folds) {
    out.push_back({entry.station->constituents[fold.weaker].name,
                   entry.station->constituents[fold.stronger].name});
  }
  return out;
}

}  // namespace nerith::full
