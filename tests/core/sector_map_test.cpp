// The sector map of a VOB set against a plain per-sector reference, on the
// patterns a strip run makes (packs of one stream scattered through the set)
// and at its edges.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>

#include "sector_map.h"

namespace kestrune {
namespace {

// Builds the map from `kept` (one flag per old sector) in runs, as a pack
// walk does, and checks every sector and one past the end against it.
void CheckAgainstReference(const std::vector<bool>& kept) {
  SectorMap map;
  for (bool k : kept) k ? map.Keep(1) : map.Remove(1);
  std::int64_t next = 0, runs = 0;
  std::optional<std::int64_t> last;
  for (std::size_t s = 0; s < kept.size(); ++s) {
    if (kept[s]) {
      runs += s == 0 || !kept[s - 1];
      EXPECT_EQ(map.Map(static_cast<std::int64_t>(s)), next) << s;
      last = next++;
    } else {
      EXPECT_FALSE(map.Map(static_cast<std::int64_t>(s))) << s;
    }
    EXPECT_EQ(map.MapLast(static_cast<std::int64_t>(s)), last) << s;
  }
  EXPECT_EQ(map.NewSectors(), next);
  EXPECT_EQ(map.OldSectors(), static_cast<std::int64_t>(kept.size()));
  EXPECT_EQ(static_cast<std::int64_t>(map.KeptRuns().size()), runs);  // adjacent kept sectors share a run
  const auto end = static_cast<std::int64_t>(kept.size());
  EXPECT_FALSE(map.Map(end));
  EXPECT_FALSE(map.Map(-1));
  EXPECT_EQ(map.MapLast(end), last);  // one past the set: its last kept sector
  EXPECT_FALSE(map.MapLast(-1));
}

TEST(SectorMap, MatchesThePerSectorReference) {
  const std::vector<std::vector<bool>> patterns = {
      {},
      {true},
      {false},
      {true, true, true},
      {false, false, true, true},        // the first sectors removed
      {true, true, false, false},        // the last sectors removed: MapLast ends on the last kept one
      {true, false, true, false, true},  // every other sector
      {false, true, false},
  };
  for (const auto& p : patterns) CheckAgainstReference(p);
  // A title VOB set with two audio streams of which one goes: about one
  // pack in six, scattered.
  std::mt19937 random(7);
  std::vector<bool> scattered(20000);
  for (auto&& k : scattered) k = random() % 6 != 0;
  CheckAgainstReference(scattered);
}

TEST(SectorMap, CountsWholeRunsWithoutAPerSectorTable) {
  SectorMap map;
  map.Keep(1'000'000);
  map.Remove(3);
  map.Keep(2);
  map.Keep(5);  // joins the run before it
  map.Remove(0);
  map.Keep(0);
  ASSERT_EQ(map.KeptRuns().size(), 2u);
  EXPECT_EQ(map.KeptRuns()[1].oldStart, 1'000'003u);
  EXPECT_EQ(map.KeptRuns()[1].newStart, 1'000'000u);
  EXPECT_EQ(map.KeptRuns()[1].count, 7u);
  EXPECT_EQ(sizeof(SectorMap::Run), 12u);
  EXPECT_EQ(map.RemovedSectors(), 3);
  EXPECT_EQ(map.Map(1'000'009), 1'000'006);
  EXPECT_EQ(map.MapLast(1'000'001), 999'999);
  // No VOB set holds 2^32 sectors: past that the map refuses to grow.
  EXPECT_THROW(map.Keep(INT64_C(1) << 32), std::length_error);
}

}  // namespace
}  // namespace kestrune
