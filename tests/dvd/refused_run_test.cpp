// A run that is refused changes nothing, wherever the reason lies: every
// check is made for the whole selection before the first file changes. Each
// case damages title set 2 of ntsc_two_sets (the video manager menu and title
// set 1 come first in a run) and asks for everything, with backups and
// without; the status message is the one the run has always given, and the
// folder is left byte for byte.
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "big_endian.h"
#include "fixtures.h"
#include "run_cli.h"
#include "status.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t Get32(const Bytes& b, std::size_t pos) { return GetBigEndian<std::uint32_t>(&b.at(pos)); }
void Put32(Bytes& b, std::size_t pos, std::uint32_t v) { PutBigEndian<std::uint32_t>(&b.at(pos), v); }

// Changes the bytes of one file of the folder.
void Edit(const fs::path& file, const std::function<void(Bytes&)>& edit) {
  Bytes bytes = test::ReadBytes(file.string());
  edit(bytes);
  test::WriteBytes(file.string(), bytes);
}

struct Refusal {
  const char* name;
  TStatus status;
  std::function<void(const fs::path& dir)> damage;
  std::vector<std::string> extraOptions = {};
};

std::ostream& operator<<(std::ostream& os, const Refusal& r) { return os << r.name; }

const Refusal kRefusals[] = {
    {"IfoMissing", kStatusIfoNotFound, [](const fs::path& dir) { fs::remove(dir / "VTS_02_0.IFO"); }},
#if !defined(_WIN32)  // on Windows an IFO is a file or a folder (an IFO held open: held_files_test.cpp)
    {"IfoNotAFile", kStatusIfoUnreadable,
     [](const fs::path& dir) {
       fs::remove(dir / "VTS_02_0.IFO");
       ASSERT_EQ(::mkfifo((dir / "VTS_02_0.IFO").c_str(), 0644), 0);
     }},
#endif
    {"WrongIdentifier", kStatusIfoInvalid,
     [](const fs::path& dir) { Edit(dir / "VTS_02_0.IFO", [](Bytes& b) { b[11] = 'X'; }); }},
    {"IfoTooBig", kStatusIfoTooBig,
     [](const fs::path& dir) { Edit(dir / "VTS_02_0.IFO", [](Bytes& b) { b.resize(257 * 2048, 0); }); }},
    {"TableOutsideTheIfo", kStatusIfoInvalid,  // VTS_PGCI's start sector (VTSI_MAT 0xCC) past the file
     [](const fs::path& dir) { Edit(dir / "VTS_02_0.IFO", [](Bytes& b) { Put32(b, 0xCC, 200); }); }},
    {"ChainOutsideItsList", kStatusIfoInvalid,  // the first PGC of VTS_PGCI lies past the table
     [](const fs::path& dir) {
       Edit(dir / "VTS_02_0.IFO", [](Bytes& b) { Put32(b, Get32(b, 0xCC) * 2048 + 12, 0x7000); });
     }},
    {"MenusWithoutMenuVideo", kStatusNoMenuVobSet,  // VTSI_MAT 0xC0 = 0: no VTSM_VOBS
     [](const fs::path& dir) { Edit(dir / "VTS_02_0.IFO", [](Bytes& b) { Put32(b, 0xC0, 0); }); }},
    {"AttributesOfTheSetOutsideVmgVtsAtrt", kStatusIfoInvalid,
     [](const fs::path& dir) {
       Edit(dir / "VIDEO_TS.IFO", [](Bytes& b) { Put32(b, Get32(b, 0xD0) * 2048 + 8 + 4, 5000); });
     }},
    {"ReplacementNotAOneFrameVob", kStatusBadReplacementVob,
     [](const fs::path& dir) { test::WriteBytes((dir.parent_path() / "REPLACE.VOB").string(), Bytes(20480, 0)); },
     {"--replacement", "REPLACE.VOB"}},
};

class RefusedRun : public ::testing::TestWithParam<std::tuple<Refusal, bool>> {};

TEST_P(RefusedRun, ChangesNoFile) {
  const auto& [refusal, backup] = GetParam();
  test::TempFolder work;
  const fs::path dir = work / "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), dir.string());
  refusal.damage(dir);
  const auto before = test::Snapshot(dir.string());

  std::vector<std::string> args = {"--vmg-menu", "--titles", "1,2", "--menus", "1,2"};
  if (!backup) args.push_back("--no-backup");
  for (const std::string& option : refusal.extraOptions)
    args.push_back(option == "REPLACE.VOB" ? work / "REPLACE.VOB" : option);
  args.push_back(dir.string());
  const test::CliResult r = test::Cli(args);
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_EQ(r.err.rfind(StatusMessage(refusal.status), 0), 0u) << r.err;
  EXPECT_EQ(test::Snapshot(dir.string()), before);
}

INSTANTIATE_TEST_SUITE_P(AtTheSecondTitleSet, RefusedRun,
                         ::testing::Combine(::testing::ValuesIn(kRefusals), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "WithBackups" : "WithoutBackups");
                         });

// Refusals at the very first step leave no backup behind either.
TEST(RefusedRun, AtTheFirstStepMakesNoBackup) {
  test::TempFolder work;
  const std::string dir = work / "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_split").string(), dir);  // no video manager menu
  const auto before = test::Snapshot(dir);
  test::CliResult r = test::Cli({"--vmg-menu", dir});
  EXPECT_EQ(r.err.rfind(StatusMessage(kStatusNoMenuVobSet), 0), 0u) << r.err;
  EXPECT_EQ(test::Snapshot(dir), before);

  fs::remove(fs::path(dir) / "VTS_01_0.IFO");
  const auto without = test::Snapshot(dir);
  r = test::Cli({"--titles", "1", dir});
  EXPECT_EQ(r.err.rfind(StatusMessage(kStatusIfoNotFound), 0), 0u) << r.err;
  EXPECT_EQ(test::Snapshot(dir), without);
}

}  // namespace
}  // namespace kestrune
