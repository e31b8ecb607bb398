// The title tables: TT_SRPT of the video manager (every title of the disc,
// with its title set and that set's start sector), VMG_VTS_ATRT (a copy of
// every title set's attributes) and VTS_PTT_SRPT of a title set (where each
// chapter, a part of title, starts).
#pragma once

#include <cstdint>
#include <vector>

#include "ifo_fields.h"
#include "ifo_problem.h"
#include "ifo_tables.h"
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

// The byte offset of TT_SRPT entry `j` (from 0).
constexpr std::int64_t TtSrptEntryAt(std::int64_t j) { return kTtSrptFirstEntry + kTtSrptEntrySize * j; }
// The offsets of the PTT lists of the first `count` titles of VTS_PTT_SRPT
// `table`; throws TableError when they run past the table.
std::vector<std::uint32_t> ReadPttOffsets(const TableReader& table, std::int64_t count);

// The offset of title set `n`'s VTS_ATR record in VMG_VTS_ATRT `table`;
// throws TableError when the offset field lies outside the table.
std::uint32_t VtsAtrOffset(const TableReader& table, int n);
// The VTS_ATR record at `offset` of `table`, as long as its end address says;
// throws TableError when it does not lie inside the table.
TableReader VtsAtrRecord(const TableReader& table, std::int64_t offset, int n);

// Both throw TableError for a count that does not fit the table; entries
// that fit are read.
TtSrpt ReadTtSrpt(const TableReader& table, Problems& problems);

// Lowers by `sectors` (modulo 2^32, as the field is stored: a damaged start
// sector must not overflow) the title set start sector of every title of the
// TT_SRPT at image offset `ttSrpt` whose title set comes after
// `afterTitleSet`; of every title when it is negative. A set that shrank by
// `sectors` moves every later set down by as much on the disc.
void LowerTitleSetSectors(IfoImage& image, std::int64_t ttSrpt, int afterTitleSet, std::uint32_t sectors);
VtsPttSrpt ReadVtsPttSrpt(const TableReader& table, Problems& problems);

}  // namespace kestrune::ifo
