// Program chain blanking: every cell of a chain is pointed at the one-frame
// blank VOB (sectors 0 to 4 of VOB id 1, cell id 1), the chain's sub-tables
// after its command table are written more compactly, and the chains of a
// list are packed behind one another so that the table shrinks.
#include "program_chain.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "blank_vob.h"
#include "ifo_fields.h"
#include "nav_command.h"
#include "playback_time.h"

namespace kestrune {

namespace {

// C_PBI cell categories.
constexpr std::uint8_t kCellSeamless = 0x08;
constexpr std::uint8_t kCellStcDiscontinuity = 0x02;
// The blank cell: VOB id 1, cell id 1, whose one VOBU ends at the blank
// VOB's fifth sector.
constexpr std::uint16_t kBlankVobId = 1;
constexpr std::uint8_t kBlankCellId = 1;
constexpr std::uint32_t kBlankLastSector = kBlankVobSectors - 1;

std::string PgcAt(std::int64_t pgc) { return "The PGC at byte " + std::to_string(pgc); }

// Where a blanked title or title menu chain's rewritten sub-tables go,
// offsets from the PGC's first byte.
struct BlankedPgc {
  PgcLayout layout;
  std::int64_t cellPlaybackAt = 0;  // where the C_PBI entries go (valid when the chain has a C_PBI table)
  std::int64_t cellPositionAt = 0;  // where the C_POSI entries go (valid when it has a C_POSI table)
  std::int64_t entries = 0;         // cell entries written to each table
  std::int64_t length = 0;          // the chain's new length
};

BlankedPgc PlanBlankPgc(const TTitleSet& ts, const PgcLayout& layout) {
  const std::string where = PgcAt(layout.pgc);
  // Packing writes each sub-table right after the one before it; a table
  // stored earlier than its predecessor would be overwritten before it is read.
  if (!layout.inStoredOrder)
    throw InvalidIfo(where + " stores its sub-tables out of the order command table, program map, C_PBI, C_POSI");
  BlankedPgc plan;
  plan.layout = layout;
  const std::int64_t np = layout.programs;
  const std::int64_t nc = layout.cells;

  std::int64_t pos = kPgcFixedSize;
  // The command table stays; what follows starts at the next even offset.
  // (Taken from the table's last byte + 1, so a damaged odd-length table is
  // not overwritten either.)
  if (layout.commands != 0) pos = layout.commandsEnd + (layout.commandsEnd & 1);
  if (layout.programMap != 0) {
    pos = layout.programMap;
    if (np == 1 || MergesPrograms(ts)) {
      pos += 2;  // one entry and its even-making byte
    } else {
      pos += np;
      pos += pos & 1;
    }
  }
  plan.entries = (nc <= 1 || ts.FMergeCells) ? 1 : nc;
  // The rewritten tables never grow on a chain that holds what its counts say;
  // these checks catch the ones that would run into the next sub-table.
  if (layout.cellPlayback != 0) {
    if (pos > layout.cellPlayback) throw InvalidIfo(where + ": its program map would run into its C_PBI table");
    plan.cellPlaybackAt = pos;
    pos += kCPbiSize * plan.entries;
  }
  if (layout.cellPosition != 0) {
    if (pos > layout.cellPosition)
      throw InvalidIfo(where + ": its rewritten cell playback entries would run into its C_POSI table");
    plan.cellPositionAt = pos;
    pos += kCPosiSize * plan.entries;
  }
  if (pos > layout.room) throw InvalidIfo(where + ": the blank cell entries do not fit before the next chain");
  plan.length = pos;
  return plan;
}

// One C_PBI entry made the blank cell: still time as the options say, one
// frame, sectors 0 to 4.
void BlankCellPlayback(TTitleSet& ts, std::int64_t entry, bool pal) {
  if (ts.FRemoveStops) ts.WriteByte(entry + kCPbiStillTime, 0);
  if (ts.FUseReplacementVob && ts.FUseManualStillTime) {
    // A user's still frame is played from a fresh STC and not seamlessly
    // joined to anything, and holds for the chosen time.
    const std::uint8_t category = ts.ReadByte(entry);
    ts.WriteByte(entry, static_cast<std::uint8_t>((category & ~kCellSeamless) | kCellStcDiscontinuity));
    ts.WriteByte(entry + kCPbiStillTime, ts.FManualStillTime);
  }
  ts.WriteDWord(entry + kCPbiPlaybackTime, pal ? kOneFramePal : kOneFrameNtsc);
  ts.WriteDWord(entry + kCPbiFirstVobuStart, 0);
  ts.WriteDWord(entry + kCPbiFirstIlvuEnd, 0);
  ts.WriteDWord(entry + kCPbiLastVobuStart, 0);
  ts.WriteDWord(entry + kCPbiLastVobuEnd, kBlankLastSector);
}

// One C_POSI entry made the blank cell.
void BlankCellPosition(TTitleSet& ts, std::int64_t entry) {
  ts.WriteWord(entry + kCPosiVobId, kBlankVobId);
  ts.WriteByte(entry + kCPosiVobId + 2, 0);  // reserved
  ts.WriteByte(entry + kCPosiCellId, kBlankCellId);
}

// The chain's playback time is the sum of its cells, one frame each, counted
// before merging: it stays a valid BCD time with its frame rate for any count.
void BlankChainHeader(TTitleSet& ts, std::int64_t pgc, std::uint8_t cells, bool pal) {
  ts.WriteDWord(pgc + kPgcPlaybackTime, FramesAsPlaybackTime(cells, pal));
  if (ts.FRemoveAudioSubMapping) ImageOf(ts).Fill(pgc + kPgcStreamControl, kPgcStreamControlSize, 0);
}

// In a chain whose programs or cells were merged, a link to a program or
// cell past the last one left reaches nothing: players loop on it for ever
// (libdvdnav hangs, or stops on an assertion) or stop. Such a LinkPGN or
// LinkCN, alone or at the end of a set command, now names program or cell 1,
// the one the merged chain plays. Only the commands inside the table are read.
void MendLinksOfMergedChain(TTitleSet& ts, const PgcLayout& layout, int programs, int cells) {
  if (layout.commands == 0) return;
  const std::int64_t table = layout.pgc + layout.commands;
  const std::int64_t count = static_cast<std::int64_t>(ts.ReadWord(table + kCommandTablePreCount)) +
                             ts.ReadWord(table + kCommandTablePostCount) + ts.ReadWord(table + kCommandTableCellCount);
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t at = layout.commands + kCommandTableHeader + kNavCommandSize * k;
    if (at + kNavCommandSize > layout.commandsEnd) break;
    NavCommandBytes command{};
    for (std::size_t b = 0; b < command.size(); ++b)
      command[b] = ts.ReadByte(layout.pgc + at + static_cast<std::int64_t>(b));
    const NavLink link = DecodeNavLink(command);
    if ((link.target == NavTarget::kLinkPgn && link.number > programs) ||
        (link.target == NavTarget::kLinkCn && link.number > cells)) {
      SetLinkedProgramOrCell(command, 1);
      ts.WriteByte(layout.pgc + at + kNavCommandSize - 1, command.back());
    }
  }
}

void ApplyBlankPgc(TTitleSet& ts, const BlankedPgc& plan, bool pal) {
  const PgcLayout& layout = plan.layout;
  const std::int64_t pgc = layout.pgc;
  const std::int64_t np = layout.programs;
  const std::int64_t nc = layout.cells;

  const bool programsMerged = MergesPrograms(ts) && np > 1;
  const bool cellsMerged = ts.FMergeCells && nc > 1;
  if (programsMerged) ts.WriteByte(pgc + kPgcPrograms, 1);
  if (cellsMerged) ts.WriteByte(pgc + kPgcCells, 1);
  BlankChainHeader(ts, pgc, layout.cells, pal);
  if (programsMerged || cellsMerged)
    MendLinksOfMergedChain(ts, layout, programsMerged ? 1 : static_cast<int>(np), cellsMerged ? 1 : static_cast<int>(nc));

  if (layout.cellPlayback != 0) {
    const std::int64_t start = plan.cellPlaybackAt;
    const bool moves = start < layout.cellPlayback;
    for (std::int64_t k = 0; k < plan.entries; ++k) {
      const std::int64_t entry = pgc + start + kCPbiSize * k;
      // Category, still time and cell command number travel with the cell.
      // The write of entry k ends before old entry k + 1 begins.
      if (moves)
        ts.WriteDWord(entry, static_cast<std::uint32_t>(ts.ReadDWord(pgc + layout.cellPlayback + kCPbiSize * k)));
      BlankCellPlayback(ts, entry, pal);
    }
    if (moves) ts.WriteWord(pgc + kPgcCellPlayback, static_cast<std::uint32_t>(start));
  }

  if (layout.cellPosition != 0) {
    const std::int64_t start = plan.cellPositionAt;
    for (std::int64_t k = 0; k < plan.entries; ++k) BlankCellPosition(ts, pgc + start + kCPosiSize * k);
    if (start < layout.cellPosition) ts.WriteWord(pgc + kPgcCellPosition, static_cast<std::uint32_t>(start));
  }
}

}  // namespace

IfoImage& ImageOf(TTitleSet& ts) {
  if (!ts.FBuffer) throw InvalidIfo("No IFO is loaded");
  return *ts.FBuffer;
}

const IfoImage& ImageOf(const TTitleSet& ts) {
  if (!ts.FBuffer) throw InvalidIfo("No IFO is loaded");
  return *ts.FBuffer;
}

ifo::TableReader TableOf(const TTitleSet& ts, const char* table, std::int64_t start, std::int64_t length) {
  return ifo::TableReader(ImageOf(ts), "", table, start, length);
}

PgcLayout LocateChain(const ifo::TableReader& pgc) {
  const PgcLayout layout = ifo::LocatePgc(pgc);
  if (layout.overlapping) throw InvalidIfo(PgcAt(layout.pgc) + ": two of its sub-tables overlap");
  return layout;
}

ChainList ReadChainList(const ifo::TableReader& list) {
  ChainList chains;
  chains.header = list.Start();
  chains.length = list.Length();
  const std::int64_t count = ifo::SearchPointerCount(list, "search pointers");
  chains.pointerOffsets.reserve(static_cast<std::size_t>(count));
  for (std::int64_t k = 0; k < count; ++k)
    chains.pointerOffsets.push_back(ifo::PgcOfPointer(list, k, count).Start() - list.Start());
  chains.storedOffsets = chains.pointerOffsets;
  std::sort(chains.storedOffsets.begin(), chains.storedOffsets.end());
  chains.storedOffsets.erase(std::unique(chains.storedOffsets.begin(), chains.storedOffsets.end()),
                             chains.storedOffsets.end());
  for (std::size_t i = 0; i < chains.storedOffsets.size(); ++i) {
    if (chains.RoomOf(i) < kPgcFixedSize)
      list.Fail("", "holds PGCs at offsets " + std::to_string(chains.storedOffsets[i]) + " and " +
                        std::to_string(chains.storedOffsets[i + 1]) + " that overlap");
  }
  return chains;
}

PgcLayout LocateStoredChain(const ifo::TableReader& list, const ChainList& chains, std::size_t i) {
  const std::int64_t offset = chains.storedOffsets[i];
  return LocateChain(list.Part(offset, chains.RoomOf(i), "the PGC at offset " + std::to_string(offset), "PGC offset"));
}

void CheckChainListPacking(const TTitleSet& ts, const ifo::TableReader& list) {
  const ChainList chains = ReadChainList(list);
  for (std::size_t i = 0; i < chains.storedOffsets.size(); ++i) PlanBlankPgc(ts, LocateStoredChain(list, chains, i));
}

std::vector<ifo::TableReader> ReadLanguageUnits(const ifo::TableReader& table) {
  const std::int64_t count = ifo::SearchPointerCount(table, "language units");
  std::vector<ifo::TableReader> units;
  for (std::int64_t k = 0; k < count; ++k) units.push_back(ifo::LanguageUnitList(table, k, count));
  // Several language units may share one PGCI_LU; it is rewritten once.
  const auto byStart = [](const ifo::TableReader& a, const ifo::TableReader& b) { return a.Start() < b.Start(); };
  std::sort(units.begin(), units.end(), byStart);
  units.erase(std::unique(units.begin(), units.end(),
                          [](const ifo::TableReader& a, const ifo::TableReader& b) { return a.Start() == b.Start(); }),
              units.end());
  for (std::size_t i = 0; i + 1 < units.size(); ++i) {
    if (units[i].Start() + units[i].Length() > units[i + 1].Start())
      table.Fail("", "holds a PGCI_LU at offset " + std::to_string(units[i].Start() - table.Start()) +
                         " that overlaps the next one");
  }
  return units;
}

void BlankMenuPgc(TTitleSet& ts, const PgcLayout& layout, bool pal) {
  // Menu chains keep their size, counts and program map. The cell tables
  // are rewritten where the PGC's offsets say they are, the place players
  // read them; on a chain laid out without gaps that is right after the
  // program map.
  const std::int64_t pgc = layout.pgc;
  BlankChainHeader(ts, pgc, layout.cells, pal);
  if (layout.cells == 0) return;
  if (layout.cellPlayback != 0) {
    for (std::int64_t k = 0; k < layout.cells; ++k)
      BlankCellPlayback(ts, pgc + layout.cellPlayback + kCPbiSize * k, pal);
  }
  if (layout.cellPosition != 0) {
    for (std::int64_t k = 0; k < layout.cells; ++k) BlankCellPosition(ts, pgc + layout.cellPosition + kCPosiSize * k);
  }
}

std::int32_t TTitleSet::BlankPgc(std::int64_t pgc, bool pal) {
  const IfoImage& image = ImageOf(*this);
  if (pgc < 0 || pgc > image.Size()) throw InvalidIfo(PgcAt(pgc) + " lies outside the IFO");
  const BlankedPgc plan = PlanBlankPgc(*this, LocateChain(TableOf(*this, "PGC", pgc, image.Size() - pgc)));
  ApplyBlankPgc(*this, plan, pal);
  return static_cast<std::int32_t>(plan.length);
}

bool TTitleSet::PackChainList(std::int64_t header, bool pal) {
  const IfoImage& image = ImageOf(*this);
  if (header < 0 || header > image.Size()) throw InvalidIfo("A chain list lies outside the IFO");
  const ifo::TableReader rest = TableOf(*this, "chain list", header, image.Size() - header);
  return PackChainList(ifo::ChainListAt(rest, 0, "chain list", "offset", "end address"), pal);
}

bool TTitleSet::PackChainList(const ifo::TableReader& list, bool pal) {
  const ChainList chains = ReadChainList(list);
  if (chains.storedOffsets.empty()) return false;

  // Every chain is checked before the first byte changes.
  std::vector<BlankedPgc> plans;
  plans.reserve(chains.storedOffsets.size());
  for (std::size_t i = 0; i < chains.storedOffsets.size(); ++i)
    plans.push_back(PlanBlankPgc(*this, LocateStoredChain(list, chains, i)));

  // Chains are packed in the order they are stored, not in pointer order:
  // then each one is rewritten in place before any other lands on it, and
  // moves only down. The lowest one stays where it is. For a list stored in
  // pointer order this is exactly pointer order.
  const std::int64_t header = chains.header;
  std::vector<std::int64_t> newOffsets(chains.storedOffsets.size());
  std::int64_t e = chains.storedOffsets.front();
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const std::int64_t old = chains.storedOffsets[i];
    ApplyBlankPgc(*this, plans[i], pal);
    if (e != old) ImageOf(*this).MoveDown(header + old, header + e, plans[i].length);
    newOffsets[i] = e;
    e += plans[i].length;
  }
  // Pointers that shared a chain share its packed copy.
  for (std::size_t k = 0; k < chains.pointerOffsets.size(); ++k) {
    const auto i = static_cast<std::size_t>(
        std::lower_bound(chains.storedOffsets.begin(), chains.storedOffsets.end(), chains.pointerOffsets[k]) -
        chains.storedOffsets.begin());
    const std::int64_t pointer = header + ifo::SearchPointerAt(static_cast<std::int64_t>(k));
    if (newOffsets[i] != chains.pointerOffsets[k])
      WriteDWord(pointer + kSearchPointerOffset, static_cast<std::uint32_t>(newOffsets[i]));
  }
  WriteDWord(header + kListEndAddress, static_cast<std::uint32_t>(e - 1));
  return true;
}

void WriteBlankCAdt(TTitleSet& ts, std::int64_t at, std::int64_t entries, std::uint32_t endAddress) {
  ts.WriteWord(at + kCAdtVobCount, 1);
  ts.WriteWord(at + kCAdtVobCount + 2, 0);  // reserved
  ts.WriteDWord(at + kCAdtEndAddress, endAddress);
  for (std::int64_t k = 0; k < entries; ++k) {
    const std::int64_t entry = at + kCAdtHeader + kCAdtEntrySize * k;
    ts.WriteWord(entry + kCAdtVobId, kBlankVobId);
    ts.WriteByte(entry + kCAdtCellId, kBlankCellId);
    ts.WriteByte(entry + kCAdtCellId + 1, 0);  // reserved
    ts.WriteDWord(entry + kCAdtStartSector, 0);
    ts.WriteDWord(entry + kCAdtLastSector, kBlankLastSector);
  }
}

void WriteBlankVobuAdmap(TTitleSet& ts, std::int64_t at) {
  ts.WriteDWord(at + kVobuAdmapEndAddress, static_cast<std::uint32_t>(kBlankVobuAdmapSize - 1));
  ts.WriteDWord(at + kVobuAdmapHeader, 0);  // the one VOBU starts at sector 0
}

}  // namespace kestrune
