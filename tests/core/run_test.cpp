// The blanking run's driver, its backups and the video manager correction,
// through the steps that need no rewrite.
#include <gtest/gtest.h>

#include "file_layer.h"
#include "ifo_builder.h"
#include "temp_folder.h"
#include "title_set.h"

namespace kestrune {
namespace {

using test::BuildIfo;
using test::Get32;
using test::Put32;
using test::ReadBytes;
using test::Snapshot;
using test::StandardVmg;
using test::StandardVts;
using test::TempFolder;
using test::WithTitlesAndAttributes;
using test::WriteBytes;

struct Folder {
  TempFolder dir;
  Folder() {
    const auto vmg = WithTitlesAndAttributes(BuildIfo(StandardVmg()));
    WriteBytes(dir / "VIDEO_TS.IFO", vmg);
    WriteBytes(dir / "VIDEO_TS.BUP", vmg);
    WriteBytes(dir / "VTS_01_0.IFO", BuildIfo(StandardVts()));
  }
};

TEST(Create, NeedsAnExistingFolder) {
  TTitleSet missing("/no/such/folder");
  EXPECT_EQ(missing.FStatus, kStatusPathNotFound);
  EXPECT_TRUE(missing.FVmgIfoPath.empty());
  TempFolder folder;
  const std::string bare = folder.Dir().substr(0, folder.Dir().size() - 1);
  TTitleSet ts(bare);
  EXPECT_EQ(ts.FStatus, kStatusOk);
  EXPECT_EQ(ts.FDvdDir, folder.Dir());
  EXPECT_EQ(ts.FVmgVobPath, folder / "VIDEO_TS.VOB");
  EXPECT_FALSE(ts.FBuffer);
}

TEST(Process, WithNothingChosenTouchesNothing) {
  Folder f;
  const auto before = Snapshot(f.dir.Dir());
  TTitleSet ts(f.dir.Dir());
  ts.FBackup = true;
  EXPECT_EQ(ts.Process(), kStatusNothingToDo);
  EXPECT_EQ(Snapshot(f.dir.Dir()), before);
}

TEST(Process, MatchesTitleSetsByExactDecimalText) {
  Folder f;
  const auto before = Snapshot(f.dir.Dir());
  TTitleSet ts(f.dir.Dir());
  ts.FVideoList = {"01", "0", "100", " 1"};  // none of these is title set 1
  EXPECT_EQ(ts.Process(), kStatusOk);
  EXPECT_EQ(Snapshot(f.dir.Dir()), before);
  EXPECT_FALSE(ts.FBuffer);
}

TEST(Process, AMissingTitleSetIfoEndsTheRunAndChangesNothingOfIt) {
  Folder f;
  WriteBytes(f.dir / "VTS_02_1.VOB", std::vector<std::uint8_t>(4096, 1));
  const auto before = Snapshot(f.dir.Dir());
  TTitleSet ts(f.dir.Dir());
  ts.FVideoList = {"2"};
  EXPECT_EQ(ts.Process(), kStatusIfoNotFound);
  EXPECT_EQ(Snapshot(f.dir.Dir()), before);
}

// VIDEO_TS.IFO is corrected after every title set, so it is checked before
// the first file changes: a broken one stops the run with the folder as it was.
TEST(Process, RefusesADamagedVideoManagerBeforeAnythingChanges) {
  Folder f;
  auto vmg = ReadBytes(f.dir / "VIDEO_TS.IFO");
  Put32(vmg, 4 * 2048 + 8 + 4, 5000);  // VTS_ATR offset of title set 2 outside VMG_VTS_ATRT
  WriteBytes(f.dir / "VIDEO_TS.IFO", vmg);
  WriteBytes(f.dir / "VTS_02_0.IFO", BuildIfo(StandardVts()));
  const auto before = Snapshot(f.dir.Dir());
  TTitleSet ts(f.dir.Dir());
  ts.FBackup = true;
  ts.FRemoveAudioSubMapping = true;
  ts.FVideoList = {"2"};
  EXPECT_EQ(ts.Process(), kStatusIfoInvalid);
  EXPECT_NE(ts.FStatusDetail.find("VTS_ATR"), std::string::npos) << ts.FStatusDetail;
  EXPECT_EQ(Snapshot(f.dir.Dir()), before);

  std::remove((f.dir / "VIDEO_TS.IFO").c_str());
  TTitleSet again(f.dir.Dir());
  again.FVideoList = {"1"};
  EXPECT_EQ(again.Process(), kStatusIfoNotFound);
}

TEST(Process, RefusesTheMenusOfATitleSetWithoutMenuVideo) {
  Folder f;  // StandardVts has VTSI_MAT 0xC0 = 0
  WriteBytes(f.dir / "VTS_01_0.VOB", std::vector<std::uint8_t>(4096, 1));  // a stray menu VOB
  const auto before = Snapshot(f.dir.Dir());
  TTitleSet ts(f.dir.Dir());
  ts.FBackup = false;
  ts.FMenuList = {"1"};
  EXPECT_EQ(ts.Process(), kStatusNoMenuVobSet);
  EXPECT_EQ(Snapshot(f.dir.Dir()), before);
}

// The plan of a run lists the folder once; a name spelt in another case on
// disk is asked of the disk itself, which alone knows whether its file system
// takes it for the same entry (Windows does): the plan answers as the disk.
TEST(Process, ThePlanSeesNamesSpeltInAnotherCaseAsTheDiskDoes) {
  TempFolder dir;
  WriteBytes(dir / "video_ts.ifo", WithTitlesAndAttributes(BuildIfo(StandardVmg())));
  WriteBytes(dir / "Vts_01_0.Ifo", BuildIfo(StandardVts()));
  WriteBytes(dir / "VTS_01_1.VOB", {1});
  PlannedFolder plan(dir.Dir());
  for (const char* name : {"VIDEO_TS.IFO", "VTS_01_0.IFO", "VTS_01_1.VOB", "VTS_01_0.BUP"}) {
    EXPECT_EQ(plan.FileExists(dir / name), FileExists(dir / name)) << name;
    EXPECT_EQ(plan.EntrySize(dir / name), EntrySize(dir / name)) << name;
  }
#if defined(_WIN32)
  EXPECT_TRUE(plan.FileExists(dir / "VTS_01_0.IFO"));
  // So a run reads the file as the IFO the scan lists (and finds that it
  // describes no title video to blank).
  TTitleSet ts(dir.Dir());
  ts.FVideoList = {"1"};
  EXPECT_EQ(ts.ProcessPlanned(plan), kStatusIfoInvalid) << ts.FStatusDetail;
  EXPECT_NE(plan.ReadOnDisk(dir / "VTS_01_0.IFO"), nullptr);
#endif
}

TEST(BackupVideoFiles, RenamesEachFileWithoutReplacingAnOlderBackup) {
  Folder f;
  for (const char* name : {"VTS_01_0.VOB", "VTS_01_1.VOB", "VTS_01_3.VOB", "VTS_01_0.BUP"})
    WriteBytes(f.dir / name, {1});
  WriteBytes(f.dir / "VTS_01_1.VOB~", {9});  // from an earlier run: the original
  TTitleSet ts(f.dir.Dir());
  ts.FBackup = true;
  ts.LoadIfo(1);
  ts.FBlankVideos = true;
  ts.BackupVideoFiles();
  EXPECT_EQ(ReadBytes(f.dir / "VTS_01_1.VOB~"), std::vector<std::uint8_t>{9});
  EXPECT_TRUE(FileExists(f.dir / "VTS_01_1.VOB"));  // stays, to be overwritten later
  EXPECT_TRUE(FileExists(f.dir / "VTS_01_3.VOB~"));
  EXPECT_FALSE(FileExists(f.dir / "VTS_01_3.VOB"));
  EXPECT_FALSE(FileExists(f.dir / "VTS_01_2.VOB~"));
  EXPECT_TRUE(FileExists(f.dir / "VTS_01_0.VOB"));  // menus not chosen
  EXPECT_TRUE(FileExists(f.dir / "VTS_01_0.IFO~"));
  EXPECT_TRUE(FileExists(f.dir / "VTS_01_0.BUP~"));
}

TEST(RenameNoReplace, NeverReplacesAnExistingEntry) {
  TempFolder folder;
  WriteBytes(folder / "A", {1});
  WriteBytes(folder / "B", {2});
  EXPECT_FALSE(RenameNoReplace(folder / "A", folder / "B"));
  EXPECT_EQ(ReadBytes(folder / "A"), std::vector<std::uint8_t>{1});
  EXPECT_EQ(ReadBytes(folder / "B"), std::vector<std::uint8_t>{2});
  EXPECT_TRUE(RenameNoReplace(folder / "A", folder / "C"));
  EXPECT_FALSE(FileExists(folder / "A"));
  EXPECT_FALSE(RenameNoReplace(folder / "missing", folder / "D"));
}

class UpdateVmgTest : public ::testing::Test {
 protected:
  Folder f;
  TTitleSet ts{f.dir.Dir()};
  std::vector<std::uint8_t> Vmg() { return ReadBytes(f.dir / "VIDEO_TS.IFO"); }
  static constexpr std::int64_t kTitles = 2048 + 8;
  static constexpr std::int64_t kRecord2 = 4 * 2048 + 16 + 776;
};

TEST_F(UpdateVmgTest, LowersTheStartSectorsOfLaterTitleSetsOnly) {
  ts.FSectorShift = 100;
  ts.UpdateVmg(2, false, true);
  EXPECT_EQ(ts.FStatus, kStatusOk);
  const auto vmg = Vmg();
  EXPECT_EQ(Get32(vmg, kTitles + 8), 1000u);
  EXPECT_EQ(Get32(vmg, kTitles + 12 + 8), 2000u);
  EXPECT_EQ(Get32(vmg, kTitles + 24 + 8), 2900u);
  EXPECT_EQ(ReadBytes(f.dir / "VIDEO_TS.BUP"), vmg);
  EXPECT_FALSE(ts.FBuffer);
}

TEST_F(UpdateVmgTest, LeavesTheAttributeTableAloneWithoutTheOption) {
  const auto before = Vmg();
  ts.FSectorShift = 0;
  ts.UpdateVmg(2, true, true);
  EXPECT_EQ(Vmg(), before);
}

TEST_F(UpdateVmgTest, ClearsTheMirroredAudioAndSubPictureBytes) {
  auto vmg = Vmg();
  for (int k = 8; k <= 775; ++k) vmg[kRecord2 + k] = 0x5A;
  WriteBytes(f.dir / "VIDEO_TS.IFO", vmg);
  ts.FRemoveAudioSubMapping = true;
  ts.UpdateVmg(2, true, false);
  vmg = Vmg();
  EXPECT_EQ(vmg[kRecord2 + 10], 0x5A);  // mirrors VTSI_MAT 0x102
  for (int k = 11; k <= 99; ++k) ASSERT_EQ(vmg[kRecord2 + k], 0) << k;
  EXPECT_EQ(vmg[kRecord2 + 100], 0x5A);
  EXPECT_EQ(vmg[kRecord2 + 264], 0x5A);  // title video attributes stay

  ts.UpdateVmg(2, false, true);
  vmg = Vmg();
  EXPECT_EQ(vmg[kRecord2 + 266], 0x5A);
  for (int k = 267; k <= 541; ++k) ASSERT_EQ(vmg[kRecord2 + k], 0) << k;
  // VTSI_MAT 0x316 on (record byte 542 on, 0x318 is byte 544) stays in the
  // title set, so its copy stays too.
  EXPECT_EQ(vmg[kRecord2 + 542], 0x5A);
  EXPECT_EQ(vmg[kRecord2 + 544], 0x5A);
  EXPECT_EQ(vmg[kRecord2 + 775], 0x5A);
  // Title set 1's record is untouched.
  EXPECT_EQ(vmg[4 * 2048 + 16 + 300], WithTitlesAndAttributes(BuildIfo(StandardVmg()))[4 * 2048 + 16 + 300]);
}

TEST_F(UpdateVmgTest, ClearsNoTitleBytesOfAShortRecord) {
  auto vmg = Vmg();
  Put32(vmg, kRecord2, 266);
  for (int k = 8; k <= 266; ++k) vmg[kRecord2 + k] = 0x5A;
  WriteBytes(f.dir / "VIDEO_TS.IFO", vmg);
  ts.FRemoveAudioSubMapping = true;
  ts.UpdateVmg(2, false, true);
  EXPECT_EQ(Vmg(), vmg);
}

}  // namespace
}  // namespace kestrune
