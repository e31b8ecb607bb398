// The disc model against libdvdread's reading of the same authored discs:
// titles, chapters, angles, playback times, cells, stream attributes and
// languages, menu language units, program chains and address tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "disc.h"
#include "dvd_check.h"
#include "report_text.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using dvdcheck::IfoReport;
using dvdcheck::PgcInfo;
using test::Texts;

// Both readings of one fixture.
struct Readings {
  disc::Disc model;
  IfoReport report;
};

Readings Read(const std::string& fixture) {
  const fs::path dir = dvdcheck::FixtureVideoTs(fixture);
  return {disc::ReadDisc(dir.string()), dvdcheck::OpenAllIfos(dir)};
}

bool IsPal(ifo::TvSystem tv) { return tv == ifo::TvSystem::kPal; }
bool IsWide(ifo::AspectRatio aspect) { return aspect == ifo::AspectRatio::k16x9; }

// libdvdread's audio_format codes, as the model names them.
ifo::AudioFormat FormatOf(int code) {
  switch (code) {
    case 0: return ifo::AudioFormat::kAc3;
    case 2: return ifo::AudioFormat::kMpeg1;
    case 3: return ifo::AudioFormat::kMpeg2;
    case 4: return ifo::AudioFormat::kLpcm;
    case 6: return ifo::AudioFormat::kDts;
    case 7: return ifo::AudioFormat::kSdds;
    default: return ifo::AudioFormat::kUnknown;
  }
}

void ExpectSameChain(const ifo::ProgramChain& model, const PgcInfo& ref) {
  EXPECT_EQ(model.playbackTime.raw, ref.playbackTime);
  EXPECT_EQ(static_cast<int>(model.programMap.size()), ref.programs);
  ASSERT_EQ(static_cast<int>(model.cells.size()), ref.cells);
  for (std::size_t p = 0; p < model.programMap.size() && p < ref.programMap.size(); ++p)
    EXPECT_EQ(model.programMap[p], ref.programMap[p]) << "program " << p + 1;
  for (std::size_t c = 0; c < model.cells.size(); ++c) {
    SCOPED_TRACE("cell " + std::to_string(c + 1));
    const ifo::Cell& cell = model.cells[c];
    EXPECT_EQ(cell.playback.firstVobuStartSector, ref.cellList[c].firstSector);
    EXPECT_EQ(cell.playback.lastVobuStartSector, ref.cellList[c].lastVobuStartSector);
    EXPECT_EQ(cell.playback.lastVobuEndSector, ref.cellList[c].lastSector);
    EXPECT_EQ(cell.playback.stillTime, ref.cellList[c].stillTime);
    EXPECT_EQ(cell.playback.playbackTime.raw, ref.cellList[c].playbackTime);
    EXPECT_EQ(cell.position.vobId, ref.cellList[c].vobId);
    EXPECT_EQ(cell.position.cellId, ref.cellList[c].cellId);
  }
  const std::size_t pre = model.commands ? model.commands->pre.size() : 0;
  const std::size_t post = model.commands ? model.commands->post.size() : 0;
  const std::size_t cellCommands = model.commands ? model.commands->cell.size() : 0;
  EXPECT_EQ(static_cast<int>(pre), ref.preCommands);
  EXPECT_EQ(static_cast<int>(post), ref.postCommands);
  EXPECT_EQ(static_cast<int>(cellCommands), ref.cellCommands);
}

void ExpectSameChains(const ifo::Pgci& model, const std::vector<PgcInfo>& ref) {
  ASSERT_EQ(model.srps.size(), ref.size());
  for (std::size_t i = 0; i < ref.size(); ++i) {
    SCOPED_TRACE("PGC " + std::to_string(i + 1));
    EXPECT_EQ(model.srps[i].category >> 24, ref[i].entryId);
    ASSERT_TRUE(model.srps[i].pgc);
    ExpectSameChain(*model.srps[i].pgc, ref[i]);
  }
}

void ExpectSameMenus(const ifo::PgciUt& model, const dvdcheck::MenuDomain& ref) {
  ASSERT_EQ(model.units.size(), ref.languageUnits.size());
  for (std::size_t u = 0; u < model.units.size(); ++u) {
    SCOPED_TRACE("language unit " + std::to_string(u + 1));
    EXPECT_EQ(model.units[u].language, ref.languageUnits[u].language);
    EXPECT_EQ(model.units[u].menus.raw, ref.languageUnits[u].existingMenus);
    ExpectSameChains(model.units[u].pgci, ref.languageUnits[u].pgcs);
  }
}

template <typename Model>
void ExpectSameAddresses(const Model& cAdt, const std::vector<dvdcheck::CellAddress>& ref) {
  ASSERT_EQ(cAdt.cells.size(), ref.size());
  for (std::size_t i = 0; i < ref.size(); ++i) {
    EXPECT_EQ(cAdt.cells[i].vobId, ref[i].vobId) << i;
    EXPECT_EQ(cAdt.cells[i].cellId, ref[i].cellId) << i;
    EXPECT_EQ(cAdt.cells[i].startSector, ref[i].startSector) << i;
    EXPECT_EQ(cAdt.cells[i].lastSector, ref[i].lastSector) << i;
  }
}

class EveryAuthoredDisc : public ::testing::TestWithParam<const char*> {};

TEST_P(EveryAuthoredDisc, ReadsWithoutProblems) {
  const Readings r = Read(GetParam());
  ASSERT_TRUE(r.report.ok) << dvdcheck::Describe(r.report);
  EXPECT_TRUE(r.model.vmg.read);
  EXPECT_EQ(Texts(r.model.problems), "");
  ASSERT_EQ(r.model.titleSets.size(), r.report.titleSets.size());
  for (const disc::VideoTitleSet& set : r.model.titleSets) EXPECT_TRUE(set.read) << set.file;
}

TEST_P(EveryAuthoredDisc, TitlesMatchTheTitleSearchTableAndTheirChains) {
  const Readings r = Read(GetParam());
  ASSERT_EQ(r.model.titles.size(), r.report.vmg.titles.size());
  EXPECT_EQ(r.model.vmg.mat.titleSetCount, r.report.vmg.titleSets);
  for (std::size_t j = 0; j < r.model.titles.size(); ++j) {
    SCOPED_TRACE("title " + std::to_string(j + 1));
    const disc::Title& t = r.model.titles[j];
    const dvdcheck::TitleInfo& ref = r.report.vmg.titles[j];
    EXPECT_EQ(t.number, ref.number);
    EXPECT_EQ(t.entry.titleSet, ref.titleSet);
    EXPECT_EQ(t.entry.vtsTitle, ref.vtsTitle);
    EXPECT_EQ(t.entry.chapters, ref.chapters);
    EXPECT_EQ(t.entry.angles, ref.angles);
    EXPECT_EQ(t.entry.titleSetSector, ref.titleSetSector);
    const dvdcheck::TitleSetInfo* set = r.report.TitleSet(ref.titleSet);
    ASSERT_NE(set, nullptr);
    const auto& chapters = set->ptts.at(static_cast<std::size_t>(ref.vtsTitle - 1));
    EXPECT_EQ(static_cast<int>(chapters.size()), ref.chapters);
    ASSERT_EQ(t.firstPgcn, chapters.at(0).pgcn);
    const PgcInfo& pgc = set->pgcs.at(static_cast<std::size_t>(t.firstPgcn - 1));
    ASSERT_TRUE(t.playbackTime);
    EXPECT_EQ(t.playbackTime->raw, pgc.playbackTime);
    // The duration from libdvdread's BCD fields and frame rate bits.
    const int fps = (pgc.playbackTime & 0xC0) == 0x40 ? 25 : 30;
    const auto bcd = [](std::uint32_t b) { return static_cast<int>((b >> 4) * 10 + (b & 0xF)); };
    const double seconds = bcd(pgc.playbackTime >> 24 & 0xFF) * 3600 + bcd(pgc.playbackTime >> 16 & 0xFF) * 60 +
                           bcd(pgc.playbackTime >> 8 & 0xFF) + bcd(pgc.playbackTime & 0x3F) / double(fps);
    EXPECT_DOUBLE_EQ(t.DurationSeconds(), seconds);
    EXPECT_GT(t.DurationSeconds(), 0.9);
    ASSERT_EQ(t.cells.size(), pgc.cellList.size());  // every fixture title is one chain
    for (std::size_t c = 0; c < t.cells.size(); ++c) {
      EXPECT_EQ(t.cells[c].firstSector, pgc.cellList[c].firstSector);
      EXPECT_EQ(t.cells[c].lastSector, pgc.cellList[c].lastSector);
      EXPECT_EQ(t.cells[c].vobId, pgc.cellList[c].vobId);
      EXPECT_EQ(t.cells[c].cellId, pgc.cellList[c].cellId);
    }
    for (int s = 0; s < 8; ++s) {
      const bool listed = std::find(t.audioStreams.begin(), t.audioStreams.end(), s) != t.audioStreams.end();
      EXPECT_EQ(listed, s < set->audioStreams && (pgc.audioAvailable >> s & 1)) << "audio stream " << s;
    }
    for (int s = 0; s < 32; ++s) {
      const bool listed = std::find(t.subpictureStreams.begin(), t.subpictureStreams.end(), s) != t.subpictureStreams.end();
      EXPECT_EQ(listed, s < set->subpictureStreams && (pgc.subpictureAvailable >> s & 1)) << "sub-picture stream " << s;
    }
  }
}

TEST_P(EveryAuthoredDisc, StreamAttributesMatch) {
  const Readings r = Read(GetParam());
  const ifo::StreamAttributes& vmgMenu = r.model.vmg.mat.menu;
  EXPECT_EQ(IsPal(vmgMenu.video.tvSystem), r.report.vmg.menu.pal);
  EXPECT_EQ(IsWide(vmgMenu.video.aspect), r.report.vmg.menu.wide);
  for (const disc::VideoTitleSet& set : r.model.titleSets) {
    SCOPED_TRACE(set.file);
    const dvdcheck::TitleSetInfo* ref = r.report.TitleSet(set.number);
    ASSERT_NE(ref, nullptr);
    const ifo::StreamAttributes& titles = set.mat.titles;
    EXPECT_EQ(IsPal(titles.video.tvSystem), ref->pal);
    EXPECT_EQ(IsWide(titles.video.aspect), ref->wide);
    EXPECT_EQ(titles.video.width, ref->pictureSize == 0 ? 720 : ref->pictureSize == 1 ? 704 : 352);
    EXPECT_EQ(titles.video.height, (ref->pal ? 576 : 480) / (ref->pictureSize == 3 ? 2 : 1));
    ASSERT_EQ(titles.audio.size(), ref->audio.size());
    for (std::size_t i = 0; i < titles.audio.size(); ++i) {
      SCOPED_TRACE("audio stream " + std::to_string(i));
      EXPECT_EQ(titles.audio[i].format, FormatOf(ref->audio[i].format));
      EXPECT_EQ(titles.audio[i].channels, ref->audio[i].channels);
      EXPECT_EQ(titles.audio[i].sampleRate, ref->audio[i].sampleFrequency == 0 ? 48000 : 96000);
      EXPECT_EQ(titles.audio[i].language, ref->audio[i].language);
    }
    ASSERT_EQ(titles.subpictures.size(), ref->subpictureLanguages.size());
    for (std::size_t i = 0; i < titles.subpictures.size(); ++i)
      EXPECT_EQ(titles.subpictures[i].language, ref->subpictureLanguages[i]) << "sub-picture stream " << i;
    const ifo::StreamAttributes& menu = set.mat.menu;
    EXPECT_EQ(IsPal(menu.video.tvSystem), ref->menu.pal);
    EXPECT_EQ(IsWide(menu.video.aspect), ref->menu.wide);
    ASSERT_EQ(menu.audio.size(), ref->menu.audio.size());
    for (std::size_t i = 0; i < menu.audio.size(); ++i)
      EXPECT_EQ(menu.audio[i].format, FormatOf(ref->menu.audio[i].format));
  }
}

TEST_P(EveryAuthoredDisc, MenusChainsAndAddressTablesMatch) {
  const Readings r = Read(GetParam());
  const disc::VideoManager& vmg = r.model.vmg;
  EXPECT_EQ(vmg.mat.vmgLastSector, r.report.vmg.vmgLastSector);
  EXPECT_EQ(vmg.mat.vmgmVobsSector, r.report.vmg.menu.vobsSector);
  EXPECT_EQ(vmg.ttSrpt.table.sector, r.report.vmg.ttSrptSector);
  EXPECT_EQ(vmg.vmgmPgciUt.table.sector, r.report.vmg.menu.pgciUtSector);
  EXPECT_EQ(vmg.ptlMait.sector, r.report.vmg.ptlMaitSector);
  ASSERT_EQ(vmg.firstPlayPgc.has_value(), r.report.vmg.hasFirstPlayPgc);
  if (vmg.firstPlayPgc) {
    const auto& c = vmg.firstPlayPgc->commands;
    EXPECT_EQ(c ? static_cast<int>(c->pre.size() + c->post.size() + c->cell.size()) : 0, r.report.vmg.firstPlayCommands);
  }
  {
    SCOPED_TRACE("VMGM");
    ExpectSameMenus(vmg.vmgmPgciUt, r.report.vmg.menu);
    ExpectSameAddresses(vmg.vmgmCAdt, r.report.vmg.menu.cAdt);
    EXPECT_EQ(vmg.vmgmVobuAdmap.vobuStartSectors, r.report.vmg.menu.vobuAdmap);
  }
  const fs::path dir = dvdcheck::FixtureVideoTs(GetParam());
  EXPECT_EQ(vmg.ifoBytes, static_cast<std::int64_t>(fs::file_size(dir / "VIDEO_TS.IFO")));
  EXPECT_EQ(vmg.bupBytes, static_cast<std::int64_t>(fs::file_size(dir / "VIDEO_TS.BUP")));
  for (const disc::VideoTitleSet& set : r.model.titleSets) {
    SCOPED_TRACE(set.file);
    const dvdcheck::TitleSetInfo* ref = r.report.TitleSet(set.number);
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(set.mat.vtsLastSector, ref->vtsLastSector);
    EXPECT_EQ(set.mat.vtsttVobsSector, ref->vtsttVobsSector);
    EXPECT_EQ(set.mat.vtsmVobsSector, ref->menu.vobsSector);
    EXPECT_EQ(set.vtsPgciTable.sector, ref->pgciSector);
    EXPECT_EQ(set.vtsTmapti.sector, ref->tmaptiSector);
    EXPECT_EQ(set.vtsCAdt.table.sector, ref->cAdtSector);
    ASSERT_EQ(set.vtsPttSrpt.titles.size(), ref->ptts.size());
    for (std::size_t t = 0; t < ref->ptts.size(); ++t) {
      ASSERT_EQ(set.vtsPttSrpt.titles[t].size(), ref->ptts[t].size());
      for (std::size_t p = 0; p < ref->ptts[t].size(); ++p) {
        EXPECT_EQ(set.vtsPttSrpt.titles[t][p].pgcn, ref->ptts[t][p].pgcn);
        EXPECT_EQ(set.vtsPttSrpt.titles[t][p].pgn, ref->ptts[t][p].pgn);
      }
    }
    ExpectSameChains(set.vtsPgci, ref->pgcs);
    ExpectSameAddresses(set.vtsCAdt, ref->cAdt);
    EXPECT_EQ(set.vtsVobuAdmap.vobuStartSectors, ref->vobuAdmap);
    ExpectSameMenus(set.vtsmPgciUt, ref->menu);
    ExpectSameAddresses(set.vtsmCAdt, ref->menu.cAdt);
    EXPECT_EQ(set.vtsmVobuAdmap.vobuStartSectors, ref->menu.vobuAdmap);
    // Sizes from the folder, as the files are.
    EXPECT_EQ(set.ifoBytes, static_cast<std::int64_t>(fs::file_size(dir / set.file)));
    EXPECT_EQ(set.bupBytes, static_cast<std::int64_t>(fs::file_size(dir / (set.file.substr(0, 9) + "BUP"))));
    std::int64_t titleBytes = 0;
    for (int k = 1; k <= 9; ++k) {
      const fs::path vob = dir / (set.file.substr(0, 7) + std::to_string(k) + ".VOB");
      if (fs::exists(vob)) titleBytes += static_cast<std::int64_t>(fs::file_size(vob));
    }
    EXPECT_EQ(set.TitleVobBytes(), titleBytes);
    const fs::path menuVob = dir / (set.file.substr(0, 7) + "0.VOB");
    EXPECT_EQ(set.menuVobBytes, fs::exists(menuVob) ? static_cast<std::int64_t>(fs::file_size(menuVob)) : -1);
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryAuthoredDisc,
                         ::testing::Values("pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts", "pal_languages", "demo"),
                         [](const auto& info) { return std::string(info.param); });

// What the authoring asked for, so that agreeing with libdvdread is not
// agreeing on nothing: the languages and formats of pal_languages' XML.
TEST(DiscModelOnAuthoredDisc, PalLanguagesHasItsStreamsAndLanguageUnits) {
  const disc::Disc d = disc::ReadDisc(dvdcheck::FixtureVideoTs("pal_languages").string());
  ASSERT_EQ(d.titleSets.size(), 2u);
  std::vector<std::string> vmgUnits;
  for (const auto& unit : d.vmg.vmgmPgciUt.units) vmgUnits.push_back(unit.language);
  EXPECT_EQ(vmgUnits, (std::vector<std::string>{"en", "fr"}));
  const disc::VideoTitleSet& one = d.titleSets[0];
  ASSERT_EQ(one.vtsmPgciUt.units.size(), 2u);
  EXPECT_EQ(one.vtsmPgciUt.units[1].language, "de");
  EXPECT_TRUE(one.vtsmPgciUt.units[1].menus.root);
  EXPECT_TRUE(IsWide(one.mat.titles.video.aspect));
  ASSERT_EQ(one.mat.titles.audio.size(), 2u);
  EXPECT_EQ(one.mat.titles.audio[0].format, ifo::AudioFormat::kAc3);
  EXPECT_EQ(one.mat.titles.audio[0].language, "en");
  EXPECT_EQ(one.mat.titles.audio[0].channels, 2);
  EXPECT_EQ(one.mat.titles.audio[1].format, ifo::AudioFormat::kMpeg1);
  EXPECT_EQ(one.mat.titles.audio[1].language, "de");
  ASSERT_EQ(one.mat.titles.subpictures.size(), 2u);
  EXPECT_EQ(one.mat.titles.subpictures[0].language, "de");
  EXPECT_EQ(one.mat.titles.subpictures[1].language, "fr");
  ASSERT_EQ(d.titles.size(), 2u);
  EXPECT_EQ(d.titles[0].audioStreams, (std::vector<int>{0, 1}));
  EXPECT_EQ(d.titles[0].subpictureStreams, (std::vector<int>{0, 1}));  // spumux put data in both
  EXPECT_EQ(d.titles[0].entry.chapters, 2);
  const disc::VideoTitleSet& two = d.titleSets[1];
  EXPECT_FALSE(IsWide(two.mat.titles.video.aspect));
  ASSERT_EQ(two.mat.titles.audio.size(), 1u);
  EXPECT_EQ(two.mat.titles.audio[0].channels, 6);
  EXPECT_EQ(two.mat.titles.audio[0].language, "");
  EXPECT_EQ(two.mat.menu.audio.at(0).format, ifo::AudioFormat::kMpeg1);
}

}  // namespace
}  // namespace kestrune
