// Where the sectors of a VOB set go when some of them are taken out: old
// sector -> new sector, or removed. Kept compact as the runs of kept sectors
// (a set of several GiB with every other pack removed still takes a few MiB),
// built in one pass from the first sector to the last.
//
// Two ways to follow a sector field: one that names a sector (a VOBU start, a
// cell's first sector, NV_PCK_LBN) must name a kept one, and moves with it
// (Map); one that names where something ends (VOBU_EA, a cell's last sector,
// the set's last sector) may end on a removed sector and then ends on the last
// kept sector before it (MapLast).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrune {

class SectorMap {
 public:
  // A run of kept sectors: old sectors oldStart .. oldStart + count - 1 are
  // new sectors newStart .. newStart + count - 1. A VOB set's sector numbers
  // fit 32 bits (9 files of 1 GiB are 4.7 million sectors), so a run takes
  // 12 bytes: even a set with every other pack removed keeps its map under
  // 30 MiB.
  struct Run {
    std::uint32_t oldStart = 0;
    std::uint32_t newStart = 0;
    std::uint32_t count = 0;
  };

  // The next `count` sectors of the old set are kept, or removed. Throws
  // std::length_error past 2^32 - 1 sectors, more than a VOB set can hold.
  void Keep(std::int64_t count);
  void Remove(std::int64_t count);

  std::int64_t OldSectors() const { return oldSectors_; }
  std::int64_t NewSectors() const { return newSectors_; }
  std::int64_t RemovedSectors() const { return oldSectors_ - newSectors_; }

  // The new sector of old sector `old`; nothing when it was removed or lies
  // outside the set.
  std::optional<std::int64_t> Map(std::int64_t old) const;
  // The new sector of the last kept sector at or before `old` (the last of
  // the set for one past it); nothing when no sector before it is kept.
  std::optional<std::int64_t> MapLast(std::int64_t old) const;
  bool Kept(std::int64_t old) const { return Map(old).has_value(); }

  const std::vector<Run>& KeptRuns() const { return runs_; }

 private:
  // The run holding `old` or the last run before it; nothing before the first.
  const Run* RunAtOrBefore(std::int64_t old) const;

  std::vector<Run> runs_;
  std::int64_t oldSectors_ = 0;
  std::int64_t newSectors_ = 0;
};

}  // namespace kestrune
