// kestrune-cli thumbnails on the authored discs: a PNG of every title and of
// every menu chain with video, 320 pixels wide at the display aspect ratio
// libdvdread reads from the IFOs, each the picture ffmpeg decodes from the
// same VOBU; only the NAV pack and the sectors up to VOBU_1STREF_EA are read;
// a missing or damaged VOB costs only the pictures it holds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>

#include "big_endian.h"
#include "disc.h"
#include "disc_pictures.h"
#include "dvd_check.h"
#include "picture_commands.h"
#include "run_cli.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using test::TempFolder;

// DSI VOBU_1STREF_EA and VOBU_EA: bytes 0x413 and 0x40F of a NAV pack.
constexpr std::size_t kFirstRefEa = 0x413, kVobuEa = 0x40F;

using CommandRun = test::CliResult;

// kestrune-cli thumbnails DIR OUTDIR, in the test's process.
CommandRun Thumbnails(const std::string& dir, const std::string& outDir) { return test::Cli({"thumbnails", dir, outDir}); }

// Width and height from a PNG's IHDR.
std::pair<int, int> PngSize(const Bytes& png) {
  if (png.size() < 24) return {0, 0};
  return {static_cast<int>(GetBigEndian<std::uint32_t>(&png[16])), static_cast<int>(GetBigEndian<std::uint32_t>(&png[20]))};
}

// ffmpeg's RGB samples of the first picture of `mpeg`, scaled as the picture
// layer scales (libswscale's area filter).
Bytes FfmpegRgb(const std::string& input, int width, int height) {
  const dvdcheck::ProcessResult r =
      dvdcheck::Run({"ffmpeg", "-nostdin", "-v", "error", "-i", input, "-frames:v", "1", "-vf",
                     "scale=" + std::to_string(width) + ":" + std::to_string(height) + ":flags=area", "-pix_fmt",
                     "rgb24", "-f", "rawvideo", "-"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return Bytes(r.out.begin(), r.out.end());
}

double MeanDifference(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size() || a.empty()) return 255;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}

class ThumbnailsOfAuthoredDisc : public ::testing::TestWithParam<const char*> {
 protected:
  fs::path dir = dvdcheck::FixtureVideoTs(GetParam());
};

TEST_P(ThumbnailsOfAuthoredDisc, EveryTitleAndMenuWithVideoAsFfmpegDecodesIt) {
  const dvdcheck::IfoReport ref = dvdcheck::OpenAllIfos(dir);
  ASSERT_TRUE(ref.ok);
  TempFolder out;
  const CommandRun r = Thumbnails(dir.string(), out.Dir());
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");

  // What libdvdread says there is: every title, and every menu chain with cells.
  std::map<std::string, int> expected;  // file -> height
  for (const dvdcheck::TitleInfo& t : ref.vmg.titles) {
    char name[32];
    std::snprintf(name, sizeof name, "title-%02d.png", t.number);
    expected[name] = ref.TitleSet(t.titleSet)->wide ? 180 : 240;
  }
  int menus = 0, commandsOnly = 0;
  const auto countMenus = [&](const dvdcheck::MenuDomain& domain) {
    for (const auto& unit : domain.languageUnits)
      for (const auto& pgc : unit.pgcs) (pgc.cells > 0 ? menus : commandsOnly) += 1;
  };
  countMenus(ref.vmg.menu);
  for (const auto& set : ref.titleSets) countMenus(set.menu);

  std::map<std::string, Bytes> written;
  for (const auto& entry : fs::directory_iterator(out.Dir())) written[entry.path().filename().string()] = test::ReadBytes(entry.path().string());
  EXPECT_EQ(written.size(), expected.size() + static_cast<std::size_t>(menus));
  for (const auto& [name, height] : expected) {
    ASSERT_TRUE(written.count(name)) << name << "\n" << r.out;
    EXPECT_EQ(PngSize(written[name]), std::make_pair(320, height)) << name;
  }
  for (const auto& [name, png] : written) {
    EXPECT_EQ(PngSize(png).first, 320) << name;
    EXPECT_NE(r.out.find(name + "  "), std::string::npos) << name;
  }
  std::size_t noVideo = 0;
  for (std::size_t at = 0; (at = r.out.find("no picture: has no video", at)) != std::string::npos; ++at) ++noVideo;
  EXPECT_EQ(noVideo, static_cast<std::size_t>(commandsOnly));

  // Each picture against ffmpeg's decoding of the VOBU it came from, and
  // what it took to read it.
  const disc::Disc disc = disc::ReadDisc(dir.string());
  const auto requests = picture::PictureRequests(disc);
  const auto made = picture::MakePictures(disc);
  ASSERT_EQ(requests.size(), made.size());
  for (std::size_t i = 0; i < made.size(); ++i) {
    const picture::MadePicture& p = made[i];
    if (p.png.empty()) continue;
    SCOPED_TRACE(p.name);
    EXPECT_EQ(written[p.name + ".png"], p.png);
    Bytes nav, vobu;
    std::int64_t read = 0;
    std::string why;
    ASSERT_TRUE(ReadVobSectors(disc.folder, requests[i].vobs, p.vobuSector, 1, nav, read, why)) << why;
    const std::uint32_t vobuEnd = GetBigEndian<std::uint32_t>(&nav[kVobuEa]);
    const std::uint32_t firstRef = GetBigEndian<std::uint32_t>(&nav[kFirstRefEa]);
    if (p.why.empty() && p.vobuSector == requests[i].firstSector) {  // the first VOBU's picture, not black
      EXPECT_EQ(p.vobBytesRead, 2048 * (1 + static_cast<std::int64_t>(firstRef)));
    }
    EXPECT_LT(p.vobBytesRead, 1 << 20);
    ASSERT_TRUE(ReadVobSectors(disc.folder, requests[i].vobs, p.vobuSector, vobuEnd + 1, vobu, read, why)) << why;
    TempFolder scratch;
    test::WriteBytes(scratch / "vobu.mpg", vobu);
    test::WriteBytes(scratch / "ours.png", p.png);
    const Bytes theirs = FfmpegRgb(scratch / "vobu.mpg", p.width, p.height);
    const Bytes ours = FfmpegRgb(scratch / "ours.png", p.width, p.height);
    EXPECT_LT(MeanDifference(ours, theirs), 2.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ThumbnailsOfAuthoredDisc,
                         ::testing::Values("pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts", "pal_languages",
                                           "pal_links", "pal_fade_in"),
                         [](const auto& info) { return std::string(info.param); });

// Title 1 of pal_fade_in starts black: ffmpeg's first picture of the title
// is black, the thumbnail is a later VOBU's, which is not.
TEST(Thumbnails, PassOverTheBlackStartOfATitle) {
  const fs::path dir = dvdcheck::FixtureVideoTs("pal_fade_in");
  const dvdcheck::DecodedVideo video = dvdcheck::DecodeFrames(dir / "VTS_01_1.VOB");
  ASSERT_TRUE(video.ok) << video.error;
  EXPECT_LT(video.lumaMax, 40);  // the first picture is black
  const auto made = picture::MakePictures(disc::ReadDisc(dir.string()));
  ASSERT_FALSE(made.empty());
  EXPECT_EQ(made[0].name, "title-01");
  EXPECT_GT(made[0].vobuSector, 0);
  const Bytes rgb = [&] {
    TempFolder scratch;
    test::WriteBytes(scratch / "t.png", made[0].png);
    return FfmpegRgb(scratch / "t.png", 320, 180);
  }();
  const std::size_t bright = static_cast<std::size_t>(std::count_if(rgb.begin(), rgb.end(), [](std::uint8_t v) { return v > 60; }));
  EXPECT_GT(bright, rgb.size() / 100);
}

// Every sector of the VOBs that a picture does not need zeroed: the same
// pictures, byte for byte.
TEST(Thumbnails, ReadOnlyTheNavPackAndTheFirstReferencePicture) {
  TempFolder copy;
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), copy.Dir());
  const disc::Disc disc = disc::ReadDisc(copy.Dir());
  const auto before = picture::MakePictures(disc);
  std::map<std::string, std::set<std::int64_t>> needed;  // file -> sectors
  for (const auto& request : picture::PictureRequests(disc)) {
    if (!request.none.empty()) continue;
    ASSERT_EQ(request.vobs.files.size(), 1u);
    const std::string file = copy / request.vobs.files[0].name;
    const Bytes bytes = test::ReadBytes(file);
    const std::size_t nav = static_cast<std::size_t>(request.firstSector) * 2048;
    const std::uint32_t firstRef = GetBigEndian<std::uint32_t>(&bytes[nav + kFirstRefEa]);
    for (std::int64_t s = request.firstSector; s <= request.firstSector + firstRef; ++s) needed[file].insert(s);
  }
  ASSERT_FALSE(needed.empty());
  for (const auto& [file, sectors] : needed) {
    Bytes bytes = test::ReadBytes(file);
    for (std::size_t s = 0; s * 2048 < bytes.size(); ++s)
      if (!sectors.count(static_cast<std::int64_t>(s))) std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(s * 2048), 2048, 0);
    test::WriteBytes(file, bytes);
  }
  const auto after = picture::MakePictures(disc::ReadDisc(copy.Dir()));
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].png, before[i].png) << after[i].name << ": " << after[i].why;
    EXPECT_FALSE(before[i].failed) << before[i].name << ": " << before[i].why;
  }
}

// A VOB missing, cut short or with a damaged NAV pack: no picture for what it
// holds, a line on standard error naming why, the other pictures made, exit 1.
TEST(Thumbnails, DamagedOrMissingVobsCostOnlyTheirPictures) {
  const struct {
    const char* disc;
    const char* what;
    std::function<void(const TempFolder&, const disc::Disc&)> damage;
    std::set<std::string> lost;  // pictures not made
    const char* why;
  } cases[] = {
      {"ntsc_two_sets", "VTS_02_1.VOB missing",
       [](const TempFolder& d, const disc::Disc&) { fs::remove(d / "VTS_02_1.VOB"); }, {"title-02", "title-03"},
       "VTS_02_*.VOB is not there"},
      {"ntsc_two_sets", "VTS_02_1.VOB shorter than the IFO says",
       [](const TempFolder& d, const disc::Disc& disc) {
         fs::resize_file(d / "VTS_02_1.VOB", 2048 * static_cast<std::uintmax_t>(disc.titles[2].cells[0].firstSector));
       },
       {"title-03"}, "ends at sector"},
      {"pal_menu", "VIDEO_TS.VOB empty", [](const TempFolder& d, const disc::Disc&) { fs::resize_file(d / "VIDEO_TS.VOB", 0); },
       {"vmg-menu-title-en"}, "holds no sectors"},
      {"pal_menu", "the title's first NAV pack zeroed",
       [](const TempFolder& d, const disc::Disc&) {
         Bytes b = test::ReadBytes(d / "VTS_01_1.VOB");
         std::fill_n(b.begin(), 2048, 0);
         test::WriteBytes(d / "VTS_01_1.VOB", b);
       },
       {"title-01"}, "no NAV pack at sector 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.disc) + ": " + c.what);
    TempFolder copy, out;
    test::CopyFolder(dvdcheck::FixtureVideoTs(c.disc).string(), copy.Dir());
    const auto all = picture::PictureRequests(disc::ReadDisc(copy.Dir()));
    c.damage(copy, disc::ReadDisc(copy.Dir()));
    const CommandRun r = Thumbnails(copy.Dir(), out.Dir());
    EXPECT_EQ(r.code, 1) << r.out << r.err;
    EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
    for (const auto& request : all) {
      const bool made = fs::exists(out / (request.name + ".png"));
      if (!request.none.empty()) continue;
      EXPECT_EQ(made, !c.lost.count(request.name)) << request.name;
      if (!made) {
        EXPECT_NE(r.err.find(request.label + ": no picture: "), std::string::npos) << request.label;
      }
    }
  }
}

TEST(Thumbnails, NeverWriteIntoTheDvdFolder) {
  TempFolder copy;
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), copy.Dir());
  const auto before = test::Snapshot(copy.Dir());
  const CommandRun r = Thumbnails(copy.Dir(), copy.Dir());
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("outside the DVD folder"), std::string::npos) << r.err;
  EXPECT_EQ(test::Snapshot(copy.Dir()), before);
}

}  // namespace
}  // namespace kestrune
