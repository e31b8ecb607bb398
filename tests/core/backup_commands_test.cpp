// Restoring and deleting the backups of a folder.
#include "backup_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "file_layer.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using test::ReadBytes;
using test::Snapshot;
using test::TempFolder;
using test::WriteBytes;

TEST(RestoreBackups, PutsEveryBackupBackInPlace) {
  TempFolder f;
  WriteBytes(f / "VTS_01_0.IFO", {2});
  WriteBytes(f / "VTS_01_0.IFO~", {1});
  WriteBytes(f / "VTS_01_2.VOB~", {3});  // its file was deleted by a run
  WriteBytes(f / "VTS_01_1.VOB", {4});  // no backup: stays as it is
  const BackupResult result = RestoreBackups(f.Dir());
  EXPECT_EQ(result.handled, 2);
  EXPECT_TRUE(result.passedOver.empty());
  EXPECT_EQ(Snapshot(f.Dir()), (std::map<std::string, std::vector<std::uint8_t>>{
                                   {"VTS_01_0.IFO", {1}}, {"VTS_01_1.VOB", {4}}, {"VTS_01_2.VOB", {3}}}));
}

// A crash can leave a run's temporary file; the restore is to give back the
// folder as it was, so it goes too. Nothing else starting with a dot does.
TEST(RestoreBackups, RemovesTheTemporaryFilesACrashLeft) {
  TempFolder f;
  WriteBytes(f / "VTS_01_0.IFO~", {1});
  WriteBytes(f / ".VTS_01_0.IFO.kestrune-part", {});
  WriteBytes(f / ".hidden", {5});
  const BackupResult result = RestoreBackups(f.Dir());
  EXPECT_TRUE(result.flushError.empty());
  EXPECT_EQ(Snapshot(f.Dir()), (std::map<std::string, std::vector<std::uint8_t>>{
                                   {".hidden", {5}}, {"VTS_01_0.IFO", {1}}}));
}

TEST(RestoreBackups, PassesOverWhatCannotBeRestoredAndEnds) {
  TempFolder f;
  test::MakeFolder(f / "VTS_01_0.VOB");  // the original's name is a folder
  WriteBytes(f / "VTS_01_0.VOB~", {1});
  test::MakeFolder(f / "DIR~");  // a folder ending in "~" whose name is free
  test::MakeFolder(f / "OTHER");
  test::MakeFolder(f / "OTHER~");  // a folder backup whose original is a folder
  WriteBytes(f / "VTS_01_1.VOB~", {2});
  const BackupResult result = RestoreBackups(f.Dir());
  EXPECT_EQ(ReadBytes(f / "VTS_01_1.VOB"), std::vector<std::uint8_t>{2});
  EXPECT_EQ(ReadBytes(f / "VTS_01_0.VOB~"), std::vector<std::uint8_t>{1});
  ASSERT_EQ(result.passedOver.size(), 2u);
  EXPECT_EQ(result.handled, 2);  // VTS_01_1.VOB~ and DIR~ renamed back
  EXPECT_TRUE(FolderExists(f / "DIR"));
}

#if !defined(_WIN32)  // a symbolic link needs a privilege on Windows
TEST(RestoreBackups, NeverFollowsALinkOutOfTheFolder) {
  TempFolder f, outside;
  WriteBytes(outside / "victim", {7});
  std::filesystem::create_symlink(outside / "victim", f / "VTS_01_0.IFO");
  WriteBytes(f / "VTS_01_0.IFO~", {1});
  RestoreBackups(f.Dir());
  EXPECT_EQ(ReadBytes(outside / "victim"), std::vector<std::uint8_t>{7});
  EXPECT_EQ(ReadBytes(f / "VTS_01_0.IFO"), std::vector<std::uint8_t>{1});
}
#endif

TEST(DeleteBackups, DeletesFilesEndingInTildeOnly) {
  TempFolder f;
  WriteBytes(f / "VTS_01_0.IFO~", {1});
  WriteBytes(f / "VIDEO_TS.VOB~", {1});
  WriteBytes(f / "VTS_01_0.IFO", {2});
  test::MakeFolder(f / "KEEP~");
  const BackupResult result = DeleteBackups(f.Dir());
  EXPECT_EQ(result.handled, 2);
  EXPECT_EQ(result.passedOver.size(), 1u);
  EXPECT_EQ(Snapshot(f.Dir()), (std::map<std::string, std::vector<std::uint8_t>>{{"VTS_01_0.IFO", {2}}}));
}

TEST(BackupCommands, DoNothingForAMissingFolder) {
  EXPECT_EQ(RestoreBackups("/no/such/folder").handled, 0);
  EXPECT_EQ(DeleteBackups("/no/such/folder").handled, 0);
  TempFolder f;
  EXPECT_EQ(DeleteBackups(f.Dir()).handled, 0);
}

}  // namespace
}  // namespace kestrune
