#include "nav_pack.h"

#include "big_endian.h"
#include "sector.h"

namespace kestrune {

namespace {

bool StartCode(std::span<const std::uint8_t> s, std::int64_t at, std::uint8_t id) {
  return s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 1 && s[at + 3] == id;
}

std::uint32_t DWord(std::span<const std::uint8_t> s, std::int64_t at) { return GetBigEndian<std::uint32_t>(&s[at]); }

}  // namespace

bool IsNavPack(std::span<const std::uint8_t> s) {
  return static_cast<std::int64_t>(s.size()) >= kSectorSize && StartCode(s, 0, 0xBA) && (s[4] & 0xC0) == 0x40 &&
         StartCode(s, kNavPciPacket, 0xBF) && s[kNavPciSubstream] == 0 && StartCode(s, kNavDsiPacket, 0xBF) &&
         s[kNavDsiSubstream] == 1;
}

std::optional<NavPack> ReadNavPack(std::span<const std::uint8_t> s) {
  if (!IsNavPack(s)) return std::nullopt;
  NavPack nav;
  nav.sector = DWord(s, kDsiNvPckLbn);
  nav.vobuEnd = DWord(s, kDsiVobuEa);
  nav.firstRefEnd = DWord(s, kDsiVobu1stRefEa);
  nav.secondRefEnd = DWord(s, kDsiVobu2ndRefEa);
  nav.thirdRefEnd = DWord(s, kDsiVobu3rdRefEa);
  nav.vobId = GetBigEndian<std::uint16_t>(&s[kDsiVobIdn]);
  nav.cellId = s[kDsiCellIdn];
  return nav;
}

}  // namespace kestrune
