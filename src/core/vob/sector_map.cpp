#include "sector_map.h"

#include <algorithm>

namespace kestrune {

void SectorMap::Keep(std::int64_t count) {
  if (count <= 0) return;
  if (!runs_.empty() && runs_.back().oldStart + runs_.back().count == oldSectors_)
    runs_.back().count += count;
  else
    runs_.push_back({oldSectors_, newSectors_, count});
  oldSectors_ += count;
  newSectors_ += count;
}

void SectorMap::Remove(std::int64_t count) {
  if (count > 0) oldSectors_ += count;
}

const SectorMap::Run* SectorMap::RunAtOrBefore(std::int64_t old) const {
  const auto after = std::upper_bound(runs_.begin(), runs_.end(), old,
                                      [](std::int64_t s, const Run& r) { return s < r.oldStart; });
  return after == runs_.begin() ? nullptr : &*(after - 1);
}

std::optional<std::int64_t> SectorMap::Map(std::int64_t old) const {
  const Run* run = RunAtOrBefore(old);
  if (run == nullptr || old - run->oldStart >= run->count) return std::nullopt;
  return run->newStart + (old - run->oldStart);
}

std::optional<std::int64_t> SectorMap::MapLast(std::int64_t old) const {
  if (old < 0) return std::nullopt;
  const Run* run = RunAtOrBefore(std::min(old, oldSectors_));
  if (run == nullptr) return std::nullopt;
  return run->newStart + std::min(old - run->oldStart, run->count - 1);
}

}  // namespace kestrune
