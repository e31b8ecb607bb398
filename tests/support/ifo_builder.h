// Builds small information files for tests: the identifier, the MAT fields
// that locate the tables, and each table's end address, with its bytes filled
// by a pattern so that moves and round trips can be compared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "big_endian.h"

namespace kestrune::test {

struct TableAt {
  std::int64_t matPointer;  // 0xC4.. in VMGI_MAT, 0xC8.. in VTSI_MAT
  std::int32_t sector;
  std::int32_t length;      // bytes; the end address written is length - 1
  int endAddressAt = 4;     // 0 for VOBU_ADMAP, 16 for VMG_TXTDT_MG
};

struct IfoLayout {
  bool vmg = false;
  std::int32_t matEnd = 0x3FF;
  std::int32_t lastSector = 0;    // 0x1C; also sets the file length
  std::int32_t setLastSector = 0; // 0x0C
  std::vector<TableAt> tables;
};

inline void Put32(std::vector<std::uint8_t>& b, std::int64_t pos, std::uint32_t v) {
  PutBigEndian<std::uint32_t>(&b[static_cast<std::size_t>(pos)], v);
}
inline void Put16(std::vector<std::uint8_t>& b, std::int64_t pos, std::uint16_t v) {
  PutBigEndian<std::uint16_t>(&b[static_cast<std::size_t>(pos)], v);
}
inline std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::int64_t pos) {
  return GetBigEndian<std::uint32_t>(&b[static_cast<std::size_t>(pos)]);
}

inline std::vector<std::uint8_t> BuildIfo(const IfoLayout& layout) {
  std::vector<std::uint8_t> b(static_cast<std::size_t>(layout.lastSector + 1) * 2048, 0);
  const std::string id = layout.vmg ? "DVDVIDEO-VMG" : "DVDVIDEO-VTS";
  std::copy(id.begin(), id.end(), b.begin());
  Put32(b, 0x0C, static_cast<std::uint32_t>(layout.setLastSector));
  Put32(b, 0x1C, static_cast<std::uint32_t>(layout.lastSector));
  Put32(b, 0x80, static_cast<std::uint32_t>(layout.matEnd));
  for (std::int64_t i = 0x100; i <= layout.matEnd && i < 0x800; ++i) b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
  b[0x100] = 0x00;
  for (const TableAt& t : layout.tables) {
    Put32(b, t.matPointer, static_cast<std::uint32_t>(t.sector));
    const std::int64_t pos = static_cast<std::int64_t>(t.sector) * 2048;
    for (std::int64_t i = 0; i < t.length; ++i) b[static_cast<std::size_t>(pos + i)] = static_cast<std::uint8_t>(i * 13 + t.sector);
    Put32(b, pos + t.endAddressAt, static_cast<std::uint32_t>(t.length - 1));
  }
  return b;
}

// dvdauthor's order, no free sectors; VTS_PGCI exactly one sector long and
// VTS_VOBU_ADMAP spanning two.
inline IfoLayout StandardVts() {
  IfoLayout s;
  s.lastSector = 9;
  s.setLastSector = 200;
  s.tables = {{0xC8, 1, 100}, {0xCC, 2, 2048},   {0xD0, 3, 300},    {0xD4, 4, 50},
              {0xD8, 5, 20},  {0xDC, 6, 8, 0},   {0xE0, 7, 20},     {0xE4, 8, 2100, 0}};
  return s;
}

inline IfoLayout StandardVmg() {
  IfoLayout s;
  s.vmg = true;
  s.matEnd = 0x4FF;
  s.lastSector = 7;
  s.setLastSector = 30;
  s.tables = {{0xC4, 1, 8 + 12 * 3}, {0xC8, 2, 200}, {0xCC, 3, 1},  {0xD0, 4, 8 + 4 * 2 + 2 * 776},
              {0xD4, 5, 20, 16},     {0xD8, 6, 20},  {0xDC, 7, 8, 0}};
  return s;
}

// Gives the TT_SRPT and VMG_VTS_ATRT of a built VMG real headers: three titles
// of title sets 1, 2 and 3, and two VTS_ATR records of 776 bytes.
inline std::vector<std::uint8_t> WithTitlesAndAttributes(std::vector<std::uint8_t> b) {
  const std::int64_t t = 1 * 2048;
  Put16(b, t, 3);
  for (int j = 0; j < 3; ++j) {
    b[static_cast<std::size_t>(t + 8 + 12 * j + 6)] = static_cast<std::uint8_t>(j + 1);
    Put32(b, t + 8 + 12 * j + 8, 1000u * (j + 1));
  }
  const std::int64_t a = 4 * 2048;
  Put16(b, a, 2);
  for (int n = 0; n < 2; ++n) {
    const std::uint32_t offset = 16 + 776u * n;
    Put32(b, a + 8 + 4 * n, offset);
    Put32(b, a + offset, 775);
  }
  return b;
}

}  // namespace kestrune::test
