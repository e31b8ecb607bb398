// Where the fields of the DVD-Video information files lie: byte offsets into
// the MATs of VIDEO_TS.IFO (VMGI_MAT) and VTS_nn_0.IFO (VTSI_MAT), into the
// tables they point at, and into a program chain (PGC) and its sub-tables.
// Every field is big-endian. This is the one place that says where a field
// is: the engine's rewrites, the disc model and the verifier all read and
// write the structures through these names (and the tables through
// ifo_tables.h, chain_tables.h and title_tables.h).
#pragma once

#include <cstdint>

namespace kestrune {

// --- both MATs ----------------------------------------------------------------
constexpr char kVmgIdentifier[] = "DVDVIDEO-VMG";  // at 0, not NUL-terminated in the file
constexpr char kVtsIdentifier[] = "DVDVIDEO-VTS";
constexpr std::int64_t kIdentifierLength = 12;
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
constexpr std::int64_t kVmgiProviderIdLength = 32;
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

// The smallest MAT end address (0x80) a set can be read and written back
// with: the MAT must hold every field of it that is read and that the
// write-out, which lays down the MAT up to its end address only, has to keep.
// That is the stream attributes of the menus (VMGI_MAT, up to 0x15B) and of
// the titles (VTSI_MAT, up to 0x315). libdvdread asks at least 341 bytes of a
// VMGI_MAT; dvdauthor writes 0x7FF for a VTSI_MAT and covers the first-play
// PGC at 0x400 with a VMGI_MAT's; the IFOs of other tools seen end at 0x3FF
// or later.
constexpr std::int64_t kVmgiMatMinEnd = kMatMenuStreamsLast;
constexpr std::int64_t kVtsiMatMinEnd = kVtsiTitleStreamsLast;

// Domain video attributes (MAT 0x100, VTSI_MAT 0x200), first byte: coding
// mode in bits 7-6, TV system in bits 5-4 (0 525/60, 1 625/50), aspect ratio
// in bits 3-2 (0 4:3, 3 16:9); second byte: picture size in bits 3-2.
// A domain's audio attributes start 4 bytes after its video attributes, the
// sub-picture stream count 0x54 and the sub-picture attributes 0x56 after.
// The blank image of a domain is chosen by one bit of each: the TV system's
// low bit (set for 625/50) and the aspect ratio's high bit (set for 16:9).
constexpr std::uint8_t kVideoPalBit = 0x10;
constexpr std::uint8_t kVideoWideBit = 0x08;
constexpr std::int64_t kAttrAudioCount = 0x02;
constexpr std::int64_t kAttrAudio = 0x04;
constexpr std::int64_t kAttrAudioSize = 8;
constexpr std::int64_t kAttrSubpictureCount = 0x54;
constexpr std::int64_t kAttrSubpicture = 0x56;
constexpr std::int64_t kAttrSubpictureSize = 6;

// --- chain lists (PGCI, each PGCI_LU) and PGCI_UT -------------------------------
// A 16-bit count of 8-byte search pointers at +0, the end address at +4, the
// search pointers from +8. A PGCI_SRP holds the PGC category at +0 and the
// PGC's offset from the list's first byte at +4; a PGCI_LU_SRP (in PGCI_UT)
// the language code at +0, its extension at +2, the existing menus at +3 and
// the PGCI_LU's offset from the PGCI_UT's first byte at +4.
constexpr std::int64_t kListCount = 0;
constexpr std::int64_t kListEndAddress = 4;
constexpr std::int64_t kListFirstPointer = 8;
constexpr std::int64_t kSearchPointerSize = 8;
constexpr std::int64_t kSearchPointerCategory = 0;
constexpr std::int64_t kSearchPointerLanguage = 0;
constexpr std::int64_t kSearchPointerLanguageExtension = 2;
constexpr std::int64_t kSearchPointerExistingMenus = 3;
constexpr std::int64_t kSearchPointerOffset = 4;

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

// --- VTS_PTT_SRPT: title count at +0, end address at +4, then one 32-bit offset
// per title from +8 to its list of 4-byte PTT entries (PGCN, PGN) ---------------
constexpr std::int64_t kPttFirstTitle = 8;
constexpr std::int64_t kPttOffsetSize = 4;
constexpr std::int64_t kPttEntrySize = 4;
constexpr std::int64_t kPttPgcn = 0;
constexpr std::int64_t kPttPgn = 2;

// --- VMG_VTS_ATRT: title set count at +0, end address at +4, then one 32-bit
// offset per title set from +8 to its VTS_ATR record. A record holds its end
// address at +0, the title set's category (a copy of VTSI_MAT 0x22) at +4 and
// from +8 a copy of VTSI_MAT from 0x100 on: record byte k (k >= 8) mirrors
// VTSI_MAT byte 0xF8 + k. ---------------------------------------------------------
constexpr std::int64_t kVtsAtrtFirstOffset = 8;
constexpr std::int64_t kVtsAtrEndAddress = 0;
constexpr std::int64_t kVtsAtrCategory = 4;
constexpr std::int64_t kVtsAtrAttributes = 8;
constexpr std::int64_t kVtsAtrMirrorBase = 0xF8;
// The record byte that mirrors VTSI_MAT byte `matOffset` (0x100 and up).
constexpr std::int64_t VtsAtrByteOf(std::int64_t matOffset) { return matOffset - kVtsAtrMirrorBase; }

// --- VMG_TXTDT_MG: its end address lies at +16, after the language code ----------
constexpr std::int64_t kTxtdtMgEndAddress = 16;
constexpr std::int64_t kTxtdtMgHeader = 20;

// --- playback times (PGC +0x04, C_PBI +4): hours, minutes and seconds in BCD,
// then a frame byte whose top two bits give the frame rate and whose low six
// bits count frames in BCD ---------------------------------------------------------
constexpr std::uint32_t kFrameRateBits = 0xC0;
constexpr std::uint32_t kFrameRate25 = 0x40;
constexpr std::uint32_t kFrameRate30 = 0xC0;
constexpr std::uint32_t kFrameDigits = 0x3F;

// --- PGC: the fixed part, offsets from its first byte ---------------------------
constexpr std::int64_t kPgcPrograms = 0x02;
constexpr std::int64_t kPgcCells = 0x03;
constexpr std::int64_t kPgcPlaybackTime = 0x04;
constexpr std::int64_t kPgcProhibitedUserOps = 0x08;
constexpr std::int64_t kPgcStreamControl = 0x0C;      // 8 audio entries of 2 bytes, then
constexpr std::int64_t kPgcSubpictureControl = 0x1C;  // 32 sub-picture entries of 4
constexpr std::int64_t kPgcAudioStreams = 8;
constexpr std::int64_t kPgcSubpictureStreams = 32;
constexpr std::int64_t kPgcStreamControlSize = 0x90;
constexpr std::int64_t kPgcNextPgcn = 0x9C;
constexpr std::int64_t kPgcPreviousPgcn = 0x9E;
constexpr std::int64_t kPgcGoUpPgcn = 0xA0;
constexpr std::int64_t kPgcStillTime = 0xA2;
constexpr std::int64_t kPgcPlaybackMode = 0xA3;
constexpr std::int64_t kPgcPalette = 0xA4;        // 16 entries of 4 bytes
constexpr std::int64_t kPgcPaletteEntries = 16;
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

// C_PBI (cell playback) entries and their fields; C_POSI (cell position)
// entries: VOB id at +0, a reserved byte, the cell id at +3.
constexpr std::int64_t kCPbiSize = 24;
constexpr std::int64_t kCPbiCategory = 0;
constexpr std::int64_t kCPbiRestrictions = 1;
constexpr std::int64_t kCPbiStillTime = 2;
constexpr std::int64_t kCPbiCellCommand = 3;
constexpr std::int64_t kCPbiPlaybackTime = 4;
constexpr std::int64_t kCPbiFirstVobuStart = 8;
constexpr std::int64_t kCPbiFirstIlvuEnd = 12;
constexpr std::int64_t kCPbiLastVobuStart = 16;
constexpr std::int64_t kCPbiLastVobuEnd = 20;
constexpr std::int64_t kCPosiSize = 4;
constexpr std::int64_t kCPosiVobId = 0;
constexpr std::int64_t kCPosiCellId = 3;

// C_ADT: VOB id count at +0, reserved, end address at +4, 12-byte entries
// from +8: VOB id (16 bits), cell id, reserved, start sector, last sector.
constexpr std::int64_t kCAdtVobCount = 0;
constexpr std::int64_t kCAdtEndAddress = 4;
constexpr std::int64_t kCAdtHeader = 8;
constexpr std::int64_t kCAdtEntrySize = 12;
constexpr std::int64_t kCAdtVobId = 0;
constexpr std::int64_t kCAdtCellId = 2;
constexpr std::int64_t kCAdtStartSector = 4;
constexpr std::int64_t kCAdtLastSector = 8;
// VOBU_ADMAP: end address at +0, then one 4-byte start sector per VOBU.
constexpr std::int64_t kVobuAdmapEndAddress = 0;
constexpr std::int64_t kVobuAdmapHeader = 4;
constexpr std::int64_t kVobuAdmapEntrySize = 4;

// VTS_TMAPTI: time map count at +0, end address at +4, then one 32-bit offset
// per time map from +8 (from the table's first byte). A VTS_TMAP holds its
// time unit in seconds at +0, its entry count at +2 and from +4 one 4-byte
// entry per time unit: the start sector of the VOBU playing then, with bit 31
// set where the time before it is not continuous.
constexpr std::int64_t kTmaptiCount = 0;
constexpr std::int64_t kTmaptiFirstOffset = 8;
constexpr std::int64_t kTmaptiOffsetSize = 4;
constexpr std::int64_t kTmapTimeUnit = 0;
constexpr std::int64_t kTmapEntryCount = 2;
constexpr std::int64_t kTmapFirstEntry = 4;
constexpr std::int64_t kTmapEntrySize = 4;
constexpr std::uint32_t kTmapDiscontinuity = 0x80000000;
constexpr std::uint32_t kTmapSector = 0x7FFFFFFF;

// C_PBI category byte: block mode in bits 7-6, block type in bits 5-4 (1: an
// angle block), then seamless playback, interleaved (bit 2), STC
// discontinuity and seamless angle change.
constexpr std::uint8_t kCellBlockType = 0x30;
constexpr std::uint8_t kCellInterleaved = 0x04;

// Stream control of a PGC: an audio entry (16 bits) holds "available" in bit
// 15 and the decoding stream number in bits 10-8; a sub-picture entry (32
// bits) holds "available" in bit 31 and the stream numbers for 4:3 video
// (bits 28-24), wide (20-16), letterbox (12-8) and pan-scan (4-0).
constexpr std::uint16_t kAudioControlAvailable = 0x8000;
constexpr int kAudioControlNumberShift = 8;
constexpr std::uint16_t kAudioControlNumber = 0x07;
constexpr std::uint32_t kSubpictureControlAvailable = 0x80000000;
constexpr std::uint32_t kSubpictureControlNumber = 0x1F;
constexpr int kSubpicture4x3Shift = 24, kSubpictureWideShift = 16, kSubpictureLetterboxShift = 8,
              kSubpicturePanScanShift = 0;

}  // namespace kestrune
