// Blanking runs on copies of DVD folders authored by dvdauthor, through
// kestrune-cli's code, checked by libdvdread, libdvdnav and ffmpeg: the folder
// must stay a disc whose menus and titles navigate, and the restore command
// must give back the original byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "big_endian.h"
#include "blank_vob.h"
#include "blanking_cases.h"
#include "dvd_check.h"
#include "dvd_files.h"
#include "report_text.h"
#include "run_cli.h"
#include "temp_folder.h"
#include "verify.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using dvdcheck::CellInfo;

std::uint32_t GetBigEndianForTest(const std::vector<std::uint8_t>& b, std::size_t pos) {
  return GetBigEndian<std::uint32_t>(&b[pos]);
}

using test::Blanking;
using test::Cli;
using test::CliResult;
using test::Findings;

bool Has(const std::vector<std::string>& options, const std::string& o) {
  return std::find(options.begin(), options.end(), o) != options.end();
}

// The title sets a comma list names (the tests use plain numbers only).
std::vector<int> ListAfter(const std::vector<std::string>& options, const std::string& flag) {
  std::vector<int> sets;
  for (std::size_t i = 0; i + 1 < options.size(); ++i) {
    if (options[i] != flag) continue;
    std::stringstream list(options[i + 1]);
    for (std::string item; std::getline(list, item, ',');) sets.push_back(std::stoi(item));
  }
  return sets;
}

void ExpectBlankCells(const std::vector<dvdcheck::PgcInfo>& pgcs, const std::string& where) {
  for (const auto& pgc : pgcs) {
    for (const CellInfo& cell : pgc.cellList) {
      EXPECT_EQ(cell.firstSector, 0u) << where;
      EXPECT_EQ(cell.lastVobuStartSector, 0u) << where;
      EXPECT_EQ(cell.lastSector, 4u) << where;
      EXPECT_EQ(cell.vobId, 1) << where;
      EXPECT_EQ(cell.cellId, 1) << where;
    }
  }
}

void ExpectBlankAddressTables(const std::vector<dvdcheck::CellAddress>& cAdt,
                              const std::vector<std::uint32_t>& vobuAdmap, const std::string& where) {
  ASSERT_FALSE(cAdt.empty()) << where;
  for (const auto& entry : cAdt) {
    EXPECT_EQ(entry.vobId, 1) << where;
    EXPECT_EQ(entry.cellId, 1) << where;
    EXPECT_EQ(entry.startSector, 0u) << where;
    EXPECT_EQ(entry.lastSector, 4u) << where;
  }
  EXPECT_EQ(vobuAdmap, std::vector<std::uint32_t>{0}) << where;
}

void ExpectBlackOneFrameVob(const fs::path& vob) {
  ASSERT_TRUE(fs::exists(vob)) << vob;
  EXPECT_EQ(fs::file_size(vob), 10240u) << vob;
  const auto video = dvdcheck::DecodeFrames(vob);
  ASSERT_TRUE(video.ok) << vob << ": " << video.error;
  EXPECT_EQ(video.frames, 1) << vob;
  EXPECT_EQ(video.lumaMin, 16) << vob;
  EXPECT_EQ(video.lumaMax, 16) << vob;
}

// Everything a player and a mastering tool rely on, after a run.
void ExpectValidDisc(const fs::path& dir, bool paddedVmg) {
  const auto report = dvdcheck::OpenAllIfos(dir);
  EXPECT_TRUE(report.ok) << dvdcheck::Describe(report);
  EXPECT_EQ(dvdcheck::SectorLayoutCheck(dir, {paddedVmg}), std::vector<std::string>{});
  EXPECT_EQ(dvdcheck::VtsAtrCheck(dir), std::vector<std::string>{});
  for (const auto& playback : dvdcheck::PlayAllTitles(dir)) EXPECT_TRUE(playback.ok) << dvdcheck::Describe(playback);
  const auto navigation = dvdcheck::FollowMenus(dir);
  EXPECT_TRUE(navigation.ok) << dvdcheck::Describe(navigation);
  const verify::Report verified = verify::VerifyFolder(dir.string());
  EXPECT_EQ(verified.Errors(), 0) << Findings(verified);
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == 12 && name.substr(9) == "IFO") {
      // The IFO is (0x1C + 1) sectors and its BUP the same bytes.
      const auto ifo = test::ReadBytes(entry.path().string());
      ASSERT_GE(ifo.size(), 0x20u);
      const std::uint32_t last = GetBigEndianForTest(ifo, 0x1C);
      EXPECT_EQ(ifo.size(), (last + 1) * 2048u) << name;
      EXPECT_EQ(test::ReadBytes((dir / (name.substr(0, 9) + "BUP")).string()), ifo) << name;
    }
  }
}

class BlankingRun : public ::testing::TestWithParam<Blanking> {
 protected:
  test::TempFolder work;
  fs::path dir;
  std::map<std::string, std::vector<std::uint8_t>> original;
  void SetUp() override {
    test::CopyFolder(dvdcheck::FixtureVideoTs(GetParam().disc).string(), work / "VIDEO_TS");
    dir = work / "VIDEO_TS";
    original = test::Snapshot(dir.string());
  }
};

TEST_P(BlankingRun, LeavesAValidDiscAndRestoresTheOriginal) {
  const Blanking& b = GetParam();
  std::vector<std::string> args = b.options;
  args.push_back(dir.string());
  const CliResult run = Cli(args);
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("verified: no errors\n"), std::string::npos) << run.out;

  ExpectValidDisc(dir, b.paddedVmg);
  if (b.playsToItsEnd) {
    const auto playback = dvdcheck::PlayFromFirstPlay(dir);
    EXPECT_TRUE(playback.ok) << dvdcheck::Describe(playback);
  }
  const auto report = dvdcheck::OpenAllIfos(dir);
  const bool backups = !Has(b.options, "--no-backup");
  for (int n : ListAfter(b.options, "--titles")) {
    const auto* set = report.TitleSet(n);
    ASSERT_NE(set, nullptr);
    ExpectBlankCells(set->pgcs, "titles of " + std::to_string(n));
    ExpectBlankAddressTables(set->cAdt, set->vobuAdmap, "titles of " + std::to_string(n));
    EXPECT_FALSE(set->hasTmapti);
    const std::string prefix = VtsPrefix(n);
    ExpectBlackOneFrameVob(dir / (prefix + "1.VOB"));
    for (int k = 2; k <= 9; ++k) {
      const bool hadIt = original.count(prefix + std::to_string(k) + ".VOB") != 0;
      EXPECT_FALSE(fs::exists(dir / (prefix + std::to_string(k) + ".VOB"))) << k;
      EXPECT_EQ(fs::exists(dir / (prefix + std::to_string(k) + ".VOB~")), hadIt && backups) << k;
    }
    EXPECT_NE(run.out.find(prefix + "*.VOB  10KB"), std::string::npos) << run.out;
  }
  for (int n : ListAfter(b.options, "--menus")) {
    const auto* set = report.TitleSet(n);
    ASSERT_NE(set, nullptr);
    for (const auto& unit : set->menu.languageUnits) ExpectBlankCells(unit.pgcs, "menus of " + std::to_string(n));
    ExpectBlankAddressTables(set->menu.cAdt, set->menu.vobuAdmap, "menus of " + std::to_string(n));
    ExpectBlackOneFrameVob(dir / (VtsPrefix(n) + "0.VOB"));
    EXPECT_NE(run.out.find(VtsPrefix(n) + "0.VOB  10KB"), std::string::npos) << run.out;
  }
  if (Has(b.options, "--vmg-menu")) {
    for (const auto& unit : report.vmg.menu.languageUnits) ExpectBlankCells(unit.pgcs, "video manager menus");
    ExpectBlankAddressTables(report.vmg.menu.cAdt, report.vmg.menu.vobuAdmap, "video manager menus");
    ExpectBlackOneFrameVob(dir / "VIDEO_TS.VOB");
    EXPECT_NE(run.out.find("VIDEO_TS.VOB  10KB"), std::string::npos) << run.out;
  }

  if (backups) {
    const CliResult restore = Cli({"--restore", dir.string()});
    EXPECT_EQ(restore.code, kExitOk) << restore.err;
    EXPECT_EQ(test::Snapshot(dir.string()), original);
  }
}

INSTANTIATE_TEST_SUITE_P(AuthoredDiscs, BlankingRun, ::testing::ValuesIn(test::BlankingCases()));

// Two runs on different parts of one disc, then one restore: the backups of
// VIDEO_TS.IFO and .BUP must still be the originals from before the first run.
TEST(RepeatedRuns, RestoreToTheOriginalFolder) {
  test::TempFolder work;
  test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), work / "VIDEO_TS");
  const std::string dir = work / "VIDEO_TS";
  const auto original = test::Snapshot(dir);
  ASSERT_EQ(Cli({"--titles", "1", dir}).code, kExitOk);
  ASSERT_EQ(Cli({"--menus", "2", dir}).code, kExitOk);
  ASSERT_EQ(Cli({"--titles", "1", "--menus", "1", dir}).code, kExitOk);
  ExpectValidDisc(dir, false);
  ASSERT_EQ(Cli({"--restore", dir}).code, kExitOk);
  EXPECT_EQ(test::Snapshot(dir), original);
}

TEST(Refusals, ChangeNothing) {
  test::TempFolder work;
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_nomenu_vts").string(), work / "VIDEO_TS");
  const std::string dir = work / "VIDEO_TS";
  const auto original = test::Snapshot(dir);
  // A replacement that is no one-frame VOB: named with its reason.
  test::WriteBytes(work / "REPLACE.VOB", std::vector<std::uint8_t>(20480, 0));
  CliResult r = Cli({"--titles", "1", "--replacement", work / "REPLACE.VOB", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("REPLACE.VOB"), std::string::npos) << r.err;
  r = Cli({"--titles", "1", "--replacement", work / "MISSING.VOB", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_EQ(test::Snapshot(dir), original);
}

}  // namespace
}  // namespace kestrune

namespace kestrune {
namespace {

// A replacement VOB lands unchanged in every blanked set, whatever its TV
// system, and with a manual still time every blanked cell stops for it.
TEST(ReplacementVob, IsCopiedIntoEveryBlankedSetWithItsStillTime) {
  test::TempFolder work;
  test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), work / "VIDEO_TS");
  const std::string dir = work / "VIDEO_TS";
  const auto& replacement = BlankVobImage("PALA");
  test::WriteBytes(work / "REPLACE.VOB", replacement);
  const CliResult r = Cli({"--titles", "2", "--menus", "1", "--replacement", work / "REPLACE.VOB",
                           "--still-time", "300", dir});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(test::ReadBytes(dir + "/VTS_02_1.VOB"), replacement);
  EXPECT_EQ(test::ReadBytes(dir + "/VTS_01_0.VOB"), replacement);
  const auto report = dvdcheck::OpenAllIfos(dir);
  EXPECT_TRUE(report.ok) << dvdcheck::Describe(report);
  for (const auto& pgc : report.TitleSet(2)->pgcs)
    for (const auto& cell : pgc.cellList) EXPECT_EQ(cell.stillTime, 255);  // 300 clamped to 255
  for (const auto& unit : report.TitleSet(1)->menu.languageUnits)
    for (const auto& pgc : unit.pgcs)
      for (const auto& cell : pgc.cellList) EXPECT_EQ(cell.stillTime, 255);
  // Title set 1's titles were not blanked and keep their own cells.
  EXPECT_NE(report.TitleSet(1)->pgcs.at(0).cellList.at(0).lastSector, 4u);
}

}  // namespace
}  // namespace kestrune
