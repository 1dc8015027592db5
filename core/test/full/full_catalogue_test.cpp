// The compiled full catalogue against its source document, read here by the
// strict reader of the built-in documents: the library itself never parses
// stations_full.json, cmake/full_catalogue.cmake compiles it into a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_set>

#include "common/strict_json.hpp"
#include "full/catalogue.hpp"

namespace {

using namespace nerith;
using full::Coast;
using full::Port;
using full::catalogue::Catalogue;
using full::catalogue::Rows;
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
  const full::constituents::Constituent* row = full::constituents::find(name);
  if (row == nullptr) throw ReadError(doc.located("unknown constituent \"" + name + "\"", value));
  if (std::ranges::find(rows, row) != rows.end()) {
    throw ReadError(doc.located("constituent \"" + name + "\" given twice", value));
  }
  station.constituents.push_back({name, value[1].get<double>(), value[2].get<double>()});
  rows.push_back(row);
}

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

// The compiled catalogue is the source document as the strict reader reads
// it: every field, in the document's order. A key given twice in the source
// fails here, as CMake's reader would keep one of them silently.
TEST(FullCatalogue, CompiledTableIsTheDocument) {
  std::ifstream file(NERITH_FULL_DOCUMENT, std::ios::binary);
  ASSERT_TRUE(file) << NERITH_FULL_DOCUMENT;
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto parsed = strict_json::read_document(text, read_catalogue);
  ASSERT_TRUE(parsed) << parsed.error();
  const auto& compiled = full::catalogue::embedded();
  EXPECT_EQ(compiled.licence, parsed->licence);
  EXPECT_EQ(compiled.attribution, parsed->attribution);
  EXPECT_EQ(compiled.stations, parsed->stations);
  EXPECT_EQ(compiled.rows, parsed->rows);
}

}  // namespace
