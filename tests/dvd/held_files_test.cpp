// Runs on an authored folder some of whose files cannot be opened: an IFO
// another program holds without sharing it (Windows) or one without read
// permission (POSIX) refuses the run with the same message before anything
// changes; a title VOB held open in the middle of a run (Windows) stops the
// run at that file, and nothing is lost.
#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/fsuid.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "dvd_files.h"
#include "file_layer.h"
#include "fixtures.h"
#include "locked_file.h"
#include "run_cli.h"
#include "status.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using Files = std::map<std::string, std::vector<std::uint8_t>>;

class HeldFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), dir);
    original = test::Snapshot(dir);
  }
  std::string In(const std::string& name) const { return dir + test::kDelimiter + name; }

  test::TempFolder work;
  std::string dir = work / "VIDEO_TS";
  Files original;
};

// The IFO of title set 2 cannot be opened while the run's plan reads it: on
// Windows another program holds it without sharing it; on POSIX it has no
// read permission (root, who reads any file, looks at the files as "nobody"
// meanwhile, where Linux lets it; the folder is then made writable for
// "nobody", so that the IFO is all it cannot use).
class UnreadableIfo {
 public:
  explicit UnreadableIfo(const std::string& path) : path_(path) {
#if defined(_WIN32)
    held_ = std::make_unique<test::LockedFile>(path);
    ok_ = held_->Held();
#else
    ok_ = ::chmod(path.c_str(), 0) == 0;
#if defined(__linux__)
    if (ok_ && ::geteuid() == 0) {
      folder_ = FolderPartOf(path);
      ::chmod(folder_.c_str(), 0777);
      rootsFsuid_ = ::setfsuid(kNobody);
      ok_ = static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) == kNobody;
    }
#endif
#endif
  }
  ~UnreadableIfo() {
#if defined(_WIN32)
    held_.reset();
#else
#if defined(__linux__)
    if (rootsFsuid_ >= 0) ::setfsuid(static_cast<uid_t>(rootsFsuid_));
    if (!folder_.empty()) ::chmod(folder_.c_str(), 0755);
#endif
    ::chmod(path_.c_str(), 0644);
#endif
  }
  // False where the file could not be made unreadable.
  bool Ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = false;
#if defined(_WIN32)
  std::unique_ptr<test::LockedFile> held_;
#elif defined(__linux__)
  static constexpr uid_t kNobody = 65534;
  int rootsFsuid_ = -1;
  std::string folder_;  // made writable for "nobody" meanwhile
#endif
};

TEST_F(HeldFiles, AnIfoThatCannotBeOpenedRefusesTheRunAsAPermissionErrorDoes) {
#if !defined(_WIN32) && !defined(__linux__)
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
#endif
  for (const bool backup : {true, false}) {
    SCOPED_TRACE(backup ? "with backups" : "without backups");
    test::CliResult r;
    {
      const UnreadableIfo ifo(In("VTS_02_0.IFO"));
      ASSERT_TRUE(ifo.Ok());
      std::vector<std::string> args = {"--vmg-menu", "--titles", "1,2", "--menus", "1,2"};
      if (!backup) args.push_back("--no-backup");
      args.push_back(dir);
      r = test::Cli(args);
    }
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.err, StatusMessage(kStatusIfoUnreadable) + "\n" + In("VTS_02_0.IFO") + ": Permission denied\n");
    EXPECT_EQ(test::Snapshot(dir), original);
  }
}

#if defined(_WIN32)
// Another program plays VTS_01_1.VOB with share mode 0: it can be neither
// renamed to its backup name nor replaced. The checks of the run pass (they
// never open a VOB), so the run stops at that file with its name and reason.
TEST_F(HeldFiles, ATitleVobHeldOpenStopsTheRunThereAndTheRestoreGivesBackTheOriginal) {
  test::CliResult r;
  {
    const test::LockedFile vob(In("VTS_01_1.VOB"));
    ASSERT_TRUE(vob.Held());
    r = test::Cli({"--vmg-menu", "--titles", "1,2", "--menus", "1,2", dir});
  }
  EXPECT_EQ(r.code, kExitFileError);
  EXPECT_NE(r.err.find(In("VTS_01_1.VOB") + "\": Permission denied"), std::string::npos) << r.err;
  EXPECT_EQ(test::Snapshot(dir).at("VTS_01_1.VOB"), original.at("VTS_01_1.VOB"));
  for (const auto& [name, bytes] : test::Snapshot(dir))
    EXPECT_EQ(name.find(".kestrune-"), std::string::npos) << name;  // no temporary or lock file left
  r = test::Cli({"--restore", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(test::Snapshot(dir), original);
}

TEST_F(HeldFiles, ATitleVobHeldOpenWithoutBackupsKeepsItsBytes) {
  test::CliResult r;
  {
    const test::LockedFile vob(In("VTS_02_1.VOB"));
    ASSERT_TRUE(vob.Held());
    r = test::Cli({"--titles", "1,2", "--no-backup", dir});
  }
  EXPECT_EQ(r.code, kExitFileError);
  EXPECT_EQ(r.err.rfind("Can't replace \"" + In("VTS_02_1.VOB") + "\": Permission denied", 0), 0u) << r.err;
  const Files after = test::Snapshot(dir);
  // Title set 1 is done, title set 2 keeps every old byte.
  EXPECT_EQ(after.at("VTS_01_1.VOB").size(), 10240u);
  for (const char* name : {"VTS_02_0.IFO", "VTS_02_0.BUP", "VTS_02_1.VOB"})
    EXPECT_EQ(after.at(name), original.at(name)) << name;
  for (const auto& [name, bytes] : after) EXPECT_EQ(name.find(".kestrune-"), std::string::npos) << name;
}
#endif

}  // namespace
}  // namespace kestrune
