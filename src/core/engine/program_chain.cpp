// Program chain blanking: every cell of a chain is pointed at the one-frame
// blank VOB (sectors 0 to 4 of VOB id 1, cell id 1), the chain's sub-tables
// after its command table are written more compactly, and the chains of a
// list are packed behind one another so that the table shrinks.
#include "program_chain.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "ifo_fields.h"
#include "nav_command.h"
#include "playback_time.h"

namespace kestrune {

namespace {

// C_PBI cell categories.
constexpr std::uint8_t kCellSeamless = 0x08;
constexpr std::uint8_t kCellStcDiscontinuity = 0x02;
// The blank VOB's one VOBU ends at its fifth sector.
constexpr std::uint32_t kBlankLastSector = 4;
constexpr std::uint32_t kBlankCellPosition = 0x00010001;  // VOB id 1, cell id 1

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
  const std::int64_t count = static_cast<std::int64_t>(ts.ReadWord(table)) + ts.ReadWord(table + 2) +
                             ts.ReadWord(table + 4);
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
    for (std::int64_t k = 0; k < plan.entries; ++k)
      ts.WriteDWord(pgc + start + kCPosiSize * k, kBlankCellPosition);
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

PgcLayout ReadPgcLayout(const TTitleSet& ts, std::int64_t pgc, std::int64_t room) {
  const std::string where = PgcAt(pgc);
  if (room < kPgcFixedSize) throw InvalidIfo(where + " overlaps the next chain or runs past its list");
  ImageOf(ts).Require(pgc, room, "A PGC");

  PgcLayout layout;
  layout.pgc = pgc;
  layout.room = room;
  layout.programs = ts.ReadByte(pgc + kPgcPrograms);
  layout.cells = ts.ReadByte(pgc + kPgcCells);
  layout.commands = ts.ReadWord(pgc + kPgcCommandTable);
  layout.programMap = ts.ReadWord(pgc + kPgcProgramMap);
  layout.cellPlayback = ts.ReadWord(pgc + kPgcCellPlayback);
  layout.cellPosition = ts.ReadWord(pgc + kPgcCellPosition);

  struct SubTable {
    const char* name;
    std::int64_t start;
    std::int64_t* end;
  };
  const std::array<SubTable, 4> tables{{
      {"command table", layout.commands, &layout.commandsEnd},
      {"program map", layout.programMap, &layout.programMapEnd},
      {"C_PBI table", layout.cellPlayback, &layout.cellPlaybackEnd},
      {"C_POSI table", layout.cellPosition, &layout.cellPositionEnd},
  }};
  for (const SubTable& t : tables) {
    if (t.start != 0 && t.start < kPgcFixedSize)
      throw InvalidIfo(where + ": its " + t.name + " lies inside the chain's fixed part");
  }
  if (layout.commands != 0) {
    if (room - layout.commands < kCommandTableHeader)
      throw InvalidIfo(where + ": its command table runs past the chain");
    const std::int64_t last = ts.ReadWord(pgc + layout.commands + kCommandTableEnd);
    if (last + 1 < kCommandTableHeader) throw InvalidIfo(where + ": its command table has an impossible end address");
    layout.commandsEnd = layout.commands + last + 1;
  }
  // The program map holds one byte per program and is padded to even length.
  if (layout.programMap != 0) layout.programMapEnd = layout.programMap + layout.programs + (layout.programs & 1);
  if (layout.cellPlayback != 0) layout.cellPlaybackEnd = layout.cellPlayback + kCPbiSize * layout.cells;
  if (layout.cellPosition != 0) layout.cellPositionEnd = layout.cellPosition + kCPosiSize * layout.cells;

  std::vector<std::pair<std::int64_t, std::int64_t>> present;
  std::int64_t previousEnd = kPgcFixedSize;
  for (const SubTable& t : tables) {
    if (t.start == 0) continue;
    if (*t.end > room) throw InvalidIfo(where + ": its " + t.name + " runs past the chain");
    if (t.start < previousEnd) layout.inStoredOrder = false;
    previousEnd = *t.end;
    present.emplace_back(t.start, *t.end);
  }
  std::sort(present.begin(), present.end());
  for (std::size_t i = 1; i < present.size(); ++i) {
    if (present[i].first < present[i - 1].second) throw InvalidIfo(where + ": two of its sub-tables overlap");
  }
  return layout;
}

ChainList ReadChainList(const TTitleSet& ts, std::int64_t header, std::int64_t room) {
  const std::string where = "The chain list at byte " + std::to_string(header);
  if (room < kListFirstPointer) throw InvalidIfo(where + " runs past its table");
  ChainList list;
  list.header = header;
  const std::int64_t count = ts.ReadWord(header);
  list.length = static_cast<std::int64_t>(static_cast<std::uint32_t>(ts.ReadDWord(header + kListEndAddress))) + 1;
  const std::int64_t pointersEnd = kListFirstPointer + kSearchPointerSize * count;
  if (list.length > room) throw InvalidIfo(where + " runs past its table");
  if (list.length < pointersEnd)
    throw InvalidIfo(where + " lists " + std::to_string(count) + " PGCs but is too short for their search pointers");
  ImageOf(ts).Require(header, list.length, "A chain list");

  list.pointerOffsets.reserve(static_cast<std::size_t>(count));
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t offset = static_cast<std::uint32_t>(
        ts.ReadDWord(header + kListFirstPointer + kSearchPointerSize * k + kPointerOffset));
    if (offset < pointersEnd || offset > list.length - kPgcFixedSize)
      throw InvalidIfo(where + ": PGC " + std::to_string(k + 1) + " lies outside the list");
    list.pointerOffsets.push_back(offset);
  }
  list.storedOffsets = list.pointerOffsets;
  std::sort(list.storedOffsets.begin(), list.storedOffsets.end());
  list.storedOffsets.erase(std::unique(list.storedOffsets.begin(), list.storedOffsets.end()), list.storedOffsets.end());
  for (std::size_t i = 0; i < list.storedOffsets.size(); ++i) {
    if (list.RoomOf(i) < kPgcFixedSize)
      throw InvalidIfo(where + ": the PGCs at offsets " + std::to_string(list.storedOffsets[i]) + " and " +
                       std::to_string(list.storedOffsets[i + 1]) + " overlap");
  }
  return list;
}

void CheckChainListPacking(const TTitleSet& ts, std::int64_t header, std::int64_t room) {
  const ChainList list = ReadChainList(ts, header, room);
  for (std::size_t i = 0; i < list.storedOffsets.size(); ++i)
    PlanBlankPgc(ts, ReadPgcLayout(ts, header + list.storedOffsets[i], list.RoomOf(i)));
}

std::vector<std::int64_t> ReadLanguageUnits(const TTitleSet& ts, std::int64_t table, std::int64_t length) {
  const std::int64_t count = ts.ReadWord(table);
  const std::int64_t pointersEnd = kListFirstPointer + kSearchPointerSize * count;
  if (pointersEnd > length)
    throw InvalidIfo("The PGCI_UT lists " + std::to_string(count) + " language units but is too short for them");
  std::vector<std::int64_t> units;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t offset = static_cast<std::uint32_t>(
        ts.ReadDWord(table + kListFirstPointer + kSearchPointerSize * i + kPointerOffset));
    if (offset < pointersEnd || length - offset < kListFirstPointer)
      throw InvalidIfo("The PGCI_LU of language unit " + std::to_string(i + 1) + " lies outside the PGCI_UT");
    units.push_back(offset);
  }
  // Several language units may share one PGCI_LU; it is rewritten once.
  std::sort(units.begin(), units.end());
  units.erase(std::unique(units.begin(), units.end()), units.end());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const std::int64_t end = static_cast<std::uint32_t>(ts.ReadDWord(table + units[i] + kListEndAddress));
    const std::int64_t limit = i + 1 < units.size() ? units[i + 1] : length;
    if (end + 1 < kListFirstPointer) throw InvalidIfo("The PGCI_LU at offset " + std::to_string(units[i]) + " of the PGCI_UT has an impossible end address");
    if (end + 1 > limit - units[i])
      throw InvalidIfo("The PGCI_LU at offset " + std::to_string(units[i]) + " of the PGCI_UT " +
                       (i + 1 < units.size() ? "overlaps the next one" : "runs past the table"));
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
    for (std::int64_t k = 0; k < layout.cells; ++k)
      ts.WriteDWord(pgc + layout.cellPosition + kCPosiSize * k, kBlankCellPosition);
  }
}

std::int32_t TTitleSet::BlankPgc(std::int64_t pgc, bool pal) {
  const IfoImage& image = ImageOf(*this);
  if (pgc < 0 || pgc > image.Size()) throw InvalidIfo(PgcAt(pgc) + " lies outside the IFO");
  const BlankedPgc plan = PlanBlankPgc(*this, ReadPgcLayout(*this, pgc, image.Size() - pgc));
  ApplyBlankPgc(*this, plan, pal);
  return static_cast<std::int32_t>(plan.length);
}

bool TTitleSet::PackChainList(std::int64_t header, bool pal) {
  const IfoImage& image = ImageOf(*this);
  if (header < 0 || header > image.Size()) throw InvalidIfo("A chain list lies outside the IFO");
  const ChainList list = ReadChainList(*this, header, image.Size() - header);
  if (list.storedOffsets.empty()) return false;

  // Every chain is checked before the first byte changes.
  std::vector<BlankedPgc> plans;
  plans.reserve(list.storedOffsets.size());
  for (std::size_t i = 0; i < list.storedOffsets.size(); ++i)
    plans.push_back(PlanBlankPgc(*this, ReadPgcLayout(*this, header + list.storedOffsets[i], list.RoomOf(i))));

  // Chains are packed in the order they are stored, not in pointer order:
  // then each one is rewritten in place before any other lands on it, and
  // moves only down. The lowest one stays where it is. For a list stored in
  // pointer order this is exactly pointer order.
  std::vector<std::int64_t> newOffsets(list.storedOffsets.size());
  std::int64_t e = list.storedOffsets.front();
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const std::int64_t old = list.storedOffsets[i];
    ApplyBlankPgc(*this, plans[i], pal);
    if (e != old) ImageOf(*this).MoveDown(header + old, header + e, plans[i].length);
    newOffsets[i] = e;
    e += plans[i].length;
  }
  // Pointers that shared a chain share its packed copy.
  for (std::size_t k = 0; k < list.pointerOffsets.size(); ++k) {
    const auto i = static_cast<std::size_t>(
        std::lower_bound(list.storedOffsets.begin(), list.storedOffsets.end(), list.pointerOffsets[k]) -
        list.storedOffsets.begin());
    const std::int64_t pointer = header + kListFirstPointer + kSearchPointerSize * static_cast<std::int64_t>(k);
    if (newOffsets[i] != list.pointerOffsets[k])
      WriteDWord(pointer + kPointerOffset, static_cast<std::uint32_t>(newOffsets[i]));
  }
  WriteDWord(header + kListEndAddress, static_cast<std::uint32_t>(e - 1));
  return true;
}

}  // namespace kestrune
