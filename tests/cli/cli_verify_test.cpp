// kestrune-cli --verify and --verify --json on authored discs, untouched and
// damaged; among the command's forms; and the line a blanking run prints.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "fixtures.h"
#include "run_cli.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using nlohmann::json;
using test::Cli;
using test::CliResult;

std::string CopyOf(const test::TempFolder& work, const char* disc) {
  test::CopyFolder(dvdcheck::FixtureVideoTs(disc).string(), work / "VIDEO_TS");
  return work / "VIDEO_TS";
}

// Adds 1 to the byte at `at` of `file`.
void Bump(const std::string& file, std::size_t at) {
  auto b = test::ReadBytes(file);
  ++b.at(at);
  test::WriteBytes(file, b);
}

TEST(VerifyCommand, SaysEachFindingAndExitsByWhetherOneIsAnError) {
  test::TempFolder work;
  const std::string dir = CopyOf(work, "pal_menu");
  CliResult r = Cli({"--verify", dir});
  EXPECT_EQ(r.code, kExitOk) << r.out;
  EXPECT_NE(r.out.find(": 0 errors, 0 warnings, 0 notes (read 60 KiB of IFOs and BUPs"), std::string::npos) << r.out;
  json j = json::parse(Cli({"--verify", "--json", dir}).out);
  EXPECT_EQ(j.at("errors"), 0);
  EXPECT_EQ(j.at("findings"), json::array());
  EXPECT_GT(j.at("vob_bytes_read").get<std::int64_t>(), 0);

  // VTSI_MAT 0x0C one too many.
  Bump(dir + "/VTS_01_0.IFO", 0x0F);
  Bump(dir + "/VTS_01_0.BUP", 0x0F);
  r = Cli({"--verify", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.out.find("error: VTS_01_0.IFO VTSI_MAT last sector (0x000C): 375, expected 374"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.err, "");
  const CliResult asJson = Cli({"--json", "--verify", dir});
  EXPECT_EQ(asJson.code, kExitFailed);
  j = json::parse(asJson.out);
  EXPECT_EQ(j.at("errors"), 1);
  const json& f = j.at("findings").at(0);
  EXPECT_EQ(f.at("severity"), "error");
  EXPECT_EQ(f.at("file"), "VTS_01_0.IFO");
  EXPECT_EQ(f.at("table"), "VTSI_MAT");
  EXPECT_EQ(f.at("field"), "last sector");
  EXPECT_EQ(f.at("offset"), 12);
  EXPECT_EQ(f.at("offset_hex"), "0x000C");
  EXPECT_EQ(f.at("found"), "375");
  EXPECT_EQ(f.at("expected").get<std::string>().rfind("374", 0), 0u);
}

TEST(VerifyCommand, IsAFormOfItsOwn) {
  test::TempFolder work;
  const std::string d = CopyOf(work, "pal_menu");
  EXPECT_EQ(Cli({"--verify"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--verify", "--info", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--verify", "--titles", "1", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--verify", "--merge-cells", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--verify", "--list", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--json", "--titles", "1", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--verify", "/no/such/folder"}).code, kExitFailed);
  EXPECT_NE(Cli({"--help"}).out.find("--verify"), std::string::npos);
  const auto before = test::Snapshot(d);
  Cli({"--verify", d});
  EXPECT_EQ(test::Snapshot(d), before);
}

TEST(BlankingRun, EndsWithTheVerifyResultOfTheFolder) {
  test::TempFolder work;
  const std::string dir = CopyOf(work, "ntsc_two_sets");
  CliResult r = Cli({"--titles", "1", dir});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1), "verified: no errors\n");

  // A fault the run does not touch (VTS_ATR 2 no longer mirrors title set
  // 2's VTSI_MAT) is still there after it: the run succeeds and says so.
  const std::string vmg = dir + "/VIDEO_TS.IFO";
  const auto b = test::ReadBytes(vmg);
  const std::size_t atrt = 2048u * (b[0xD0] << 24 | b[0xD1] << 16 | b[0xD2] << 8 | b[0xD3]);
  const std::size_t record = atrt + (b[atrt + 12] << 24 | b[atrt + 13] << 16 | b[atrt + 14] << 8 | b[atrt + 15]);
  Bump(vmg, record + 8);
  Bump(dir + "/VIDEO_TS.BUP", record + 8);
  r = Cli({"--menus", "1", dir});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("verified: 1 error (see kestrune-cli --verify " + dir + ")\n"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kestrune
