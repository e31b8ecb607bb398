#include "program_chain_info.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "ifo_fields.h"

namespace kestrune::ifo {

namespace {

// A PGC holds at most 128 navigation commands in all; a larger count is a
// damaged table, not a chain to read.
constexpr int kMaxCommands = 128;

struct SubTable {
  std::int64_t field;      // where the fixed part holds its offset
  const char* name;
  const char* fieldName;
};
constexpr SubTable kCommands{kPgcCommandTable, "command table", "command table offset"};
constexpr SubTable kProgramMap{kPgcProgramMap, "program map", "program map offset"};
constexpr SubTable kCellPlayback{kPgcCellPlayback, "C_PBI", "C_PBI offset"};
constexpr SubTable kCellPosition{kPgcCellPosition, "C_POSI", "C_POSI offset"};

// The offset of a sub-table, checked to lie after the fixed part; 0 = absent.
std::int64_t OffsetOf(const TableReader& pgc, const SubTable& t) {
  const std::int64_t offset = pgc.Word(t.field, t.fieldName);
  if (offset != 0 && offset < kPgcFixedSize)
    pgc.Fail(t.fieldName, Hex(static_cast<std::uint64_t>(offset)) + " lies inside the PGC's fixed part");
  return offset;
}

// The window of a located sub-table.
TableReader Window(const TableReader& pgc, const SubTable& t, std::int64_t offset, std::int64_t length) {
  return pgc.Part(offset, length, t.name, t.fieldName);
}

CommandTable ReadCommandTable(const TableReader& pgc, const PgcLayout& layout) {
  CommandTable table;
  table.offset = layout.commands;
  table.length = layout.commandsEnd - layout.commands;
  const TableReader commands = Window(pgc, kCommands, table.offset, table.length);
  const int pre = commands.Word(kCommandTablePreCount, "pre command count");
  const int post = commands.Word(kCommandTablePostCount, "post command count");
  const int cell = commands.Word(kCommandTableCellCount, "cell command count");
  if (pre + post + cell > kMaxCommands)
    commands.Fail("command counts", std::to_string(pre) + " + " + std::to_string(post) + " + " + std::to_string(cell) +
                                        " exceed the " + std::to_string(kMaxCommands) + " commands a PGC may hold");
  const std::int64_t needed = kCommandTableHeader + kNavCommandSize * (pre + post + cell);
  if (table.length < needed)
    commands.Fail("end address", Hex(static_cast<std::uint64_t>(table.length - 1)) + " leaves no room for its " +
                                     std::to_string(pre + post + cell) + " commands");
  std::int64_t at = kCommandTableHeader;
  for (auto [list, count] : {std::pair{&table.pre, pre}, std::pair{&table.post, post}, std::pair{&table.cell, cell}}) {
    for (int i = 0; i < count; ++i, at += kNavCommandSize) {
      NavCommand command{};
      for (std::size_t b = 0; b < command.size(); ++b)
        command[b] = commands.Byte(at + static_cast<std::int64_t>(b), "command");
      list->push_back(command);
    }
  }
  return table;
}

}  // namespace

PgcLayout LocatePgc(const TableReader& pgc) {
  if (!pgc.Contains(0, kPgcFixedSize))
    pgc.Fail("", "is cut off: its fixed part of " + std::to_string(kPgcFixedSize) + " bytes runs past the table");
  PgcLayout layout;
  layout.pgc = pgc.Start();
  layout.room = pgc.Length();
  // Counts are single bytes: at most 255 programs and cells by the format.
  layout.programs = pgc.Byte(kPgcPrograms, "program count");
  layout.cells = pgc.Byte(kPgcCells, "cell count");
  layout.commands = OffsetOf(pgc, kCommands);
  layout.programMap = OffsetOf(pgc, kProgramMap);
  layout.cellPlayback = OffsetOf(pgc, kCellPlayback);
  layout.cellPosition = OffsetOf(pgc, kCellPosition);

  if (layout.commands != 0) {
    const TableReader header = Window(pgc, kCommands, layout.commands, kCommandTableHeader);
    const std::int64_t length = static_cast<std::int64_t>(header.Word(kCommandTableEnd, "end address")) + 1;
    if (length < kCommandTableHeader)
      header.Fail("end address", Hex(static_cast<std::uint64_t>(length - 1)) + " leaves no room for its header");
    layout.commandsEnd = layout.commands + Window(pgc, kCommands, layout.commands, length).Length();
  }
  // The program map holds one byte per program and is padded to even length.
  if (layout.programMap != 0) {
    Window(pgc, kProgramMap, layout.programMap, layout.programs);
    layout.programMapEnd = layout.programMap + layout.programs + (layout.programs & 1);
  }
  if (layout.cellPlayback != 0)
    layout.cellPlaybackEnd = layout.cellPlayback + Window(pgc, kCellPlayback, layout.cellPlayback, kCPbiSize * layout.cells).Length();
  if (layout.cellPosition != 0)
    layout.cellPositionEnd = layout.cellPosition + Window(pgc, kCellPosition, layout.cellPosition, kCPosiSize * layout.cells).Length();

  const std::pair<std::int64_t, std::int64_t> tables[] = {{layout.commands, layout.commandsEnd},
                                                          {layout.programMap, layout.programMapEnd},
                                                          {layout.cellPlayback, layout.cellPlaybackEnd},
                                                          {layout.cellPosition, layout.cellPositionEnd}};
  std::vector<std::pair<std::int64_t, std::int64_t>> present;
  std::int64_t previousEnd = kPgcFixedSize;
  for (const auto& [start, end] : tables) {
    if (start == 0) continue;
    if (start < previousEnd) layout.inStoredOrder = false;
    previousEnd = end;
    present.emplace_back(start, end);
  }
  std::sort(present.begin(), present.end());
  for (std::size_t i = 1; i < present.size(); ++i)
    if (present[i].first < present[i - 1].second) layout.overlapping = true;
  return layout;
}

ProgramChain ReadProgramChain(const TableReader& pgc) {
  const PgcLayout layout = LocatePgc(pgc);
  ProgramChain chain;
  chain.offset = pgc.Start();
  const int programs = layout.programs;
  const int cells = layout.cells;
  chain.playbackTime = DecodeDvdTime(pgc.DWord(kPgcPlaybackTime, "playback time"));
  chain.prohibitedUserOps = pgc.DWord(kPgcProhibitedUserOps, "prohibited user operations");
  for (std::size_t i = 0; i < chain.audioControl.size(); ++i)
    chain.audioControl[i] = pgc.Word(kPgcStreamControl + 2 * static_cast<std::int64_t>(i), "audio stream control");
  for (std::size_t i = 0; i < chain.subpictureControl.size(); ++i)
    chain.subpictureControl[i] =
        pgc.DWord(kPgcSubpictureControl + 4 * static_cast<std::int64_t>(i), "sub-picture stream control");
  chain.nextPgcn = pgc.Word(kPgcNextPgcn, "next PGCN");
  chain.previousPgcn = pgc.Word(kPgcPreviousPgcn, "previous PGCN");
  chain.goUpPgcn = pgc.Word(kPgcGoUpPgcn, "go-up PGCN");
  chain.stillTime = pgc.Byte(kPgcStillTime, "still time");
  chain.playbackMode = pgc.Byte(kPgcPlaybackMode, "playback mode");
  for (std::size_t i = 0; i < chain.palette.size(); ++i)
    chain.palette[i] = pgc.DWord(kPgcPalette + 4 * static_cast<std::int64_t>(i), "palette");

  std::int64_t end = kPgcFixedSize;
  if (layout.commands != 0) {
    chain.commands = ReadCommandTable(pgc, layout);
    end = std::max(end, layout.commandsEnd);
  }
  if (programs > 0) {
    if (layout.programMap == 0) pgc.Fail("program map offset", "is 0 for a PGC of " + std::to_string(programs) + " programs");
    const TableReader map = Window(pgc, kProgramMap, layout.programMap, programs);
    for (int p = 0; p < programs; ++p) chain.programMap.push_back(map.Byte(p, "program entry cell"));
    end = std::max(end, layout.programMap + programs);
  }
  if (cells > 0) {
    if (layout.cellPlayback == 0) pgc.Fail("C_PBI offset", "is 0 for a PGC of " + std::to_string(cells) + " cells");
    if (layout.cellPosition == 0) pgc.Fail("C_POSI offset", "is 0 for a PGC of " + std::to_string(cells) + " cells");
    const TableReader playback = Window(pgc, kCellPlayback, layout.cellPlayback, kCPbiSize * cells);
    const TableReader position = Window(pgc, kCellPosition, layout.cellPosition, kCPosiSize * cells);
    for (int c = 0; c < cells; ++c) {
      Cell cell;
      const std::int64_t e = kCPbiSize * c;
      cell.playback.category = playback.Byte(e + kCPbiCategory, "cell category");
      cell.playback.restrictions = playback.Byte(e + kCPbiRestrictions, "cell category");
      cell.playback.stillTime = playback.Byte(e + kCPbiStillTime, "cell still time");
      cell.playback.cellCommand = playback.Byte(e + kCPbiCellCommand, "cell command number");
      cell.playback.playbackTime = DecodeDvdTime(playback.DWord(e + kCPbiPlaybackTime, "cell playback time"));
      cell.playback.firstVobuStartSector = playback.DWord(e + kCPbiFirstVobuStart, "first VOBU start sector");
      cell.playback.firstIlvuEndSector = playback.DWord(e + kCPbiFirstIlvuEnd, "first ILVU end sector");
      cell.playback.lastVobuStartSector = playback.DWord(e + kCPbiLastVobuStart, "last VOBU start sector");
      cell.playback.lastVobuEndSector = playback.DWord(e + kCPbiLastVobuEnd, "last VOBU end sector");
      cell.position.vobId = position.Word(kCPosiSize * c + kCPosiVobId, "VOB id");
      cell.position.cellId = position.Byte(kCPosiSize * c + kCPosiCellId, "cell id");
      chain.cells.push_back(cell);
    }
    end = std::max({end, layout.cellPlaybackEnd, layout.cellPositionEnd});
  }
  chain.length = end;
  return chain;
}

}  // namespace kestrune::ifo
