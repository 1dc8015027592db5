// The full model's station document: reading it strictly, and the embedded
// copy built once per process.
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "full/constituents.hpp"
#include "nerith/full/api.hpp"

namespace nerith::full::catalogue {

// The table row of each constituent of one station, in the station's order.
using Rows = std::vector<const constituents::Constituent*>;

struct Catalogue {
  std::string licence;
  std::string attribution;
  std::vector<Station> stations;
  std::vector<Rows> rows;  // rows[i] belongs to stations[i]
};

// A station of the catalogue with its rows.
struct Entry {
  const Station* station = nullptr;
  const Rows* rows = nullptr;
};

// Parses a station document. A constituent name outside the table, a
// repeated one, a malformed record or a repeated station id is an error
// naming the fault and its line and column.
std::expected<Catalogue, std::string> parse(std::string_view text);

// The embedded document, minified at build time.
std::string_view embedded_stations_full_document();

// The embedded catalogue, parsed on first use; a corrupt embedded document
// throws std::runtime_error (every later call too).
const Catalogue& embedded();

// The embedded station with exactly this id; both pointers null when none.
Entry find(std::string_view id);

}  // namespace nerith::full::catalogue
