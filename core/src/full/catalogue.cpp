#include "full/catalogue.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "common/strict_json.hpp"
#include "full/catalogue_table.hpp"

namespace nerith::full::catalogue {
namespace {

using strict_json::Document;
using strict_json::Json;
using strict_json::ObjectReader;
using strict_json::ReadError;

Coast read_coast(const Document& doc, const Json& value) {
  const std::string coast = value.get<std::string>();
  if (coast == "atlantic") return Coast::Atlantic;
  if (coast == "mediterranean") return Coast::Mediterranean;
  if (coast == "overseas") return Coast::Overseas;
  throw ReadError(doc.located("unknown coast \"" + coast + "\"", value));
}

// One constituent: [name, amplitude in metres, Greenwich phase lag in degrees].
void read_constituent(const Document& doc, const Json& value, Port& station, Rows& rows) {
  if (!value.is_array() || value.size() != 3 || !value[0].is_string() || !value[1].is_number() ||
      !value[2].is_number()) {
    throw ReadError(doc.located("a constituent must be [name, amplitude, phase lag]", value));
  }
  const std::string name = value[0].get<std::string>();
  const constituents::Constituent* row = constituents::find(name);
  if (row == nullptr) throw ReadError(doc.located("unknown constituent \"" + name + "\"", value));
  if (std::ranges::find(rows, row) != rows.end()) {
    throw ReadError(doc.located("constituent \"" + name + "\" given twice", value));
  }
  station.constituents.push_back({name, value[1].get<double>(), value[2].get<double>()});
  rows.push_back(row);
}

// A whole number that fits an int; anything else would convert out of range.
int read_count(const Document& doc, const ObjectReader& in, std::string_view key) {
  const double x = in.number(key);
  if (!(x >= 0.0 && x <= 2147483647.0) || x != std::floor(x)) {
    throw ReadError(doc.located(std::string(key) + " must be a whole number", *in.any(key)));
  }
  return static_cast<int>(x);
}

void read_station(const Document& doc, const Json& value, Catalogue& out) {
  const ObjectReader in(
      doc, value, "a station",
      {"id", "name", "gauge", "record", "latitude", "longitude", "timezone", "coast", "mean_level",
       "datums", "analysis_span", "quality", "constituents"});
  Port s;
  s.id = in.string("id");
  s.name = in.string("name");
  s.gauge = read_count(doc, in, "gauge");
  s.record = in.string("record");
  s.latitude = in.number("latitude");
  s.longitude = in.number("longitude");
  s.timezone = in.string("timezone");
  static_cast<void>(in.string("coast"));  // type check before the value
  s.coast = read_coast(doc, *in.any("coast"));
  s.mean_water_level = in.number("mean_level");
  for (const auto& [name, height] : in.object("datums").items()) {
    if (!height.is_number()) throw ReadError(doc.located("a datum must be a number", height));
    s.datums.push_back({name, height.get<double>()});
  }
  const Json& span = in.array("analysis_span");
  if (span.size() != 2 || !span[0].is_string() || !span[1].is_string()) {
    throw ReadError(doc.located("analysis_span must be two dates", span));
  }
  s.analysis_first = span[0].get<std::string>();
  s.analysis_last = span[1].get<std::string>();
  s.quality = read_count(doc, in, "quality");
  Rows rows;
  for (const Json& entry : in.array("constituents")) read_constituent(doc, entry, s, rows);
  out.stations.push_back(std::move(s));
  out.rows.push_back(std::move(rows));
}

Catalogue read_catalogue(const Document& doc) {
  const ObjectReader in(doc, doc.root, "the station document",
                        {"description", "licence", "attribution", "stations"});
  Catalogue out;
  out.licence = in.string("licence");
  out.attribution = in.string("attribution");
  std::unordered_set<std::string> ids;
  for (const Json& entry : in.array("stations")) {
    read_station(doc, entry, out);
    if (!ids.insert(out.stations.back().id).second) {
      throw ReadError(
          doc.located("station id \"" + out.stations.back().id + "\" given twice", entry));
    }
  }
  return out;
}

}  // namespace

std::expected<Catalogue, std::string> parse(std::string_view text) {
  return strict_json::read_document(text, read_catalogue);
}

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
