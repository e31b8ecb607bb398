// Whole synthetic VIDEO_TS folders for the disc model's tests, in the layouts
// that authoring tools other than dvdauthor write: free sectors between the
// title sets and between the tables of an IFO, menus made only of
// command-only program chains without a menu VOB set, IFO files longer than
// their MAT 0x1C says, VMG_PTL_MAIT, and titles listed out of title set
// order. The tables are built with synthetic_ifo.h; the VOB files are sparse
// files of the sizes the IFOs give.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "synthetic_ifo.h"
#include "temp_folder.h"

namespace kestrune::test::synthetic {

struct DiscLayout {
  int setGapSectors = 0;        // free sectors before each title set (TT_SRPT start sectors)
  int tableGapSectors = 0;      // free sectors before every table but the first of each IFO
  bool commandOnlyMenus = false;  // every menu a chain of commands only; no menu VOB sets (0xC0 = 0)
  int ifoPaddingSectors = 0;    // zero sectors after each IFO's last sector (MAT 0x1C)
  bool ptlMait = false;         // a VMG_PTL_MAIT (VMGI_MAT 0xCC)
  bool titlesOutOfOrder = false;  // TT_SRPT lists title set 2's titles before title set 1's
};

// What the folder holds, for the tests to compare with.
struct DiscFacts {
  struct Title {
    int titleSet, vtsTitle, chapters;
    std::uint32_t titleSetSector;
  };
  std::vector<Title> titles;                     // in TT_SRPT order
  std::array<std::int64_t, 3> titleVobBytes{};   // [n]: title set n
  std::array<std::int64_t, 3> menuVobBytes{};    // [n]: title set n, 0 when none
  std::int64_t vmgMenuVobBytes = 0;
};

// A TT_SRPT entry with every field set: one angle, chapters, title set,
// VTS title number and the title set's start sector.
inline Bytes TitleSearchTable(const std::vector<DiscFacts::Title>& titles) {
  Bytes b(8 + 12 * titles.size(), 0);
  Put16(b, 0, static_cast<std::uint32_t>(titles.size()));
  Put32(b, 4, static_cast<std::uint32_t>(b.size() - 1));
  for (std::size_t j = 0; j < titles.size(); ++j) {
    const std::int64_t e = 8 + 12 * static_cast<std::int64_t>(j);
    b[e] = 0x3C;
    b[e + 1] = 1;
    Put16(b, e + 2, static_cast<std::uint32_t>(titles[j].chapters));
    b[e + 6] = static_cast<std::uint8_t>(titles[j].titleSet);
    b[e + 7] = static_cast<std::uint8_t>(titles[j].vtsTitle);
    Put32(b, e + 8, titles[j].titleSetSector);
  }
  return b;
}

// Clears the MAT's attribute area (synthetic_ifo.h fills it with a pattern)
// and sets one domain's video attributes, audio streams and sub-pictures at
// `at` (0x100 menus, 0x200 titles).
inline void SetStreams(Bytes& ifo, std::int64_t at, std::uint16_t video, const std::vector<std::array<std::uint8_t, 8>>& audio,
                       const std::vector<std::array<std::uint8_t, 6>>& subpictures) {
  Put16(ifo, at, video);
  Put16(ifo, at + 2, static_cast<std::uint32_t>(audio.size()));
  for (std::size_t i = 0; i < audio.size(); ++i)
    std::copy(audio[i].begin(), audio[i].end(), ifo.begin() + at + 4 + 8 * static_cast<std::int64_t>(i));
  Put16(ifo, at + 0x54, static_cast<std::uint32_t>(subpictures.size()));
  for (std::size_t i = 0; i < subpictures.size(); ++i)
    std::copy(subpictures[i].begin(), subpictures[i].end(), ifo.begin() + at + 0x56 + 6 * static_cast<std::int64_t>(i));
}

inline void ClearAttributes(Bytes& ifo) { std::fill(ifo.begin() + 0x100, ifo.begin() + 0x400, 0); }

// Start sectors for `tables` in file order, `gap` free sectors before each
// but the first.
template <std::size_t N>
void PlaceTables(std::array<TableAt, N>& tables, int gap) {
  std::int32_t next = 1;
  bool first = true;
  for (TableAt& t : tables) {
    if (t.bytes.empty()) continue;
    if (!first) next += gap;
    first = false;
    t.sector = next;
    next += static_cast<std::int32_t>((t.bytes.size() + 2047) / 2048);
  }
}

inline void WriteSized(const std::string& path, std::int64_t bytes) {
  WriteBytes(path, {});
  std::filesystem::resize_file(path, static_cast<std::uintmax_t>(bytes));
}

inline void WriteIfoAndBup(const std::string& dir, const std::string& stem, Bytes ifo, int padding) {
  ifo.resize(ifo.size() + 2048 * static_cast<std::size_t>(padding), 0);
  WriteBytes(dir + stem + ".IFO", ifo);
  WriteBytes(dir + stem + ".BUP", ifo);
}

// PAL attributes: MPEG-2 625/50 4:3 or 16:9, 720x576.
constexpr std::uint16_t kPal4x3 = 0x5000;
constexpr std::uint16_t kPal16x9 = 0x5C00;
// AC-3 stereo "en", MPEG-1 stereo "de", a sub-picture "fr".
constexpr std::array<std::uint8_t, 8> kAc3En{0x04, 0x01, 'e', 'n', 0, 1, 0, 0};
constexpr std::array<std::uint8_t, 8> kMpeg1De{0x44, 0x01, 'd', 'e', 0, 1, 0, 0};
constexpr std::array<std::uint8_t, 6> kSubFr{0x01, 0, 'f', 'r', 0, 1};

// Writes a two-title-set disc into `dir` (ending in "/"). Title set 1: one
// title of two chapters (one PGC of two programs, three cells), audio en
// AC-3 and de MPEG-1, sub-picture fr, 4:3. Title set 2: two titles of one
// chapter, 16:9, one AC-3 stream. The video manager has a title menu.
inline DiscFacts WriteDisc(const std::string& dir, const DiscLayout& layout) {
  DiscFacts facts;
  const bool menuVobs = !layout.commandOnlyMenus;
  // A menu chain: one cell of the menu VOB, or commands only.
  const auto menuPgc = [&] {
    PgcShape s;
    if (layout.commandOnlyMenus) {
      s.programs = 0;
      s.cells = 0;
      s.commands = 2;
      s.programMap = s.cellPlayback = s.cellPosition = false;
    }
    return Pgc(s);
  };
  const auto menuUnit = [&] { return PgciUt({ChainListOf({menuPgc(), menuPgc()})}); };

  std::array<SyntheticIfo, 3> vts;
  for (int n = 1; n <= 2; ++n) {
    VtsShape s;
    const std::vector<int> parts = n == 1 ? std::vector<int>{2} : std::vector<int>{1, 1};
    std::vector<Bytes> chains;
    int cells = 0;
    for (std::size_t t = 0; t < parts.size(); ++t) {
      PgcShape p;
      p.programs = static_cast<std::uint8_t>(n == 1 ? 2 : 1);
      p.cells = static_cast<std::uint8_t>(n == 1 ? 3 : 1);
      cells += p.cells;
      chains.push_back(Pgc(p));
    }
    s.tables[0].bytes = PttSrpt(parts);
    s.tables[1].bytes = ChainListOf(chains);
    s.tables[2].bytes = menuUnit();
    s.tables[3].bytes = Table(40);
    if (menuVobs) {
      s.tables[4].bytes = CAdt(1);
      s.tables[5].bytes = VobuAdmap(12);
    }
    s.tables[6].bytes = CAdt(cells);
    s.tables[7].bytes = VobuAdmap(40);
    PlaceTables(s.tables, layout.tableGapSectors);
    s.menuVobSectors = menuVobs ? 150 * n : 0;
    s.titleVobSectors = 500 * n;
    vts[n] = Vts(s);
    ClearAttributes(vts[n].bytes);
    if (n == 1) {
      SetStreams(vts[n].bytes, 0x100, kPal4x3, {kAc3En}, {});
      SetStreams(vts[n].bytes, 0x200, kPal4x3, {kAc3En, kMpeg1De}, {kSubFr});
    } else {
      SetStreams(vts[n].bytes, 0x100, kPal4x3, {kAc3En}, {});
      SetStreams(vts[n].bytes, 0x200, kPal16x9, {kAc3En}, {});
    }
    facts.titleVobBytes[n] = 2048LL * s.titleVobSectors;
    facts.menuVobBytes[n] = 2048LL * s.menuVobSectors;
  }

  VmgShape m;
  m.tables[0].bytes = TitleSearchTable({{1, 1, 2, 0}, {2, 1, 1, 0}, {2, 2, 1, 0}});  // placeholder of the final size
  m.tables[1].bytes = PgciUt({ChainListOf({menuPgc()})});
  if (layout.ptlMait) m.tables[2].bytes = Table(8 + 8 + 2 * 8 * 3);
  m.tables[3].bytes = Table(8 + 4 * 2 + 2 * 776);
  if (menuVobs) {
    m.tables[5].bytes = CAdt(1);
    m.tables[6].bytes = VobuAdmap(12);
  }
  PlaceTables(m.tables, layout.tableGapSectors);
  m.menuVobSectors = menuVobs ? 100 : 0;
  SyntheticIfo vmg = Vmg(m);

  // Each set starts after the one before it (its MAT 0x0C + 1) and the gap.
  const std::uint32_t set1 = static_cast<std::uint32_t>(vmg.lastSector + 1 + layout.setGapSectors);
  const std::uint32_t set2 = set1 + static_cast<std::uint32_t>(vts[1].lastSector + 1 + layout.setGapSectors);
  std::vector<DiscFacts::Title> titles = {{1, 1, 2, set1}, {2, 1, 1, set2}, {2, 2, 1, set2}};
  if (layout.titlesOutOfOrder) titles = {titles[2], titles[1], titles[0]};
  const Bytes tt = TitleSearchTable(titles);
  std::copy(tt.begin(), tt.end(), vmg.bytes.begin() + vmg.sectors[0] * 2048);
  ClearAttributes(vmg.bytes);
  SetStreams(vmg.bytes, 0x100, kPal4x3, {kAc3En}, {});
  Put16(vmg.bytes, 0x3E, 2);  // title sets
  facts.titles = titles;
  facts.vmgMenuVobBytes = 2048LL * m.menuVobSectors;

  WriteIfoAndBup(dir, "VIDEO_TS", vmg.bytes, layout.ifoPaddingSectors);
  if (menuVobs) WriteSized(dir + "VIDEO_TS.VOB", facts.vmgMenuVobBytes);
  for (int n = 1; n <= 2; ++n) {
    const std::string prefix = n == 1 ? "VTS_01_" : "VTS_02_";
    WriteIfoAndBup(dir, prefix + "0", vts[n].bytes, layout.ifoPaddingSectors);
    if (menuVobs) WriteSized(dir + prefix + "0.VOB", facts.menuVobBytes[n]);
    WriteSized(dir + prefix + "1.VOB", facts.titleVobBytes[n]);
  }
  return facts;
}

}  // namespace kestrune::test::synthetic
