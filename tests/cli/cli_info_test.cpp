// kestrune-cli --info and --info --json on every authored disc, compared with
// libdvdread's reading of it and the files on disk. (Other tools' layouts,
// damaged IFOs and --info among the forms: cli_info_layouts_test.cpp.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "dvd_check.h"
#include "folder_scan.h"
#include "run_cli.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::Cli;
using test::CliResult;

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

}  // namespace
}  // namespace kestrune
