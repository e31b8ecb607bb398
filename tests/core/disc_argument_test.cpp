// The command line's disc argument: a VIDEO_TS folder, the disc's root folder,
// an IFO file or an image; the spellings of a folder's DVD files; the command
// that gives them their upper-case names.
#include "disc_argument.h"

#include <gtest/gtest.h>

#include "file_layer.h"
#include "temp_folder.h"
#include "upper_case_names.h"

namespace kestrune {
namespace {

using disc::DiscArgument;
using test::MakeFolder;
using test::Snapshot;
using test::TempFolder;
using test::WriteBytes;

using Kind = DiscArgument::Kind;

#if defined(_WIN32)
constexpr bool kCaseSensitive = false;  // names are found in any case
#else
constexpr bool kCaseSensitive = true;
#endif

// A file whose sector 16 holds the volume descriptor `id` ("CD001", "NSR02").
void WriteImageFile(const std::string& path, const std::string& id) {
  std::vector<std::uint8_t> bytes(18 * 2048, 0);
  std::copy(id.begin(), id.end(), bytes.begin() + 16 * 2048 + 1);
  WriteBytes(path, bytes);
}

class NameDiscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* dir : {"DISC/VIDEO_TS", "LOWER/video_ts", "EMPTY", "NOTHING/AUDIO_TS"})
      MakeFolder(t / Native(dir));
    for (const char* file : {"DISC/VIDEO_TS/VIDEO_TS.IFO", "DISC/VIDEO_TS/VTS_01_0.IFO", "DISC/VIDEO_TS/VTS_01_1.VOB",
                             "LOWER/video_ts/video_ts.ifo", "LOWER/video_ts/vts_01_0.ifo", "notes.txt"})
      WriteBytes(t / Native(file), {1, 2, 3});
    WriteImageFile(t / "movie.iso", "CD001");
    WriteImageFile(t / "udf-only.img", "NSR02");
  }
  // `path` with the system's delimiter.
  static std::string Native(std::string path) {
    for (char& c : path)
      if (c == '/') c = test::kDelimiter[0];
    return path;
  }
  std::string Dir(const std::string& path) const { return t / (Native(path) + test::kDelimiter); }

  TempFolder t;
};

TEST_F(NameDiscTest, TakesTheFolderItsRootAnIfoOrAnImage) {
  struct Case {
    std::string argument;  // under the scratch folder
    Kind kind;
    std::string folder;  // the folder worked on, under the scratch folder
    bool resolved;
  };
  const Case cases[] = {
      {"DISC/VIDEO_TS", Kind::kFolder, "DISC/VIDEO_TS", false},
      {"DISC/VIDEO_TS/", Kind::kFolder, "DISC/VIDEO_TS", false},
      {"DISC", Kind::kFolder, "DISC/VIDEO_TS", true},  // the disc's root
      {"DISC/", Kind::kFolder, "DISC/VIDEO_TS", true},
      {"DISC/VIDEO_TS/VTS_01_0.IFO", Kind::kFolder, "DISC/VIDEO_TS", true},
      {"DISC/VIDEO_TS/VIDEO_TS.IFO", Kind::kFolder, "DISC/VIDEO_TS", true},
      {"LOWER", Kind::kFolder, "LOWER/video_ts", true},  // VIDEO_TS in any case
      {"LOWER/video_ts/vts_01_0.ifo", Kind::kFolder, "LOWER/video_ts", true},
      {"EMPTY", Kind::kFolder, "EMPTY", false},      // no disc: worked on as it is
      {"NOTHING", Kind::kFolder, "NOTHING", false},  // AUDIO_TS alone is no disc
      {"movie.iso", Kind::kImage, "", false},
      {"udf-only.img", Kind::kImage, "", false},
      {"notes.txt", Kind::kRefused, "", false},
      {"DISC/VIDEO_TS/VTS_01_1.VOB", Kind::kRefused, "", false},  // a VOB names no folder
      {"missing", Kind::kNotFound, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    const std::string argument = t / Native(c.argument);
    const DiscArgument d = disc::NameDisc(argument);
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(d.argument, argument);
    EXPECT_EQ(d.Resolved(), c.resolved);
    if (c.kind == Kind::kFolder) {
      EXPECT_EQ(d.folder, Dir(c.folder));
    } else if (c.kind == Kind::kImage) {
      EXPECT_EQ(d.image, argument);
    } else if (c.kind == Kind::kRefused) {
      EXPECT_NE(d.problem.find("is no DVD-Video folder, IFO file or DVD image"), std::string::npos) << d.problem;
    }
  }
  EXPECT_EQ(disc::NameDisc("").kind, Kind::kNotFound);
}

TEST_F(NameDiscTest, RefusesANameInTwoCasesNamingBoth) {
  if (!kCaseSensitive) GTEST_SKIP() << "one name in two cases cannot be made here";
  MakeFolder(t / "DISC/video_ts");
  DiscArgument d = disc::NameDisc(t / "DISC");
  EXPECT_EQ(d.kind, Kind::kRefused);
  EXPECT_NE(d.problem.find("holds VIDEO_TS and video_ts"), std::string::npos) << d.problem;

  WriteBytes(t / "DISC/VIDEO_TS/vts_01_0.ifo", {4});
  for (const char* argument : {"DISC/VIDEO_TS", "DISC/VIDEO_TS/VIDEO_TS.IFO"}) {
    d = disc::NameDisc(t / argument);
    EXPECT_EQ(d.kind, Kind::kRefused);
    EXPECT_NE(d.problem.find("holds VTS_01_0.IFO and vts_01_0.ifo: one DVD file name in two cases"), std::string::npos)
        << d.problem;
  }
  // Nothing was renamed or removed.
  EXPECT_EQ(Snapshot(Dir("DISC/VIDEO_TS")).size(), 4u);
}

TEST(FolderSpelling, NamesTheDvdFilesAndBackupsSpeltInAnotherCase) {
  TempFolder f;
  for (const char* name : {"VIDEO_TS.IFO", "vts_01_0.ifo", "Vts_01_1.VOB", "vts_01_0.ifo~", "readme.txt",
                           ".vts_01_0.ifo.kestrune-part", "vts_00_0.ifo", "vts_01_1.ifo"})
    WriteBytes(f / name, {1});
  const FolderSpelling spelling = SpellingOf(f.Dir());
  EXPECT_TRUE(spelling.listed);
  EXPECT_TRUE(spelling.twice.empty());
  std::vector<std::string> respelt;
  for (const FolderSpelling::Respelt& r : spelling.respelt) respelt.push_back(r.onDisk + " " + r.name);
  if (kCaseSensitive)
    EXPECT_EQ(respelt, (std::vector<std::string>{"Vts_01_1.VOB VTS_01_1.VOB", "vts_01_0.ifo VTS_01_0.IFO",
                                                 "vts_01_0.ifo~ VTS_01_0.IFO~"}));
  else
    EXPECT_TRUE(respelt.empty());  // the file system finds them by their upper-case names
}

TEST(IsDvdFileName, KnowsTheNamesOfAVideoTsFolder) {
  for (const char* name :
       {"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VIDEO_TS.VOB", "VTS_01_0.IFO", "VTS_99_0.BUP", "VTS_42_0.VOB", "VTS_42_9.VOB"})
    EXPECT_TRUE(IsDvdFileName(name)) << name;
  for (const char* name : {"video_ts.ifo", "VIDEO_TS.IFO~", "VTS_00_0.IFO", "VTS_01_1.IFO", "VTS_01_1.BUP",
                           "VTS_1_0.IFO", "VTS_01_0.IFO.", "AUDIO_TS.IFO", ""})
    EXPECT_FALSE(IsDvdFileName(name)) << name;
}

TEST(RenameToUpperCase, RenamesWhatIsSpeltOtherwiseAndRefusesANameInTwoCases) {
  TempFolder f;
  WriteBytes(f / "video_ts.ifo", {1});
  WriteBytes(f / "Vts_01_1.VOB", {2});
  WriteBytes(f / "vts_01_1.vob~", {3});
  WriteBytes(f / "notes.txt", {4});
  const RenameResult result = RenameToUpperCase(f.Dir());
  EXPECT_TRUE(result.refused.empty());
  EXPECT_TRUE(result.passedOver.empty());
  EXPECT_TRUE(result.flushError.empty());
  const std::map<std::string, std::vector<std::uint8_t>> upper{
      {"VIDEO_TS.IFO", {1}}, {"VTS_01_1.VOB", {2}}, {"VTS_01_1.VOB~", {3}}, {"notes.txt", {4}}};
  if (kCaseSensitive) {
    EXPECT_EQ(result.renamed, (std::vector<std::string>{"Vts_01_1.VOB -> VTS_01_1.VOB", "video_ts.ifo -> VIDEO_TS.IFO",
                                                        "vts_01_1.vob~ -> VTS_01_1.VOB~"}));
    EXPECT_EQ(Snapshot(f.Dir()), upper);
    EXPECT_TRUE(SpellingOf(f.Dir()).Clean());
  } else {
    EXPECT_TRUE(result.renamed.empty());
  }
  if (!kCaseSensitive) return;

  WriteBytes(f / "vts_01_1.vob", {5});
  const RenameResult refused = RenameToUpperCase(f.Dir());
  EXPECT_NE(refused.refused.find("holds VTS_01_1.VOB and vts_01_1.vob"), std::string::npos) << refused.refused;
  EXPECT_TRUE(refused.renamed.empty());
  EXPECT_EQ(Snapshot(f.Dir()).size(), 5u);
}

TEST_F(NameDiscTest, ABlankingRunIsRefusedNamingTheFilesAndTheRenameCommand) {
  const DiscArgument lower = disc::NameDisc(t / "LOWER");
  const DiscArgument upper = disc::NameDisc(t / "DISC");
  for (const bool dryRun : {false, true}) {
    EXPECT_EQ(disc::RefusalToBlank(upper, dryRun, "RENAME"), "");
    const std::string refusal = disc::RefusalToBlank(lower, dryRun, "RENAME");
    if (!kCaseSensitive) {
      EXPECT_EQ(refusal, "");
      continue;
    }
    EXPECT_NE(refusal.find("are named in lower or mixed case (video_ts.ifo, vts_01_0.ifo)"), std::string::npos)
        << refusal;
    EXPECT_NE(refusal.find("\n  RENAME"), std::string::npos) << refusal;
  }
  EXPECT_EQ(disc::ReadOnlyRefusal(upper), "");  // the tests' own folders can be written
}

}  // namespace
}  // namespace kestrune
