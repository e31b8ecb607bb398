#include "sector_map.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace kestrune {

namespace {

constexpr std::int64_t kMaxSectors = UINT32_MAX;

void Grow(std::int64_t& sectors, std::int64_t count) {
  if (count > kMaxSectors - sectors) throw std::length_error("a VOB set of more than 2^32 sectors");
  sectors += count;
}

}  // namespace

void SectorMap::Keep(std::int64_t count) {
  if (count <= 0) return;
  const std::int64_t start = oldSectors_;
  Grow(oldSectors_, count);
  if (!runs_.empty() && std::int64_t{runs_.back().oldStart} + runs_.back().count == start)
    runs_.back().count += static_cast<std::uint32_t>(count);
  else
    runs_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(newSectors_),
                     static_cast<std::uint32_t>(count)});
  newSectors_ += count;
}

void SectorMap::Remove(std::int64_t count) {
  if (count > 0) Grow(oldSectors_, count);
}

const SectorMap::Run* SectorMap::RunAtOrBefore(std::int64_t old) const {
  const auto after = std::upper_bound(runs_.begin(), runs_.end(), old,
                                      [](std::int64_t s, const Run& r) { return s < std::int64_t{r.oldStart}; });
  return after == runs_.begin() ? nullptr : &*(after - 1);
}

std::optional<std::int64_t> SectorMap::Map(std::int64_t old) const {
  const Run* run = RunAtOrBefore(old);
  if (run == nullptr || old - run->oldStart >= std::int64_t{run->count}) return std::nullopt;
  return std::int64_t{run->newStart} + (old - run->oldStart);
}

std::optional<std::int64_t> SectorMap::MapLast(std::int64_t old) const {
  if (old < 0) return std::nullopt;
  const Run* run = RunAtOrBefore(std::min(old, oldSectors_));
  if (run == nullptr) return std::nullopt;
  return std::int64_t{run->newStart} + std::min<std::int64_t>(old - run->oldStart, std::int64_t{run->count} - 1);
}

}  // namespace kestrune
