#include "full/catalogue.hpp"

#include <algorithm>

#include "full/catalogue_table.hpp"

namespace nerith::full::catalogue {
namespace {

Catalogue from_table(const table::Document& document) {
  Catalogue out;
  out.licence = document.licence;
  out.attribution = document.attribution;
  out.stations.reserve(document.stations.size());
  out.rows.reserve(document.stations.size());
  for (const table::StationRecord& r : document.stations) {
    Port s;
    s.id = r.id;
    s.name = r.name;
    s.gauge = r.gauge;
    s.record = r.record;
    s.latitude = r.latitude;
    s.longitude = r.longitude;
    s.timezone = r.timezone;
    s.coast = r.coast;
    s.mean_water_level = r.mean_level;
    for (const table::DatumRecord& d : r.datums)
      s.datums.push_back({std::string(d.name), d.height});
    s.analysis_first = r.analysis_first;
    s.analysis_last = r.analysis_last;
    s.quality = r.quality;
    Rows rows;
    rows.reserve(r.constituents.size());
    s.constituents.reserve(r.constituents.size());
    for (const table::ConstituentRecord& c : r.constituents) {
      const constituents::Constituent& row = constituents::TABLE[c.row];
      s.constituents.push_back({std::string(row.name), c.amplitude, c.phase_lag});
      rows.push_back(&row);
    }
    out.foldings.push_back(folding::fold(s, rows));
    out.stations.push_back(std::move(s));
    out.rows.push_back(std::move(rows));
  }
  return out;
}

}  // namespace

const Catalogue& embedded() {
  // Never freed, as the built-in table: readers may outlive static destructors.
  static auto* const catalogue = new Catalogue(from_table(table::DOCUMENT));
  return *catalogue;
}

Entry find(std::string_view id) {
  const Catalogue& all = embedded();
  const auto it = std::ranges::find(all.stations, id, &Port::id);
  if (it == all.stations.end()) return {};
  const auto index = static_cast<std::size_t>(it - all.stations.begin());
  return {&*it, &all.rows[index], &all.foldings[index]};
}

}  // namespace nerith::full::catalogue
