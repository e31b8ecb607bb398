// The disc model on synthetic folders: the IFO layouts other authoring tools
// write, the decoding of attributes and playback times, and damaged tables,
// which are noted by file, table and field while the rest is still read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>

#include "disc.h"
#include "menu_chains.h"
#include "report_text.h"
#include "respelt_folder.h"
#include "synthetic_disc.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using disc::Disc;
using disc::ReadDisc;
using test::TempFolder;
namespace syn = test::synthetic;

using test::Texts;

// ------------------------------------------------- layouts of other tools

struct LayoutCase {
  const char* name;
  syn::DiscLayout layout;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class OtherToolsLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(OtherToolsLayout, IsReadWithoutProblems) {
  TempFolder folder;
  const syn::DiscFacts facts = syn::WriteDisc(folder.Dir(), GetParam().layout);
  const Disc d = ReadDisc(folder.Dir());
  EXPECT_EQ(Texts(d.problems), "");
  ASSERT_TRUE(d.vmg.read);
  ASSERT_EQ(d.titleSets.size(), 2u);
  ASSERT_EQ(d.titles.size(), facts.titles.size());
  for (std::size_t j = 0; j < facts.titles.size(); ++j) {
    SCOPED_TRACE("title " + std::to_string(j + 1));
    const disc::Title& t = d.titles[j];
    EXPECT_EQ(t.number, static_cast<int>(j + 1));
    EXPECT_EQ(t.entry.titleSet, facts.titles[j].titleSet);
    EXPECT_EQ(t.entry.vtsTitle, facts.titles[j].vtsTitle);
    EXPECT_EQ(t.entry.chapters, facts.titles[j].chapters);
    EXPECT_EQ(t.entry.angles, 1);
    EXPECT_EQ(t.entry.titleSetSector, facts.titles[j].titleSetSector);
    // Title k of a set is PGC k; every synthetic chain plays 0:12:34 and 16 frames at 25 fps.
    EXPECT_EQ(t.firstPgcn, t.entry.vtsTitle);
    ASSERT_TRUE(t.playbackTime);
    EXPECT_EQ(t.playbackTime->Clock(), "0:12:34");
    EXPECT_DOUBLE_EQ(t.DurationSeconds(), 12 * 60 + 34 + 16.0 / 25);
    EXPECT_EQ(t.cells.size(), t.entry.titleSet == 1 ? 3u : 1u);
  }
  const bool commandOnly = GetParam().layout.commandOnlyMenus;
  EXPECT_EQ(d.vmg.menuVobBytes, commandOnly ? -1 : facts.vmgMenuVobBytes);
  EXPECT_EQ(d.vmg.ptlMait.Present(), GetParam().layout.ptlMait);
  for (const disc::VideoTitleSet& set : d.titleSets) {
    SCOPED_TRACE(set.file);
    EXPECT_EQ(set.TitleVobBytes(), facts.titleVobBytes[static_cast<std::size_t>(set.number)]);
    EXPECT_EQ(set.menuVobBytes, commandOnly ? -1 : facts.menuVobBytes[static_cast<std::size_t>(set.number)]);
    EXPECT_EQ(set.mat.vtsmVobsSector == 0, commandOnly);
    ASSERT_EQ(set.vtsmPgciUt.units.size(), 1u);
    const ifo::MenuLanguageUnit& unit = set.vtsmPgciUt.units[0];
    EXPECT_EQ(unit.language, "en");
    EXPECT_TRUE(unit.menus.root);
    ASSERT_EQ(unit.pgci.srps.size(), 2u);
    for (const ifo::PgciSrp& srp : unit.pgci.srps) {
      ASSERT_TRUE(srp.pgc);
      EXPECT_EQ(srp.pgc->cells.size(), commandOnly ? 0u : 1u);
      ASSERT_TRUE(srp.pgc->commands);
      EXPECT_EQ(srp.pgc->commands->pre.size(), commandOnly ? 2u : 1u);
    }
  }
  ASSERT_EQ(d.vmg.vmgmPgciUt.units.size(), 1u);
  EXPECT_TRUE(d.vmg.vmgmPgciUt.units[0].menus.title);
}

INSTANTIATE_TEST_SUITE_P(
    Disc, OtherToolsLayout,
    ::testing::Values(LayoutCase{"dvdauthor_like", {}}, LayoutCase{"sixteen_free_sectors_between_sets", {.setGapSectors = 16}},
                      LayoutCase{"free_sectors_between_tables", {.tableGapSectors = 2}},
                      LayoutCase{"command_only_menus", {.commandOnlyMenus = true}},
                      LayoutCase{"ifo_longer_than_its_last_sector", {.ifoPaddingSectors = 3}},
                      LayoutCase{"parental_management_table", {.ptlMait = true}},
                      LayoutCase{"titles_out_of_set_order", {.titlesOutOfOrder = true}},
                      LayoutCase{"all_at_once", {16, 1, true, 2, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiscModel, TakesStreamsFromTheMatAndAvailabilityFromTheFirstChain) {
  TempFolder folder;
  syn::WriteDisc(folder.Dir(), {});
  const Disc d = ReadDisc(folder.Dir());
  const disc::VideoTitleSet& one = d.titleSets.at(0);
  EXPECT_EQ(one.mat.titles.video.tvSystem, ifo::TvSystem::kPal);
  EXPECT_EQ(one.mat.titles.video.aspect, ifo::AspectRatio::k4x3);
  ASSERT_EQ(one.mat.titles.audio.size(), 2u);
  EXPECT_EQ(one.mat.titles.audio[0].format, ifo::AudioFormat::kAc3);
  EXPECT_EQ(one.mat.titles.audio[0].language, "en");
  EXPECT_EQ(one.mat.titles.audio[1].format, ifo::AudioFormat::kMpeg1);
  EXPECT_EQ(one.mat.titles.audio[1].channels, 2);
  EXPECT_EQ(one.mat.titles.audio[1].sampleRate, 48000);
  ASSERT_EQ(one.mat.titles.subpictures.size(), 1u);
  EXPECT_EQ(one.mat.titles.subpictures[0].language, "fr");
  EXPECT_EQ(d.titleSets.at(1).mat.titles.video.aspect, ifo::AspectRatio::k16x9);
  // The synthetic chains mark every stream available; only the set's own count.
  EXPECT_EQ(d.titles.at(0).audioStreams, (std::vector<int>{0, 1}));
  EXPECT_EQ(d.titles.at(0).subpictureStreams, (std::vector<int>{0}));
  EXPECT_EQ(d.titles.at(1).subpictureStreams, std::vector<int>{});
}

TEST(StreamAttributes, DecodeEveryCodeOfTheFields) {
  const auto ntscHalf = ifo::DecodeVideoAttributes(0x4C0C);  // MPEG-2, 525/60, 16:9; 352x240
  EXPECT_EQ(ntscHalf.tvSystem, ifo::TvSystem::kNtsc);
  EXPECT_EQ(ntscHalf.aspect, ifo::AspectRatio::k16x9);
  EXPECT_EQ(ntscHalf.mpegVersion, 2);
  EXPECT_EQ(ntscHalf.width, 352);
  EXPECT_EQ(ntscHalf.height, 240);
  const auto reserved = ifo::DecodeVideoAttributes(0x2400);  // TV system 2 and aspect 1 are reserved codes
  EXPECT_EQ(reserved.tvSystem, ifo::TvSystem::kUnknown);
  EXPECT_EQ(reserved.aspect, ifo::AspectRatio::kUnknown);
  EXPECT_EQ(reserved.width, 0);

  const std::pair<std::uint8_t, ifo::AudioFormat> formats[] = {
      {0x00, ifo::AudioFormat::kAc3},  {0x20, ifo::AudioFormat::kUnknown}, {0x40, ifo::AudioFormat::kMpeg1},
      {0x60, ifo::AudioFormat::kMpeg2}, {0x80, ifo::AudioFormat::kLpcm},   {0xA0, ifo::AudioFormat::kUnknown},
      {0xC0, ifo::AudioFormat::kDts},  {0xE0, ifo::AudioFormat::kSdds}};
  for (const auto& [byte, format] : formats)
    EXPECT_EQ(ifo::DecodeAudioAttributes({byte, 0, 0, 0, 0, 0, 0, 0}).format, format) << int(byte);
  const auto lpcm = ifo::DecodeAudioAttributes({0x84, 0x15, 'j', 'a', 0, 0, 0, 0});  // 96 kHz, 6 channels
  EXPECT_EQ(lpcm.sampleRate, 96000);
  EXPECT_EQ(lpcm.channels, 6);
  EXPECT_EQ(lpcm.language, "ja");
  // A language code without language type 1, or type 1 without letters, names none.
  EXPECT_EQ(ifo::DecodeAudioAttributes({0x00, 0x01, 'e', 'n', 0, 0, 0, 0}).language, "");
  EXPECT_EQ(ifo::DecodeAudioAttributes({0x04, 0x01, 0, 0, 0, 0, 0, 0}).language, "");
  EXPECT_EQ(ifo::DecodeSubpictureAttributes({0x01, 0, 'd', 'e', 0, 0}).language, "de");
  EXPECT_EQ(ifo::DecodeSubpictureAttributes({0x02, 0, 'd', 'e', 0, 0}).language, "");
}

TEST(DvdTime, DecodesBcdDigitsAndTheFrameRate) {
  const ifo::DvdTime pal = ifo::DecodeDvdTime(0x01023059);  // 1:02:30, frame 19 at 25 fps
  EXPECT_EQ(pal.Clock(), "1:02:30");
  EXPECT_EQ(pal.framesPerSecond, 25);
  EXPECT_DOUBLE_EQ(pal.Seconds(), 3750 + 19.0 / 25);
  const ifo::DvdTime ntsc = ifo::DecodeDvdTime(0x000000D5);  // frame 15 at 30 fps
  EXPECT_DOUBLE_EQ(ntsc.Seconds(), 0.5);
  // Rate bits 00 (a command-only chain's time): the frames do not count.
  EXPECT_DOUBLE_EQ(ifo::DecodeDvdTime(0x00000115).Seconds(), 1.0);
  EXPECT_TRUE(pal.validBcd);
  EXPECT_FALSE(ifo::DecodeDvdTime(0x00AA0000).validBcd);
  EXPECT_FALSE(ifo::DecodeDvdTime(0x00600000).validBcd);  // minute 60
}

// ------------------------------------------------------- damaged tables

class DamagedDisc : public ::testing::Test {
 protected:
  TempFolder folder;
  void SetUp() override { syn::WriteDisc(folder.Dir(), {}); }
  std::vector<std::uint8_t> Read(const std::string& name) { return test::ReadBytes(folder / name); }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) { test::WriteBytes(folder / name, bytes); }
  // The start byte of the table whose start sector the MAT holds at `pointer`.
  std::int64_t TableAt(const std::vector<std::uint8_t>& ifo, std::int64_t pointer) {
    return static_cast<std::int64_t>(syn::Get32(ifo, pointer)) * 2048;
  }
  static const ifo::Problem* Find(const Disc& d, const std::string& table) {
    for (const ifo::Problem& p : d.problems)
      if (p.table == table) return &p;
    return nullptr;
  }
};

TEST_F(DamagedDisc, TitleSearchTableRunningPastTheFile) {
  auto vmg = Read("VIDEO_TS.IFO");
  syn::Put32(vmg, TableAt(vmg, 0xC4) + 4, 0x00FFFFFF);
  Write("VIDEO_TS.IFO", vmg);
  const Disc d = ReadDisc(folder.Dir());
  const ifo::Problem* p = Find(d, "TT_SRPT");
  ASSERT_NE(p, nullptr) << Texts(d.problems);
  EXPECT_EQ(p->file, "VIDEO_TS.IFO");
  EXPECT_EQ(p->field, "end address");
  EXPECT_NE(p->text.find("VIDEO_TS.IFO: TT_SRPT: end address 0xFFFFFF runs past the end of the file"), std::string::npos)
      << p->text;
  // What lies inside the file is still read, and so is every title set.
  EXPECT_EQ(d.titles.size(), 3u);
  EXPECT_EQ(d.titleSets.size(), 2u);
  EXPECT_TRUE(d.titleSets[1].read);
}

TEST_F(DamagedDisc, ChainOffsetOutsideTheChainList) {
  auto vts = Read("VTS_02_0.IFO");
  const std::int64_t pgci = TableAt(vts, 0xCC);
  syn::Put32(vts, pgci + 12, 0x7FFF0);  // PGC 1
  Write("VTS_02_0.IFO", vts);
  const Disc d = ReadDisc(folder.Dir());
  const ifo::Problem* p = Find(d, "VTS_PGCI");
  ASSERT_NE(p, nullptr) << Texts(d.problems);
  EXPECT_EQ(p->file, "VTS_02_0.IFO");
  EXPECT_EQ(p->field, "PGC 1 offset");
  const auto& srps = d.titleSets[1].vtsPgci.srps;
  ASSERT_EQ(srps.size(), 2u);
  EXPECT_FALSE(srps[0].pgc);
  EXPECT_TRUE(srps[1].pgc);  // the other chain is still read
  EXPECT_FALSE(d.titles[1].playbackTime);
  EXPECT_TRUE(d.titles[2].playbackTime);
}

TEST_F(DamagedDisc, CountsBeyondWhatTheFormatAllows) {
  auto vts = Read("VTS_01_0.IFO");
  syn::Put16(vts, 0x202, 9);  // title audio streams: at most 8
  const std::int64_t pgc = TableAt(vts, 0xCC) + syn::Get32(vts, TableAt(vts, 0xCC) + 12);
  const std::int64_t commands = pgc + syn::Get16(vts, pgc + 0xE4);
  syn::Put16(vts, commands + 2, 200);  // post commands: at most 128 in all
  Write("VTS_01_0.IFO", vts);
  auto vmg = Read("VIDEO_TS.IFO");
  syn::Put16(vmg, TableAt(vmg, 0xC4), 0xFFFF);  // titles: at most 99, and room for 3
  Write("VIDEO_TS.IFO", vmg);
  const Disc d = ReadDisc(folder.Dir());
  const std::string texts = Texts(d.problems);
  EXPECT_NE(texts.find("VTS_01_0.IFO: VTSI_MAT: title audio stream count 9 is more than the 8"), std::string::npos) << texts;
  EXPECT_NE(texts.find("VTS_01_0.IFO: VTS_PGCI: PGC 1: command table: command counts"), std::string::npos) << texts;
  EXPECT_NE(texts.find("VIDEO_TS.IFO: TT_SRPT: title count 65535"), std::string::npos) << texts;
  EXPECT_EQ(d.titleSets[0].mat.titles.audio.size(), 8u);
  EXPECT_EQ(d.titles.size(), 3u);
}

TEST_F(DamagedDisc, MissingIfoFiles) {
  std::remove((folder / "VTS_02_0.IFO").c_str());
  Disc d = ReadDisc(folder.Dir());
  EXPECT_EQ(Texts(d.problems).find("VTS_02_0.IFO is missing"), 0u) << Texts(d.problems);
  ASSERT_EQ(d.titleSets.size(), 2u);
  EXPECT_TRUE(d.titleSets[0].read);
  EXPECT_FALSE(d.titleSets[1].read);
  EXPECT_EQ(d.titleSets[1].TitleVobBytes(), 1000 * 2048);  // sizes come from the folder all the same

  std::remove((folder / "VIDEO_TS.IFO").c_str());
  d = ReadDisc(folder.Dir());
  EXPECT_FALSE(d.vmg.read);
  EXPECT_EQ(d.titleSets.size(), 1u);  // the title set IFOs that are there
  EXPECT_TRUE(d.titleSets[0].read);
  EXPECT_GT(d.folderBytes, 0);
}

// Files spelt in lower case, as some copying tools leave them. Where the file
// system compares names without case (Windows, vfat) the engine opens them,
// so the model must read and measure them too; where it does not, the disc
// has no DVD files at all, unless it is read through their own names.
TEST(DiscModel, FilesSpeltInLowerCase) {
  TempFolder folder;
  const syn::DiscFacts facts = syn::WriteDisc(folder.Dir(), {});
  const std::int64_t vmgIfoBytes = static_cast<std::int64_t>(test::ReadBytes(folder / "VIDEO_TS.IFO").size());
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(test::Native(folder.Dir()))) files.push_back(entry.path());
  for (const std::filesystem::path& file : files) {
    std::string lower = test::Utf8(file.filename());
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    // By way of another name: a file system without case keeps a rename to
    // the same name in another case as it was.
    const std::filesystem::path aside = file.parent_path() / (lower + ".aside");
    std::filesystem::rename(file, aside);
    std::filesystem::rename(aside, file.parent_path() / lower);
  }
  const bool foundInAnyCase = std::filesystem::exists(test::Native(folder / "VIDEO_TS.IFO"));
  Disc d = ReadDisc(folder.Dir());
  EXPECT_GT(d.folderBytes, 0);
  if (!foundInAnyCase) {
    EXPECT_FALSE(d.vmg.read);
    EXPECT_TRUE(d.titleSets.empty());
    // Read through the names the disc's files have, as the commands that
    // only read it do, it is the whole disc.
    const disc::RespeltFolder respelt(folder.Dir(), SpellingOf(folder.Dir()));
    d = ReadDisc(folder.Dir());
  }
  EXPECT_EQ(Texts(d.problems), "");
  EXPECT_TRUE(d.vmg.read);
  EXPECT_EQ(d.vmg.ifoBytes, vmgIfoBytes);
  EXPECT_EQ(d.vmg.menuVobBytes, facts.vmgMenuVobBytes);
  ASSERT_EQ(d.titleSets.size(), 2u);
  for (const disc::VideoTitleSet& set : d.titleSets) {
    SCOPED_TRACE(set.file);
    EXPECT_TRUE(set.read);
    EXPECT_EQ(set.TitleVobBytes(), facts.titleVobBytes[static_cast<std::size_t>(set.number)]);
    EXPECT_EQ(set.menuVobBytes, facts.menuVobBytes[static_cast<std::size_t>(set.number)]);
    EXPECT_GT(set.bupBytes, 0);
  }
}

// ------------------------------------------- sizes and the main feature

// A title's cells and the title set's total: a sector played by several
// cells, chains or titles counts once.
TEST(DiscModel, SectorsCoveredCountsASharedSectorOnce) {
  using Ranges = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
  const struct {
    const char* what;
    Ranges ranges;
    std::int64_t sectors;
  } cases[] = {
      {"none", {}, 0},
      {"one sector", {{7, 7}}, 1},
      {"apart", {{0, 9}, {20, 29}}, 20},
      {"touching", {{0, 9}, {10, 19}}, 20},
      {"the same cell twice (two titles, two chains)", {{5, 14}, {5, 14}}, 10},
      {"overlapping, out of order", {{10, 30}, {0, 15}}, 31},
      {"one inside another", {{0, 100}, {10, 20}, {30, 40}}, 101},
      {"a last sector before the first (damage) counts none", {{50, 40}, {0, 0}}, 1},
      {"the whole address range", {{0, 0xFFFFFFFFu}, {5, 6}}, 0x100000000},
  };
  for (const auto& c : cases) EXPECT_EQ(disc::SectorsCovered(c.ranges), c.sectors) << c.what;
}

TEST(DiscModel, MainFeatureIsTheLongestTitleThenTheLargest) {
  const auto title = [](int number, const char* clock, std::int64_t sectors) {
    disc::Title t;
    t.number = number;
    if (clock != nullptr) {
      int h = 0, m = 0, s = 0;
      std::sscanf(clock, "%d:%d:%d", &h, &m, &s);
      const auto bcd = [](int v) { return static_cast<std::uint32_t>(v / 10 << 4 | v % 10); };
      t.playbackTime = ifo::DecodeDvdTime(bcd(h) << 24 | bcd(m) << 16 | bcd(s) << 8 | 0x40);
    }
    t.sectors = sectors;
    return t;
  };
  const struct {
    const char* what;
    std::vector<disc::Title> titles;
    int main;
  } cases[] = {
      {"no titles", {}, 0},
      {"the film among trailers", {title(1, "0:02:10", 500), title(2, "1:52:03", 90000), title(3, "0:00:30", 80)}, 2},
      {"longest wins over larger", {title(1, "0:10:00", 9000), title(2, "0:10:01", 100)}, 2},
      {"a tie in time: the larger", {title(1, "0:45:00", 100), title(2, "0:45:00", 200), title(3, "0:45:00", 150)}, 2},
      {"a tie in both: the first", {title(1, "0:01:00", 10), title(2, "0:01:00", 10)}, 1},
      {"unknown times count as 0", {title(1, nullptr, 5000), title(2, "0:00:01", 1)}, 2},
  };
  for (const auto& c : cases) EXPECT_EQ(disc::MainFeatureOf(c.titles), c.main) << c.what;
}

TEST(DiscModel, FitsADvd5OrADvd9ToTheByte) {
  const struct {
    std::int64_t bytes;
    bool dvd5, dvd9;
    std::int64_t overDvd5, overDvd9;
  } cases[] = {
      {0, true, true, 0, 0},
      {disc::kDvd5Bytes, true, true, 0, 0},
      {disc::kDvd5Bytes + 2048, false, true, 2048, 0},
      {disc::kDvd9Bytes, false, true, disc::kDvd9Bytes - disc::kDvd5Bytes, 0},
      {disc::kDvd9Bytes + 1, false, false, disc::kDvd9Bytes + 1 - disc::kDvd5Bytes, 1},
  };
  for (const auto& c : cases) {
    const disc::DiscFit fit = disc::FitOf(c.bytes);
    EXPECT_EQ(fit.dvd5, c.dvd5) << c.bytes;
    EXPECT_EQ(fit.dvd9, c.dvd9) << c.bytes;
    EXPECT_EQ(fit.overDvd5, c.overDvd5) << c.bytes;
    EXPECT_EQ(fit.overDvd9, c.overDvd9) << c.bytes;
    EXPECT_EQ(fit.freeDvd5, c.dvd5 ? disc::kDvd5Bytes - c.bytes : 0) << c.bytes;
  }
  EXPECT_EQ(disc::kDvd5Bytes % 2048, 0);
  EXPECT_EQ(disc::kDvd9Bytes % 2048, 0);
}

// The synthetic disc's DVD files, each in whole sectors, are what the fit
// counts: a backup or another file in the folder is not burnt.
TEST(DiscModel, DvdFileBytesLeaveOutBackupsAndOtherFiles) {
  TempFolder folder;
  syn::WriteDisc(folder.Dir(), {});
  const Disc before = ReadDisc(folder.Dir());
  std::int64_t dvdFiles = 0;
  for (const auto& entry : std::filesystem::directory_iterator(test::Native(folder.Dir())))
    dvdFiles += (static_cast<std::int64_t>(entry.file_size()) + 2047) / 2048 * 2048;
  EXPECT_EQ(before.dvdFileBytes, dvdFiles);
  test::WriteBytes(folder / "VTS_01_0.IFO~", test::ReadBytes(folder / "VTS_01_0.IFO"));
  test::WriteBytes(folder / "notes.txt", {'x'});
  const Disc after = ReadDisc(folder.Dir());
  EXPECT_EQ(after.dvdFileBytes, before.dvdFileBytes);
  EXPECT_GT(after.folderBytes, before.folderBytes);
}

// Menu chains are named for files and the report: by domain, menu and
// language, a chain no menu enters by its number, and never two alike.
TEST(DiscModel, MenuChainsHaveUniqueNames) {
  TempFolder folder;
  syn::WriteDisc(folder.Dir(), {});
  const Disc d = ReadDisc(folder.Dir());
  const std::vector<disc::MenuChain> chains = disc::MenuChainsOf(d);
  ASSERT_FALSE(chains.empty());
  std::set<std::string> names;
  for (const disc::MenuChain& c : chains) {
    EXPECT_TRUE(names.insert(c.name).second) << c.name;
    const std::string prefix = c.titleSet == 0 ? "vmg-menu-" : "vts-0" + std::to_string(c.titleSet) + "-menu-";
    EXPECT_EQ(c.name.rfind(prefix, 0), 0u) << c.name;
    EXPECT_EQ(c.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"), std::string::npos) << c.name;
    if (!c.kind.empty()) {
      EXPECT_NE(c.name.find(c.kind), std::string::npos) << c.name;
    }
  }
  EXPECT_EQ(disc::TitleName(3), "title-03");
  EXPECT_EQ(disc::TitleName(42), "title-42");
}

// Every byte of every table set to 0xFF, then to 0x00, one at a time: the
// model notes what it notes and never throws or reads out of bounds.
TEST(DiscModel, SurvivesEveryByteOfTheTablesDamaged) {
  TempFolder folder;
  syn::WriteDisc(folder.Dir(), {});
  for (const char* name : {"VIDEO_TS.IFO", "VTS_01_0.IFO"}) {
    const std::vector<std::uint8_t> original = test::ReadBytes(folder / name);
    const bool vmg = name[0] == 'V' && name[1] == 'I';
    for (std::size_t pos = 0x80; pos < original.size(); ++pos) {
      for (const std::uint8_t value : {std::uint8_t{0xFF}, std::uint8_t{0x00}}) {
        if (original[pos] == value) continue;
        std::vector<std::uint8_t> bytes = original;
        bytes[pos] = value;
        ifo::Problems problems;
        const IfoImage image(bytes);
        ASSERT_NO_THROW({
          if (vmg)
            disc::ReadVideoManager(image, problems);
          else
            disc::ReadVideoTitleSet(1, image, problems);
        }) << name << " byte " << pos;
      }
    }
  }
}

}  // namespace
}  // namespace kestrune
