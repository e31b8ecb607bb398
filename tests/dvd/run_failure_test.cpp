// Failures in the middle of a run on an authored folder: at every file
// operation, on a full file system and on a read-only one. The run must end
// with a clear error, leave every file complete or absent, and with backups
// on the restore command must give back the original folder byte for byte.
#if defined(__linux__)
#include <sys/mount.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>

#include "backup_commands.h"
#include "big_endian.h"
#include "fixtures.h"
#include "file_layer.h"
#include "temp_folder.h"
#include "test_file_system.h"
#include "title_set.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

struct Outcome {
  TStatus status = kStatusOk;
  std::string error;  // what a FileError said, empty when none escaped
  std::string errorPath;
};

// The window's "Blank!" with backups on: video manager menu, titles and menus
// of title set 1.
Outcome BlankEverything(const std::string& dir, bool backup = true) {
  TTitleSet run(dir);
  run.FBackup = backup;
  run.FRemoveAudioSubMapping = true;
  run.FRemoveStops = true;
  run.FBlankVmgMenu = true;
  run.FVideoList = {"1"};
  run.FMenuList = {"1"};
  Outcome outcome;
  try {
    outcome.status = run.Process();
  } catch (const FileError& e) {
    outcome.error = e.what();
    outcome.errorPath = e.Path();
  }
  return outcome;
}

// No half-written file: no temporary file is left, every VOB is whole
// sectors, and every IFO and BUP is as long as its own MAT says.
void ExpectEveryFileComplete(const Files& files, const std::string& when) {
  for (const auto& [name, bytes] : files) {
    EXPECT_EQ(name.find(".kestrune-part"), std::string::npos) << when << ": " << name;
    const std::string stem = name.back() == '~' ? name.substr(0, name.size() - 1) : name;
    const std::string ext = stem.size() > 4 ? stem.substr(stem.size() - 3) : "";
    if (ext == "VOB") {
      EXPECT_EQ(bytes.size() % 2048, 0u) << when << ": " << name;
    }
    if (ext == "IFO" || ext == "BUP") {
      ASSERT_GE(bytes.size(), 0x20u) << when << ": " << name;
      EXPECT_EQ(bytes.size(), (GetBigEndian<std::uint32_t>(&bytes[0x1C]) + 1) * 2048u) << when << ": " << name;
    }
  }
}

class RunFailure : public ::testing::Test {
 protected:
  test::TestFileSystem files;  // in use until the test ends
};

// Every operation, flushes included, failing with a full disk or an I/O error.
TEST_F(RunFailure, AtEveryFileOperationIsReportedAndRestorable) {
  const fs::path fixture = dvdcheck::FixtureVideoTs("pal_menu");
  long operations = 0;
  {
    test::TempFolder work;
    test::CopyFolder(fixture.string(), work.Dir());
    files.FailOperation(0);
    ASSERT_EQ(BlankEverything(work.Dir()).status, kStatusOk);
    operations = files.OperationsSoFar();
  }
  ASSERT_GT(operations, 20);
  int flushesFailed = 0;
  for (const std::errc error : {std::errc::no_space_on_device, std::errc::io_error}) {
    for (long n = 1; n <= operations; ++n) {
      const std::string when = "failing operation " + std::to_string(n) + " with " + std::make_error_code(error).message();
      test::TempFolder work;
      test::CopyFolder(fixture.string(), work.Dir());
      const Files original = test::Snapshot(work.Dir());
      files.FailOperation(n, error);
      const Outcome outcome = BlankEverything(work.Dir());
      files.FailOperation(0);
      ASSERT_FALSE(outcome.error.empty()) << when;
      EXPECT_EQ(outcome.errorPath.rfind(work.Dir(), 0), 0u) << when << ": " << outcome.errorPath;
      EXPECT_NE(outcome.error.find(std::make_error_code(error).message()), std::string::npos)
          << when << ": " << outcome.error;
      flushesFailed += outcome.error.rfind("Can't flush", 0) == 0;
      ExpectEveryFileComplete(test::Snapshot(work.Dir()), when);
      const BackupResult restore = RestoreBackups(work.Dir());
      EXPECT_TRUE(restore.passedOver.empty()) << when;
      EXPECT_EQ(test::Snapshot(work.Dir()), original) << when;
    }
  }
  EXPECT_GE(flushesFailed, 2 * 5);  // the run flushes at least five times
}

TEST_F(RunFailure, WithoutBackupsStillLeavesOnlyCompleteFiles) {
  const fs::path fixture = dvdcheck::FixtureVideoTs("pal_split");
  for (long n = 1; n <= 12; ++n) {
    test::TempFolder work;
    test::CopyFolder(fixture.string(), work.Dir());
    TTitleSet run(work.Dir());
    run.FVideoList = {"1"};
    files.FailOperation(n);
    try {
      run.Process();
    } catch (const FileError&) {
    }
    files.FailOperation(0);
    ExpectEveryFileComplete(test::Snapshot(work.Dir()), "failing operation " + std::to_string(n));
  }
}

#if defined(__linux__)  // a tmpfs mounted for the test
// A small tmpfs of our own: a real file system that fills up or turns
// read-only. Needs the right to mount, which CI and developers have as root.
class ScratchMount {
 public:
  explicit ScratchMount(const std::string& size) {
    mounted_ = ::mount("tmpfs", folder_.Dir().c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~ScratchMount() {
    if (mounted_) ::umount2(folder_.Dir().c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  std::string Dir() const { return folder_.Dir(); }
  bool RemountReadOnly() {
    return ::mount("tmpfs", folder_.Dir().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  test::TempFolder folder_;
  bool mounted_ = false;
};

TEST_F(RunFailure, OnAFullFileSystemEndsWithTheFileAndIsRestorable) {
  ScratchMount disk("2m");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::string dir = disk.Dir() + "VIDEO_TS/";
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), dir);
  const Files original = test::Snapshot(dir);
  // Leave room for the first backups, not for the whole run.
  const auto free = fs::space(disk.Dir()).available;
  test::WriteBytes(disk.Dir() + "filler", std::vector<std::uint8_t>(free - 24 * 1024, 0));
  const Outcome outcome = BlankEverything(dir);
  EXPECT_FALSE(outcome.error.empty());
  EXPECT_NE(outcome.error.find(dir), std::string::npos) << outcome.error;
  ExpectEveryFileComplete(test::Snapshot(dir), "full file system");
  fs::remove(disk.Dir() + "filler");
  RestoreBackups(dir);
  EXPECT_EQ(test::Snapshot(dir), original);
}

TEST_F(RunFailure, OnAReadOnlyFolderChangesNothing) {
  ScratchMount disk("4m");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::string dir = disk.Dir() + "VIDEO_TS/";
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), dir);
  const Files original = test::Snapshot(dir);
  ASSERT_TRUE(disk.RemountReadOnly());
  const Outcome outcome = BlankEverything(dir);
  EXPECT_NE(outcome.error.find("VIDEO_TS.IFO"), std::string::npos) << outcome.error;
  EXPECT_EQ(test::Snapshot(dir), original);
}
#endif

TEST_F(RunFailure, ASecondRunOnTheSameFolderIsTurnedAway) {
  test::TempFolder work;
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), work.Dir());
  const Files original = test::Snapshot(work.Dir());
  test::WriteBytes(work / "VTS_01_0.IFO~", {1});
  {
    const FolderLock first(work.Dir());
    ASSERT_TRUE(first.Held());
    EXPECT_EQ(BlankEverything(work.Dir()).status, kStatusFolderBusy);
    EXPECT_TRUE(RestoreBackups(work.Dir()).folderBusy);
    EXPECT_TRUE(DeleteBackups(work.Dir()).folderBusy);
    EXPECT_TRUE(fs::exists(work / "VTS_01_0.IFO~"));
  }
  fs::remove(work / "VTS_01_0.IFO~");
  EXPECT_EQ(test::Snapshot(work.Dir()), original);
  EXPECT_EQ(BlankEverything(work.Dir()).status, kStatusOk);
}

}  // namespace
}  // namespace kestrune
