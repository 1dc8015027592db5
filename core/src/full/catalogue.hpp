// The full model's station catalogue: the compiled copy of its document,
// built into records once per process. The document itself is read only
// at build time (cmake/full_catalogue.cmake).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "full/constituents.hpp"
#include "full/folding.hpp"
#include "nerith/full/api.hpp"

namespace nerith::full::catalogue {

// The table row of each constituent of one station, in the station's order.
using Rows = std::vector<const constituents::Constituent*>;

struct Catalogue {
  std::string licence;
  std::string attribution;
  std::vector<Port> stations;
  std::vector<Rows> rows;                  // rows[i] belongs to stations[i]
  std::vector<folding::Folding> foldings;  // the embedded catalogue's only
};

// A station of the catalogue with its rows.
struct Entry {
  const Port* station = nullptr;
  const Rows* rows = nullptr;
  const folding::Folding* folding = nullptr;
};

// The compiled catalogue (full/catalogue_table.hpp), made into records on
// first use. It cannot fail: the document was checked when it was compiled.
const Catalogue& embedded();

// The embedded station with exactly this id; all pointers null when none.
Entry find(std::string_view id);

}  // namespace nerith::full::catalogue
