// kestrune-cli's forms on a copy of an authored DVD folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "fixtures.h"
#include "run_cli.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using test::Snapshot;
using test::TempFolder;
using test::WriteBytes;

using test::Cli;
using test::CliResult;

class CliTest : public ::testing::Test {
 protected:
  TempFolder work;
  std::string dir;
  void SetUp() override {
    test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), work / "VIDEO_TS");
    dir = work / "VIDEO_TS";
  }
  std::string In(const std::string& name) const { return dir + test::kDelimiter + name; }
};

TEST_F(CliTest, ListsTheVideoManagerThenTitleVideosThenMenus) {
  const CliResult r = Cli({"--list", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  std::istringstream lines(r.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 3u) << r.out;
  EXPECT_EQ(rows[0].rfind("VIDEO_TS.VOB  ", 0), 0u);
  EXPECT_EQ(rows[1].rfind("VTS_01_*.VOB  ", 0), 0u);
  EXPECT_EQ(rows[2].rfind("VTS_01_0.VOB  ", 0), 0u);
  EXPECT_EQ(rows[0].substr(rows[0].size() - 2), "KB");
}

TEST_F(CliTest, RestoresAndDeletesBackups) {
  const auto original = Snapshot(dir);
  // What a run leaves: the originals under backup names, new files in place.
  for (const auto& [name, bytes] : original) {
    if (name.find(".VOB") != std::string::npos) {
      std::filesystem::rename(test::Native(In(name)), test::Native(In(name + "~")));
      WriteBytes(In(name), std::vector<std::uint8_t>(10240, 0));
    }
  }
  CliResult r = Cli({"--restore", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(Snapshot(dir), original);
  EXPECT_NE(r.out.find("VTS_01_*.VOB"), std::string::npos);

  WriteBytes(In("VTS_01_0.IFO~"), {1});
  r = Cli({"--delete-backups", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(Snapshot(dir), original);
}

TEST_F(CliTest, NamesWhatItCouldNotRestore) {
  test::MakeFolder(In("KEEP"));
  test::MakeFolder(In("KEEP~"));
  const CliResult r = Cli({"--restore", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("KEEP~"), std::string::npos) << r.err;
}

TEST(CliCommand, ReportsUsageErrorsAndMissingFolders) {
  EXPECT_EQ(Cli({}).code, kExitUsage);
  EXPECT_EQ(Cli({"--list"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--bogus", "x"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--list", "a", "--restore", "b"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--titles", "0", "/tmp"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--titles", "3,x", "/tmp"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--still-time", "abc", "--titles", "1", "/tmp"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--titles", "1"}).code, kExitUsage);
  const CliResult missing = Cli({"--list", test::kMissingFolder});
  EXPECT_EQ(missing.code, kExitFailed);
  EXPECT_EQ(missing.err, "Can't find the given path!\n");
  EXPECT_EQ(Cli({"--titles", "1", test::kMissingFolder}).err, "Can't find the given path!\n");
  // A folder from the root is a folder on every system, never an option.
  EXPECT_EQ(Cli({"--list", "/no/such/folder"}).err, "Can't find the given path!\n");
  EXPECT_EQ(Cli({"--version"}).out, "0.9.5\n");
  EXPECT_NE(Cli({"--help"}).out.find("--merge-cells"), std::string::npos);
}

TEST(CliCommand, ReportsARunWithNothingChosen) {
  TempFolder empty;
  const CliResult r = Cli({empty.Dir()});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_EQ(r.err, "No TitleSets given to process!\n");
}

}  // namespace
}  // namespace kestrune
