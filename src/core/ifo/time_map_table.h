// VTS_TMAPTI: one time map per title chain, each the VOBU that plays at every
// time unit of the chain, for players that jump to a time.
#pragma once

#include <cstdint>
#include <vector>

#include "ifo_tables.h"
#include "table_reader.h"

namespace kestrune::ifo {

struct TimeMap {
  std::int64_t offset = 0;  // from the VTS_TMAPTI's first byte
  std::uint8_t timeUnit = 0;  // seconds
  std::vector<std::uint32_t> entries;  // VOBU start sector, bit 31: discontinuity
};

struct Tmapti {
  TableSpan table;
  std::vector<TimeMap> maps;
};

// The offset of entry `e` of `map` from the VTS_TMAPTI's first byte.
constexpr std::int64_t TimeMapEntryAt(const TimeMap& map, std::int64_t e) {
  return map.offset + kTmapFirstEntry + kTmapEntrySize * e;
}

// Throws TableError when a time map or its entries run past the table.
Tmapti ReadTmapti(const TableReader& table);

}  // namespace kestrune::ifo
