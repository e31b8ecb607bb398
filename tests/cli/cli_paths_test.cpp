// kestrune-cli on a folder whose path is not ASCII: the paths the command
// takes are UTF-8 text on every system (Windows is handed them as wide-
// character paths), and its messages give them back as they were given.
#include <gtest/gtest.h>

#include "fixtures.h"
#include "run_cli.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using Files = std::map<std::string, std::vector<std::uint8_t>>;
using test::Cli;
using test::CliResult;

TEST(NonAsciiPath, ListBlankRestoreAndDeleteBackups) {
  test::TempFolder work;
  const std::string film = work / "Film\xC3\xA9 \xC3\x9Cn\xC3\xAF" "code";  // "Filmé Ünïcode"
  const std::string dir = film + test::kDelimiter + "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), dir);
  const Files original = test::Snapshot(dir);

  CliResult r = Cli({"--list", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  const std::string rows = r.out;
  EXPECT_NE(rows.find("VTS_01_*.VOB  "), std::string::npos) << rows;

  r = Cli({"--vmg-menu", "--titles", "1", "--menus", "1", dir});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out, "VIDEO_TS.VOB  10KB\nVTS_01_*.VOB  10KB\nVTS_01_0.VOB  10KB\nverified: no errors\n");
  const Files blanked = test::Snapshot(dir);
  EXPECT_EQ(blanked.at("VTS_01_1.VOB~"), original.at("VTS_01_1.VOB"));

  r = Cli({"--restore", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out, rows);
  EXPECT_EQ(test::Snapshot(dir), original);

  ASSERT_EQ(Cli({"--vmg-menu", "--titles", "1", "--menus", "1", dir}).code, kExitOk);
  r = Cli({"--delete-backups", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  Files withoutBackups;
  for (const auto& [name, bytes] : blanked)
    if (name.back() != '~') withoutBackups[name] = bytes;
  EXPECT_EQ(test::Snapshot(dir), withoutBackups);

  // The folder text with its trailing delimiter names the same folder.
  EXPECT_EQ(Cli({"--list", dir + test::kDelimiter}).out, "VIDEO_TS.VOB  10KB\nVTS_01_*.VOB  10KB\nVTS_01_0.VOB  10KB\n");
  // A refusal names the file by the path as given.
  const std::string replacement = film + test::kDelimiter + "\xC3\x89" "CRAN.VOB";  // "ÉCRAN.VOB"
  r = Cli({"--titles", "1", "--replacement", replacement, dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_EQ(r.err, "The replacement VOB is not a usable one-frame VOB!\n" + replacement + ": the file does not exist\n");
}

}  // namespace
}  // namespace kestrune
