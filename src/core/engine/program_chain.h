// Program chains (PGC) and chain lists inside an IFO image: reading and
// checking their layout, and the pieces shared by the title set rewrite
// (blank and pack every chain) and the video manager rewrite (blank the menu
// chains where they stand).
//
// Everything here reads the image through the bounds-checked accessors and
// throws InvalidIfo for a layout that the rewrite cannot change soundly, before
// the chain or list in question is changed.
#pragma once

#include <cstdint>
#include <vector>

#include "ifo_fields.h"
#include "title_set.h"

namespace kestrune {

// Chain lists (VTS_PGCI, each PGCI_LU) and PGCI_UT tables share this header:
// a 16-bit count at +0, the end address at +4 and 8-byte search pointers from
// +8 whose +4 holds an offset from the header.
constexpr std::int64_t kListEndAddress = 4;
constexpr std::int64_t kListFirstPointer = 8;
constexpr std::int64_t kSearchPointerSize = 8;
constexpr std::int64_t kPointerOffset = 4;

// Whether the programs of a blanked chain are merged into one: with Merge
// Programs, and with Merge Cells too, since a program needs a cell of its own
// (libdvdread flags every chain with more programs than cells, and players
// may stop or loop on one). The PTT entries of merged titles follow.
inline bool MergesPrograms(const TTitleSet& ts) { return ts.FMergePrograms || ts.FMergeCells; }

// The image of `ts`; throws InvalidIfo when none is loaded.
IfoImage& ImageOf(TTitleSet& ts);
const IfoImage& ImageOf(const TTitleSet& ts);

// The sub-tables of one PGC as stored. Offsets are from the PGC's first byte,
// 0 when the sub-table is absent; each "end" is one past its last byte.
struct PgcLayout {
  std::int64_t pgc = 0;   // image offset of the PGC
  std::int64_t room = 0;  // bytes the chain may use: up to the next chain or its list's end
  std::uint8_t programs = 0;
  std::uint8_t cells = 0;
  std::int64_t commands = 0, commandsEnd = 0;
  std::int64_t programMap = 0, programMapEnd = 0;
  std::int64_t cellPlayback = 0, cellPlaybackEnd = 0;
  std::int64_t cellPosition = 0, cellPositionEnd = 0;
  // Command table, program map, C_PBI and C_POSI follow one another in this
  // order, the order every authoring tool writes and the packing relies on.
  bool inStoredOrder = true;
};

// Reads the PGC at image offset `pgc` that may use `room` bytes. Throws
// InvalidIfo unless its fixed part and every sub-table lie inside the room,
// after the fixed part, without overlapping one another.
PgcLayout ReadPgcLayout(const TTitleSet& ts, std::int64_t pgc, std::int64_t room);

// One chain list: its PGCs by search pointer and by place.
struct ChainList {
  std::int64_t header = 0;                   // image offset
  std::int64_t length = 0;                   // end address + 1
  std::vector<std::int64_t> pointerOffsets;  // PGC offset held by each search pointer, in pointer order
  std::vector<std::int64_t> storedOffsets;   // the distinct PGC offsets, ascending

  // Bytes the PGC at stored index i may use: up to the next PGC or the list's end.
  std::int64_t RoomOf(std::size_t i) const {
    return (i + 1 < storedOffsets.size() ? storedOffsets[i + 1] : length) - storedOffsets[i];
  }
};

// Reads the chain list at image offset `header`, which must fit in `room`
// bytes. Throws InvalidIfo when the pointers run past the list, a PGC lies
// among the pointers or outside the list, or two PGCs overlap. Several
// pointers may share a PGC, and PGCs may be stored in any order.
ChainList ReadChainList(const TTitleSet& ts, std::int64_t header, std::int64_t room);

// Checks that every PGC of the chain list at `header` can be blanked and
// packed, without changing a byte; throws InvalidIfo naming the first that
// cannot.
void CheckChainListPacking(const TTitleSet& ts, std::int64_t header, std::int64_t room);

// The distinct PGCI_LU offsets (from the table's first byte, ascending) of the
// PGCI_UT at image offset `table`, `length` bytes long. Throws InvalidIfo when
// a unit lies outside the table or two different units overlap; language
// units that share one PGCI_LU give it once.
std::vector<std::int64_t> ReadLanguageUnits(const TTitleSet& ts, std::int64_t table, std::int64_t length);

// The video manager's menu chain rewrite: counts, program map and sub-table
// offsets stay; the playback time, the stream controls and, when the chain
// has cells, the C_PBI and C_POSI entries are rewritten where the PGC's own
// offsets place them.
void BlankMenuPgc(TTitleSet& ts, const PgcLayout& layout, bool pal);

}  // namespace kestrune
