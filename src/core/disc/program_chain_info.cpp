#include "program_chain_info.h"

#include <algorithm>
#include <string>

namespace kestrune::disc {

namespace {

// Fixed part of a PGC, offsets from its first byte.
constexpr std::int64_t kPrograms = 0x02;
constexpr std::int64_t kCells = 0x03;
constexpr std::int64_t kPlaybackTime = 0x04;
constexpr std::int64_t kProhibitedUserOps = 0x08;
constexpr std::int64_t kAudioControl = 0x0C;       // 8 entries of 2 bytes
constexpr std::int64_t kSubpictureControl = 0x1C;  // 32 entries of 4 bytes
constexpr std::int64_t kNextPgcn = 0x9C;
constexpr std::int64_t kPreviousPgcn = 0x9E;
constexpr std::int64_t kGoUpPgcn = 0xA0;
constexpr std::int64_t kStillTime = 0xA2;
constexpr std::int64_t kPlaybackMode = 0xA3;
constexpr std::int64_t kPalette = 0xA4;            // 16 entries of 4 bytes
constexpr std::int64_t kCommandTableOffset = 0xE4;  // 16-bit offsets of the sub-tables, 0 = none
constexpr std::int64_t kProgramMapOffset = 0xE6;
constexpr std::int64_t kCellPlaybackOffset = 0xE8;
constexpr std::int64_t kCellPositionOffset = 0xEA;
constexpr std::int64_t kFixedSize = 0xEC;

// Command table: pre, post and cell command counts, its end address, then
// the commands.
constexpr std::int64_t kPreCount = 0;
constexpr std::int64_t kPostCount = 2;
constexpr std::int64_t kCellCount = 4;
constexpr std::int64_t kCommandsEnd = 6;
constexpr std::int64_t kCommandTableHeader = 8;
constexpr std::int64_t kCommandSize = 8;
// A PGC holds at most 128 navigation commands in all; a larger count is a
// damaged table, not a chain to read.
constexpr int kMaxCommands = 128;

constexpr std::int64_t kCPbiSize = 24;
constexpr std::int64_t kCPosiSize = 4;

// The window of a sub-table whose 16-bit offset is at `field`; nothing when
// the offset is 0 (absent). Sub-tables lie after the fixed part.
std::optional<TableReader> SubTable(const TableReader& pgc, std::int64_t field, std::int64_t length,
                                    const char* name, const char* fieldName) {
  const std::int64_t offset = pgc.Word(field, fieldName);
  if (offset == 0) return std::nullopt;
  if (offset < kFixedSize) pgc.Fail(fieldName, Hex(static_cast<std::uint64_t>(offset)) + " lies inside the PGC's fixed part");
  return pgc.Part(offset, length, name, fieldName);
}

CommandTable ReadCommandTable(const TableReader& pgc, const TableReader& header) {
  CommandTable table;
  table.offset = header.Start() - pgc.Start();
  const int pre = header.Word(kPreCount, "pre command count");
  const int post = header.Word(kPostCount, "post command count");
  const int cell = header.Word(kCellCount, "cell command count");
  table.length = static_cast<std::int64_t>(header.Word(kCommandsEnd, "end address")) + 1;
  if (pre + post + cell > kMaxCommands)
    header.Fail("command counts", std::to_string(pre) + " + " + std::to_string(post) + " + " + std::to_string(cell) +
                                      " exceed the " + std::to_string(kMaxCommands) + " commands a PGC may hold");
  const std::int64_t needed = kCommandTableHeader + kCommandSize * (pre + post + cell);
  if (table.length < needed)
    header.Fail("end address", Hex(static_cast<std::uint64_t>(table.length - 1)) + " leaves no room for its " +
                                   std::to_string(pre + post + cell) + " commands");
  const TableReader commands = pgc.Part(table.offset, table.length, "command table", "command table offset");
  std::int64_t at = kCommandTableHeader;
  for (auto [list, count] : {std::pair{&table.pre, pre}, std::pair{&table.post, post}, std::pair{&table.cell, cell}}) {
    for (int i = 0; i < count; ++i, at += kCommandSize) {
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
  if (!pgc.Contains(0, kFixedSize))
    pgc.Fail("", "is cut off: its fixed part of " + std::to_string(kFixedSize) + " bytes runs past the table");
  // Counts are single bytes: at most 255 programs and cells by the format.
  const int programs = pgc.Byte(kPrograms, "program count");
  const int cells = pgc.Byte(kCells, "cell count");
  chain.playbackTime = DecodeDvdTime(pgc.DWord(kPlaybackTime, "playback time"));
  chain.prohibitedUserOps = pgc.DWord(kProhibitedUserOps, "prohibited user operations");
  for (std::size_t i = 0; i < chain.audioControl.size(); ++i)
    chain.audioControl[i] = pgc.Word(kAudioControl + 2 * static_cast<std::int64_t>(i), "audio stream control");
  for (std::size_t i = 0; i < chain.subpictureControl.size(); ++i)
    chain.subpictureControl[i] =
        pgc.DWord(kSubpictureControl + 4 * static_cast<std::int64_t>(i), "sub-picture stream control");
  chain.nextPgcn = pgc.Word(kNextPgcn, "next PGCN");
  chain.previousPgcn = pgc.Word(kPreviousPgcn, "previous PGCN");
  chain.goUpPgcn = pgc.Word(kGoUpPgcn, "go-up PGCN");
  chain.stillTime = pgc.Byte(kStillTime, "still time");
  chain.playbackMode = pgc.Byte(kPlaybackMode, "playback mode");
  for (std::size_t i = 0; i < chain.palette.size(); ++i)
    chain.palette[i] = pgc.DWord(kPalette + 4 * static_cast<std::int64_t>(i), "palette");

  std::int64_t end = kFixedSize;
  const auto extend = [&](const TableReader& sub) { end = std::max(end, sub.Start() - pgc.Start() + sub.Length()); };

  if (auto header = SubTable(pgc, kCommandTableOffset, kCommandTableHeader, "command table", "command table offset")) {
    chain.commands = ReadCommandTable(pgc, *header);
    end = std::max(end, chain.commands->offset + chain.commands->length);
  }
  if (programs > 0) {
    auto map = SubTable(pgc, kProgramMapOffset, programs, "program map", "program map offset");
    if (!map) pgc.Fail("program map offset", "is 0 for a PGC of " + std::to_string(programs) + " programs");
    for (int p = 0; p < programs; ++p) chain.programMap.push_back(map->Byte(p, "program entry cell"));
    extend(*map);
  }
  if (cells > 0) {
    auto playback = SubTable(pgc, kCellPlaybackOffset, kCPbiSize * cells, "C_PBI", "C_PBI offset");
    auto position = SubTable(pgc, kCellPositionOffset, kCPosiSize * cells, "C_POSI", "C_POSI offset");
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

}  // namespace kestrune::disc
