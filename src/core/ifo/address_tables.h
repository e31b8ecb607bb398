// The address tables of a VOB set: C_ADT (the sector range of every cell of
// every VOB) and VOBU_ADMAP (the start sector of every VOBU), for the menus
// (VMGM_, VTSM_) or the titles (VTS_) of a set.
#pragma once

#include <cstdint>
#include <vector>

#include "ifo_tables.h"
#include "table_reader.h"

namespace kestrune::ifo {

// A C_ADT entry (12 bytes). Sectors count from the start of the VOB set.
struct CellAddress {
  std::uint16_t vobId = 0;
  std::uint8_t cellId = 0;
  std::uint32_t startSector = 0;
  std::uint32_t lastSector = 0;
};

struct CAdt {
  TableSpan table;
  std::uint16_t vobCount = 0;
  std::vector<CellAddress> cells;
};

struct VobuAdmap {
  TableSpan table;
  std::vector<std::uint32_t> vobuStartSectors;
};

// The entries are as many as the end address leaves room for; a table too
// short for its header throws TableError.
CAdt ReadCAdt(const TableReader& table);
VobuAdmap ReadVobuAdmap(const TableReader& table);

}  // namespace kestrune::ifo
