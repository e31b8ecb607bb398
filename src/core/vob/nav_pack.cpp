#include "nav_pack.h"

#include <cstdio>

#include "big_endian.h"

namespace kestrune::nav {

namespace {

bool StartCode(std::span<const std::uint8_t> s, std::int64_t at, std::uint8_t id) {
  return s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 1 && s[at + 3] == id;
}

std::string HexByte(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

constexpr std::int64_t kPesPrefix = 6;        // start code (4) and packet length (2)
constexpr std::int64_t kPesHeaderLength = 8;  // PES_header_data_length, after two flag bytes

}  // namespace

std::optional<Pack> ReadPack(std::span<const std::uint8_t> s, std::string& why) {
  if (static_cast<std::int64_t>(s.size()) != kSectorSize) {
    why = "is " + std::to_string(s.size()) + " bytes, not a whole 2048-byte pack";
    return std::nullopt;
  }
  if (!StartCode(s, 0, kPackStartCode) || (s[4] & 0xC0) != kMpeg2PackMarker) {
    why = "holds no MPEG-2 pack header (00 00 01 BA)";
    return std::nullopt;
  }
  std::int64_t at = kPackHeaderSize + (s[13] & 0x07);
  if (StartCode(s, at, kSystemHeaderCode)) {
    if (IsNavPack(s)) return Pack{PackKind::kNav, 0};
    at += kPesPrefix + (s[at + 4] << 8 | s[at + 5]);
  }
  // The packet's start code, its length and (for private stream 1) the
  // sub-stream byte after the PES header all lie inside the sector.
  if (kSectorSize - at < kPesPrefix || s[at] != 0 || s[at + 1] != 0 || s[at + 2] != 1) {
    why = "holds no packet after its pack header";
    return std::nullopt;
  }
  const std::uint8_t id = s[at + 3];
  if (id == kVideoStream) return Pack{PackKind::kVideo, id};
  if (id >= kMpegAudioFirst && id < kMpegAudioFirst + kAudioStreamNumbers) return Pack{PackKind::kAudio, id};
  if (id == kPaddingStream) return Pack{PackKind::kPadding, id};
  if (id != kPrivateStream1) return Pack{PackKind::kOther, id};
  if (kSectorSize - at < kPesHeaderLength + 2 || (s[at + 6] & 0xC0) != 0x80) {
    why = "holds a private stream 1 packet without an MPEG-2 packet header";
    return std::nullopt;
  }
  const std::int64_t sub = at + kPesHeaderLength + 1 + s[at + kPesHeaderLength];
  if (sub >= kSectorSize) {
    why = "holds a private stream 1 packet whose sub-stream byte lies past the pack";
    return std::nullopt;
  }
  const std::uint8_t stream = s[sub];
  if (stream >= kSubpictureFirst && stream <= kSubpictureLast) return Pack{PackKind::kSubpicture, stream};
  if ((stream >= kAc3First && stream < kDtsFirst + kAudioStreamNumbers) ||
      (stream >= kLpcmFirst && stream < kLpcmFirst + kAudioStreamNumbers))
    return Pack{PackKind::kAudio, stream};
  return Pack{PackKind::kOther, stream};
}

bool IsNavPack(std::span<const std::uint8_t> s) {
  return static_cast<std::int64_t>(s.size()) == kSectorSize && StartCode(s, 0, kPackStartCode) &&
         (s[4] & 0xC0) == kMpeg2PackMarker && StartCode(s, kPciPacket, kPrivateStream2) && s[kPciSubstream] == 0 &&
         StartCode(s, kDsiPacket, kPrivateStream2) && s[kDsiSubstream] == 1;
}

std::optional<NavPack> ReadNavPack(std::span<const std::uint8_t> s) {
  if (static_cast<std::int64_t>(s.size()) < kSectorSize) return std::nullopt;
  s = s.first(kSectorSize);
  if (!IsNavPack(s)) return std::nullopt;
  const auto dword = [&](std::int64_t field) { return GetBigEndian<std::uint32_t>(&s[DsiField(field)]); };
  NavPack pack;
  pack.sector = dword(kDsiNvPckLbn);
  pack.vobuEnd = dword(kDsiVobuEa);
  pack.firstRefEnd = dword(kDsiFirstRefEa);
  pack.secondRefEnd = dword(kDsiFirstRefEa + 4);
  pack.thirdRefEnd = dword(kDsiFirstRefEa + 8);
  pack.vobId = GetBigEndian<std::uint16_t>(&s[DsiField(kDsiVobIdn)]);
  pack.cellId = s[DsiField(kDsiCellIdn)];
  return pack;
}

const char* AudioFormatOf(std::uint8_t stream) {
  if (stream >= kMpegAudioFirst) return "MPEG audio";
  if (stream >= kLpcmFirst) return "LPCM";
  if (stream >= kDtsFirst) return "DTS";
  return "AC-3";
}

std::string StreamName(std::uint8_t stream) {
  if (stream >= kSubpictureFirst && stream <= kSubpictureLast) return "sub-picture " + HexByte(stream);
  return std::string(AudioFormatOf(stream)) + " " + HexByte(stream);
}

}  // namespace kestrune::nav
