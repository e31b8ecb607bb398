// The NAV pack that starts every VOBU: a pack header, a system header, then
// the PCI packet at 0x26 and the DSI packet at 0x400, both private stream 2
// (00 00 01 BF) with a sub-stream byte (0 PCI, 1 DSI). Offsets count from
// the pack's first byte; every field is big-endian. The DSI says where the
// VOBU ends and where its first three reference pictures end, in sectors
// from the NAV pack (so a VOBU's first picture is read without reading the
// rest of it).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace kestrune {

constexpr std::int64_t kNavPciPacket = 0x26;
constexpr std::int64_t kNavPciSubstream = 0x2C;
constexpr std::int64_t kNavPci = 0x2D;  // PCI data: NV_PCK_LBN at +0, HLI from +96
constexpr std::int64_t kNavDsiPacket = 0x400;
constexpr std::int64_t kNavDsiSubstream = 0x406;
constexpr std::int64_t kNavDsi = 0x407;  // DSI data: DSI_GI from +0
constexpr std::int64_t kPciNvPckLbn = kNavPci + 0;
constexpr std::int64_t kDsiNvPckLbn = kNavDsi + 4;
constexpr std::int64_t kDsiVobuEa = kNavDsi + 8;
constexpr std::int64_t kDsiVobu1stRefEa = kNavDsi + 12;
constexpr std::int64_t kDsiVobu2ndRefEa = kNavDsi + 16;
constexpr std::int64_t kDsiVobu3rdRefEa = kNavDsi + 20;
constexpr std::int64_t kDsiVobIdn = kNavDsi + 24;
constexpr std::int64_t kDsiCellIdn = kNavDsi + 27;

// The DSI_GI of a NAV pack.
struct NavPack {
  std::uint32_t sector = 0;      // NV_PCK_LBN: its own sector in its VOB set
  std::uint32_t vobuEnd = 0;     // VOBU_EA: the VOBU's last sector, from the NAV pack
  std::uint32_t firstRefEnd = 0; // VOBU_1STREF_EA: last sector of the first reference picture; 0 = none
  std::uint32_t secondRefEnd = 0, thirdRefEnd = 0;
  std::uint16_t vobId = 0;
  std::uint8_t cellId = 0;
};

// True when the 2048 bytes of `sector` are a NAV pack: an MPEG-2 pack header,
// the PCI packet and the DSI packet where they belong.
bool IsNavPack(std::span<const std::uint8_t> sector);
// The DSI_GI of the NAV pack `sector`; nothing when it is not one.
std::optional<NavPack> ReadNavPack(std::span<const std::uint8_t> sector);

}  // namespace kestrune
