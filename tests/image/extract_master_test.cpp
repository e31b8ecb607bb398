// Extracting an image into a folder and mastering a folder into an image:
// byte for byte both ways, durable, and nothing half made left behind when a
// write fails or the input is refused.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "disc_argument.h"
#include "disc_image.h"
#include "disc_images.h"
#include "dvd_check.h"
#include "extract.h"
#include "file_layer.h"
#include "master.h"
#include "temp_folder.h"
#include "test_file_system.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using image::DiscImage;
using image::MasterResult;
using test::Snapshot;
using test::TempFolder;
using Outcome = MasterResult::Outcome;

std::unique_ptr<DiscImage> Open(const std::string& path) {
  std::string problem;
  auto image = DiscImage::Open(path, problem);
  EXPECT_TRUE(image) << problem;
  return image;
}

// What a folder holds, folders and files, for "nothing was left" checks.
std::vector<std::string> Tree(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    names.push_back(fs::relative(entry.path(), dir).string() + (entry.is_directory() ? "/" : ""));
  std::sort(names.begin(), names.end());
  return names;
}

MasterResult Master(const std::string& videoTs, const std::string& iso) {
  return image::MasterFolder(videoTs, SpellingOf(videoTs), iso, nullptr);
}

// The files of an image by name, as isoinfo lists its ISO 9660 tree.
std::string IsoListing(const std::string& iso) {
  const std::string command = "isoinfo -f -i '" + iso + "'";
  std::string listing;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) listing += line;
    ::pclose(pipe);
  }
  return listing;
}

TEST(Extract, RefusesAFolderThatHoldsDvdFilesOrIsAFile) {
  TempFolder t;
  test::MakeFolder(t / "full/video_ts");
  test::WriteBytes(t / "full/video_ts/vts_01_1.vob", {1});
  test::MakeFolder(t / "here");
  test::WriteBytes(t / "here/VIDEO_TS.IFO~", {1});
  test::WriteBytes(t / "file", {1});
  test::MakeFolder(t / "empty/VIDEO_TS");
  test::WriteBytes(t / "empty/VIDEO_TS/notes.txt", {1});
  EXPECT_NE(image::ExtractRefusal(t / "full").find("video_ts\" holds DVD files already"), std::string::npos);
  EXPECT_NE(image::ExtractRefusal(t / "here").find("holds DVD files already"), std::string::npos);
  EXPECT_NE(image::ExtractRefusal(t / "file").find("is a file"), std::string::npos);
  EXPECT_EQ(image::ExtractRefusal(t / "empty"), "");  // a VIDEO_TS without DVD files takes them
}

// A write that fails at any change of an extraction (creating a folder or a
// file, a write, a flush, a rename) leaves nothing of it: no folder it
// made, no DVD file, no temporary file.
TEST(Extract, LeavesNothingWhenAnyWriteFails) {
  const fs::path folder = dvdcheck::FixtureVideoTs("pal_split");
  TempFolder t;
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "disc.iso"), 0);
  const auto image = Open(t / "disc.iso");
  ASSERT_TRUE(image);
  long changes = 0;
  {
    test::TestFileSystem files;
    image::ExtractImage(*image, t / "count", nullptr);
    changes = files.OperationsSoFar();
  }
  ASSERT_GT(changes, 20);
  for (long failAt = 1; failAt <= changes; ++failAt) {
    SCOPED_TRACE(failAt);
    TempFolder out;
    test::MakeFolder(out / "kept");
    {
      test::TestFileSystem files;
      files.FailOperation(failAt);
      EXPECT_THROW(image::ExtractImage(*image, out / "new/disc", nullptr), FileError);
    }
    EXPECT_EQ(Tree(out.Dir()), std::vector<std::string>{"kept/"});
  }
}

// master, then extract: the folder again, whatever else the folder holds
// (backups, a run's temporary files, other files stay out of the image).
TEST(Master, MakesAnImageThatExtractsToTheFolderAndHoldsOnlyItsDvdFiles) {
  for (const char* disc : {"pal_menu"}) {
    SCOPED_TRACE(disc);
    const fs::path fixture = dvdcheck::FixtureVideoTs(disc);
    TempFolder t;
    test::CopyFolder(fixture.string(), t / "VIDEO_TS");
    test::WriteBytes(t / "VIDEO_TS/VTS_01_0.IFO~", {1});
    test::WriteBytes(t / "VIDEO_TS/.VTS_01_0.IFO.kestrune-part", {2});
    test::WriteBytes(t / "VIDEO_TS/notes.txt", {3});
    const MasterResult result = Master(t / "VIDEO_TS", t / "disc.iso");
    ASSERT_EQ(result.outcome, Outcome::kDone) << result.message;
    EXPECT_EQ(result.report.Errors(), 0);
    const auto image = Open(t / "disc.iso");
    ASSERT_TRUE(image);
    ASSERT_EQ(image::ExtractImage(*image, t / "back", nullptr), t / "back/VIDEO_TS/");
    EXPECT_TRUE(Snapshot(t / "back/VIDEO_TS") == Snapshot(fixture.string()));
    const std::string listing = IsoListing(t / "disc.iso");
    EXPECT_NE(listing.find("/AUDIO_TS\n"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("NOTES"), std::string::npos) << listing;
    // No staging folder or temporary image is left beside it.
    EXPECT_EQ(Tree(t.Dir()).size(), Tree(t / "VIDEO_TS").size() + Tree(t / "back").size() + 3);
  }
}

// Files named in lower case are mastered under their upper-case names, as
// players look them up.
TEST(Master, GivesLowerCaseFilesTheirUpperCaseNamesInTheImage) {
  const fs::path fixture = dvdcheck::FixtureVideoTs("pal_menu");
  TempFolder t;
  test::MakeFolder(t / "video_ts");
  for (const auto& [name, bytes] : Snapshot(fixture.string())) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    test::WriteBytes(t / "video_ts/" + lower, bytes);
  }
  const MasterResult result = Master(t / "video_ts", t / "disc.iso");
  ASSERT_EQ(result.outcome, Outcome::kDone) << result.message;
  const std::string listing = IsoListing(t / "disc.iso");
  EXPECT_NE(listing.find("/VIDEO_TS/VIDEO_TS.IFO;1"), std::string::npos) << listing;
  EXPECT_TRUE(dvdcheck::OpenAllIfos(t / "disc.iso").ok);
}

TEST(Master, RefusesWithoutTouchingAnything) {
  const fs::path fixture = dvdcheck::FixtureVideoTs("pal_menu");
  TempFolder t;
  test::WriteBytes(t / "taken.iso", {1, 2, 3});
  test::MakeFolder(t / "nothing");
  struct Case {
    std::string videoTs, iso, says;
  };
  const Case cases[] = {
      {fixture.string(), t / "taken.iso", "exists already"},
      {t / "nothing", t / "new.iso", "holds no VIDEO_TS.IFO"},
      {fixture.string(), t / "no/such/folder.iso", "There is no folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    const MasterResult result = Master(c.videoTs, c.iso);
    EXPECT_EQ(result.outcome, Outcome::kRefused);
    EXPECT_NE(result.message.find(c.says), std::string::npos) << result.message;
  }
  EXPECT_EQ(test::ReadBytes(t / "taken.iso"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(Tree(t.Dir()), (std::vector<std::string>{"nothing/", "taken.iso"}));
}

// A BUP one sector longer than its IFO (a copy padded it): genisoimage lays
// the BUP out by its size, so the BUP and the next title set lie a sector
// away from where the MATs and TT_SRPT put them. The image is removed and
// the findings say why.
TEST(Master, RemovesAnImageWhoseFilesLieElsewhereThanTheIfosSay) {
  const fs::path fixture = dvdcheck::FixtureVideoTs("ntsc_two_sets");
  TempFolder t;
  test::CopyFolder(fixture.string(), t / "VIDEO_TS");
  std::vector<std::uint8_t> bup = test::ReadBytes(t / "VIDEO_TS/VTS_01_0.BUP");
  bup.resize(bup.size() + 2048, 0);
  test::WriteBytes(t / "VIDEO_TS/VTS_01_0.BUP", bup);
  const MasterResult result = Master(t / "VIDEO_TS", t / "disc.iso");
  EXPECT_EQ(result.outcome, Outcome::kFailed);
  EXPECT_NE(result.message.find("do not lie where the IFOs put them, so it was removed"), std::string::npos)
      << result.message;
  EXPECT_NE(result.message.find("VTS_02_0.IFO image first sector"), std::string::npos) << result.message;
  EXPECT_EQ(Tree(t.Dir()).size(), Tree(t / "VIDEO_TS").size() + 1);  // the folder alone
  EXPECT_FALSE(fs::exists(t / "disc.iso"));
}

// genisoimage refuses a folder whose IFOs it cannot lay out: its words are
// passed on, and nothing is left.
TEST(Master, PassesOnWhyGenisoimageRefusesAFolder) {
  const fs::path fixture = dvdcheck::FixtureVideoTs("ntsc_two_sets");
  TempFolder t;
  test::CopyFolder(fixture.string(), t / "VIDEO_TS");
  for (const char* name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) {
    std::vector<std::uint8_t> ifo = test::ReadBytes(t / "VIDEO_TS/" + name);
    ifo[0xC7] += 2;  // VTSI_MAT title VOB start sector two sectors on
    test::WriteBytes(t / "VIDEO_TS/" + name, ifo);
  }
  const MasterResult result = Master(t / "VIDEO_TS", t / "disc.iso");
  EXPECT_EQ(result.outcome, Outcome::kFailed);
  EXPECT_NE(result.message.find("genisoimage could not master"), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("Video pad for file VTS_01_1.VOB"), std::string::npos) << result.message;
  EXPECT_EQ(Tree(t.Dir()).size(), Tree(t / "VIDEO_TS").size() + 1);
}

TEST(Master, SaysWhenGenisoimageIsNotInstalled) {
  TempFolder t;
  const std::string path = std::getenv("PATH");
  ::setenv("PATH", t.Dir().c_str(), 1);
  const MasterResult result = Master(dvdcheck::FixtureVideoTs("pal_menu").string(), t / "disc.iso");
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(result.outcome, Outcome::kFailed);
  EXPECT_NE(result.message.find("genisoimage is not installed"), std::string::npos) << result.message;
  EXPECT_TRUE(Tree(t.Dir()).empty());
}

// A disk too small for the image or the files: where a small file system can
// be mounted here (as root), the writes fail for real.
TEST(FullDisk, NeitherMasterNorExtractLeavesAnythingBehind) {
  TempFolder t;
  test::MakeFolder(t / "small");
  if (::mount("tmpfs", (t / "small").c_str(), "tmpfs", 0, "size=400k") != 0)
    GTEST_SKIP() << "no small file system can be mounted here: " << std::strerror(errno);
  const fs::path fixture = dvdcheck::FixtureVideoTs("pal_split");  // some 760 KiB
  const MasterResult result = Master(fixture.string(), t / "small/disc.iso");
  EXPECT_EQ(result.outcome, Outcome::kNotWritten) << result.message;
  EXPECT_NE(result.message.find("No space left on device"), std::string::npos) << result.message;
  EXPECT_TRUE(Tree(t / "small").empty());

  ASSERT_EQ(test::MasterWithGenisoimage(fixture, t / "disc.iso"), 0);
  const auto image = Open(t / "disc.iso");
  ASSERT_TRUE(image);
  try {
    image::ExtractImage(*image, t / "small/out", nullptr);
    ADD_FAILURE() << "the extraction did not fail";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Code(), std::errc::no_space_on_device) << e.what();
  }
  EXPECT_TRUE(Tree(t / "small").empty());
  ::umount((t / "small").c_str());
}

}  // namespace
}  // namespace kestrune
