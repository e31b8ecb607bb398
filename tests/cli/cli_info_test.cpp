// kestrune-cli --info and --info --json: on every authored disc (compared with
// libdvdread and the files on disk), on synthetic folders in other tools'
// layouts, on damaged IFOs, and its place among the command's forms.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "dvd_check.h"
#include "folder_scan.h"
#include "run_cli.h"
#include "synthetic_disc.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
namespace syn = test::synthetic;
using nlohmann::json;
using test::Cli;
using test::CliResult;
using test::TempFolder;

std::int64_t FileBytes(const fs::path& path) {
  return fs::exists(path) ? static_cast<std::int64_t>(fs::file_size(path)) : 0;
}

// "h:mm:ss" of a packed playback time, as libdvdread read it.
std::string Clock(std::uint32_t time) {
  const auto bcd = [](std::uint32_t b) { return (b >> 4) * 10 + (b & 0xF); };
  char text[16];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", bcd(time >> 24 & 0xFF), bcd(time >> 16 & 0xFF), bcd(time >> 8 & 0xFF));
  return text;
}

double Seconds(std::uint32_t time) {
  const auto bcd = [](std::uint32_t b) { return static_cast<double>((b >> 4) * 10 + (b & 0xF)); };
  const double fps = (time & 0xC0) == 0x40 ? 25 : 30;
  return bcd(time >> 24 & 0xFF) * 3600 + bcd(time >> 16 & 0xFF) * 60 + bcd(time >> 8 & 0xFF) + bcd(time & 0x3F) / fps;
}

// ------------------------------------------------------ authored discs

class InfoOnAuthoredDisc : public ::testing::TestWithParam<const char*> {
 protected:
  fs::path dir = dvdcheck::FixtureVideoTs(GetParam());
  dvdcheck::IfoReport ref = dvdcheck::OpenAllIfos(dir);
};

TEST_P(InfoOnAuthoredDisc, TextShowsTheScanRowsTitlesAndFolderSize) {
  const CliResult r = Cli({"--info", dir.string()});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.err, "");
  const ScanRows rows = FindTitleSetRows(dir.string(), "", false);
  for (const auto* list : {&rows.vmg, &rows.videos, &rows.menus})
    for (const ScanRow& row : *list) EXPECT_NE(r.out.find("  " + row.text + "\n"), std::string::npos) << row.text;
  for (const dvdcheck::TitleSetInfo& set : ref.titleSets)
    EXPECT_NE(r.out.find("\nTitle set " + std::to_string(set.number) + "\n"), std::string::npos) << set.number;
  for (const dvdcheck::TitleInfo& t : ref.vmg.titles) {
    const dvdcheck::TitleSetInfo* set = ref.TitleSet(t.titleSet);
    ASSERT_NE(set, nullptr);
    const auto& pgc = set->pgcs.at(static_cast<std::size_t>(set->ptts.at(t.vtsTitle - 1).at(0).pgcn - 1));
    const std::string line = "  Title " + std::to_string(t.number) + ": " + Clock(pgc.playbackTime) + ", " +
                             std::to_string(t.chapters) + (t.chapters == 1 ? " chapter, " : " chapters, ") +
                             std::to_string(t.angles) + " angle";
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }
  std::int64_t folder = 0;
  for (const auto& entry : fs::directory_iterator(dir)) folder += FileBytes(entry.path());
  EXPECT_NE(r.out.find("\nFolder: " + std::to_string(folder / 1024) + "KB (" + std::to_string(folder) + " bytes)\n"),
            std::string::npos)
      << r.out;
}

TEST_P(InfoOnAuthoredDisc, JsonHoldsTheKeysScriptsRelyOn) {
  const CliResult r = Cli({"--info", "--json", dir.string()});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  const json j = json::parse(r.out);
  EXPECT_EQ(j.at("problems"), json::array());
  std::int64_t folder = 0;
  for (const auto& entry : fs::directory_iterator(dir)) folder += FileBytes(entry.path());
  EXPECT_EQ(j.at("folder_bytes"), folder);
  EXPECT_EQ(j.at("vmg").at("menu_vob_bytes"), FileBytes(dir / "VIDEO_TS.VOB"));
  ASSERT_EQ(j.at("vmg").at("menu_languages").size(), ref.vmg.menu.languageUnits.size());
  for (std::size_t u = 0; u < ref.vmg.menu.languageUnits.size(); ++u)
    EXPECT_EQ(j["vmg"]["menu_languages"][u].at("language"), ref.vmg.menu.languageUnits[u].language);

  const json& sets = j.at("title_sets");
  ASSERT_EQ(sets.size(), ref.titleSets.size());
  for (std::size_t i = 0; i < sets.size(); ++i) {
    const json& set = sets[i];
    const dvdcheck::TitleSetInfo& info = ref.titleSets[i];
    SCOPED_TRACE("title set " + std::to_string(info.number));
    EXPECT_EQ(set.at("number"), info.number);
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "VTS_%02d_", info.number);
    std::int64_t titleBytes = 0;
    for (int k = 1; k <= 9; ++k) titleBytes += FileBytes(dir / (prefix + std::to_string(k) + ".VOB"));
    EXPECT_EQ(set.at("title_vob_bytes"), titleBytes);
    EXPECT_EQ(set.at("menu_vob_bytes"), FileBytes(dir / (std::string(prefix) + "0.VOB")));
    EXPECT_EQ(set.at("video").at("tv_system"), info.pal ? "PAL" : "NTSC");
    EXPECT_EQ(set.at("video").at("aspect"), info.wide ? "16:9" : "4:3");
    ASSERT_EQ(set.at("audio").size(), info.audio.size());
    for (std::size_t a = 0; a < info.audio.size(); ++a) {
      EXPECT_EQ(set["audio"][a].at("format"), info.audio[a].format == 0 ? "AC-3" : info.audio[a].format == 2 ? "MPEG-1" : "?");
      EXPECT_EQ(set["audio"][a].at("channels"), info.audio[a].channels);
      EXPECT_EQ(set["audio"][a].at("language"), info.audio[a].language);
    }
    ASSERT_EQ(set.at("subpictures").size(), info.subpictureLanguages.size());
    for (std::size_t s = 0; s < info.subpictureLanguages.size(); ++s)
      EXPECT_EQ(set["subpictures"][s].at("language"), info.subpictureLanguages[s]);
  }

  const json& titles = j.at("titles");
  ASSERT_EQ(titles.size(), ref.vmg.titles.size());
  for (std::size_t n = 0; n < titles.size(); ++n) {
    const dvdcheck::TitleInfo& t = ref.vmg.titles[n];
    SCOPED_TRACE("title " + std::to_string(t.number));
    EXPECT_EQ(titles[n].at("number"), t.number);
    EXPECT_EQ(titles[n].at("title_set"), t.titleSet);
    EXPECT_EQ(titles[n].at("vts_title"), t.vtsTitle);
    EXPECT_EQ(titles[n].at("chapters"), t.chapters);
    EXPECT_EQ(titles[n].at("angles"), t.angles);
    const dvdcheck::TitleSetInfo* set = ref.TitleSet(t.titleSet);
    const auto& pgc = set->pgcs.at(static_cast<std::size_t>(set->ptts.at(t.vtsTitle - 1).at(0).pgcn - 1));
    EXPECT_DOUBLE_EQ(titles[n].at("duration_seconds").get<double>(), Seconds(pgc.playbackTime));
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, InfoOnAuthoredDisc,
                         ::testing::Values("pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts", "pal_languages",
                                           "demo"),
                         [](const auto& info) { return std::string(info.param); });

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
    std::vector<std::uint8_t> bytes = test::ReadBytes(dir + "/" + name);
    for (int i = width - 1; i >= 0; --i, value >>= 8) bytes.at(static_cast<std::size_t>(pos + i)) = value & 0xFF;
    test::WriteBytes(dir + "/" + name, bytes);
  }
  std::uint32_t Read32(const std::string& name, std::int64_t pos) {
    const std::vector<std::uint8_t> b = test::ReadBytes(dir + "/" + name);
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
  std::remove((dir + "/VIDEO_TS.IFO").c_str());
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
  const CliResult missing = Cli({"--info", "/no/such/folder"});
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
