// Naming a disc the way people do, through list, info, verify, blank and
// restore: the disc's root folder, an IFO file, copies whose DVD files are
// named in lower or mixed case, one name in two cases, and a folder the user
// cannot write (as a normal user).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#if !defined(_WIN32)
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "cli_app.h"
#include "fixtures.h"
#include "run_cli.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliResult;
using test::Snapshot;
using test::TempFolder;

#if defined(_WIN32)
constexpr bool kCaseSensitive = false;  // names are found in any case
#else
constexpr bool kCaseSensitive = true;
#endif

std::string Join(const std::string& dir, const std::string& name) { return dir + test::kDelimiter + name; }

// Renames every file of `dir` by `spell` (by way of another name, which a
// file system without case needs).
void Respell(const std::string& dir, const std::function<std::string(std::string)>& spell) {
  for (const auto& [name, bytes] : Snapshot(dir)) {
    fs::rename(test::Native(Join(dir, name)), test::Native(Join(dir, name + ".aside")));
    fs::rename(test::Native(Join(dir, name + ".aside")), test::Native(Join(dir, spell(name))));
  }
}

std::string Lower(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

// "VTS_01_0.IFO" -> "Vts_01_0.Ifo"
std::string Mixed(std::string name) {
  for (std::size_t i = 1; i < name.size(); ++i)
    if (name[i - 1] != '_' && name[i - 1] != '.')
      name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  return name;
}

// A folder's files by name, in upper case where names are found whatever
// their case.
std::map<std::string, std::vector<std::uint8_t>> ByName(std::map<std::string, std::vector<std::uint8_t>> files) {
  if (kCaseSensitive) return files;
  std::map<std::string, std::vector<std::uint8_t>> upper;
  for (auto& [name, bytes] : files) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    upper[key] = std::move(bytes);
  }
  return upper;
}

std::string WithoutFolderLine(const std::string& out) {
  return out.rfind("Folder: ", 0) == 0 ? out.substr(out.find('\n') + 1) : out;
}

class DiscArgument : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture = dvdcheck::FixtureVideoTs("pal_menu").string();
    for (const char* command : {"list", "verify"}) reference[command] = Cli({command, fixture});
    info = nlohmann::json::parse(Cli({"info", "--json", fixture}).out);
    info.erase("folder");
  }
  std::string fixture;
  std::map<std::string, CliResult> reference;
  nlohmann::json info;
  TempFolder work;
};

// The disc named four ways, and its files spelt three ways: list, info and
// verify say the same of each, after the folder they work on when it is not
// the argument; blank works on the files named in upper case and refuses the
// others, naming them and the command that renames them; after that command
// it works there too; restore works on every one of them.
TEST_F(DiscArgument, RootFolderIfoFileAndSpellingsThroughEveryCommand) {
  struct Case {
    const char* what;
    const char* folderName;                         // of the VIDEO_TS folder
    std::function<std::string(std::string)> spell;  // of its files
    const char* argument;                           // under DISC: "", the folder, or a file of it
    bool lowerCase;                                 // its DVD files are not named in upper case
  };
  const auto same = [](std::string name) { return name; };
  const Case cases[] = {
      {"VIDEO_TS folder", "VIDEO_TS", same, "VIDEO_TS", false},
      {"root folder", "VIDEO_TS", same, "", false},
      {"IFO file", "VIDEO_TS", same, "VIDEO_TS/VTS_01_0.IFO", false},
      {"lower-case copy", "VIDEO_TS", Lower, "VIDEO_TS", true},
      {"lower-case copy by its root", "video_ts", Lower, "", true},
      {"lower-case copy by an IFO", "video_ts", Lower, "video_ts/video_ts.ifo", true},
      {"mixed-case copy", "VIDEO_TS", Mixed, "VIDEO_TS", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string disc = work / c.what;
    const std::string videoTs = Join(disc, c.folderName);
    test::CopyFolder(fixture, videoTs);
    Respell(videoTs, c.spell);
    std::string argument = c.argument[0] ? Join(disc, c.argument) : disc;
    for (char& ch : argument)
      if (ch == '/') ch = test::kDelimiter[0];
    const bool said = std::string(c.argument) != c.folderName;
    const std::string folderLine = "Folder: " + videoTs + test::kDelimiter + "\n";
    const auto original = Snapshot(videoTs);

    for (const char* command : {"list", "verify"}) {
      const CliResult r = Cli({command, argument});
      EXPECT_EQ(r.code, kExitOk) << command << ": " << r.err;
      EXPECT_EQ(r.out.rfind(folderLine, 0) == 0, said) << r.out;
      // The lines before verify's summary, which names the folder.
      const std::string lines = WithoutFolderLine(r.out);
      EXPECT_EQ(
          lines.substr(0, lines.rfind('\n', lines.size() - 2) + 1),
          reference[command].out.substr(0, reference[command].out.rfind('\n', reference[command].out.size() - 2) + 1));
    }
    CliResult r = Cli({"info", "--json", argument});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    nlohmann::json json = nlohmann::json::parse(r.out);  // JSON only: the folder is in it
    EXPECT_EQ(json["folder"], videoTs + test::kDelimiter);
    json.erase("folder");
    EXPECT_EQ(json, info);

    r = Cli({"blank", "--titles", "1", argument});
    if (c.lowerCase && kCaseSensitive) {
      EXPECT_EQ(r.code, kExitFailed);
      EXPECT_NE(r.err.find("are named in lower or mixed case (" + c.spell("VIDEO_TS.BUP") + ", "), std::string::npos)
          << r.err;
      EXPECT_NE(r.err.find("\n  kestrune-cli rename-upper \"" + videoTs + test::kDelimiter + "\""), std::string::npos)
          << r.err;
      EXPECT_EQ(Snapshot(videoTs), original);
      // A dry run is refused as the run is.
      EXPECT_EQ(Cli({"blank", "--titles", "1", "--dry-run", argument}).code, kExitFailed);
      const CliResult renamed = Cli({"rename-upper", argument});
      EXPECT_EQ(renamed.code, kExitOk) << renamed.err;
      EXPECT_NE(renamed.out.find("Renamed " + c.spell("VTS_01_0.IFO") + " -> VTS_01_0.IFO\n"), std::string::npos)
          << renamed.out;
      EXPECT_EQ(Snapshot(videoTs), Snapshot(fixture));
      if (std::string(c.argument).find('.') != std::string::npos) argument = Join(videoTs, "VTS_01_0.IFO");
      r = Cli({"blank", "--titles", "1", argument});
    }
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out.rfind(folderLine, 0) == 0, said) << r.out;
    // Backups of the title VOB, the set's IFO and BUP and VIDEO_TS.IFO and BUP.
    EXPECT_EQ(Snapshot(videoTs).size(), original.size() + 5);
    r = Cli({"restore", argument});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    // Where names are found whatever their case, the files a run rewrote
    // come back under the names it wrote them by.
    EXPECT_EQ(ByName(Snapshot(videoTs)), ByName(Snapshot(fixture)));
  }
}

// restore keeps each file's own name: a copy named in lower case with its
// backups named so too gets its files back under those names.
TEST_F(DiscArgument, RestoreKeepsTheNamesOfALowerCaseCopy) {
  const std::string videoTs = work / "VIDEO_TS";
  test::CopyFolder(fixture, videoTs);
  Respell(videoTs, Lower);
  const auto original = Snapshot(videoTs);
  fs::rename(test::Native(Join(videoTs, "vts_01_1.vob")), test::Native(Join(videoTs, "vts_01_1.vob~")));
  test::WriteBytes(Join(videoTs, "vts_01_1.vob"), std::vector<std::uint8_t>(10240, 0));
  const CliResult r = Cli({"restore", work.Dir()});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(Snapshot(videoTs), original);
}

// A file that carries an ISO 9660 volume descriptor and nothing else: a build
// with disc images looks into it and says what is wrong (exit 1); the Windows
// build, which has none, says that it cannot read images (exit 2), for every
// command that would read or write one.
TEST_F(DiscArgument, AnImageIsReadOrTheBuildSaysItCannot) {
  std::vector<std::uint8_t> bytes(20 * 2048, 0);
  const std::string id = "CD001";
  std::copy(id.begin(), id.end(), bytes.begin() + 16 * 2048 + 1);
  test::WriteBytes(work / "disc.iso", bytes);
#if defined(_WIN32)
  const std::vector<std::vector<std::string>> commands = {
      {"list", work / "disc.iso"},
      {"verify", work / "disc.iso"},
      {"extract", work / "disc.iso", work / "out"},
      {"master", fixture, work / "new.iso"},
      {"blank", "--titles", "1", work / "disc.iso", "--output", work / "n.iso"},
      {"--info", work / "disc.iso"}};
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0]);
    const CliResult r = Cli(args);
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.err.rfind("This build of kestrune-cli cannot read or write disc images", 0), 0u) << r.err;
  }
#else
  const CliResult r = Cli({"list", work / "disc.iso"});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("is truncated or damaged: its UDF file system cannot be read"), std::string::npos) << r.err;
#endif
  EXPECT_FALSE(fs::exists(test::Native(work / "out")) || fs::exists(test::Native(work / "new.iso")));
}

#if !defined(_WIN32)
// One name in two cases: which file is the disc's cannot be told, so every
// command refuses, naming both, and nothing changes.
TEST_F(DiscArgument, OneNameInTwoCasesIsRefusedByEveryCommand) {
  const std::string videoTs = work / "VIDEO_TS";
  test::CopyFolder(fixture, videoTs);
  test::WriteBytes(Join(videoTs, "vts_01_0.ifo"), test::ReadBytes(Join(videoTs, "VTS_01_0.IFO")));
  const auto before = Snapshot(videoTs);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"list", videoTs},
                                               {"info", videoTs},
                                               {"verify", work.Dir()},
                                               {"blank", "--titles", "1", videoTs},
                                               {"restore", videoTs},
                                               {"rename-upper", videoTs},
                                               {"--list", videoTs}}) {
    SCOPED_TRACE(args[0]);
    const CliResult r = Cli(args);
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("holds VTS_01_0.IFO and vts_01_0.ifo: one DVD file name in two cases"), std::string::npos)
        << r.err;
  }
  EXPECT_EQ(Snapshot(videoTs), before);
}

// kestrune-cli run as a normal user: as "nobody" in a child process when the
// tests run as root (root may write anywhere), as themselves otherwise.
CliResult AsNormalUser(const std::vector<std::string>& args) {
  if (::geteuid() != 0) return Cli(args);
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {-1, "", "no pipe"};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    constexpr uid_t kNobody = 65534;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(99);
    const CliResult r = Cli(args);
    const std::string report = std::to_string(r.code) + "\n" + std::to_string(r.out.size()) + "\n" + r.out + r.err;
    [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(got));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty()) return {-1, "", "the child failed"};
  const std::size_t line = report.find('\n'), second = report.find('\n', line + 1);
  const std::size_t outSize = std::stoul(report.substr(line + 1, second - line - 1));
  return {std::stoi(report.substr(0, line)), report.substr(second + 1, outSize), report.substr(second + 1 + outSize)};
}

// A folder the user cannot write: the commands that change it are refused
// before any change, saying it is read-only and what to do; a dry run and
// the commands that only read still work.
void ExpectReadOnlyRefusals(const std::string& root, const std::string& videoTs,
                            const std::function<CliResult(const std::vector<std::string>&)>& run, const char* why) {
  const auto before = Snapshot(videoTs);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"blank", "--titles", "1", root},
                                               {"--titles", "1", videoTs},
                                               {"restore", root},
                                               {"delete-backups", root}}) {
    SCOPED_TRACE(args[0]);
    const CliResult r = run(args);
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.err, "\"" + videoTs + "/\" is read-only (" + why +
                         "), so nothing in it can be changed. Copy the disc to a folder you can write, or extract its "
                         "image there, and run the command on the copy.\n");
  }
  CliResult r = run({"blank", "--titles", "1", "--dry-run", root});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.out.find("Dry run: nothing was changed."), std::string::npos) << r.out;
  for (const char* command : {"list", "info", "verify"}) EXPECT_EQ(run({command, root}).code, kExitOk) << command;
  EXPECT_EQ(Snapshot(videoTs), before);
}

TEST_F(DiscArgument, AFolderTheUserCannotWriteIsRefusedBeforeAnyChange) {
  const std::string videoTs = work / "disc/VIDEO_TS";
  test::CopyFolder(fixture, videoTs);
  test::WriteBytes(videoTs + "/VTS_01_0.VOB~", {1});  // a backup to restore or delete
  if (::geteuid() != 0) ::chmod(videoTs.c_str(), 0555);
  ExpectReadOnlyRefusals(work / "disc", videoTs, AsNormalUser, "Permission denied");
  ::chmod(videoTs.c_str(), 0755);
}

// The same on a read-only mount (a disc, an image the system mounted), for
// root too, where a read-only bind mount can be made here.
TEST_F(DiscArgument, AReadOnlyMountIsRefusedBeforeAnyChange) {
  const std::string videoTs = work / "disc/VIDEO_TS";
  test::CopyFolder(fixture, videoTs);
  test::WriteBytes(videoTs + "/VTS_01_0.VOB~", {1});
  if (::mount(videoTs.c_str(), videoTs.c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "no bind mount can be made here";
  if (::mount(nullptr, videoTs.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    ::umount(videoTs.c_str());
    GTEST_SKIP() << "the bind mount cannot be made read-only here";
  }
  ExpectReadOnlyRefusals(
      work / "disc", videoTs, [](const std::vector<std::string>& args) { return Cli(args); }, "Read-only file system");
  ::umount(videoTs.c_str());
}
#endif

}  // namespace
}  // namespace kestrune
