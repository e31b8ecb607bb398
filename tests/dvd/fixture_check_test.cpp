// The authored fixtures are real, valid DVD-Video folders of the shapes the
// end-to-end tests assume, and the checker notices when a folder is not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "dvd_check.h"
#include "temp_folder.h"

namespace kestrune::dvdcheck {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

fs::path Fixture(const std::string& name) {
  const fs::path dir = FixtureVideoTs(name);
  if (dir.empty()) ADD_FAILURE() << "KESTRUNE_DVD_FIXTURES is not set";
  return dir;
}

// A fixture copied into a scratch folder, for tests that break it.
class FixtureCopy {
 public:
  explicit FixtureCopy(const std::string& name) {
    fs::create_directory(temp_ / "VIDEO_TS");
    test::CopyFolder(Fixture(name).string(), temp_ / "VIDEO_TS");
  }
  fs::path Dir() const { return temp_ / "VIDEO_TS"; }
  std::string File(const std::string& name) const { return (Dir() / name).string(); }

  // Overwrites a big-endian field of a file.
  void Patch(const std::string& name, std::size_t pos, std::uint64_t value, int width) {
    std::vector<std::uint8_t> bytes = test::ReadBytes(File(name));
    ASSERT_LE(pos + width, bytes.size());
    for (int i = width - 1; i >= 0; --i, value >>= 8) bytes[pos + i] = static_cast<std::uint8_t>(value);
    test::WriteBytes(File(name), bytes);
  }
  std::uint32_t Read(const std::string& name, std::size_t pos) const {
    const std::vector<std::uint8_t> bytes = test::ReadBytes(File(name));
    return (std::uint32_t{bytes.at(pos)} << 24) | (bytes.at(pos + 1) << 16) | (bytes.at(pos + 2) << 8) |
           bytes.at(pos + 3);
  }
  // Patches an IFO and its BUP alike, as a tool that rewrites both would.
  void PatchIfo(const std::string& ifo, std::size_t pos, std::uint64_t value, int width) {
    Patch(ifo, pos, value, width);
    const std::string bup = ifo.substr(0, ifo.size() - 3) + "BUP";
    Patch(bup, pos, value, width);
  }

 private:
  TempFolder temp_;
};

// ------------------------------------------------- every fixture is valid

struct FixtureCase {
  const char* name;
  // A disc without a video manager menu: dvdauthor sizes the video manager
  // set larger than IFO + BUP (see PalSplitKeepsDvdauthorsPaddedVmg).
  bool paddedVmg;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FixtureCase& fixture, std::ostream* out) { *out << fixture.name; }

class EveryFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(EveryFixture, AllIfosOpenWithoutWarnings) {
  const IfoReport report = OpenAllIfos(Fixture(GetParam().name));
  EXPECT_TRUE(report.ok) << Describe(report);
  EXPECT_TRUE(report.vmg.opened);
  ASSERT_EQ(report.titleSets.size(), static_cast<std::size_t>(report.vmg.titleSets));
  for (const TitleSetInfo& set : report.titleSets) {
    EXPECT_TRUE(set.opened) << "VTS " << set.number;
    EXPECT_FALSE(set.pgcs.empty()) << "VTS " << set.number;
    EXPECT_EQ(set.cAdt.size(), static_cast<std::size_t>(set.cellCount)) << "VTS " << set.number;
  }
}

TEST_P(EveryFixture, SectorLayoutMatchesTheFiles) {
  const fs::path dir = Fixture(GetParam().name);
  EXPECT_EQ(Join(SectorLayoutCheck(dir, {.allowPaddedVmg = GetParam().paddedVmg})), "");
  EXPECT_EQ(Join(VtsAtrCheck(dir)), "");
}

TEST_P(EveryFixture, EveryTitlePlaysToItsEnd) {
  const fs::path dir = Fixture(GetParam().name);
  const IfoReport ifos = OpenAllIfos(dir);
  const std::vector<TitlePlayback> played = PlayAllTitles(dir);
  ASSERT_EQ(played.size(), ifos.vmg.titles.size());
  for (const TitlePlayback& p : played) {
    SCOPED_TRACE(Describe(p));
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.end, PlayEnd::LeftTitle);  // every fixture title has a <post> that leads on
    const TitleInfo& title = ifos.vmg.titles.at(p.title - 1);
    const TitleSetInfo* set = ifos.TitleSet(title.titleSet);
    ASSERT_NE(set, nullptr);
    const int pgcn = set->ptts.at(title.vtsTitle - 1).at(0).pgcn;
    const PgcInfo& pgc = set->pgcs.at(pgcn - 1);
    EXPECT_EQ(p.cells, pgc.cells);
    EXPECT_EQ(p.lastProgram, pgc.programs);
    EXPECT_GT(p.blocks, 0);
  }
}

TEST_P(EveryFixture, FirstPlayAndEveryMenuAreReached) {
  const fs::path dir = Fixture(GetParam().name);
  const NavigationReport nav = FollowMenus(dir);
  EXPECT_TRUE(nav.ok) << Describe(nav);
  EXPECT_EQ(nav.vmgMenu.has_value(), fs::exists(dir / "VIDEO_TS.VOB"));
  const IfoReport ifos = OpenAllIfos(dir);
  std::size_t setsWithMenus = 0;
  for (const TitleSetInfo& set : ifos.titleSets) setsWithMenus += set.menu.vobsSector != 0;
  EXPECT_EQ(nav.rootMenus.size(), setsWithMenus);
}

TEST_P(EveryFixture, TitleVideoDecodesAsTheTestPattern) {
  const fs::path dir = Fixture(GetParam().name);
  const DecodedVideo video = DecodeFrames(dir / "VTS_01_1.VOB");
  ASSERT_TRUE(video.ok) << video.error;
  EXPECT_EQ(video.width, 720);
  EXPECT_TRUE(video.height == 576 || video.height == 480) << video.height;
  EXPECT_GT(video.frames, 1);
  EXPECT_EQ(video.firstLuma.size(), static_cast<std::size_t>(video.width * video.height));
  // The colour bars of ffmpeg's test pattern span nearly the whole range.
  EXPECT_LT(video.lumaMin, 40);
  EXPECT_GT(video.lumaMax, 200);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryFixture,
                         ::testing::Values(FixtureCase{"pal_menu", false}, FixtureCase{"ntsc_two_sets", false},
                                           FixtureCase{"pal_split", true}, FixtureCase{"pal_nomenu_vts", false},
                                           FixtureCase{"pal_languages", false}, FixtureCase{"pal_streams", false},
                                           FixtureCase{"demo", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------- the shapes later tests assume

// pal_links is not among EveryFixture: its title ends the playback (exit)
// after playing its cell 3 twice.
TEST(FixtureShape, PalLinksPlaysFromFirstPlayToItsEndThroughLinksBackToItsOwnProgramAndCell) {
  const fs::path dir = Fixture("pal_links");
  const IfoReport r = OpenAllIfos(dir);
  EXPECT_TRUE(r.ok) << Describe(r);
  EXPECT_EQ(SectorLayoutCheck(dir, {.allowPaddedVmg = true}), std::vector<std::string>{});
  ASSERT_EQ(r.titleSets.size(), 1u);
  const TitleSetInfo& vts = r.titleSets[0];
  ASSERT_EQ(vts.pgcs.size(), 1u);
  EXPECT_EQ(vts.pgcs[0].programs, 2);
  EXPECT_EQ(vts.pgcs[0].cells, 3);
  ASSERT_EQ(vts.menu.languageUnits.size(), 1u);
  EXPECT_EQ(vts.menu.languageUnits[0].pgcs.at(0).programs, 2);
  EXPECT_EQ(vts.menu.languageUnits[0].pgcs.at(0).cells, 2);
  const TitlePlayback p = PlayFromFirstPlay(dir);
  EXPECT_TRUE(p.ok) << Describe(p);
  // The menu's 2 cells and cell 2 again, the title's 3 cells and cell 3 again.
  EXPECT_EQ(p.cells, 7) << Describe(p);
}

TEST(FixtureShape, PalMenuHasMenusAndOneTitleOfTwoChaptersInThreeCells) {
  const fs::path dir = Fixture("pal_menu");
  const IfoReport r = OpenAllIfos(dir);
  ASSERT_EQ(r.titleSets.size(), 1u);
  ASSERT_EQ(r.vmg.titles.size(), 1u);
  EXPECT_TRUE(r.vmg.menu.pal);
  EXPECT_FALSE(r.vmg.menu.wide);
  EXPECT_NE(r.vmg.menu.vobsSector, 0u);
  EXPECT_EQ(r.vmg.menu.pgcCount, 1);
  const TitleSetInfo& vts = r.titleSets[0];
  EXPECT_TRUE(vts.pal);
  EXPECT_FALSE(vts.wide);
  EXPECT_NE(vts.menu.vobsSector, 0u);
  ASSERT_EQ(vts.pgcs.size(), 1u);
  EXPECT_EQ(vts.pgcs[0].programs, 2);
  EXPECT_EQ(vts.pgcs[0].cells, 3);
  EXPECT_EQ(r.vmg.titles[0].chapters, 2);
  // Two VOB ids in the title domain: each <vob> of dvdauthor is one VOB.
  EXPECT_EQ(vts.pgcs[0].cellList[2].vobId, 2);
  // dvdauthor adds a commands-only PGC to each menu language unit without a
  // chapter menu: the root menu and that one.
  EXPECT_EQ(vts.menu.pgcCount, 2);
  EXPECT_TRUE(fs::exists(dir / "VIDEO_TS.VOB"));
  EXPECT_TRUE(fs::exists(dir / "VTS_01_0.VOB"));
  EXPECT_FALSE(fs::exists(dir / "VTS_01_2.VOB"));
}

TEST(FixtureShape, NtscTwoSetsHasWideTitlesAndNarrowMenus) {
  const IfoReport r = OpenAllIfos(Fixture("ntsc_two_sets"));
  ASSERT_EQ(r.titleSets.size(), 2u);
  EXPECT_EQ(r.vmg.titles.size(), 3u);
  EXPECT_FALSE(r.vmg.menu.pal);
  EXPECT_NE(r.vmg.menu.vobsSector, 0u);
  for (const TitleSetInfo& vts : r.titleSets) {
    EXPECT_FALSE(vts.pal) << vts.number;
    EXPECT_TRUE(vts.wide) << vts.number;
    EXPECT_FALSE(vts.menu.pal) << vts.number;
    EXPECT_FALSE(vts.menu.wide) << vts.number;
    EXPECT_NE(vts.menu.vobsSector, 0u) << vts.number;
  }
  ASSERT_EQ(r.titleSets[1].pgcs.size(), 2u);
  // pause="1": the last cell of title set 2's second title is a still.
  EXPECT_EQ(r.titleSets[1].pgcs[1].cellList.back().stillTime, 1);
}

TEST(FixtureShape, PalSplitSpreadsItsTitlesOverThreeVobsAndHasNoVmgMenu) {
  const fs::path dir = Fixture("pal_split");
  const IfoReport r = OpenAllIfos(dir);
  EXPECT_EQ(r.vmg.menu.vobsSector, 0u);
  EXPECT_TRUE(r.vmg.menu.languageUnits.empty());
  EXPECT_FALSE(fs::exists(dir / "VIDEO_TS.VOB"));
  for (const char* vob : {"VTS_01_1.VOB", "VTS_01_2.VOB", "VTS_01_3.VOB"}) {
    EXPECT_TRUE(fs::exists(dir / vob)) << vob;
    EXPECT_GT(fs::file_size(dir / vob), 0u) << vob;
  }
  ASSERT_EQ(r.titleSets.size(), 1u);
  EXPECT_EQ(r.titleSets[0].pgcs.size(), 2u);
  EXPECT_EQ(r.vmg.titles.size(), 2u);
  // The last cell lies in VTS_01_3.VOB, so playing title 2 reads across files.
  const std::uint64_t firstTwoVobs =
      (fs::file_size(dir / "VTS_01_1.VOB") + fs::file_size(dir / "VTS_01_2.VOB")) / 2048;
  EXPECT_GE(r.titleSets[0].pgcs[1].cellList.back().lastSector, firstTwoVobs);
}

// dvdauthor's quirk: without a video manager menu, VMGI_MAT 0x0C counts more
// sectors than VIDEO_TS.IFO + VIDEO_TS.BUP, and the TT_SRPT start sectors
// follow that count. Mastering tools pad the gap, so the disc is fine, but the
// strict layout check must say so.
TEST(FixtureShape, PalSplitKeepsDvdauthorsPaddedVmg) {
  const fs::path dir = Fixture("pal_split");
  const std::vector<std::string> problems = SectorLayoutCheck(dir);
  ASSERT_EQ(problems.size(), 3u) << Join(problems);
  EXPECT_NE(problems[0].find("video manager set"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("TT_SRPT title 1"), std::string::npos) << problems[1];
  EXPECT_NE(problems[2].find("TT_SRPT title 2"), std::string::npos) << problems[2];
}

TEST(FixtureShape, PalNomenuVtsHasATitleSetWithoutMenus) {
  const fs::path dir = Fixture("pal_nomenu_vts");
  const IfoReport r = OpenAllIfos(dir);
  ASSERT_EQ(r.titleSets.size(), 2u);
  const TitleSetInfo& bare = r.titleSets[0];
  EXPECT_EQ(bare.menu.vobsSector, 0u);
  EXPECT_EQ(bare.menu.pgciUtSector, 0u);
  EXPECT_TRUE(bare.menu.languageUnits.empty());
  EXPECT_FALSE(fs::exists(dir / "VTS_01_0.VOB"));
  EXPECT_NE(r.titleSets[1].menu.vobsSector, 0u);
  EXPECT_TRUE(fs::exists(dir / "VTS_02_0.VOB"));
  EXPECT_NE(r.vmg.menu.vobsSector, 0u);
}

TEST(FixtureShape, DemoIsACopyOfPalMenu) {
  EXPECT_EQ(test::Snapshot(Fixture("demo").string()), test::Snapshot(Fixture("pal_menu").string()));
}

// ------------------------------------------------- the checker sees faults

TEST(CheckerFindsFaults, TitleSetStartSectorOffByOne) {
  FixtureCopy disc("pal_nomenu_vts");
  const std::size_t ttSrpt = disc.Read("VIDEO_TS.IFO", 0xC4) * 2048;
  const std::size_t secondTitleStart = ttSrpt + 8 + 12 + 8;
  disc.PatchIfo("VIDEO_TS.IFO", secondTitleStart, disc.Read("VIDEO_TS.IFO", secondTitleStart) - 1, 4);
  const std::vector<std::string> problems = SectorLayoutCheck(disc.Dir());
  ASSERT_EQ(problems.size(), 1u) << Join(problems);
  EXPECT_NE(problems[0].find("TT_SRPT title 2"), std::string::npos) << problems[0];
}

TEST(CheckerFindsFaults, TitleSetLastSectorThatIgnoresAShorterVob) {
  FixtureCopy disc("pal_menu");
  const std::vector<std::uint8_t> vob = test::ReadBytes(disc.File("VTS_01_1.VOB"));
  test::WriteBytes(disc.File("VTS_01_1.VOB"), {vob.begin(), vob.end() - 2048});
  const std::vector<std::string> problems = SectorLayoutCheck(disc.Dir());
  ASSERT_EQ(problems.size(), 1u) << Join(problems);
  EXPECT_NE(problems[0].find("title set 1: VTSI_MAT 0x0C"), std::string::npos) << problems[0];
}

TEST(CheckerFindsFaults, VobThatIsNotWholeSectors) {
  FixtureCopy disc("pal_menu");
  std::vector<std::uint8_t> vob = test::ReadBytes(disc.File("VTS_01_0.VOB"));
  vob.push_back(0);
  test::WriteBytes(disc.File("VTS_01_0.VOB"), vob);
  EXPECT_FALSE(SectorLayoutCheck(disc.Dir()).empty());
}

TEST(CheckerFindsFaults, MenuVobStartThatMissesTheFile) {
  FixtureCopy disc("ntsc_two_sets");
  disc.PatchIfo("VTS_02_0.IFO", 0xC4, disc.Read("VTS_02_0.IFO", 0xC4) + 1, 4);
  const std::vector<std::string> problems = SectorLayoutCheck(disc.Dir());
  ASSERT_EQ(problems.size(), 1u) << Join(problems);
  EXPECT_NE(problems[0].find("VTS_02_0.IFO: VTSTT_VOBS"), std::string::npos) << problems[0];
}

TEST(CheckerFindsFaults, VtsAtrThatNoLongerMirrorsTheTitleSet) {
  FixtureCopy disc("pal_menu");
  // The title video attributes: 16:9 in the title set, still 4:3 in VTS_ATR.
  disc.PatchIfo("VTS_01_0.IFO", 0x200, test::ReadBytes(disc.File("VTS_01_0.IFO"))[0x200] | 0x0C, 1);
  EXPECT_EQ(VtsAtrCheck(disc.Dir()).size(), 1u);
}

TEST(CheckerFindsFaults, BupThatDiffersFromItsIfo) {
  FixtureCopy disc("pal_menu");
  disc.Patch("VTS_01_0.BUP", 0x0C, 0, 4);
  const IfoReport report = OpenAllIfos(disc.Dir());
  EXPECT_FALSE(report.ok);
  ASSERT_EQ(report.problems.size(), 1u) << Describe(report);
  EXPECT_EQ(report.problems[0], "VTS_01_0.BUP differs from VTS_01_0.IFO");
}

TEST(CheckerFindsFaults, CellAddressTableLibdvdreadOnlyLogsAbout) {
  FixtureCopy disc("pal_menu");
  // An end address that leaves a partial C_ADT entry: ifoOpen still succeeds
  // and only logs its CHECK_VALUE failure.
  const std::size_t cAdt = disc.Read("VTS_01_0.IFO", 0xE0) * 2048;
  disc.PatchIfo("VTS_01_0.IFO", cAdt + 4, disc.Read("VTS_01_0.IFO", cAdt + 4) + 1, 4);
  const IfoReport report = OpenAllIfos(disc.Dir());
  EXPECT_FALSE(report.ok);
  EXPECT_TRUE(std::any_of(report.problems.begin(), report.problems.end(),
                          [](const std::string& p) { return p.find("libdvdread") != std::string::npos; }))
      << Describe(report);
}

TEST(CheckerFindsFaults, RootMenuThatIsGone) {
  FixtureCopy disc("pal_menu");
  // Without VTSM_PGCI_UT the title set has no menus to call.
  disc.PatchIfo("VTS_01_0.IFO", 0xD0, 0, 4);
  const NavigationReport nav = FollowMenus(disc.Dir());
  EXPECT_FALSE(nav.ok) << Describe(nav);
  ASSERT_EQ(nav.rootMenus.size(), 1u);
  EXPECT_FALSE(nav.rootMenus[0].errors.empty());
}

TEST(CheckerFindsFaults, TitleWhoseVideoIsMissing) {
  FixtureCopy disc("pal_split");
  fs::remove(disc.Dir() / "VTS_01_3.VOB");
  const TitlePlayback p = PlayTitle(disc.Dir(), 2);
  EXPECT_FALSE(p.ok) << Describe(p);
}

TEST(CheckerFindsFaults, FileThatIsNoVideo) {
  FixtureCopy disc("pal_menu");
  const DecodedVideo video = DecodeFrames(disc.Dir() / "VTS_01_0.IFO");
  EXPECT_FALSE(video.ok);
  EXPECT_FALSE(video.error.empty());
}

}  // namespace
}  // namespace kestrune::dvdcheck
