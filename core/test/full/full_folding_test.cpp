// Rayleigh folding: which gauges fold which pairs, the prediction within the
// analysis span against the unfolded one, and no beat far from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "full/astronomy.hpp"
#include "full/catalogue.hpp"
#include "full/constituents.hpp"
#include "full/curve.hpp"
#include "nerith/api.hpp"

namespace {

using namespace nerith;
using full::catalogue::Entry;

std::set<std::string> folds_of(const Entry& entry) {
  std::set<std::string> out;
  for (const auto& fold : entry.folding->folds) {
    out.insert(entry.station->constituents[fold.weaker].name + " into " +
               entry.station->constituents[fold.stronger].name);
  }
  return out;
}

// 3N2 and 3L2 are 0.0046°/h from N2 and L2: one cycle in 8.85 years. The
// thirteen records shorter than that fold both pairs, into whichever member
// is stronger; every other record (Deshaies: 8.87 years) folds nothing.
TEST(FullFolding, FoldsWhatTheRecordCannotSeparate) {
  const std::set<std::string> usual{"3N2 into N2", "3L2 into L2"};
  const std::set<std::string> l2_weaker{"3N2 into N2", "L2 into 3L2"};
  const std::map<std::string, std::set<std::string>> expected{
      {"FR-AUDIERNE", usual},
      {"FR-L-AIGUILLON-SUR-MER", usual},
      {"FR-PONT-DU-BRAULT", l2_weaker},
      {"FR-LA-COTINIERE", usual},
      {"FR-CIBOURE", usual},
      {"FR-PORT-CAMARGUE", usual},
      {"FR-LA-DESIRADE", l2_weaker},
      {"FR-LE-PRECHEUR", usual},
      {"FR-LE-ROBERT", usual},
      {"FR-CLIPPERTON", usual},
      {"FR-MAKEMO", usual},
      {"FR-RIKITEA", l2_weaker},
      {"FR-ILE-POSSESSION-CROZET", l2_weaker},
  };
  for (const auto& station : full::catalogue::embedded().stations) {
    const Entry entry = full::catalogue::find(station.id);
    const auto it = expected.find(station.id);
    EXPECT_EQ(folds_of(entry), it == expected.end() ? std::set<std::string>{} : it->second)
        << station.id;
  }
}

// Within the analysis span the folded curve is the analysed one: every 10
// minutes of one day a week, within 1 cm of the unfolded curve (in fact
// within a fraction of a millimetre: each day keeps the pair as it stands at
// noon).
TEST(FullFolding, WithinTheSpanTheUnfoldedPrediction) {
  double worst = 0.0;
  for (const auto& station : full::catalogue::embedded().stations) {
    const Entry entry = full::catalogue::find(station.id);
    if (entry.folding->folds.empty()) continue;
    for (std::int64_t start = entry.folding->first; start + 86400 <= entry.folding->last;
         start += 7 * 86400) {
      const full::curve::Curve folded(*entry.station, *entry.rows, entry.folding, start,
                                      start + 86400);
      const full::curve::Curve unfolded(*entry.station, *entry.rows, nullptr, start, start + 86400);
      for (std::int64_t t = start; t <= start + 86400; t += 600) {
        worst = std::max(worst, std::abs(folded.height(t) - unfolded.height(t)));
      }
    }
  }
  EXPECT_LT(worst, 0.01);
  std::printf("within the spans: folded within %.2f mm of unfolded\n", worst * 1000);
}

// Far from the span the pair no longer beats. At L'Aiguillon (1.2 years
// from 2013-12) the unfolded N2 + 3N2 swings between 0.19 and 0.43 m from
// 1990 to 2060; folded, N2 alone carries the pair and its amplitude, net of
// N2's nodal factor, is the same at every instant more than a span from the
// analysis.
TEST(FullFolding, FarFromTheSpanTheFoldedAmplitudeIsConstant) {
  const Entry entry = full::catalogue::find("FR-L-AIGUILLON-SUR-MER");
  ASSERT_NE(entry.station, nullptr);
  const std::size_t n2 = full::constituents::row("N2");
  const std::size_t n3 = full::constituents::row("3N2");
  double low = 1e9, high = 0.0, unfolded_low = 1e9, unfolded_high = 0.0;
  const std::int64_t span = entry.folding->last - entry.folding->first;
  for (std::int64_t t = api::day_bounds_utc("1990-01-01")->first;
       t < api::day_bounds_utc("2060-01-01")->first; t += 86400 * 97) {
    const full::constituents::NodeFactors node(
        full::astronomy::NodeTerms::from(full::astronomy::Arguments::at(t)));
    const double f = node.of(full::constituents::TABLE[n2]).f;
    const auto unfolded = full::curve::prepare(*entry.station, *entry.rows, nullptr, t, t);
    std::complex<double> pair;
    for (const auto& term : unfolded) {
      if (term.row == n2 || term.row == n3) pair += std::polar(term.scale, term.phase);
    }
    unfolded_low = std::min(unfolded_low, std::abs(pair));
    unfolded_high = std::max(unfolded_high, std::abs(pair));
    if (std::llabs(t - std::midpoint(entry.folding->first, entry.folding->last)) < span) continue;
    const auto folded = full::curve::prepare(*entry.station, *entry.rows, entry.folding, t, t);
    const auto it = std::ranges::find(folded, n2, &full::curve::Term::row);
    ASSERT_NE(it, folded.end());
    EXPECT_EQ(std::ranges::count(folded, n3, &full::curve::Term::row), 0);
    low = std::min(low, it->scale / f);
    high = std::max(high, it->scale / f);
  }
  EXPECT_LT(unfolded_low, 0.20);
  EXPECT_GT(unfolded_high, 0.42);
  EXPECT_NEAR(high, low, 1e-9);
  std::printf("L'Aiguillon N2 + 3N2: unfolded %.3f to %.3f m, folded %.4f m\n", unfolded_low,
              unfolded_high, low);
}

}  // namespace
