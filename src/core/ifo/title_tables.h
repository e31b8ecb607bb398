// The title search tables: TT_SRPT of the video manager (every title of the
// disc, with its title set and that set's start sector) and VTS_PTT_SRPT of a
// title set (where each chapter, a part of title, starts).
#pragma once

#include <cstdint>
#include <vector>

#include "chain_tables.h"
#include "ifo_problem.h"
#include "table_reader.h"

namespace kestrune::ifo {

// A TT_SRPT entry (12 bytes).
struct TitleSearchPointer {
  std::uint8_t playbackType = 0;
  std::uint8_t angles = 0;
  std::uint16_t chapters = 0;  // number of PTTs
  std::uint16_t parentalMask = 0;
  std::uint8_t titleSet = 0;   // VTSN
  std::uint8_t vtsTitle = 0;   // VTS_TTN: the title's number inside its title set
  std::uint32_t titleSetSector = 0;  // start sector of the title set on the disc
};

struct TtSrpt {
  TableSpan table;
  std::vector<TitleSearchPointer> titles;
};

// A chapter's start: program PGN of program chain PGCN of VTS_PGCI.
struct Ptt {
  std::uint16_t pgcn = 0;
  std::uint16_t pgn = 0;
};

struct VtsPttSrpt {
  TableSpan table;
  std::vector<std::uint32_t> offsets;       // of each title's PTT list from the table's first byte
  std::vector<std::vector<Ptt>> titles;     // the chapters of VTS title 1, 2, ...
};

// Both throw TableError for a count that does not fit the table; entries
// that fit are read.
TtSrpt ReadTtSrpt(const TableReader& table, Problems& problems);
VtsPttSrpt ReadVtsPttSrpt(const TableReader& table, Problems& problems);

}  // namespace kestrune::ifo
