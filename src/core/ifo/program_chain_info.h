// One program chain (PGC) as stored in VTS_PGCI, a PGCI_LU or at VMGI_MAT
// 0x84 (first play): its fixed part, its command table with the raw 8-byte
// navigation commands, its program map and its cells (C_PBI and C_POSI).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "dvd_time.h"
#include "table_reader.h"

namespace kestrune::ifo {

using NavCommand = std::array<std::uint8_t, 8>;

// The PGC command table: pre commands, post commands and cell commands.
struct CommandTable {
  std::int64_t offset = 0;  // from the PGC's first byte
  std::int64_t length = 0;  // end address + 1
  std::vector<NavCommand> pre, post, cell;
};

// A C_PBI entry (24 bytes).
struct CellPlayback {
  std::uint8_t category = 0;      // block mode and type, seamless, interleaved, STC discontinuity, seamless angle
  std::uint8_t restrictions = 0;  // VOBU still, restricted, application cell type
  std::uint8_t stillTime = 0;     // seconds, 0xFF = infinite
  std::uint8_t cellCommand = 0;   // number of the cell command, 0 = none
  DvdTime playbackTime;
  std::uint32_t firstVobuStartSector = 0;
  std::uint32_t firstIlvuEndSector = 0;
  std::uint32_t lastVobuStartSector = 0;
  std::uint32_t lastVobuEndSector = 0;  // the cell's last sector
};

// A C_POSI entry (4 bytes).
struct CellPosition {
  std::uint16_t vobId = 0;
  std::uint8_t cellId = 0;
};

struct Cell {
  CellPlayback playback;
  CellPosition position;
};

struct ProgramChain {
  std::int64_t offset = 0;  // image offset of its first byte
  std::int64_t length = 0;  // bytes up to the end of its last sub-table
  DvdTime playbackTime;
  std::uint32_t prohibitedUserOps = 0;
  std::array<std::uint16_t, 8> audioControl{};         // bit 15: stream available
  std::array<std::uint32_t, 32> subpictureControl{};   // bit 31: stream available
  std::uint16_t nextPgcn = 0, previousPgcn = 0, goUpPgcn = 0;
  std::uint8_t stillTime = 0;     // seconds, 0xFF = infinite
  std::uint8_t playbackMode = 0;  // 0 sequential, else random or shuffle
  std::array<std::uint32_t, 16> palette{};
  std::optional<CommandTable> commands;
  std::vector<std::uint8_t> programMap;  // entry cell of each program, from 1
  std::vector<Cell> cells;

  bool AudioAvailable(std::size_t stream) const { return (audioControl.at(stream) & 0x8000) != 0; }
  bool SubpictureAvailable(std::size_t stream) const { return (subpictureControl.at(stream) & 0x80000000u) != 0; }
};

// Where the sub-tables of one PGC lie: offsets from its first byte, 0 for an
// absent sub-table; each end is one past its last byte, the program map's
// counted with the byte that pads it to even length, as it is stored.
struct PgcLayout {
  std::int64_t pgc = 0;   // image offset of the PGC
  std::int64_t room = 0;  // bytes the chain may use: the window it was located in
  std::uint8_t programs = 0;
  std::uint8_t cells = 0;
  std::int64_t commands = 0, commandsEnd = 0;
  std::int64_t programMap = 0, programMapEnd = 0;
  std::int64_t cellPlayback = 0, cellPlaybackEnd = 0;
  std::int64_t cellPosition = 0, cellPositionEnd = 0;
  // Command table, program map, C_PBI and C_POSI follow one another in this
  // order, the order every authoring tool writes.
  bool inStoredOrder = true;
  bool overlapping = false;  // two sub-tables share bytes
};

// Locates the sub-tables of the PGC that starts at the first byte of `pgc`,
// a window that runs as far as the chain may use. Throws TableError when its
// fixed part does not fit, a sub-table lies inside the fixed part or runs
// past the window, or the command table's end address leaves no room for its
// header. Several PGCs' readers, the engine's rewrite among them, start here.
PgcLayout LocatePgc(const TableReader& pgc);

// Reads the PGC that starts at the first byte of `pgc`, a window that runs to
// the end of the table holding it. Throws TableError when its fixed part or a
// sub-table lies outside the window or inside the fixed part, or its command
// table claims more than it holds.
ProgramChain ReadProgramChain(const TableReader& pgc);

}  // namespace kestrune::ifo
