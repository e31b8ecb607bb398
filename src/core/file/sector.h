// The DVD's unit of storage: the 2048-byte sector. Every VOB file, IFO file
// and table start is counted in sectors; this is the one place that says how
// bytes and sectors convert.
#pragma once

#include <cstdint>

namespace kestrune {

constexpr std::int64_t kSectorSize = 2048;

// Byte position of sector `sector` from the start of its file or set.
constexpr std::int64_t SectorStart(std::int64_t sector) { return sector * kSectorSize; }
// Sectors that `bytes` take, a partial last sector counted whole.
constexpr std::int64_t SectorsOf(std::int64_t bytes) { return (bytes + kSectorSize - 1) / kSectorSize; }
// `bytes` rounded up to a whole number of sectors.
constexpr std::int64_t RoundUpToSector(std::int64_t bytes) { return SectorsOf(bytes) * kSectorSize; }

}  // namespace kestrune
