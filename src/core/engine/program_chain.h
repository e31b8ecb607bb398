// Program chains (PGC) and chain lists inside an IFO image as the rewrite
// changes them: the pieces shared by the title set rewrite (blank and pack
// every chain) and the video manager rewrite (blank the menu chains where
// they stand). The chains are found through the IFO layer's readers
// (chain_tables.h, program_chain_info.h); what is checked here is what the
// rewrite itself needs of them.
//
// Everything here throws InvalidIfo (or the IFO layer's TableError) for a
// layout that the rewrite cannot change soundly, before the chain or list in
// question is changed.
#pragma once

#include <cstdint>
#include <vector>

#include "chain_tables.h"
#include "program_chain_info.h"
#include "table_reader.h"
#include "title_set.h"

namespace kestrune {

using ifo::PgcLayout;

// Whether the programs of a blanked chain are merged into one: with Merge
// Programs, and with Merge Cells too, since a program needs a cell of its own
// (libdvdread flags every chain with more programs than cells, and players
// may stop or loop on one). The PTT entries of merged titles follow.
inline bool MergesPrograms(const TTitleSet& ts) { return ts.FMergePrograms || ts.FMergeCells; }

// The image of `ts`; throws InvalidIfo when none is loaded.
IfoImage& ImageOf(TTitleSet& ts);
const IfoImage& ImageOf(const TTitleSet& ts);

// The `length` bytes from image offset `start` of the loaded IFO as the table
// `table`, for the IFO layer's readers.
ifo::TableReader TableOf(const TTitleSet& ts, const char* table, std::int64_t start, std::int64_t length);

// Locates the PGC at the first byte of `pgc` for a rewrite: as the IFO layer
// does, and refusing a chain whose sub-tables overlap.
PgcLayout LocateChain(const ifo::TableReader& pgc);

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

// Reads the chain list `list`. Throws when a PGC lies among the pointers or
// outside the list, or two PGCs overlap. Several pointers may share a PGC,
// and PGCs may be stored in any order.
ChainList ReadChainList(const ifo::TableReader& list);
// The PGC at stored index `i` of `list`, located in the room it may use.
PgcLayout LocateStoredChain(const ifo::TableReader& list, const ChainList& chains, std::size_t i);

// Checks that every PGC of the chain list `list` can be blanked and packed,
// without changing a byte; throws naming the first that cannot.
void CheckChainListPacking(const TTitleSet& ts, const ifo::TableReader& list);

// The distinct PGCI_LUs of the PGCI_UT `table`, in the order they are stored.
// Throws when a unit lies outside the table or two different units overlap;
// language units that share one PGCI_LU give it once.
std::vector<ifo::TableReader> ReadLanguageUnits(const ifo::TableReader& table);

// The video manager's menu chain rewrite: counts, program map and sub-table
// offsets stay; the playback time, the stream controls and, when the chain
// has cells, the C_PBI and C_POSI entries are rewritten where the PGC's own
// offsets place them.
void BlankMenuPgc(TTitleSet& ts, const PgcLayout& layout, bool pal);

// The address tables of a blanked VOB set, written at image offset `at`:
// a C_ADT with end address `endAddress` and `entries` entries, each the blank
// cell (VOB id 1, cell id 1, sectors 0 to 4), and a VOBU_ADMAP of the blank
// VOB's one VOBU at sector 0.
void WriteBlankCAdt(TTitleSet& ts, std::int64_t at, std::int64_t entries, std::uint32_t endAddress);
void WriteBlankVobuAdmap(TTitleSet& ts, std::int64_t at);
// The sizes of those tables.
constexpr std::int64_t BlankCAdtSize(std::int64_t entries) { return kCAdtHeader + kCAdtEntrySize * entries; }
constexpr std::int64_t kBlankVobuAdmapSize = kVobuAdmapHeader + kVobuAdmapEntrySize;

}  // namespace kestrune
