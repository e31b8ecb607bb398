// The video manager IFO rewrite on synthetic VIDEO_TS.IFO images, and a
// whole run through Process that blanks the video manager menu.
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

constexpr std::int64_t kPgciUt = 2 * 2048;  // VMGM_PGCI_UT sits at sector 2 in every test here

// IFO to sector 20, VMGM_C_ADT of 3000 bytes at 17, VMGM_VOBU_ADMAP of 2100
// bytes at 19, menu VOB at 21, set end 541.
VmgShape ExampleManager(Bytes pgciUt) {
  Bytes cAdt = CAdt(249);
  cAdt.resize(3000);
  Put32(cAdt, 4, 2999);
  VmgShape s;
  s.tables = {{{TtSrpt({{1, 542}, {2, 900}, {1, 542}})}, {std::move(pgciUt)}, {}, {}, {}, {cAdt, 17},
               {VobuAdmap(2100)}}};
  return s;
}

class VmgRewriteTest : public ::testing::Test {
 protected:
  TTitleSet ts{std::filesystem::temp_directory_path().string()};
  SyntheticIfo ifo;

  void Use(const VmgShape& shape) {
    ifo = Vmg(shape);
    Load(ts, ifo.bytes);
  }
  const Bytes& Image() const { return ImageBytes(ts); }
  std::uint32_t Mat(std::int64_t field) const { return Get32(Image(), field); }
  // 0x1C, 0xC0, 0x0C, 0xD8, 0xDC: IFO end, menu VOB, set end, the two address tables.
  std::vector<std::uint32_t> SectorFields() const { return {Mat(0x1C), Mat(0xC0), Mat(0x0C), Mat(0xD8), Mat(0xDC)}; }
  // Image offset of chain k of language unit u, read from the rewritten image.
  std::int64_t ChainAt(int u, int k) const {
    const std::int64_t lu = kPgciUt + Get32(Image(), kPgciUt + 12 + 8 * u);
    return lu + Get32(Image(), lu + 12 + 8 * k);
  }
};

TEST_F(VmgRewriteTest, AddressTablesShrinkAndEveryTitleMovesDown) {
  Use(ExampleManager(PgciUt({ChainListOf({Pgc({})})})));
  ASSERT_EQ(ifo.ifoLastSector, 20);
  ASSERT_EQ(ifo.menuVobs, 21);
  ASSERT_EQ(ifo.lastSector, 541);
  ts.RewriteVmgIfo();

  EXPECT_EQ(SectorFields(), (std::vector<std::uint32_t>{18, 19, 42, 17, 18}));
  EXPECT_EQ(ts.FSectorShift, 499);
  EXPECT_EQ(Slice(Image(), 17 * 2048, 20), (Bytes{0, 1, 0, 0, 0, 0, 0, 19, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 4}));
  EXPECT_EQ(Slice(Image(), 18 * 2048, 8), (Bytes{0, 0, 0, 7, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector<std::int32_t>({ts.FVmgmCAdtSize, ts.FVmgmVobuAdmapSector, ts.FVmgmVobuAdmapSize}),
            (std::vector<std::int32_t>{20, 18, 8}));
  // Every title moves by the whole shrink, whatever its title set.
  for (int j = 0; j < 3; ++j)
    EXPECT_EQ(Get32(Image(), 2048 + 16 + 12 * j), Get32(ifo.bytes, 2048 + 16 + 12 * j) - 499) << j;

  TempFolder dir;
  ts.FVmgIfoPath = dir / "VIDEO_TS.IFO";
  ts.FVmgBupPath = dir / "VIDEO_TS.BUP";
  ts.WriteIfoAndBup();
  const Bytes file = ReadBytes(ts.FVmgIfoPath);
  EXPECT_EQ(file.size(), 19u * 2048);
  EXPECT_EQ(ReadBytes(ts.FVmgBupPath), file);
  EXPECT_EQ(Slice(file, 18 * 2048, 8), Slice(Image(), 18 * 2048, 8));
}

TEST_F(VmgRewriteTest, MenuChainsAreBlankedWhereTheyStand) {
  // Unit 1: a chain of 3 cells (pointers 1 and 3 share it), a chain without
  // cells but with (empty) cell tables, a chain with C_POSI and no C_PBI, and
  // one whose cell tables lie 8 bytes past where they would be computed.
  // Unit 2 shares unit 1.
  const Bytes unit = ChainList({.chains = {Pgc({.programs = 2, .cells = 3}), Pgc({.cells = 0}),
                                           Pgc({.cells = 2, .cellPlayback = false}),
                                           Pgc({.cells = 2, .freeBeforeCells = 8})},
                                .pointers = {0, 1, 0, 2, 3}});
  for (const bool pal : {true, false}) {
    SCOPED_TRACE(pal ? "pal" : "ntsc");
    VmgShape shape = ExampleManager(PgciUt({unit}, {0, 0}));
    shape.menuVideo = pal ? 0x10 : 0x00;
    Use(shape);
    ts.FRemoveAudioSubMapping = true;
    ts.FMergeCells = ts.FMergePrograms = true;  // no part in menu chains
    ts.RewriteVmgIfo();
    const std::uint32_t flag = pal ? 0x40 : 0xC0;
    const int pointerOf[4] = {2, 1, 3, 4};  // a search pointer of each chain

    // Nothing moves or changes size in VMGM_PGCI_UT; counts and maps stay.
    const std::int64_t size = static_cast<std::int64_t>(Get32(ifo.bytes, kPgciUt + 4)) + 1;
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE("chain " + std::to_string(k));
      const std::int64_t pgc = ChainAt(0, pointerOf[k]);
      EXPECT_EQ(Get32(Image(), pgc + 4), flag | (k == 1 ? 0 : k == 0 ? 3 : 2));
      EXPECT_EQ(Slice(Image(), pgc + 0x0C, 0x90), Bytes(0x90, 0));
      EXPECT_EQ(Slice(Image(), pgc + 0x9C, 0xEC - 0x9C), Slice(ifo.bytes, pgc + 0x9C, 0xEC - 0x9C));
      const std::int64_t p = Get16(Image(), pgc + 0xE8), q = Get16(Image(), pgc + 0xEA);
      EXPECT_EQ(p, Get16(ifo.bytes, pgc + 0xE8));
      EXPECT_EQ(q, Get16(ifo.bytes, pgc + 0xEA));
      const int cells = Image()[pgc + 3];
      EXPECT_EQ(cells, ifo.bytes[pgc + 3]);
      for (int c = 0; c < cells && p != 0; ++c) {
        EXPECT_EQ(Slice(Image(), pgc + p + 24 * c, 4), Slice(ifo.bytes, pgc + p + 24 * c, 4));
        EXPECT_EQ(Get32(Image(), pgc + p + 24 * c + 4), flag | 1);
        EXPECT_EQ(Get32(Image(), pgc + p + 24 * c + 20), 4u);
      }
      for (int c = 0; c < cells; ++c) EXPECT_EQ(Get32(Image(), pgc + q + 4 * c), 0x00010001u);
    }
    // Beyond those fields nothing in the menu table changed: the chain
    // without cells got no entry, and the free bytes before the moved-away
    // cell tables are untouched.
    Bytes expected = Slice(ifo.bytes, kPgciUt, size);
    Bytes now = Slice(Image(), kPgciUt, size);
    for (int k = 0; k < 4; ++k) {
      const std::int64_t pgc = ChainAt(0, pointerOf[k]) - kPgciUt;
      const std::int64_t cells = now[pgc + 3], p = Get16(now, pgc + 0xE8), q = Get16(now, pgc + 0xEA);
      for (std::int64_t i = 0x04; i < 0x9C; ++i) expected[pgc + i] = now[pgc + i];  // time, stream controls
      if (p != 0)
        for (std::int64_t i = 0; i < 24 * cells; ++i) expected[pgc + p + i] = now[pgc + p + i];
      for (std::int64_t i = 0; i < 4 * cells; ++i) expected[pgc + q + i] = now[pgc + q + i];
    }
    EXPECT_EQ(now, expected);
  }
}

TEST_F(VmgRewriteTest, WithoutMenuChainsAndWithASmallCellTable) {
  VmgShape shape;
  shape.tables = {{{TtSrpt({{1, 1000}})}, {}, {}, {}, {}, {CAdt(170)}, {VobuAdmap(4000)}}};
  Use(shape);  // L = 4: a C_ADT of exactly 2048 bytes at 2, VOBU_ADMAP at 3 and 4
  ts.RewriteVmgIfo();
  // The C_ADT frees nothing, so the address map keeps its sector.
  EXPECT_EQ(SectorFields(), (std::vector<std::uint32_t>{3, 4, 3 + 4 + 5, 2, 3}));
  EXPECT_EQ(Get32(Image(), 2048 + 16), 1000u - (ifo.lastSector - 12));
}

TEST_F(VmgRewriteTest, RefusesDamagedMenuChainsBeforeAByteChanges) {
  Bytes pastList = ChainListOf({Pgc({.cells = 2})});
  Put16(pastList, 16 + 0xE8, 0xFFF0);  // C_PBI far past the chain
  Bytes overlap = ChainListOf({Pgc({.cells = 2})});
  Put16(overlap, 16 + 0xEA, 0xF0);  // C_POSI inside the command table
  Bytes unitPastTable = PgciUt({ChainListOf({Pgc({})})});
  Put32(unitPastTable, 12, 0x10000);
  for (const Bytes& table : {PgciUt({pastList}), PgciUt({overlap}), unitPastTable}) {
    Use(ExampleManager(table));
    EXPECT_THROW(ts.RewriteVmgIfo(), InvalidIfo);
    EXPECT_EQ(Image(), ifo.bytes);
  }
  VmgShape noMenu = ExampleManager(PgciUt({ChainListOf({Pgc({})})}));
  noMenu.menuVobSectors = 0;
  Use(noMenu);
  EXPECT_THROW(ts.RewriteVmgIfo(), InvalidIfo);
}

TEST(VmgRun, BlanksTheMenuVideoOnDisk) {
  TempFolder dir;
  const SyntheticIfo vmg = Vmg(ExampleManager(PgciUt({ChainListOf({Pgc({.cells = 4})})})));
  for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) WriteBytes(dir / name, vmg.bytes);
  WriteBytes(dir / "VIDEO_TS.VOB", Bytes(500 * 2048, 1));
  TTitleSet ts(dir.Dir());
  ts.FBlankVmgMenu = ts.FBackup = true;
  ASSERT_EQ(ts.Process(), kStatusOk) << ts.FStatusDetail;

  const Bytes ifo = ReadBytes(dir / "VIDEO_TS.IFO");
  EXPECT_EQ(ifo.size(), 19u * 2048);
  EXPECT_EQ(ReadBytes(dir / "VIDEO_TS.BUP"), ifo);
  EXPECT_EQ(Get32(ifo, 0x0C), 42u);
  EXPECT_EQ(ReadBytes(dir / "VIDEO_TS.VOB").size(), 10240u);
  EXPECT_EQ(ReadBytes(dir / "VIDEO_TS.VOB~").size(), 500u * 2048);
  EXPECT_EQ(Get32(ifo, 2048 + 16), 542u - 499);
}

}  // namespace
}  // namespace kestrune
