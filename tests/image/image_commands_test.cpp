// kestrune-cli on disc images mastered in the test from the authored discs:
// list, info and verify of an image say what they say of its folder; extract
// gives the folder back; blank IMAGE --output NEW-IMAGE makes an image that
// verifies, opens in libdvdread and plays in libdvdnav, and leaves the image
// and its folder as they were; bad input is refused with a message and
// nothing half made.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli_app.h"
#include "disc_images.h"
#include "dvd_check.h"
#include "run_cli.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliResult;
using test::Snapshot;
using test::TempFolder;

const char* const kDiscs[] = {"pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts", "pal_languages", "pal_links"};

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) names.push_back(entry.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The findings of kestrune-cli verify, without the summary line that names
// the folder.
std::string WithoutSummary(const std::string& out) { return out.substr(0, out.rfind('\n', out.size() - 2) + 1); }

nlohmann::json WithoutFolder(nlohmann::json json) {
  json.erase("folder");
  return json;
}

class ImageCommands : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageCommands, ListInfoVerifyAndThumbnailsOfTheImageSayWhatTheyDoOfItsFolder) {
  const std::string folder = dvdcheck::FixtureVideoTs(GetParam()).string();
  TempFolder t;
  const std::string iso = t / "disc.iso";
  ASSERT_EQ(test::MasterWithGenisoimage(folder, iso), 0);
  for (const std::vector<std::string>& command : {std::vector<std::string>{"list"},
                                                  {"info"},
                                                  {"list", "--json"},
                                                  {"info", "--json"},
                                                  {"verify", "--json"},
                                                  {"verify"}}) {
    SCOPED_TRACE(command[0] + (command.size() > 1 ? " --json" : ""));
    auto args = command;
    args.insert(args.begin() + 1, iso);
    const CliResult ofImage = Cli(args);
    args[1] = folder;
    const CliResult ofFolder = Cli(args);
    EXPECT_EQ(ofImage.code, ofFolder.code) << ofImage.err;
    EXPECT_EQ(ofImage.err, ofFolder.err);
    if (command.size() > 1) {
      const auto image = nlohmann::json::parse(ofImage.out);
      EXPECT_EQ(image["folder"], iso + "/VIDEO_TS/");
      EXPECT_EQ(WithoutFolder(image), WithoutFolder(nlohmann::json::parse(ofFolder.out)));
    } else if (command[0] == "verify") {
      EXPECT_EQ(WithoutSummary(ofImage.out), WithoutSummary(ofFolder.out));
      EXPECT_EQ(ofImage.out.substr(WithoutSummary(ofImage.out).size()).rfind(iso + "/VIDEO_TS/: ", 0), 0u);
    } else {
      EXPECT_EQ(ofImage.out, ofFolder.out);
    }
  }
  // The pictures of its titles and menus, their VOB sectors read through the image.
  const CliResult picturesOfImage = Cli({"thumbnails", iso, t / "of-image"});
  EXPECT_EQ(picturesOfImage.code, Cli({"thumbnails", folder, t / "of-folder"}).code) << picturesOfImage.err;
  EXPECT_TRUE(Snapshot(t / "of-image") == Snapshot(t / "of-folder"));
}

INSTANTIATE_TEST_SUITE_P(Authored, ImageCommands, ::testing::ValuesIn(kDiscs));

// extract, then master of what it gave, then extract again: the folder each
// time (pal_split: a title VOB set of three files), into folders it makes
// with the folders above them.
TEST(ImageCommandsRoundTrip, ExtractAndMasterGiveTheFolderBack) {
  const std::string folder = dvdcheck::FixtureVideoTs("pal_split").string();
  TempFolder t;
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "disc.iso"), 0);
  const auto image = test::ReadBytes(t / "disc.iso");
  CliResult r = Cli({"extract", t / "disc.iso", t / "out/new"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out, "Extracted 8 files, 780288 bytes, into " + t / "out/new/VIDEO_TS/\n");
  EXPECT_EQ(r.err, "");  // no progress when standard error is no terminal
  EXPECT_TRUE(Snapshot(t / "out/new/VIDEO_TS") == Snapshot(folder));
  EXPECT_EQ(Entries(t / "out").size(), 2 + Snapshot(folder).size());  // new/, new/VIDEO_TS/, the files

  r = Cli({"master", t / "out/new", t / "again.iso"});  // the root folder names the disc
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(r.out.rfind("Folder: " + t / "out/new/VIDEO_TS/\nImage: " + t / "again.iso\nVTS_01_*.VOB", 0), 0u) << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - 20), "verified: no errors\n");
  ASSERT_EQ(Cli({"extract", t / "again.iso", t / "back"}).code, kExitOk);
  EXPECT_TRUE(Snapshot(t / "back/VIDEO_TS") == Snapshot(folder));

  // Neither replaces: the names are taken now.
  r = Cli({"extract", t / "disc.iso", t / "out/new"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("holds DVD files already"), std::string::npos) << r.err;
  r = Cli({"master", folder, t / "again.iso"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;
  r = Cli({"extract", folder, t / "other"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("is a folder, not a disc image"), std::string::npos) << r.err;
  r = Cli({"master", t / "disc.iso", t / "other.iso"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("is a disc image already"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(t / "other") || fs::exists(t / "other.iso"));
  EXPECT_EQ(test::ReadBytes(t / "disc.iso"), image);  // only ever read
}

// blank IMAGE --output NEW-IMAGE on each disc, and strip likewise: the new
// image verifies, opens in libdvdread with every BUP equal to its IFO, plays
// every title in libdvdnav from the image, and is what the same run on the
// folder itself without backups and mastering it gives; the image is
// unchanged, and nothing is left beside the new image.
TEST(BlankImage, MakesANewImageThatVerifiesAndPlaysAndLeavesTheImage) {
  struct Case {
    const char* disc;
    std::vector<std::string> run;
  };
  const Case cases[] = {
      {"ntsc_two_sets", {"blank", "--titles", "1", "--menus", "1"}},
      {"pal_split", {"blank", "--titles", "1", "--menus", "1"}},
      {"pal_streams", {"strip", "--title-sets", "1", "--drop-audio", "2,3", "--drop-subpictures", "1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.disc);
    const std::string folder = dvdcheck::FixtureVideoTs(c.disc).string();
    TempFolder t;
    ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "disc.iso"), 0);
    const auto image = test::ReadBytes(t / "disc.iso");
    std::vector<std::string> args = c.run;
    args.insert(args.end(), {t / "disc.iso", "--output", t / "new.iso"});
    CliResult r = Cli(args);
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("Image: " + t / "new.iso\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - 20), "verified: no errors\n");
    EXPECT_EQ(test::ReadBytes(t / "disc.iso"), image);
    EXPECT_EQ(Entries(t.Dir()), (std::vector<std::string>{t / "disc.iso", t / "new.iso"}));

    EXPECT_EQ(Cli({"verify", t / "new.iso"}).code, kExitOk);
    const dvdcheck::IfoReport ifos = dvdcheck::OpenAllIfos(t / "new.iso");
    EXPECT_TRUE(ifos.ok) << dvdcheck::Describe(ifos);
    for (const dvdcheck::TitlePlayback& title : dvdcheck::PlayAllTitles(t / "new.iso"))
      EXPECT_TRUE(title.ok) << dvdcheck::Describe(title);

    // The same run on the folder, as the new image holds it.
    test::CopyFolder(folder, t / "by-hand/VIDEO_TS");
    args = c.run;
    args.insert(args.end(), {"--no-backup", t / "by-hand"});
    ASSERT_EQ(Cli(args).code, kExitOk);
    ASSERT_EQ(Cli({"extract", t / "new.iso", t / "from-image"}).code, kExitOk);
    EXPECT_TRUE(Snapshot(t / "from-image/VIDEO_TS") == Snapshot(t / "by-hand/VIDEO_TS"));
  }
}

// A dry run on an image plans on its files and writes nothing: what it says
// is the folder's own dry run without backups (the image is the backup).
TEST(BlankImage, ADryRunPlansOnTheImageAndWritesNothing) {
  const std::string folder = dvdcheck::FixtureVideoTs("ntsc_two_sets").string();
  TempFolder t;
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "disc.iso"), 0);
  const auto before = Entries(t.Dir());
  const CliResult ofImage = Cli({"blank", "--titles", "2", "--vmg-menu", "--dry-run", "--json", t / "disc.iso"});
  ASSERT_EQ(ofImage.code, kExitOk) << ofImage.err;
  const CliResult ofFolder =
      Cli({"blank", "--titles", "2", "--vmg-menu", "--no-backup", "--dry-run", "--json", folder});
  EXPECT_EQ(WithoutFolder(nlohmann::json::parse(ofImage.out)), WithoutFolder(nlohmann::json::parse(ofFolder.out)));
  EXPECT_EQ(nlohmann::json::parse(ofImage.out)["folder"], t / "disc.iso/VIDEO_TS/");
  // strip's dry run reads the image's title VOBs through it.
  const CliResult stripOfImage = Cli({"strip", "--title-sets", "1", "--drop-audio", "1", "--dry-run", "--json",
                                      t / "disc.iso"});
  ASSERT_EQ(stripOfImage.code, kExitOk) << stripOfImage.err;
  const CliResult stripOfFolder =
      Cli({"strip", "--title-sets", "1", "--drop-audio", "1", "--no-backup", "--dry-run", "--json", folder});
  EXPECT_EQ(WithoutFolder(nlohmann::json::parse(stripOfImage.out)),
            WithoutFolder(nlohmann::json::parse(stripOfFolder.out)));
  EXPECT_EQ(Cli({"blank", "--titles", "2", "--dry-run", t / "disc.iso", "--output", t / "new.iso"}).code, kExitOk);
  EXPECT_EQ(Entries(t.Dir()), before);
  // A dry run is refused as the run would be.
  const CliResult refused = Cli({"blank", "--titles", "2", "--dry-run", t / "disc.iso", "--output", t / "disc.iso"});
  EXPECT_EQ(refused.code, kExitFailed);
  EXPECT_NE(refused.err.find("exists already"), std::string::npos) << refused.err;
}

TEST(BlankImage, RefusesWithoutChangingAnything) {
  const std::string folder = dvdcheck::FixtureVideoTs("pal_split").string();
  TempFolder t;
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "disc.iso"), 0);
  test::WriteBytes(t / "taken.iso", {1});
  const auto before = Entries(t.Dir());
  const auto image = test::ReadBytes(t / "disc.iso");
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;
  };
  const Case cases[] = {
      {{"blank", "--titles", "1", t / "disc.iso"},
       kExitUsage,
       "is a disc image, which is never changed: name the new image"},
      {{"blank", "--titles", "1", t / "disc.iso", "--output", t / "taken.iso"}, kExitFailed, "exists already"},
      {{"blank", "--titles", "1", t / "disc.iso", "--output", t / "no/such.iso"}, kExitFailed, "There is no folder"},
      // The run itself refuses, on the extracted files (a replacement VOB that
      // is none): the working folder goes with what was extracted into it.
      {{"blank", "--titles", "1", "--replacement", t / "taken.iso", t / "disc.iso", "--output", t / "new.iso"},
       kExitFailed,
       "The replacement VOB is not a usable one-frame VOB"},
      {{"blank", "--titles", "1", folder, "--output", t / "new.iso"}, kExitUsage, "a folder is blanked in place"},
      {{"strip", "--title-sets", "1", "--drop-audio", "1", t / "disc.iso"},
       kExitUsage,
       "is a disc image, which is never changed: name the new image to strip it into"},
      {{"strip", "--title-sets", "1", "--drop-audio", "9", t / "disc.iso", "--output", t / "new.iso"},
       kExitFailed,
       "audio stream 9"},
      {{"strip", "--title-sets", "1", "--drop-audio", "1", folder, "--output", t / "new.iso"},
       kExitUsage,
       "a folder is changed in place"},
      {{"restore", t / "disc.iso"}, kExitFailed, "is a disc image, which is never changed: it holds no backups"},
      {{"delete-backups", t / "disc.iso"}, kExitFailed, "is a disc image, which is never changed"},
      {{"rename-upper", t / "disc.iso"}, kExitFailed, "is a disc image, which is never changed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const CliResult r = Cli(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(Entries(t.Dir()), before);
  }
  EXPECT_EQ(test::ReadBytes(t / "disc.iso"), image);
}

// Files that are no DVD-Video image, through every command that reads one:
// a clear message naming the file and what is wrong, exit status 1.
TEST(BadImages, AreRefusedWithAMessageNamingWhatIsWrong) {
  const std::string folder = dvdcheck::FixtureVideoTs("pal_split").string();
  TempFolder t;
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "good.iso"), 0);
  ASSERT_EQ(test::MasterWithGenisoimage(folder, t / "iso9660.iso", ""), 0);
  const auto good = test::ReadBytes(t / "good.iso");
  test::WriteBytes(t / "cut.iso", std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 3));
  std::vector<std::uint8_t> text(64 * 1024, 'x');
  test::WriteBytes(t / "notes.iso", text);
  struct Case {
    const char* file;
    const char* says;
  };
  const Case cases[] = {
      {"cut.iso", "is truncated"},
      {"iso9660.iso", "is an ISO 9660 image without the UDF file system"},
      {"notes.iso", "is no DVD-Video folder, IFO file or DVD image"},
  };
  for (const Case& c : cases) {
    for (const char* command : {"list", "info", "verify", "extract", "blank"}) {
      SCOPED_TRACE(std::string(command) + " " + c.file);
      std::vector<std::string> args{command, t / c.file};
      if (std::string(command) == "extract") args.push_back(t / "out");
      if (std::string(command) == "blank") args.insert(args.end(), {"--titles", "1", "--output", t / "new.iso"});
      const CliResult r = Cli(args);
      EXPECT_EQ(r.code, kExitFailed);
      EXPECT_EQ(r.out, "");
      EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
      EXPECT_FALSE(fs::exists(t / "out") || fs::exists(t / "new.iso"));
    }
  }
}

}  // namespace
}  // namespace kestrune
