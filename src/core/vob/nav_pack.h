// The packs of a VOB set, as code that reads or rewrites them sees them: what
// kind of pack a 2048-byte sector holds (NAV, video, audio or sub-picture of
// which stream, padding), and where every field of a NAV pack lies. This is
// the one place that says so: the verifier, the blank VOB writer and the
// stream removal all read and write NAV packs through these names.
//
// A NAV pack is one sector: the pack header (14 bytes), the system header,
// the PCI packet at 0x26 and the DSI packet at 0x400, both private stream 2
// with a sub-stream byte (0 PCI, 1 DSI) before their data. Sector fields come
// in two kinds: NV_PCK_LBN (in PCI and DSI) counts from the first sector of
// the VOB set; every other one (VOBU_EA, the reference picture ends, VOBU_SRI,
// SYNCI, the ILVU and angle addresses) counts from this NAV pack.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "sector.h"

namespace kestrune::nav {

// --- the pack ------------------------------------------------------------------
constexpr std::uint8_t kPackStartCode = 0xBA;
constexpr std::uint8_t kSystemHeaderCode = 0xBB;
constexpr std::int64_t kPackHeaderSize = 14;   // with no stuffing; byte 13's low 3 bits count stuffing bytes
constexpr std::uint8_t kMpeg2PackMarker = 0x40;  // bits 7-6 of byte 4: '01' for an MPEG-2 pack

// Stream ids of the PES packets a DVD uses.
constexpr std::uint8_t kPrivateStream1 = 0xBD;  // sub-pictures, AC-3, DTS, LPCM: the sub-stream byte says which
constexpr std::uint8_t kPaddingStream = 0xBE;
constexpr std::uint8_t kPrivateStream2 = 0xBF;  // the NAV pack's PCI and DSI
constexpr std::uint8_t kVideoStream = 0xE0;
// Physical streams, as one byte: the sub-stream of private stream 1, or the
// stream id of an MPEG audio packet.
constexpr std::uint8_t kSubpictureFirst = 0x20, kSubpictureLast = 0x3F;
constexpr std::uint8_t kAc3First = 0x80, kDtsFirst = 0x88, kLpcmFirst = 0xA0, kMpegAudioFirst = 0xC0;
constexpr int kAudioStreamNumbers = 8;  // decoding stream numbers 0..7 of each audio format

// --- the NAV pack ------------------------------------------------------------------
constexpr std::int64_t kPciPacket = 0x26;
constexpr std::int64_t kPciSubstream = 0x2C;
constexpr std::int64_t kPci = 0x2D;  // first byte of PCI data
constexpr std::int64_t kDsiPacket = 0x400;
constexpr std::int64_t kDsiSubstream = 0x406;
constexpr std::int64_t kDsi = 0x407;  // first byte of DSI data

// PCI fields, from the first byte of PCI data.
constexpr std::int64_t kPciNvPckLbn = 0;
constexpr std::int64_t kPciVobuSPtm = 12;
constexpr std::int64_t kPciVobuEPtm = 16;
constexpr std::int64_t kPciVobuSeEPtm = 20;
constexpr std::int64_t kPciCElTm = 24;
constexpr std::int64_t kNsmlAgli = 60;  // NSML_AGL_C1_DSTA .. C9_DSTA: 9 × 4 bytes
constexpr int kAngles = 9;
constexpr std::int64_t kHli = 96;
// HLI: HLI_SS, then the button groups (bits 5..4 of HL_GI byte 14), the
// button count (byte 17) and, after the colour table, 36 button entries of
// 18 bytes whose command is at +10.
constexpr std::int64_t kHliButtonGroups = kHli + 14;
constexpr std::int64_t kHliButtonCount = kHli + 17;
constexpr std::int64_t kHliButtons = kHli + 46;
constexpr std::int64_t kButtonSize = 18;
constexpr std::int64_t kButtonCommand = 10;
constexpr int kMaxButtons = 36;

// DSI fields, from the first byte of DSI data.
constexpr std::int64_t kDsiNvPckLbn = 4;
constexpr std::int64_t kDsiVobuEa = 8;
constexpr std::int64_t kDsiFirstRefEa = 12;  // VOBU_1STREF_EA, then 2ND and 3RD, 4 bytes each
constexpr int kRefEas = 3;
constexpr std::int64_t kDsiVobIdn = 24;
constexpr std::int64_t kDsiCellIdn = 27;
constexpr std::int64_t kDsiCElTm = 28;
constexpr std::int64_t kSmlPbi = 32;  // SML_PBI: category (2), ILVU_EA, ILVU_SA (4 each), ...
constexpr std::int64_t kSmlPbiCategory = kSmlPbi;
constexpr std::int64_t kSmlPbiIlvuEa = kSmlPbi + 2;
constexpr std::int64_t kSmlPbiIlvuSa = kSmlPbi + 6;
constexpr std::int64_t kSmlPbiVobVSPtm = kSmlPbi + 12;
constexpr std::int64_t kSmlPbiVobVEPtm = kSmlPbi + 16;
constexpr std::int64_t kSmlPbiSize = 148;
constexpr std::int64_t kSmlAgli = 180;  // SML_AGLI: 9 × (address 4, size 2)
constexpr std::int64_t kSmlAgliEntrySize = 6;
constexpr std::int64_t kVobuSri = 234;
// VOBU_SRI: next video VOBU, 19 forward, next VOBU (21 pointing forward),
// then previous VOBU, 19 backward, previous video VOBU (21 pointing back).
constexpr int kVobuSriEntries = 42;
constexpr int kVobuSriForward = 21;
constexpr std::uint32_t kSriFlags = 0xC0000000;   // the entry's flag bits (bit 31: the VOBU has video)
constexpr std::uint32_t kSriOffset = 0x3FFFFFFF;  // the sectors; all ones: no such VOBU
constexpr std::uint32_t kSriEndOfCell = 0x3FFFFFFF;
constexpr std::uint32_t kSriVideoEndOfCell = 0xBFFFFFFF;
constexpr std::int64_t kAudioSynca = 402;        // SYNCI: 8 × 2 bytes, one per audio stream number
constexpr std::int64_t kSubpictureSynca = 418;   // then 32 × 4 bytes, one per sub-picture stream number
constexpr int kAudioSyncas = 8;
constexpr int kSubpictureSyncas = 32;
// A SYNCI entry: the top bit says the pack lies before this NAV pack, the
// rest counts sectors; 0 names no pack, and all ones in the count (0x3FFF,
// 0x7FFFFFFF) says the stream has no pack near.
constexpr std::uint16_t kAudioSyncaBefore = 0x8000;
constexpr std::uint16_t kAudioSyncaOffset = 0x3FFF;
constexpr std::uint32_t kSubpictureSyncaBefore = 0x80000000;
constexpr std::uint32_t kSubpictureSyncaOffset = 0x7FFFFFFF;

// Sector offsets of the fields, as the verifier names them in findings.
constexpr std::int64_t PciField(std::int64_t field) { return kPci + field; }
constexpr std::int64_t DsiField(std::int64_t field) { return kDsi + field; }

// --- what a sector holds --------------------------------------------------------------

enum class PackKind {
  kNav,         // pack header, system header, PCI and DSI
  kVideo,       // MPEG-2 video (0xE0)
  kAudio,       // AC-3, DTS, LPCM (private stream 1) or MPEG audio (0xC0-0xC7)
  kSubpicture,  // private stream 1, sub-streams 0x20-0x3F
  kPadding,     // a padding packet only
  kOther,       // any other packet: kept as it is
};

struct Pack {
  PackKind kind = PackKind::kOther;
  std::uint8_t stream = 0;  // the physical stream of audio and sub-picture packs, as above
};

// What the 2048 bytes of `sector` hold. Nothing, with the reason in `why`,
// when they are not one MPEG-2 pack whose first packet lies inside it.
std::optional<Pack> ReadPack(std::span<const std::uint8_t> sector, std::string& why);

// True when `sector` holds a NAV pack: a pack header, then the PCI packet at
// 0x26 and the DSI packet at 0x400 with their sub-stream bytes.
bool IsNavPack(std::span<const std::uint8_t> sector);

// The DSI_GI of a NAV pack.
struct NavPack {
  std::uint32_t sector = 0;       // NV_PCK_LBN: its own sector in its VOB set
  std::uint32_t vobuEnd = 0;      // VOBU_EA: the VOBU's last sector, from the NAV pack
  std::uint32_t firstRefEnd = 0;  // VOBU_1STREF_EA: last sector of the first reference picture; 0 = none
  std::uint32_t secondRefEnd = 0, thirdRefEnd = 0;
  std::uint16_t vobId = 0;
  std::uint8_t cellId = 0;
};

// The DSI_GI of the NAV pack in the first sector of `sectors`; nothing when
// it is not one.
std::optional<NavPack> ReadNavPack(std::span<const std::uint8_t> sectors);

// "AC-3 0x80", "MPEG audio 0xC1", "sub-picture 0x21", ...: a physical stream
// as messages name it.
std::string StreamName(std::uint8_t stream);
// The audio format of a physical audio stream ("AC-3", "DTS", "LPCM", "MPEG").
const char* AudioFormatOf(std::uint8_t stream);

}  // namespace kestrune::nav
