// The rows of the three check lists for a folder.
#include "folder_scan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "locked_file.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using test::TempFolder;
using test::WriteBytes;

void MakeFile(const TempFolder& f, const std::string& name, std::size_t size) {
  WriteBytes(f / name, std::vector<std::uint8_t>(size, 0));
}

std::vector<std::string> Texts(const std::vector<ScanRow>& rows) {
  std::vector<std::string> texts;
  for (const ScanRow& r : rows) texts.push_back(r.text);
  return texts;
}

TEST(FolderScan, ListsOnlyTitleSetsThatArePresentInOrder) {
  TempFolder f;
  MakeFile(f, "VIDEO_TS.VOB", 155648);
  MakeFile(f, "VTS_15_0.IFO", 2048);
  MakeFile(f, "VTS_15_1.VOB", 2048);
  MakeFile(f, "VTS_15_2.VOB", 1024);
  MakeFile(f, "VTS_15_0.VOB", 2048 * 1024);
  MakeFile(f, "VTS_02_0.IFO", 2048);
  MakeFile(f, "VTS_02_1.VOB", 10240);
  MakeFile(f, "VTS_02_1.VOB~", 99999);  // backups never make a row
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_EQ(Texts(rows.vmg), std::vector<std::string>{"VIDEO_TS.VOB  152KB"});
  EXPECT_EQ(Texts(rows.videos), (std::vector<std::string>{"VTS_02_*.VOB  10KB", "VTS_15_*.VOB  3KB"}));
  EXPECT_EQ(Texts(rows.menus), std::vector<std::string>{"VTS_15_0.VOB  2048KB"});
}

TEST(FolderScan, NeedsAtLeastOneKilobyte) {
  TempFolder f;
  MakeFile(f, "VIDEO_TS.VOB", 1023);
  MakeFile(f, "VTS_01_0.VOB", 1024);
  MakeFile(f, "VTS_01_0.IFO", 2048);
  MakeFile(f, "VTS_01_1.VOB", 600);
  MakeFile(f, "VTS_01_2.VOB", 423);  // the set adds up to 1023 bytes
  MakeFile(f, "VTS_02_0.IFO", 2048);  // no title video at all
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_TRUE(rows.vmg.empty());
  EXPECT_TRUE(rows.videos.empty());
  EXPECT_EQ(Texts(rows.menus), std::vector<std::string>{"VTS_01_0.VOB  1KB"});
}

TEST(FolderScan, NeedsAReadableIfoForTheTitleRowButNotForTheMenuRow) {
  TempFolder f;
  MakeFile(f, "VTS_03_1.VOB", 4096);
  MakeFile(f, "VTS_03_0.VOB", 4096);
  test::MakeFolder(f / "VTS_04_0.IFO");  // a folder is no IFO
  MakeFile(f, "VTS_04_1.VOB", 4096);
  test::MakeFolder(f / "VIDEO_TS.VOB");
  MakeFile(f, "vts_05_0.ifo", 2048);  // names are looked up in upper case
  MakeFile(f, "vts_05_1.vob", 4096);
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_TRUE(rows.vmg.empty());
#if defined(_WIN32)
  // Windows finds a name whatever the case it is spelt in on disk.
  EXPECT_EQ(Texts(rows.videos), std::vector<std::string>{"VTS_05_*.VOB  4KB"});
#else
  EXPECT_TRUE(rows.videos.empty());
#endif
  EXPECT_EQ(Texts(rows.menus), std::vector<std::string>{"VTS_03_0.VOB  4KB"});
}

#if defined(_WIN32)
// A file another program holds without sharing cannot be opened for reading,
// so it makes no row; its title set's other rows stay.
TEST(FolderScan, PassesOverFilesAnotherProgramHoldsWithoutSharing) {
  TempFolder f;
  for (const char* name : {"VIDEO_TS.VOB", "VTS_01_0.IFO", "VTS_01_1.VOB", "VTS_01_0.VOB", "VTS_02_0.IFO",
                           "VTS_02_1.VOB"})
    MakeFile(f, name, 4096);
  const test::LockedFile vmgVob(f / "VIDEO_TS.VOB"), ifo(f / "VTS_01_0.IFO");
  ASSERT_TRUE(vmgVob.Held() && ifo.Held());
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_TRUE(rows.vmg.empty());
  EXPECT_EQ(Texts(rows.videos), std::vector<std::string>{"VTS_02_*.VOB  4KB"});
  EXPECT_EQ(Texts(rows.menus), std::vector<std::string>{"VTS_01_0.VOB  4KB"});
  // A title video held open is still measured: only the IFO is opened.
  const test::LockedFile titleVob(f / "VTS_02_1.VOB");
  EXPECT_EQ(Texts(FindTitleSetRows(f.Dir(), "", false).videos), std::vector<std::string>{"VTS_02_*.VOB  4KB"});
}
#endif

TEST(FolderScan, ChecksTheRowsOfTheChosenIfoOnlyWithAutoCheck) {
  TempFolder f;
  MakeFile(f, "VIDEO_TS.VOB", 4096);
  for (const char* name : {"VTS_01_0.IFO", "VTS_01_1.VOB", "VTS_01_0.VOB", "VTS_02_0.IFO", "VTS_02_1.VOB"})
    MakeFile(f, name, 4096);
  const std::string chosen = f / "VTS_01_0.IFO";
  ScanRows rows = FindTitleSetRows(f.Dir(), chosen, true);
  EXPECT_FALSE(rows.vmg[0].checked);
  EXPECT_TRUE(rows.videos[0].checked);
  EXPECT_FALSE(rows.videos[1].checked);
  EXPECT_TRUE(rows.menus[0].checked);  // the menu row compares against the IFO too
  rows = FindTitleSetRows(f.Dir(), chosen, false);
  EXPECT_FALSE(rows.videos[0].checked);
  // The folder text without its trailing delimiter gives the same names.
  const std::string bare = f.Dir().substr(0, f.Dir().size() - 1);
  EXPECT_TRUE(FindTitleSetRows(bare, f / "VIDEO_TS.IFO", true).vmg[0].checked);
  // Compared exactly: another spelling of the same file checks nothing.
  EXPECT_FALSE(FindTitleSetRows(f.Dir(), f / "vts_01_0.ifo", true).videos[0].checked);
}

TEST(FolderScan, GivesSixtyFourBitSizes) {
  TempFolder f;
  MakeFile(f, "VTS_01_0.IFO", 2048);
  // Sparse files: 3 GiB of title video and a 2.5 GiB menu VOB.
  for (const auto& [name, size] : {std::pair{"VTS_01_1.VOB", 3LL << 30}, std::pair{"VTS_01_0.VOB", 5LL << 29}}) {
    MakeFile(f, name, 0);
    std::filesystem::resize_file(test::Native(f / name), static_cast<std::uintmax_t>(size));
  }
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_EQ(Texts(rows.videos), std::vector<std::string>{"VTS_01_*.VOB  3145728KB"});
  EXPECT_EQ(Texts(rows.menus), std::vector<std::string>{"VTS_01_0.VOB  2621440KB"});
}

TEST(FolderScan, GivesEmptyListsForAMissingFolder) {
  const ScanRows rows = FindTitleSetRows("/no/such/folder", "", true);
  EXPECT_TRUE(rows.vmg.empty() && rows.videos.empty() && rows.menus.empty());
}

}  // namespace
}  // namespace kestrune
