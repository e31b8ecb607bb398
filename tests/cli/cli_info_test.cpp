// kestrune-cli --info and --info --json on every authored disc, compared with
// libdvdread's reading of it and the files on disk. (Other tools' layouts,
// damaged IFOs and --info among the forms: cli_info_layouts_test.cpp.)
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

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

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
  return n;
}

// The sectors the cells of the chains that these VTS titles' chapters start
// in play, as libdvdread reads them: each sector once.
std::set<std::uint32_t> TitleSectors(const dvdcheck::TitleSetInfo& set, const std::vector<int>& vtsTitles) {
  std::set<std::uint32_t> sectors;
  for (const int t : vtsTitles) {
    std::set<int> pgcns;
    for (const dvdcheck::Ptt& ptt : set.ptts.at(static_cast<std::size_t>(t - 1))) pgcns.insert(ptt.pgcn);
    for (const int pgcn : pgcns)
      for (const dvdcheck::CellInfo& cell : set.pgcs.at(static_cast<std::size_t>(pgcn - 1)).cellList)
        for (std::uint32_t s = cell.firstSector; s <= cell.lastSector; ++s) sectors.insert(s);
  }
  return sectors;
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
  // Every title's size on the line after it, the main feature marked once,
  // and the fit of the DVD files (the folder holds nothing else).
  EXPECT_EQ(Count(r.out, "\n  Title "), ref.vmg.titles.size());
  EXPECT_EQ(Count(r.out, "\n    Size: "), ref.vmg.titles.size());
  EXPECT_EQ(Count(r.out, ", the main feature\n"), ref.vmg.titles.empty() ? 0u : 1u);
  EXPECT_NE(r.out.find("\nDVD files: "), std::string::npos);
  EXPECT_NE(r.out.find(" bytes): fits a DVD-5 (4700372992 bytes), " + std::to_string(4700372992 - folder) +
                       " bytes to spare\n"),
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
    EXPECT_EQ(titles[n].at("bytes"), 2048 * static_cast<std::int64_t>(TitleSectors(*set, {t.vtsTitle}).size()));
  }
  // The main feature: the longest, on a tie the larger, as libdvdread reads them.
  std::size_t main = 0;
  for (std::size_t n = 1; n < titles.size(); ++n) {
    const auto key = [&](std::size_t k) {
      return std::make_pair(titles[k]["duration_seconds"].get<double>(), titles[k]["bytes"].get<std::int64_t>());
    };
    if (key(n) > key(main)) main = n;
  }
  EXPECT_EQ(j.at("main_feature"), titles.empty() ? json(nullptr) : json(main + 1));
  for (std::size_t n = 0; n < titles.size(); ++n) EXPECT_EQ(titles[n].at("main_feature"), n == main) << n;
  // A title set's played title video: its titles' cells, a cell of two titles once.
  for (std::size_t i = 0; i < sets.size(); ++i) {
    const dvdcheck::TitleSetInfo& info = ref.titleSets[i];
    std::vector<int> vtsTitles;
    for (std::size_t t = 1; t <= info.ptts.size(); ++t) vtsTitles.push_back(static_cast<int>(t));
    EXPECT_EQ(sets[i].at("title_bytes"), 2048 * static_cast<std::int64_t>(TitleSectors(info, vtsTitles).size()));
  }
  std::int64_t dvdFiles = 0;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().filename().string()[0] != '.') dvdFiles += (FileBytes(entry.path()) + 2047) / 2048 * 2048;
  EXPECT_EQ(j.at("dvd_file_bytes"), dvdFiles);
  EXPECT_EQ(j.at("fit").at("dvd5").at("fits"), true);
  EXPECT_EQ(j.at("fit").at("dvd5").at("free_bytes"), 4700372992 - dvdFiles);
  EXPECT_EQ(j.at("fit").at("dvd9").at("capacity_bytes"), 8543666176);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, InfoOnAuthoredDisc,
                         ::testing::Values("pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts", "pal_languages",
                                           "pal_fade_in", "demo"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace kestrune
