// Synthetic information files for the rewrite tests: program chains, chain
// lists, PGCI_UT, address tables and whole VTS and VMG IFO images, laid out
// the way dvdauthor lays them out unless a test asks for an odd layout.
// Every byte a rewrite must keep carries a pattern, so tests can tell kept
// bytes from rewritten ones.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "big_endian.h"
#include "title_set.h"

namespace kestrune::test::synthetic {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::int64_t pos, std::uint32_t v) {
  PutBigEndian<std::uint16_t>(&b.at(static_cast<std::size_t>(pos)), static_cast<std::uint16_t>(v));
}
inline void Put32(Bytes& b, std::int64_t pos, std::uint32_t v) {
  PutBigEndian<std::uint32_t>(&b.at(static_cast<std::size_t>(pos)), v);
}
inline std::uint32_t Get16(const Bytes& b, std::int64_t pos) {
  return GetBigEndian<std::uint16_t>(&b.at(static_cast<std::size_t>(pos)));
}
inline std::uint32_t Get32(const Bytes& b, std::int64_t pos) {
  return GetBigEndian<std::uint32_t>(&b.at(static_cast<std::size_t>(pos)));
}
inline Bytes Slice(const Bytes& b, std::int64_t pos, std::int64_t n) {
  return Bytes(b.begin() + pos, b.begin() + pos + n);
}

// ------------------------------------------------------------------ PGC

struct PgcShape {
  std::uint8_t programs = 1;
  std::uint8_t cells = 1;
  int commands = 1;               // pre commands; -1 = no command table
  bool programMap = true;
  bool cellPlayback = true;
  bool cellPosition = true;
  int freeBeforeCells = 0;        // bytes left free between the program map and the C_PBI table
  bool positionsFirst = false;    // C_POSI stored before C_PBI
};

// Cell k (from 0) of a synthetic chain: category 0x08 (seamless), still time
// 20 + k, cell command k + 1, a long playback time and real sectors.
inline Bytes Pgc(const PgcShape& s) {
  Bytes b(0xEC, 0);
  b[2] = s.programs;
  b[3] = s.cells;
  Put32(b, 4, 0x00123456);
  for (int i = 0x0C; i < 0xE4; ++i) b[i] = static_cast<std::uint8_t>(0x80 | (i & 0x7F));  // stream control, links, palette
  auto append = [&b](std::int64_t n) {
    const std::int64_t at = static_cast<std::int64_t>(b.size());
    b.resize(b.size() + static_cast<std::size_t>(n), 0);
    return at;
  };
  if (s.commands >= 0) {
    const std::int64_t c = append(8 + 8 * s.commands);
    Put16(b, 0xE4, static_cast<std::uint32_t>(c));
    Put16(b, c, static_cast<std::uint32_t>(s.commands));
    Put16(b, c + 6, static_cast<std::uint32_t>(8 + 8 * s.commands - 1));
    for (int i = 0; i < 8 * s.commands; ++i) b[c + 8 + i] = static_cast<std::uint8_t>(0x30 + i);
  }
  if (s.programMap) {
    const std::int64_t m = append(s.programs + (s.programs & 1));
    Put16(b, 0xE6, static_cast<std::uint32_t>(m));
    for (int i = 0; i < s.programs; ++i) b[m + i] = static_cast<std::uint8_t>(std::min(i + 1, std::max<int>(s.cells, 1)));
  }
  append(s.freeBeforeCells);
  auto positions = [&] {
    if (!s.cellPosition) return;
    const std::int64_t q = append(4 * s.cells);
    Put16(b, 0xEA, static_cast<std::uint32_t>(q));
    for (int k = 0; k < s.cells; ++k) Put32(b, q + 4 * k, static_cast<std::uint32_t>(0x00050000 | (k + 1)));
  };
  if (s.positionsFirst) positions();
  if (s.cellPlayback) {
    const std::int64_t p = append(24 * s.cells);
    Put16(b, 0xE8, static_cast<std::uint32_t>(p));
    for (int k = 0; k < s.cells; ++k) {
      const std::int64_t e = p + 24 * k;
      b[e] = 0x08;
      b[e + 1] = 0x00;
      b[e + 2] = static_cast<std::uint8_t>(20 + k);
      b[e + 3] = static_cast<std::uint8_t>(k + 1);
      Put32(b, e + 4, 0x00001512);
      Put32(b, e + 8, static_cast<std::uint32_t>(100 * k));
      Put32(b, e + 12, static_cast<std::uint32_t>(100 * k + 99));
      Put32(b, e + 16, static_cast<std::uint32_t>(100 * k + 90));
      Put32(b, e + 20, static_cast<std::uint32_t>(100 * k + 99));
    }
  }
  if (!s.positionsFirst) positions();
  return b;
}

// ------------------------------------------------------------ chain lists

struct ChainListShape {
  std::vector<Bytes> chains{};
  std::vector<int> pointers{};      // chain index per search pointer; empty = one pointer per chain, in order
  std::vector<int> storageOrder{};  // order the chains are stored in; empty = 0, 1, 2, ...
  int freeBetweenChains = 0;      // bytes left free after each chain but the last
  int freeAtEnd = 0;              // bytes after the last chain, inside the list
};

// A chain list (VTS_PGCI or PGCI_LU). Search pointer k has category
// 0x81000000 + k, so tests can see the categories stay.
inline Bytes ChainList(const ChainListShape& s) {
  std::vector<int> pointers = s.pointers;
  if (pointers.empty()) {
    pointers.resize(s.chains.size());
    std::iota(pointers.begin(), pointers.end(), 0);
  }
  std::vector<int> order = s.storageOrder;
  if (order.empty()) {
    order.resize(s.chains.size());
    std::iota(order.begin(), order.end(), 0);
  }
  Bytes b(8 + 8 * pointers.size(), 0);
  std::vector<std::uint32_t> at(s.chains.size(), 0);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0) b.resize(b.size() + static_cast<std::size_t>(s.freeBetweenChains), 0xEE);
    at[static_cast<std::size_t>(order[i])] = static_cast<std::uint32_t>(b.size());
    const Bytes& chain = s.chains[static_cast<std::size_t>(order[i])];
    b.insert(b.end(), chain.begin(), chain.end());
  }
  b.resize(b.size() + static_cast<std::size_t>(s.freeAtEnd), 0xEE);
  Put16(b, 0, static_cast<std::uint32_t>(pointers.size()));
  Put32(b, 4, static_cast<std::uint32_t>(b.size() - 1));
  for (std::size_t k = 0; k < pointers.size(); ++k) {
    Put32(b, 8 + 8 * k, 0x81000000u + static_cast<std::uint32_t>(k));
    Put32(b, 12 + 8 * k, at[static_cast<std::size_t>(pointers[k])]);
  }
  return b;
}

inline Bytes ChainListOf(std::vector<Bytes> chains) {
  ChainListShape s;
  s.chains = std::move(chains);
  return ChainList(s);
}

// A PGCI_UT of the given PGCI_LU, stored in `storageOrder` (default in
// pointer order); `pointers` maps each language unit to a PGCI_LU.
inline Bytes PgciUt(const std::vector<Bytes>& units, std::vector<int> pointers = {}, std::vector<int> storageOrder = {}) {
  if (pointers.empty()) {
    pointers.resize(units.size());
    std::iota(pointers.begin(), pointers.end(), 0);
  }
  if (storageOrder.empty()) {
    storageOrder.resize(units.size());
    std::iota(storageOrder.begin(), storageOrder.end(), 0);
  }
  Bytes b(8 + 8 * pointers.size(), 0);
  std::vector<std::uint32_t> at(units.size(), 0);
  for (const int u : storageOrder) {
    at[static_cast<std::size_t>(u)] = static_cast<std::uint32_t>(b.size());
    b.insert(b.end(), units[static_cast<std::size_t>(u)].begin(), units[static_cast<std::size_t>(u)].end());
  }
  Put16(b, 0, static_cast<std::uint32_t>(pointers.size()));
  Put32(b, 4, static_cast<std::uint32_t>(b.size() - 1));
  for (std::size_t i = 0; i < pointers.size(); ++i) {
    Put32(b, 8 + 8 * i, 0x656E0080u + static_cast<std::uint32_t>(i << 16));  // "en", "eo", ... with a root menu
    Put32(b, 12 + 8 * i, at[static_cast<std::size_t>(pointers[i])]);
  }
  return b;
}

// ------------------------------------------------------------ other tables

// A table of `size` bytes with its end address at `endAt` and a pattern after
// the header: a stand-in for tables the rewrite only moves.
inline Bytes Table(std::int64_t size, int endAt = 4) {
  Bytes b(static_cast<std::size_t>(size), 0);
  for (std::int64_t i = 0; i < size; ++i) b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + 3);
  Put32(b, endAt, static_cast<std::uint32_t>(size - 1));
  return b;
}

// C_ADT with `cells` entries of VOB id 1, cell k, real sectors.
inline Bytes CAdt(int cells) {
  Bytes b(static_cast<std::size_t>(8 + 12 * cells), 0);
  Put16(b, 0, 1);
  Put32(b, 4, static_cast<std::uint32_t>(b.size() - 1));
  for (int k = 0; k < cells; ++k) {
    Put32(b, 8 + 12 * k, static_cast<std::uint32_t>(0x00010000 | ((k + 1) << 8)));
    Put32(b, 12 + 12 * k, static_cast<std::uint32_t>(100 * k));
    Put32(b, 16 + 12 * k, static_cast<std::uint32_t>(100 * k + 99));
  }
  return b;
}

// VOBU_ADMAP of `size` bytes (end address at +0).
inline Bytes VobuAdmap(std::int64_t size) {
  Bytes b(static_cast<std::size_t>(size), 0);
  Put32(b, 0, static_cast<std::uint32_t>(size - 1));
  for (std::int64_t k = 1; 4 * k + 4 <= size; ++k) Put32(b, 4 * k, static_cast<std::uint32_t>(10 * k));
  return b;
}

// VTS_PTT_SRPT: `parts[t]` chapters for title t, each (PGC t + 1, program p).
inline Bytes PttSrpt(const std::vector<int>& parts) {
  Bytes b(8 + 4 * parts.size(), 0);
  Put16(b, 0, static_cast<std::uint32_t>(parts.size()));
  for (std::size_t t = 0; t < parts.size(); ++t) {
    Put32(b, 8 + 4 * t, static_cast<std::uint32_t>(b.size()));
    for (int p = 0; p < parts[t]; ++p) {
      b.resize(b.size() + 4);
      Put16(b, static_cast<std::int64_t>(b.size()) - 4, static_cast<std::uint32_t>(t + 1));
      Put16(b, static_cast<std::int64_t>(b.size()) - 2, static_cast<std::uint32_t>(p + 1));
    }
  }
  Put32(b, 4, static_cast<std::uint32_t>(b.size() - 1));
  return b;
}

// TT_SRPT: one title per entry, {title set number, title set start sector}.
inline Bytes TtSrpt(const std::vector<std::array<std::uint32_t, 2>>& titles) {
  Bytes b(8 + 12 * titles.size(), 0);
  Put16(b, 0, static_cast<std::uint32_t>(titles.size()));
  Put32(b, 4, static_cast<std::uint32_t>(b.size() - 1));
  for (std::size_t j = 0; j < titles.size(); ++j) {
    b[8 + 12 * j] = 0x3C;
    b[9 + 12 * j] = 1;
    b[14 + 12 * j] = static_cast<std::uint8_t>(titles[j][0]);
    b[15 + 12 * j] = 1;
    Put32(b, 16 + 12 * j, titles[j][1]);
  }
  return b;
}

// ------------------------------------------------------------ whole IFOs

struct TableAt {
  Bytes bytes{};              // empty = absent
  std::int32_t sector = 0;    // 0 = the sector after the table before it
};

struct SyntheticIfo {
  Bytes bytes;
  std::vector<std::int32_t> sectors;  // start sector of each table, 0 when absent
  std::int32_t lastSector = 0;        // 0x0C
  std::int32_t ifoLastSector = 0;     // 0x1C
  std::int32_t menuVobs = 0;          // 0xC0
  std::int32_t titleVobs = 0;         // 0xC4 (title sets)
};

// Tables in file order, each at its sector, with the MAT pointers from
// `firstPointer` on. The IFO ends with the last table (plus `freeAtEnd`).
inline SyntheticIfo LayOut(const char* id, std::vector<TableAt> tables, std::int64_t firstPointer, int freeAtEnd) {
  SyntheticIfo ifo;
  std::int32_t next = 1;
  for (TableAt& t : tables) {
    if (t.bytes.empty()) {
      ifo.sectors.push_back(0);
      continue;
    }
    if (t.sector == 0) t.sector = next;
    ifo.sectors.push_back(t.sector);
    next = t.sector + static_cast<std::int32_t>((t.bytes.size() + 2047) / 2048);
  }
  ifo.ifoLastSector = next - 1 + freeAtEnd;
  ifo.bytes.assign(static_cast<std::size_t>(ifo.ifoLastSector + 1) * 2048, 0);
  std::copy(id, id + 12, ifo.bytes.begin());
  Put32(ifo.bytes, 0x1C, static_cast<std::uint32_t>(ifo.ifoLastSector));
  Put32(ifo.bytes, 0x80, 0x3FF);
  for (int i = 0x100; i < 0x400; ++i) ifo.bytes[i] = static_cast<std::uint8_t>(i * 5 + 1);  // attributes
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (tables[i].bytes.empty()) continue;
    Put32(ifo.bytes, firstPointer + 4 * static_cast<std::int64_t>(i), static_cast<std::uint32_t>(ifo.sectors[i]));
    std::copy(tables[i].bytes.begin(), tables[i].bytes.end(), ifo.bytes.begin() + ifo.sectors[i] * 2048);
  }
  return ifo;
}

struct VtsShape {
  // VTS_PTT_SRPT, VTS_PGCI, VTSM_PGCI_UT, VTS_TMAPTI, VTSM_C_ADT,
  // VTSM_VOBU_ADMAP, VTS_C_ADT, VTS_VOBU_ADMAP.
  std::array<TableAt, 8> tables;
  std::int32_t menuVobSectors = 300;  // 0 = no menu VOB set
  std::int32_t titleVobSectors = 500;
  std::uint8_t menuVideo = 0x10;      // 625/50, 4:3
  std::uint8_t titleVideo = 0x10;
  int freeAtEnd = 0;
};

// The menu VOB set starts right after the IFO, the title VOB set after it, and
// the BUP as long as the IFO closes the set.
inline SyntheticIfo Vts(const VtsShape& s) {
  SyntheticIfo ifo = LayOut("DVDVIDEO-VTS", {s.tables.begin(), s.tables.end()}, 0xC8, s.freeAtEnd);
  const std::int32_t L = ifo.ifoLastSector;
  ifo.menuVobs = s.menuVobSectors > 0 ? L + 1 : 0;
  ifo.titleVobs = L + 1 + s.menuVobSectors;
  ifo.lastSector = ifo.titleVobs + s.titleVobSectors + L;
  Put32(ifo.bytes, 0x0C, static_cast<std::uint32_t>(ifo.lastSector));
  Put32(ifo.bytes, 0xC0, static_cast<std::uint32_t>(ifo.menuVobs));
  Put32(ifo.bytes, 0xC4, static_cast<std::uint32_t>(ifo.titleVobs));
  ifo.bytes[0x100] = s.menuVideo;
  ifo.bytes[0x200] = s.titleVideo;
  return ifo;
}

struct VmgShape {
  // TT_SRPT, VMGM_PGCI_UT, VMG_PTL_MAIT, VMG_VTS_ATRT, VMG_TXTDT_MG,
  // VMGM_C_ADT, VMGM_VOBU_ADMAP.
  std::array<TableAt, 7> tables;
  std::int32_t menuVobSectors = 500;  // 0 = no menu VOB set
  std::uint8_t menuVideo = 0x10;
};

inline SyntheticIfo Vmg(const VmgShape& s) {
  SyntheticIfo ifo = LayOut("DVDVIDEO-VMG", {s.tables.begin(), s.tables.end()}, 0xC4, 0);
  const std::int32_t L = ifo.ifoLastSector;
  ifo.menuVobs = s.menuVobSectors > 0 ? L + 1 : 0;
  ifo.lastSector = L + 1 + s.menuVobSectors + L;
  Put32(ifo.bytes, 0x0C, static_cast<std::uint32_t>(ifo.lastSector));
  Put32(ifo.bytes, 0xC0, static_cast<std::uint32_t>(ifo.menuVobs));
  ifo.bytes[0x100] = s.menuVideo;
  return ifo;
}

// Puts `ifo` into the engine's image the way LoadIfo leaves it: the image
// and the layout fields (FVtsNumber 1 for a title set, 0 for the VMG).
inline void Load(TTitleSet& ts, const Bytes& ifo) {
  ts.FBuffer.emplace(ifo);
  ts.FFileSize = static_cast<std::int32_t>(ifo.size());
  if (std::string(ifo.begin(), ifo.begin() + 12) == "DVDVIDEO-VMG") {
    ts.FVtsNumber = 0;
    ts.ReadVmgLayout();
  } else {
    ts.FVtsNumber = 1;
    ts.ReadVtsLayout();
  }
}

inline const Bytes& ImageBytes(const TTitleSet& ts) { return ts.FBuffer->Bytes(); }

}  // namespace kestrune::test::synthetic
