// Reading a disc image: images of the authored discs mastered with
// genisoimage, opened with the image layer; what each file holds and where it
// lies, the verifier's check of that layout, and the images it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "disc_image.h"
#include "disc_images.h"
#include "dvd_check.h"
#include "report_text.h"
#include "temp_folder.h"
#include "verify.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using image::DiscImage;
using test::TempFolder;

const char* const kDiscs[] = {"pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts", "pal_languages", "pal_links"};

std::vector<verify::Finding> ImageFindings(const verify::Report& report) {
  std::vector<verify::Finding> found;
  for (const verify::Finding& f : report.findings)
    if (f.table == "image") found.push_back(f);
  return found;
}

std::unique_ptr<DiscImage> OpenOrFail(const std::string& path) {
  std::string problem;
  auto image = DiscImage::Open(path, problem);
  EXPECT_TRUE(image) << problem;
  EXPECT_EQ(problem, "");
  return image;
}

class ImageOfDisc : public ::testing::TestWithParam<const char*> {};

// Every DVD file of the folder is in the image, with its bytes, and lies
// where the IFOs put it.
TEST_P(ImageOfDisc, HoldsTheFolderFileForFileWhereTheIfosPutThem) {
  const fs::path folder = dvdcheck::FixtureVideoTs(GetParam());
  TempFolder t;
  const std::string iso = t / "disc.iso";
  ASSERT_EQ(test::MasterWithGenisoimage(folder, iso), 0);
  const auto image = OpenOrFail(iso);
  ASSERT_TRUE(image);
  std::map<std::string, std::vector<std::uint8_t>> read;
  for (const image::ImageFile& file : image->Files()) {
    std::vector<std::uint8_t> bytes;
    std::error_code error;
    ASSERT_TRUE(image->Read(file, 0, file.bytes + 4096, bytes, error)) << error.message();
    read[file.name] = std::move(bytes);
  }
  std::map<std::string, std::vector<std::uint8_t>> inFolder = test::Snapshot(folder.string());
  EXPECT_EQ(read.size(), inFolder.size());
  EXPECT_TRUE(read == inFolder);
  // A read from the middle, as the verifier reads NAV packs.
  const image::ImageFile* last = image->Find("VTS_01_1.VOB");
  ASSERT_NE(last, nullptr);
  std::vector<std::uint8_t> middle;
  std::error_code error;
  ASSERT_TRUE(image->Read(*last, 2048, 2048, middle, error));
  EXPECT_TRUE(std::equal(middle.begin(), middle.end(), inFolder["VTS_01_1.VOB"].begin() + 2048));

  const verify::ImageLayout layout = image->Layout();
  const verify::Report report = verify::VerifyFolder(folder.string(), &layout);
  EXPECT_TRUE(ImageFindings(report).empty()) << test::Findings(report);
}

INSTANTIATE_TEST_SUITE_P(Authored, ImageOfDisc, ::testing::ValuesIn(kDiscs));

// One file moved in the image's layout at a time: exactly that file is
// named, with where it should lie.
TEST(ImageLayout, NamesTheFileThatLiesElsewhere) {
  const fs::path folder = dvdcheck::FixtureVideoTs("ntsc_two_sets");
  TempFolder t;
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "disc.iso"), 0);
  const auto image = OpenOrFail(t / "disc.iso");
  ASSERT_TRUE(image);
  struct Case {
    const char* file;
    const char* expected;  // how the finding explains where it should lie
  };
  const Case cases[] = {
      {"VTS_02_0.IFO", "where TT_SRPT starts title set 2"},
      {"VTS_01_0.VOB", "VTSI_MAT menu VOB start sector"},
      {"VTS_02_1.VOB", "VTSI_MAT title VOB start sector"},
      {"VTS_01_0.BUP", "the set's last sector less the IFO's (VTSI_MAT 0x0C - 0x1C"},
      {"VIDEO_TS.VOB", "VMGI_MAT menu VOB start sector"},
      {"VIDEO_TS.BUP", "the set's last sector less the IFO's (VMGI_MAT 0x0C - 0x1C"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    verify::ImageLayout layout = image->Layout();
    ASSERT_TRUE(layout.count(c.file));
    layout[c.file].firstSector += 1;
    const verify::Report report = verify::VerifyFolder(folder.string(), &layout);
    const auto found = ImageFindings(report);
    ASSERT_EQ(found.size(), 1u) << test::Findings(report);
    EXPECT_EQ(found[0].file, c.file);
    EXPECT_EQ(found[0].severity, verify::Severity::kError);
    EXPECT_NE(found[0].expected.find(c.expected), std::string::npos) << verify::Describe(found[0]);
  }
  // The title VOB set is one run of sectors from VTSI_MAT 0xC4 on: a file
  // moved moves every later sector of the set, so the files after it are
  // misplaced too, though they follow it.
  const fs::path split = dvdcheck::FixtureVideoTs("pal_split");
  ASSERT_EQ(test::MasterWithGenisoimage(split, t / "split.iso"), 0);
  const auto splitImage = OpenOrFail(t / "split.iso");
  ASSERT_TRUE(splitImage);
  verify::ImageLayout layout = splitImage->Layout();
  layout["VTS_01_2.VOB"].firstSector += 2;
  layout["VTS_01_3.VOB"].firstSector += 2;
  const auto found = ImageFindings(verify::VerifyFolder(split.string(), &layout));
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].file, "VTS_01_2.VOB");
  EXPECT_NE(found[0].expected.find("right after VTS_01_1.VOB"), std::string::npos) << verify::Describe(found[0]);
  EXPECT_EQ(found[1].file, "VTS_01_3.VOB");
  EXPECT_NE(found[1].expected.find("right after VTS_01_2.VOB"), std::string::npos) << verify::Describe(found[1]);
}

// Mastered as plain UDF, not as DVD-Video: the files follow each other
// without the free sectors dvdauthor's VMGI_MAT counts, so title set 1 lies
// before where TT_SRPT says. Software players that open files by name still
// play it; a living-room player does not.
TEST(ImageLayout, APlainUdfImageOfAPaddedDiscIsLaidOutWrong) {
  const fs::path folder = dvdcheck::FixtureVideoTs("pal_split");
  TempFolder t;
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "plain.iso", "-udf"), 0);
  const auto image = OpenOrFail(t / "plain.iso");
  ASSERT_TRUE(image);
  const verify::ImageLayout layout = image->Layout();
  const auto found = ImageFindings(verify::VerifyFolder(folder.string(), &layout));
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found[0].file, "VIDEO_TS.BUP");
}

TEST(DiscImageOpen, RefusesWhatIsNoDvdImageSayingWhy) {
  TempFolder t;
  const fs::path folder = dvdcheck::FixtureVideoTs("pal_split");
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "good.iso"), 0);
  const std::vector<std::uint8_t> good = test::ReadBytes(t / "good.iso");
  const auto firstBytes = [&](std::int64_t n) { return std::vector<std::uint8_t>(good.begin(), good.begin() + n); };
  const auto goodImage = OpenOrFail(t / "good.iso");
  ASSERT_TRUE(goodImage);
  const image::ImageFile* lastFile = goodImage->Find("VTS_01_0.BUP");
  ASSERT_NE(lastFile, nullptr);
  test::WriteBytes(t / "text.iso", std::vector<std::uint8_t>(40000, 'x'));
  test::WriteBytes(t / "head.iso", firstBytes(300 * 1024));                          // ends before the UDF anchor
  test::WriteBytes(t / "cut.iso", firstBytes(lastFile->firstSector * 2048 + 1024));  // ends inside the last file
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "iso9660.iso", ""), 0);
  fs::create_directories(fs::path(t / "other") / "DATA");
  test::WriteBytes(t / "other/DATA/notes.txt", {1, 2, 3});
  ASSERT_EQ(std::system(("genisoimage -quiet -udf -o '" + t / "novideo.iso" + "' '" + t / "other" + "'").c_str()), 0);
  fs::create_directories(fs::path(t / "empty") / "VIDEO_TS");
  test::WriteBytes(t / "empty/VIDEO_TS/notes.txt", {1, 2, 3});
  ASSERT_EQ(std::system(("genisoimage -quiet -udf -o '" + t / "noifo.iso" + "' '" + t / "empty" + "'").c_str()), 0);

  struct Case {
    const char* name;
    const char* says;
  };
  const Case cases[] = {
      {"text.iso", "is not a disc image: it has neither the UDF nor the ISO 9660 file system of one"},
      {"head.iso", "is truncated or damaged: its UDF file system cannot be read (the image holds 307200 bytes)"},
      {"cut.iso", "is truncated: VTS_01_0.BUP ends at byte"},
      {"iso9660.iso", "is an ISO 9660 image without the UDF file system that DVD players read"},
      {"novideo.iso", "holds no VIDEO_TS folder: it is no DVD-Video image"},
      {"noifo.iso", "holds a VIDEO_TS folder without VIDEO_TS.IFO"},
      {"other", "it is a folder, not an image file"},
      {"missing.iso", "cannot be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string problem;
    EXPECT_FALSE(DiscImage::Open(t / c.name, problem));
    EXPECT_EQ(problem.rfind("\"" + t / c.name + "\"", 0), 0u) << problem;
    EXPECT_NE(problem.find(c.says), std::string::npos) << problem;
  }
}

}  // namespace
}  // namespace kestrune
