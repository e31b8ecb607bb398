// kestrune-cli --info and --info --json on synthetic folders in other tools'
// layouts, on damaged IFOs, and its place among the command's forms. These
// need only the engine and the authored fixtures, so they run on Windows too.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "disc_info_text.h"
#include "fixtures.h"
#include "run_cli.h"
#include "synthetic_disc.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace syn = test::synthetic;
using nlohmann::json;
using test::Cli;
using test::CliResult;
using test::TempFolder;

// ------------------------------------------------ other tools' layouts

TEST(InfoOnSyntheticDisc, WorksOnEveryLayoutOtherToolsWrite) {
  const std::pair<const char*, syn::DiscLayout> layouts[] = {
      {"set gaps", {.setGapSectors = 16}},           {"table gaps", {.tableGapSectors = 2}},
      {"command-only menus", {.commandOnlyMenus = true}}, {"padded IFO", {.ifoPaddingSectors = 3}},
      {"VMG_PTL_MAIT", {.ptlMait = true}},           {"titles out of order", {.titlesOutOfOrder = true}}};
  for (const auto& [name, layout] : layouts) {
    SCOPED_TRACE(name);
    TempFolder folder;
    const syn::DiscFacts facts = syn::WriteDisc(folder.Dir(), layout);
    const CliResult text = Cli({"--info", folder.Dir()});
    EXPECT_EQ(text.code, kExitOk) << text.err;
    EXPECT_NE(text.out.find("  Title 2: 0:12:34, 1 chapter, 1 angle"), std::string::npos) << text.out;
    const CliResult r = Cli({"--info", folder.Dir(), "--json"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const json j = json::parse(r.out);
    ASSERT_EQ(j.at("titles").size(), facts.titles.size());
    for (std::size_t n = 0; n < facts.titles.size(); ++n) {
      EXPECT_EQ(j["titles"][n].at("title_set"), facts.titles[n].titleSet);
      EXPECT_EQ(j["titles"][n].at("title_set_sector"), facts.titles[n].titleSetSector);
    }
    EXPECT_EQ(j["title_sets"][0].at("menu_vob_bytes"), layout.commandOnlyMenus ? 0 : facts.menuVobBytes[1]);
    EXPECT_EQ(j["title_sets"][1].at("title_vob_bytes"), facts.titleVobBytes[2]);
    EXPECT_EQ(j["title_sets"][0]["menu_languages"][0].at("menus"), json::array({"root"}));
  }
}

// ------------------------------------------------------- damaged IFOs

class InfoOnDamagedDisc : public ::testing::Test {
 protected:
  TempFolder work;
  std::string dir = work / "VIDEO_TS";
  void SetUp() override { test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), dir); }
  // Overwrites a big-endian field of a file.
  void Patch(const std::string& name, std::int64_t pos, std::uint32_t value, int width) {
    std::vector<std::uint8_t> bytes = test::ReadBytes(dir + test::kDelimiter + name);
    for (int i = width - 1; i >= 0; --i, value >>= 8) bytes.at(static_cast<std::size_t>(pos + i)) = value & 0xFF;
    test::WriteBytes(dir + test::kDelimiter + name, bytes);
  }
  std::uint32_t Read32(const std::string& name, std::int64_t pos) {
    const std::vector<std::uint8_t> b = test::ReadBytes(dir + test::kDelimiter + name);
    return syn::Get32(b, pos);
  }
};

TEST_F(InfoOnDamagedDisc, TitleSearchTableRunningPastTheFile) {
  Patch("VIDEO_TS.IFO", Read32("VIDEO_TS.IFO", 0xC4) * 2048 + 4, 0x0FFFFFFF, 4);
  const CliResult r = Cli({"--info", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("VIDEO_TS.IFO: TT_SRPT: end address 0xFFFFFFF runs past the end of the file"), std::string::npos)
      << r.err;
  // Everything else is still shown.
  EXPECT_NE(r.out.find("\nTitle set 2\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  Title 3: 0:00:01"), std::string::npos) << r.out;
  const CliResult j = Cli({"--info", "--json", dir});
  EXPECT_EQ(j.code, kExitFailed);
  const json parsed = json::parse(j.out);
  ASSERT_EQ(parsed.at("problems").size(), 1u);
  EXPECT_NE(parsed["problems"][0].get<std::string>().find("TT_SRPT"), std::string::npos);
}

TEST_F(InfoOnDamagedDisc, ChainOffsetOutsideTheChainList) {
  const std::int64_t pgci = Read32("VTS_02_0.IFO", 0xCC) * 2048;
  Patch("VTS_02_0.IFO", pgci + 8 + 8 + 4, 0x00100000, 4);  // PGC 2
  const CliResult r = Cli({"--info", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("VTS_02_0.IFO: VTS_PGCI: PGC 2 offset"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("  Title 2: 0:00:01"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  Title 3: ?:??:??"), std::string::npos) << r.out;
}

TEST_F(InfoOnDamagedDisc, VideoManagerThatCannotBeRead) {
  std::filesystem::remove(test::Native(dir + test::kDelimiter + "VIDEO_TS.IFO"));
  const CliResult r = Cli({"--info", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_EQ(r.err, "VIDEO_TS.IFO is missing\n");
  EXPECT_NE(r.out.find("Video manager: VIDEO_TS.IFO could not be read"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nTitle set 2\n  VTS_02_*.VOB"), std::string::npos) << r.out;

  test::WriteBytes(dir + "/VIDEO_TS.IFO", std::vector<std::uint8_t>(2048, 0xFF));
  const CliResult j = Cli({"--info", "--json", dir});
  EXPECT_EQ(j.code, kExitFailed);
  EXPECT_EQ(j.err, "VIDEO_TS.IFO: identifier is not DVDVIDEO-VMG\n");
  EXPECT_EQ(json::parse(j.out).at("vmg").at("readable"), false);
}

// ------------------------------------------------ among the forms

// The sizes and the fit line as info and the report print them.
TEST(InfoText, SizesAndTheFitLine) {
  const std::pair<std::int64_t, const char*> sizes[] = {
      {0, "0.0 MB (0 bytes)"},
      {3213312, "3.2 MB (3213312 bytes)"},
      {999'949'999, "999.9 MB (999949999 bytes)"},
      {999'999'999, "1.00 GB (999999999 bytes)"},
      {4'700'372'992, "4.70 GB (4700372992 bytes)"},
  };
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(SizeText(bytes), text);
  const std::pair<std::int64_t, const char*> fits[] = {
      {1'000'000, "fits a DVD-5 (4700372992 bytes), 4699372992 bytes to spare"},
      {4'700'372'992, "fits a DVD-5 (4700372992 bytes), 0 bytes to spare"},
      {4'700'375'040,
       "over a DVD-5 (4700372992 bytes) by 2048 bytes; fits a DVD-9 (8543666176 bytes), 3843291136 bytes to spare"},
      {9'000'000'000,
       "over a DVD-5 (4700372992 bytes) by 4299627008 bytes and over a DVD-9 (8543666176 bytes) by 456333824 bytes"},
  };
  for (const auto& [bytes, text] : fits) EXPECT_EQ(FitText(disc::FitOf(bytes)), text);
}

TEST(InfoCommand, IsAFormOfItsOwnAndJsonModifiesIt) {
  TempFolder folder;
  syn::WriteDisc(folder.Dir(), {});
  const std::string d = folder.Dir();
  EXPECT_EQ(Cli({"--info"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--info", "--list", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--info", d, "--restore", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--info", d, "--delete-backups", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--info", "--titles", "1", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--info", "--vmg-menu", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--info", "--no-backup", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--json", d}).code, kExitUsage);
  EXPECT_EQ(Cli({"--json", "--list", d}).code, kExitUsage);
  const CliResult missing = Cli({"--info", test::kMissingFolder});
  EXPECT_EQ(missing.code, kExitFailed);
  EXPECT_EQ(missing.err, "Can't find the given path!\n");
  EXPECT_EQ(Cli({"--info", "--json", d}).out, Cli({"--info", d, "--json"}).out);
  EXPECT_NE(Cli({"--help"}).out.find("--info"), std::string::npos);
  // Reading changes nothing.
  const auto before = test::Snapshot(d);
  Cli({"--info", d});
  EXPECT_EQ(test::Snapshot(d), before);
}

}  // namespace
}  // namespace kestrune
