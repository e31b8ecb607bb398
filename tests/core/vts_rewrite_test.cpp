// The title set IFO rewrite on synthetic VTS IFOs, and whole runs through
// Process on a synthetic folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "synthetic_ifo.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using namespace test::synthetic;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

enum VtsTable { kPtt, kPgci, kPgciUt, kTmapti, kMenuCAdt, kMenuVobuAdmap, kCAdt, kVobuAdmap };

// IFO sectors 0 to 19 (L = 19), 300 menu sectors from M = 20, 500 title
// sectors from T = 320, BUP to E = 839. VTS_PGCI holds 7000 bytes whose five
// chains pack into 1500 with Merge Cells.
VtsShape ExampleSet() {
  ChainListShape pgci{.chains = {Pgc({.cells = 40, .commands = 6}), Pgc({.programs = 3, .cells = 40}),
                                Pgc({.cells = 40}), Pgc({.cells = 40}), Pgc({.cells = 40})}};
  pgci.freeAtEnd = 7000 - static_cast<int>(ChainList(pgci).size());
  Bytes cAdt = CAdt(249);
  cAdt.resize(3000);
  Put32(cAdt, 4, 2999);
  VtsShape s;
  s.tables = {{{PttSrpt({2, 3})}, {ChainList(pgci)},
               {PgciUt({ChainList({.chains = {Pgc({.cells = 2})}, .freeAtEnd = 2600})})},
               {Table(5000)}, {CAdt(2)}, {VobuAdmap(12)}, {cAdt}, {VobuAdmap(10240)}}};
  return s;
}

class VtsRewriteTest : public ::testing::Test {
 protected:
  TTitleSet ts{std::filesystem::temp_directory_path().string()};
  SyntheticIfo ifo;

  void Use(const VtsShape& shape) {
    ifo = Vts(shape);
    Load(ts, ifo.bytes);
  }
  const Bytes& Image() const { return ImageBytes(ts); }
  std::uint32_t Mat(std::int64_t field) const { return Get32(Image(), field); }
  // 0x1C, 0xC0, 0xC4 and 0x0C: the IFO's last sector, the VOB sets, the set's last sector.
  std::vector<std::uint32_t> SectorFields() const { return {Mat(0x1C), Mat(0xC0), Mat(0xC4), Mat(0x0C)}; }
  Bytes Now(std::int64_t sector, std::int64_t size) const { return Slice(Image(), sector * 2048, size); }
  Bytes Before(VtsTable t) const {
    const std::int64_t at = ifo.sectors[t] * 2048;
    return Slice(ifo.bytes, at, Get32(ifo.bytes, at + (t == kMenuVobuAdmap || t == kVobuAdmap ? 0 : 4)) + 1);
  }
  // Writes the IFO and BUP and checks that the file holds every table at its
  // pointer, and the BUP the same bytes.
  void ExpectWrittenFile(std::int64_t sectors) {
    TempFolder dir;
    ts.FVtsIfoPath = dir / "VTS_01_0.IFO";
    ts.FVtsBupPath = dir / "VTS_01_0.BUP";
    ts.WriteIfoAndBup();
    const Bytes file = ReadBytes(ts.FVtsIfoPath);
    EXPECT_EQ(file.size(), static_cast<std::size_t>(sectors * 2048));
    EXPECT_EQ(ReadBytes(ts.FVtsBupPath), file);
    const std::int32_t sizes[] = {ts.FVtsPttSrptSize, ts.FVtsPgciSize,  ts.FVtsmPgciUtSize,    ts.FVtsTmaptiSize,
                                  ts.FVtsmCAdtSize,   ts.FVtsmVobuAdmapSize, ts.FVtsCAdtSize, ts.FVtsVobuAdmapSize};
    for (int t = 0; t < 8; ++t) {
      const std::int64_t at = Mat(0xC8 + 4 * t);
      if (sizes[t] > 0) {
        EXPECT_EQ(Slice(file, at * 2048, sizes[t]), Now(at, sizes[t])) << t;
      }
    }
  }
  void ExpectPointers(const std::vector<std::uint32_t>& sectors) const {
    for (std::size_t i = 0; i < sectors.size(); ++i) EXPECT_EQ(Mat(0xC8 + 4 * i), sectors[i]) << "pointer " << i;
  }
};

TEST_F(VtsRewriteTest, TitlesOnlyWithMergeCellsShrinkTheSetBy517Sectors) {
  Use(ExampleSet());
  ASSERT_EQ(ifo.sectors, (std::vector<std::int32_t>{1, 2, 6, 8, 11, 12, 13, 15}));
  ASSERT_EQ(std::vector<std::int32_t>({ifo.ifoLastSector, ifo.menuVobs, ifo.titleVobs, ifo.lastSector}),
            (std::vector<std::int32_t>{19, 20, 320, 839}));
  ts.FBlankVideos = ts.FMergeCells = true;
  ts.RewriteVtsIfo();

  EXPECT_EQ(SectorFields(), (std::vector<std::uint32_t>{8, 9, 309, 322}));
  EXPECT_EQ(ts.FSectorShift, 517);
  ExpectPointers({1, 2, 3, 0, 5, 6, 7, 8});
  // Merge Cells merges the three programs of PGC 2 too: its program map
  // takes 2 bytes, not 4.
  EXPECT_EQ(ts.FVtsPgciSize, 1498);
  EXPECT_EQ(ts.FVtsTmaptiSize, 0);
  // The menu tables moved down whole; the title address tables are rebuilt.
  EXPECT_EQ(Now(3, ts.FVtsmPgciUtSize), Before(kPgciUt));
  EXPECT_EQ(Now(5, ts.FVtsmCAdtSize), Before(kMenuCAdt));
  EXPECT_EQ(Now(6, ts.FVtsmVobuAdmapSize), Before(kMenuVobuAdmap));
  EXPECT_EQ(Now(7, 20), (Bytes{0, 1, 0, 0, 0, 0, 0, 0x13, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 4}));
  EXPECT_EQ(ts.FVtsCAdtSize, 20);
  EXPECT_EQ(Now(8, 8), (Bytes{0, 0, 0, 7, 0, 0, 0, 0}));

  ExpectWrittenFile(9);
}

TEST_F(VtsRewriteTest, OnlyMenusBlankedLeavesTitleTablesAndMovesTheRest) {
  VtsShape shape;
  shape.tables = {{{PttSrpt({1})}, {ChainListOf({Pgc({.cells = 2})})},
                  {PgciUt({ChainList({.chains = {Pgc({.cells = 3})}, .freeAtEnd = 5000})})},
                  {Table(3000)}, {CAdt(200)}, {VobuAdmap(3000)}, {CAdt(3)}, {VobuAdmap(40)}}};
  Use(shape);
  ts.FBlankMenus = true;
  ts.RewriteVtsIfo();

  // The packed menu table frees two sectors, the rebuilt VOBU map one more;
  // the menu C_ADT keeps its 200 entries, each now the blank cell.
  ExpectPointers({1, 2, 3, 4, 6, 8, 9, 10});
  EXPECT_EQ(Now(1, Before(kPtt).size()), Before(kPtt));
  EXPECT_EQ(Now(2, Before(kPgci).size()), Before(kPgci));
  EXPECT_EQ(Now(4, 3000), Before(kTmapti));
  EXPECT_EQ(Now(9, Before(kCAdt).size()), Before(kCAdt));
  EXPECT_EQ(Now(10, 40), Before(kVobuAdmap));
  EXPECT_EQ(ts.FVtsmCAdtSize, 8 + 12 * 200);
  EXPECT_EQ(Now(6, 8), (Bytes{0, 1, 0, 0, 0, 0, 0x09, 0x67}));
  for (int k = 0; k < 200; ++k)
    ASSERT_EQ(Slice(Image(), 6 * 2048 + 8 + 12 * k, 12), (Bytes{0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 4})) << k;
  EXPECT_EQ(Now(8, 8), (Bytes{0, 0, 0, 7, 0, 0, 0, 0}));
  // L = 13, M = 14, T = 314, E = 827: the titles follow the blank menu VOB.
  EXPECT_EQ(SectorFields(), (std::vector<std::uint32_t>{10, 11, 16, 10 + 11 + 5 + 500}));
  EXPECT_EQ(ts.FSectorShift, 827 - 526);
}

TEST_F(VtsRewriteTest, MenuTableEndsWithItsLastStoredLanguageUnit) {
  const Bytes withChains = ChainList({.chains = {Pgc({.cells = 3}), Pgc({.cells = 3})}, .freeAtEnd = 50});
  const Bytes noChains = ChainListOf({});
  struct Case { const char* what; Bytes table; };
  for (const Case& c : {Case{"two units", PgciUt({withChains, withChains})},
                        Case{"last unit without chains", PgciUt({withChains, noChains})},
                        Case{"units stored out of order", PgciUt({withChains, noChains}, {}, {1, 0})},
                        Case{"two language units sharing one", PgciUt({withChains}, {0, 0})}}) {
    SCOPED_TRACE(c.what);
    VtsShape shape;
    shape.tables = {{{PttSrpt({1})}, {ChainListOf({Pgc({})})}, {c.table}, {}, {CAdt(3)}, {VobuAdmap(12)}, {}, {}}};
    Use(shape);
    ts.FBlankMenus = ts.FMergeCells = true;
    ts.RewriteVtsIfo();

    // Units keep their offsets; each chain is blanked once (3 cells in its
    // time, one left), and the table ends exactly where its last unit ends.
    const std::int64_t table = 3 * 2048;
    std::uint32_t end = 0;
    for (std::uint32_t u = 0; u < Get16(c.table, 0); ++u) {
      const std::uint32_t off = Get32(Image(), table + 12 + 8 * u);
      EXPECT_EQ(off, Get32(c.table, 12 + 8 * u));
      const std::int64_t lu = table + off;
      end = std::max(end, off + Get32(Image(), lu + 4));
      for (std::uint32_t k = 0; k < Get16(Image(), lu); ++k) {
        const std::int64_t pgc = lu + Get32(Image(), lu + 12 + 8 * k);
        EXPECT_EQ(Get32(Image(), pgc + 4), 0x43u);
        EXPECT_EQ(Image()[pgc + 3], 1u);
      }
    }
    EXPECT_EQ(Get32(Image(), table + 4), end);
  }
}

TEST_F(VtsRewriteTest, TitleSetWithoutMenuVobSetOrTimeMaps) {
  VtsShape shape;
  shape.menuVobSectors = 0;
  shape.tables = {{{PttSrpt({1})}, {ChainListOf({Pgc({.cells = 2})})}, {}, {}, {}, {}, {CAdt(2)}, {VobuAdmap(3000)}}};
  Use(shape);
  ASSERT_EQ(ifo.titleVobs, ifo.ifoLastSector + 1);

  // Asked for menus it has none of: refused before a byte changes.
  ts.FBlankMenus = true;
  EXPECT_THROW(ts.RewriteVtsIfo(), InvalidIfo);
  EXPECT_EQ(Image(), ifo.bytes);

  ts.FBlankMenus = false;
  ts.FBlankVideos = true;
  ts.RewriteVtsIfo();
  EXPECT_EQ(Mat(0xD4), 0u);
  EXPECT_EQ(SectorFields(), (std::vector<std::uint32_t>{4, 0, 5, 2 * 4 + 6}));
  EXPECT_EQ(ts.FSectorShift, ifo.lastSector - 14);
}

TEST_F(VtsRewriteTest, FreeSectorsBetweenTablesStayAndTheFileFollowsThePointers) {
  VtsShape shape;
  shape.tables = {{{PttSrpt({1}), 1}, {ChainListOf({Pgc({.cells = 4})}), 3}, {}, {Table(100), 5}, {}, {},
                  {CAdt(4), 8}, {VobuAdmap(12), 10}}};
  shape.freeAtEnd = 2;
  Use(shape);
  ts.FBlankVideos = ts.FMergeCells = true;
  ts.RewriteVtsIfo();
  ExpectPointers({1, 3, 0, 0, 0, 0, 7, 9});
  EXPECT_EQ(Mat(0x1C), 11u);

  ExpectWrittenFile(12);
}

TEST_F(VtsRewriteTest, MergeProgramsAndStreamRemovalReachPttAndAttributes) {
  // Merge Cells merges the programs too, so it reaches the PTT entries as
  // Merge Programs does.
  for (const bool mergeCells : {false, true}) {
    SCOPED_TRACE(mergeCells ? "merge cells" : "merge programs");
    VtsShape shape;
    shape.tables = {{{PttSrpt({3, 2})}, {ChainListOf({Pgc({.programs = 3, .cells = 3}), Pgc({.programs = 2, .cells = 2})})},
                    {PgciUt({ChainListOf({Pgc({})})})}, {}, {CAdt(1)}, {VobuAdmap(8)}, {CAdt(5)}, {VobuAdmap(8)}}};
    Use(shape);
    ts.FBlankVideos = ts.FBlankMenus = ts.FRemoveAudioSubMapping = true;
    ts.FMergePrograms = !mergeCells;
    ts.FMergeCells = mergeCells;
    ts.RewriteVtsIfo();
    const Bytes ptt = Before(kPtt);
    for (std::int64_t e = 16; e < static_cast<std::int64_t>(ptt.size()); e += 4) {
      EXPECT_EQ(Get16(Image(), 2048 + e), Get16(ptt, e)) << e;  // PGC number
      EXPECT_EQ(Get16(Image(), 2048 + e + 2), 1u) << e;         // program
    }
    for (const std::int64_t kept : {0x102, 0x15C, 0x202, 0x316}) EXPECT_EQ(Image()[kept], ifo.bytes[kept]) << kept;
    EXPECT_EQ(Slice(Image(), 0x103, 0x15B - 0x103 + 1), Bytes(0x15B - 0x103 + 1, 0));
    EXPECT_EQ(Slice(Image(), 0x203, 0x315 - 0x203 + 1), Bytes(0x315 - 0x203 + 1, 0));
  }
}

TEST_F(VtsRewriteTest, RefusesLayoutsItCannotRewriteBeforeAByteChanges) {
  Bytes ptt = PttSrpt({2, 2});
  Put32(ptt, 8, 2);  // title 1's list inside the header
  struct Case { const char* what; Bytes ptt; Bytes pgci; };
  for (const Case& c : {Case{"title PGC storing C_POSI first", PttSrpt({1}), ChainListOf({Pgc({.cells = 2, .positionsFirst = true})})},
                        Case{"PTT list inside the table header", ptt, ChainListOf({Pgc({}), Pgc({})})}}) {
    SCOPED_TRACE(c.what);
    VtsShape shape;
    shape.tables = {{{c.ptt}, {c.pgci}, {}, {}, {}, {}, {CAdt(2)}, {VobuAdmap(8)}}};
    Use(shape);
    ts.FBlankVideos = ts.FMergePrograms = true;
    EXPECT_THROW(ts.RewriteVtsIfo(), InvalidIfo);
    EXPECT_EQ(Image(), ifo.bytes);
  }
}

TEST_F(VtsRewriteTest, ExtremeSectorFieldsDoNotOverflow) {
  // Found by fuzzing: 0xC4 = 0x80000000 made the menu sector count overflow.
  ifo = Vts(ExampleSet());
  Put32(ifo.bytes, 0xC4, 0x80000000);
  Put32(ifo.bytes, 0x0C, 0x7FFFFFFF);
  Load(ts, ifo.bytes);
  ts.FBlankMenus = true;
  ts.RewriteVtsIfo();
  EXPECT_EQ(Mat(0xC4), 0x80000000u);  // no title VOB set to place
  EXPECT_EQ(Mat(0x0C), Mat(0x1C) + Mat(0xC0) + 5);
}

// ------------------------------------------------------------ whole runs

// A folder with a video manager and two title sets; title set 2 starts
// right after title set 1.
struct Folder {
  TempFolder dir;
  explicit Folder(const VtsShape& first) {
    VtsShape second;
    second.tables = {{{PttSrpt({1})}, {ChainListOf({Pgc({})})}, {}, {Table(100)}, {}, {}, {CAdt(1)}, {VobuAdmap(8)}}};
    second.menuVobSectors = 0;
    const SyntheticIfo vts1 = Vts(first);
    const SyntheticIfo vts2 = Vts(second);
    VmgShape vmg;
    vmg.tables = {{{TtSrpt({{1, 100}, {2, 100 + static_cast<std::uint32_t>(vts1.lastSector) + 1}, {1, 100}})},
                   {PgciUt({ChainListOf({Pgc({})})})}, {}, {}, {}, {CAdt(1)}, {VobuAdmap(8)}}};
    vmg.menuVobSectors = 10;
    const SyntheticIfo manager = Vmg(vmg);
    for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) WriteBytes(dir / name, manager.bytes);
    WriteBytes(dir / "VIDEO_TS.VOB", Bytes(10 * 2048, 1));
    for (const char* name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) WriteBytes(dir / name, vts1.bytes);
    WriteBytes(dir / "VTS_01_0.VOB", Bytes(300 * 2048, 2));
    WriteBytes(dir / "VTS_01_1.VOB", Bytes(500 * 2048, 3));
    for (const char* name : {"VTS_02_0.IFO", "VTS_02_0.BUP"}) WriteBytes(dir / name, vts2.bytes);
    WriteBytes(dir / "VTS_02_1.VOB", Bytes(500 * 2048, 4));
  }
  std::uint32_t TitleStart(int j) const { return Get32(ReadBytes(dir / "VIDEO_TS.IFO"), 2048 + 16 + 12 * j); }
};

TEST(VtsRun, BlanksTheTitlesOnDiskAndMovesLaterTitleSetsDown) {
  Folder folder(ExampleSet());
  TTitleSet ts(folder.dir.Dir());
  ts.FVideoList = {"1"};
  ts.FMergeCells = ts.FBackup = true;
  ASSERT_EQ(ts.Process(), kStatusOk) << ts.FStatusDetail;

  const Bytes ifo = ReadBytes(folder.dir / "VTS_01_0.IFO");
  EXPECT_EQ(ifo.size(), (Get32(ifo, 0x1C) + 1) * 2048);
  EXPECT_EQ(ReadBytes(folder.dir / "VTS_01_0.BUP"), ifo);
  EXPECT_EQ(Get32(ifo, 0x0C), 322u);
  EXPECT_EQ(ReadBytes(folder.dir / "VTS_01_1.VOB").size(), 10240u);
  EXPECT_TRUE(std::filesystem::exists(folder.dir / "VTS_01_1.VOB~"));
  EXPECT_EQ(folder.TitleStart(0), 100u);
  EXPECT_EQ(folder.TitleStart(1), 100u + 840 - 517);
  EXPECT_EQ(folder.TitleStart(2), 100u);
}

TEST(VtsRun, OddLayoutIsRefusedBeforeAnyFileChanges) {
  VtsShape odd = ExampleSet();
  odd.tables[kPgci] = {ChainListOf({Pgc({}), Pgc({.cells = 2, .positionsFirst = true})})};
  Folder folder(odd);
  const auto before = test::Snapshot(folder.dir.Dir());
  TTitleSet ts(folder.dir.Dir());
  ts.FVideoList = {"1"};
  ts.FMenuList = {"1"};
  ts.FBackup = false;
  EXPECT_EQ(ts.Process(), kStatusIfoInvalid);
  EXPECT_NE(ts.FStatusDetail.find("C_POSI"), std::string::npos) << ts.FStatusDetail;
  EXPECT_EQ(test::Snapshot(folder.dir.Dir()), before);
}

}  // namespace
}  // namespace kestrune
