#include "program_chain_info.h"

#include <algorithm>
#include <string>

#include "ifo_fields.h"

namespace kestrune::ifo {

namespace {

// A PGC holds at most 128 navigation commands in all; a larger count is a
// damaged table, not a chain to read.
constexpr int kMaxCommands = 128;

// The window of a sub-table whose 16-bit offset is at `field`; nothing when
// the offset is 0 (absent). Sub-tables lie after the fixed part.
std::optional<TableReader> SubTable(const TableReader& pgc, std::int64_t field, std::int64_t length,
                                    const char* name, const char* fieldName) {
  const std::int64_t offset = pgc.Word(field, fieldName);
  if (offset == 0) return std::nullopt;
  if (offset < kPgcFixedSize) pgc.Fail(fieldName, Hex(static_cast<std::uint64_t>(offset)) + " lies inside the PGC's fixed part");
  return pgc.Part(offset, length, name, fieldName);
}

CommandTable ReadCommandTable(const TableReader& pgc, const TableReader& header) {
  CommandTable table;
  table.offset = header.Start() - pgc.Start();
  const int pre = header.Word(kCommandTablePreCount, "pre command count");
  const int post = header.Word(kCommandTablePostCount, "post command count");
  const int cell = header.Word(kCommandTableCellCount, "cell command count");
  table.length = static_cast<std::int64_t>(header.Word(kCommandTableEnd, "end address")) + 1;
  if (pre + post + cell > kMaxCommands)
    header.Fail("command counts", std::to_string(pre) + " + " + std::to_string(post) + " + " + std::to_string(cell) +
                                      " exceed the " + std::to_string(kMaxCommands) + " commands a PGC may hold");
  const std::int64_t needed = kCommandTableHeader + kNavCommandSize * (pre + post + cell);
  if (table.length < needed)
    header.Fail("end address", Hex(static_cast<std::uint64_t>(table.length - 1)) + " leaves no room for its " +
                                   std::to_string(pre + post + cell) + " commands");
  const TableReader commands = pgc.Part(table.offset, table.length, "command table", "command table offset");
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

ProgramChain ReadProgramChain(const TableReader& pgc) {
  ProgramChain chain;
  chain.offset = pgc.Start();
  if (!pgc.Contains(0, kPgcFixedSize))
    pgc.Fail("", "is cut off: its fixed part of " + std::to_string(kPgcFixedSize) + " bytes runs past the table");
  // Counts are single bytes: at most 255 programs and cells by the format.
  const int programs = pgc.Byte(kPgcPrograms, "program count");
  const int cells = pgc.Byte(kPgcCells, "cell count");
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
  const auto extend = [&](const TableReader& sub) { end = std::max(end, sub.Start() - pgc.Start() + sub.Length()); };

  if (auto header = SubTable(pgc, kPgcCommandTable, kCommandTableHeader, "command table", "command table offset")) {
    chain.commands = ReadCommandTable(pgc, *header);
    end = std::max(end, chain.commands->offset + chain.commands->length);
  }
  if (programs > 0) {
    auto map = SubTable(pgc, kPgcProgramMap, programs, "program map", "program map offset");
    if (!map) pgc.Fail("program map offset", "is 0 for a PGC of " + std::to_string(programs) + " programs");
    for (int p = 0; p < programs; ++p) chain.programMap.push_back(map->Byte(p, "program entry cell"));
    extend(*map);
  }
  if (cells > 0) {
    auto playback = SubTable(pgc, kPgcCellPlayback, kCPbiSize * cells, "C_PBI", "C_PBI offset");
    auto position = SubTable(pgc, kPgcCellPosition, kCPosiSize * cells, "C_POSI", "C_POSI offset");
    if (!playback) pgc.Fail("C_PBI offset", "is 0 for a PGC of " + std::to_string(cells) + " cells");
    if (!position) pgc.Fail("C_POSI offset", "is 0 for a PGC of " + std::to_string(cells) + " cells");
    for (int c = 0; c < cells; ++c) {
      Cell cell;
      const std::int64_t e = kCPbiSize * c;
      cell.playback.category = playback->Byte(e, "cell category");
      cell.playback.restrictions = playback->Byte(e + 1, "cell category");
      cell.playback.stillTime = playback->Byte(e + 2, "cell still time");
      cell.playback.cellCommand = playback->Byte(e + 3, "cell command number");
      cell.playback.playbackTime = DecodeDvdTime(playback->DWord(e + 4, "cell playback time"));
      cell.playback.firstVobuStartSector = playback->DWord(e + 8, "first VOBU start sector");
      cell.playback.firstIlvuEndSector = playback->DWord(e + 12, "first ILVU end sector");
      cell.playback.lastVobuStartSector = playback->DWord(e + 16, "last VOBU start sector");
      cell.playback.lastVobuEndSector = playback->DWord(e + 20, "last VOBU end sector");
      // C_POSI: VOB id at +0, a reserved byte, the cell id at +3.
      cell.position.vobId = position->Word(kCPosiSize * c, "VOB id");
      cell.position.cellId = position->Byte(kCPosiSize * c + 3, "cell id");
      chain.cells.push_back(cell);
    }
    extend(*playback);
    extend(*position);
  }
  chain.length = end;
  return chain;
}

}  // namespace kestrune::ifo
