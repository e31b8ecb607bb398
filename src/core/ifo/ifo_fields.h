// Where the fields of the DVD-Video information files lie: byte offsets into
// the MATs of VIDEO_TS.IFO (VMGI_MAT) and VTS_nn_0.IFO (VTSI_MAT), into the
// tables they point at, and into a program chain (PGC) and its sub-tables.
// Every field is big-endian. The engine's rewrites, the disc model and the
// verifier all read the structures through these names.
#pragma once

#include <cstdint>

namespace kestrune {

// --- both MATs ----------------------------------------------------------------
constexpr std::int64_t kMatLastSector = 0x0C;     // last sector of the set: IFO, VOBs and BUP
constexpr std::int64_t kMatIfoLastSector = 0x1C;  // last sector of the IFO
constexpr std::int64_t kMatVersion = 0x21;
constexpr std::int64_t kMatCategory = 0x22;
constexpr std::int64_t kMatEndAddress = 0x80;
constexpr std::int64_t kMatMenuVobsSector = 0xC0;  // start of the menu VOB set, 0 = none
constexpr std::int64_t kMatMenuVideoAttributes = 0x100;
// Menu audio and sub-picture streams: from the low byte of the audio count to
// the last sub-picture attribute; the video attributes before them stay.
constexpr std::int64_t kMatMenuStreamsFirst = 0x103;
constexpr std::int64_t kMatMenuStreamsLast = 0x15B;

// --- VMGI_MAT -----------------------------------------------------------------
constexpr std::int64_t kVmgiVolumeCount = 0x26;
constexpr std::int64_t kVmgiVolumeNumber = 0x28;
constexpr std::int64_t kVmgiSide = 0x2A;
constexpr std::int64_t kVmgiTitleSetCount = 0x3E;
constexpr std::int64_t kVmgiProviderId = 0x40;  // 32 bytes
constexpr std::int64_t kVmgiFirstPlayPgc = 0x84;
constexpr std::int64_t kVmgiTtSrpt = 0xC4;  // table start sectors from here on
constexpr std::int64_t kVmgiVmgmPgciUt = 0xC8;
constexpr std::int64_t kVmgiPtlMait = 0xCC;
constexpr std::int64_t kVmgiVtsAtrt = 0xD0;
constexpr std::int64_t kVmgiTxtdtMg = 0xD4;
constexpr std::int64_t kVmgiVmgmCAdt = 0xD8;
constexpr std::int64_t kVmgiVmgmVobuAdmap = 0xDC;

// --- VTSI_MAT -----------------------------------------------------------------
constexpr std::int64_t kVtsiTitleVobsSector = 0xC4;  // start of the title VOB set
constexpr std::int64_t kVtsiPttSrpt = 0xC8;          // table start sectors from here on
constexpr std::int64_t kVtsiPgci = 0xCC;
constexpr std::int64_t kVtsiVtsmPgciUt = 0xD0;
constexpr std::int64_t kVtsiTmapti = 0xD4;
constexpr std::int64_t kVtsiVtsmCAdt = 0xD8;
constexpr std::int64_t kVtsiVtsmVobuAdmap = 0xDC;
constexpr std::int64_t kVtsiCAdt = 0xE0;
constexpr std::int64_t kVtsiVobuAdmap = 0xE4;
constexpr std::int64_t kVtsiTitleVideoAttributes = 0x200;
// Title audio and sub-picture streams, as the menu ones above.
constexpr std::int64_t kVtsiTitleStreamsFirst = 0x203;
constexpr std::int64_t kVtsiTitleStreamsLast = 0x315;

// --- TT_SRPT: title count at +0, end address at +4, 12-byte entries from +8 ---
constexpr std::int64_t kTtSrptFirstEntry = 8;
constexpr std::int64_t kTtSrptEntrySize = 12;
// Fields of an entry.
constexpr std::int64_t kTtPlaybackType = 0;
constexpr std::int64_t kTtAngles = 1;
constexpr std::int64_t kTtChapters = 2;
constexpr std::int64_t kTtParentalMask = 4;
constexpr std::int64_t kTtTitleSet = 6;
constexpr std::int64_t kTtVtsTitle = 7;
constexpr std::int64_t kTtTitleSetSector = 8;  // start sector of the title set on the disc

// --- PGC: the fixed part, offsets from its first byte ---------------------------
constexpr std::int64_t kPgcPrograms = 0x02;
constexpr std::int64_t kPgcCells = 0x03;
constexpr std::int64_t kPgcPlaybackTime = 0x04;
constexpr std::int64_t kPgcProhibitedUserOps = 0x08;
constexpr std::int64_t kPgcStreamControl = 0x0C;      // 8 audio entries of 2 bytes, then
constexpr std::int64_t kPgcSubpictureControl = 0x1C;  // 32 sub-picture entries of 4
constexpr std::int64_t kPgcStreamControlSize = 0x90;
constexpr std::int64_t kPgcNextPgcn = 0x9C;
constexpr std::int64_t kPgcPreviousPgcn = 0x9E;
constexpr std::int64_t kPgcGoUpPgcn = 0xA0;
constexpr std::int64_t kPgcStillTime = 0xA2;
constexpr std::int64_t kPgcPlaybackMode = 0xA3;
constexpr std::int64_t kPgcPalette = 0xA4;        // 16 entries of 4 bytes
constexpr std::int64_t kPgcCommandTable = 0xE4;   // 16-bit offsets of the sub-tables, 0 = none
constexpr std::int64_t kPgcProgramMap = 0xE6;
constexpr std::int64_t kPgcCellPlayback = 0xE8;
constexpr std::int64_t kPgcCellPosition = 0xEA;
constexpr std::int64_t kPgcFixedSize = 0xEC;

// Command table: pre, post and cell command counts at +0, +2, +4, its end
// address at +6, then the 8-byte commands.
constexpr std::int64_t kCommandTablePreCount = 0;
constexpr std::int64_t kCommandTablePostCount = 2;
constexpr std::int64_t kCommandTableCellCount = 4;
constexpr std::int64_t kCommandTableEnd = 6;
constexpr std::int64_t kCommandTableHeader = 8;
constexpr std::int64_t kNavCommandSize = 8;

// C_PBI (cell playback) entries and their fields; C_POSI (cell position) entries.
constexpr std::int64_t kCPbiSize = 24;
constexpr std::int64_t kCPbiStillTime = 2;
constexpr std::int64_t kCPbiCellCommand = 3;
constexpr std::int64_t kCPbiPlaybackTime = 4;
constexpr std::int64_t kCPbiFirstVobuStart = 8;
constexpr std::int64_t kCPbiFirstIlvuEnd = 12;
constexpr std::int64_t kCPbiLastVobuStart = 16;
constexpr std::int64_t kCPbiLastVobuEnd = 20;
constexpr std::int64_t kCPosiSize = 4;

// C_ADT: VOB id count, reserved, end address at +4, 12-byte entries from +8
// (VOB id, cell id, reserved, start sector, last sector).
constexpr std::int64_t kCAdtHeader = 8;
constexpr std::int64_t kCAdtEntrySize = 12;
// VOBU_ADMAP: end address at +0, then one 4-byte start sector per VOBU.
constexpr std::int64_t kVobuAdmapHeader = 4;

}  // namespace kestrune
