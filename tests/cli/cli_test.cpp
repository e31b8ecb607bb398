// kestrune-cli's forms on a copy of an authored DVD folder: the subcommands
// and the forms of 0.9.5 side by side, usage errors and the help texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "blank_vob.h"
#include "commands/commands.h"
#include "fixtures.h"
#include "run_cli.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using test::Snapshot;
using test::TempFolder;
using test::WriteBytes;

using test::Cli;
using test::CliResult;

class CliTest : public ::testing::Test {
 protected:
  TempFolder work;
  std::string dir;
  void SetUp() override {
    test::CopyFolder(dvdcheck::FixtureVideoTs("pal_menu").string(), work / "VIDEO_TS");
    dir = work / "VIDEO_TS";
  }
  std::string In(const std::string& name) const { return dir + test::kDelimiter + name; }
};

TEST_F(CliTest, ListsTheVideoManagerThenTitleVideosThenMenus) {
  const CliResult r = Cli({"--list", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  std::istringstream lines(r.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 3u) << r.out;
  EXPECT_EQ(rows[0].rfind("VIDEO_TS.VOB  ", 0), 0u);
  EXPECT_EQ(rows[1].rfind("VTS_01_*.VOB  ", 0), 0u);
  EXPECT_EQ(rows[2].rfind("VTS_01_0.VOB  ", 0), 0u);
  EXPECT_EQ(rows[0].substr(rows[0].size() - 2), "KB");
}

TEST_F(CliTest, RestoresAndDeletesBackups) {
  const auto original = Snapshot(dir);
  // What a run leaves: the originals under backup names, new files in place.
  for (const auto& [name, bytes] : original) {
    if (name.find(".VOB") != std::string::npos) {
      std::filesystem::rename(test::Native(In(name)), test::Native(In(name + "~")));
      WriteBytes(In(name), std::vector<std::uint8_t>(10240, 0));
    }
  }
  CliResult r = Cli({"--restore", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(Snapshot(dir), original);
  EXPECT_NE(r.out.find("VTS_01_*.VOB"), std::string::npos);

  WriteBytes(In("VTS_01_0.IFO~"), {1});
  r = Cli({"--delete-backups", dir});
  EXPECT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(Snapshot(dir), original);
}

TEST_F(CliTest, NamesWhatItCouldNotRestore) {
  test::MakeFolder(In("KEEP"));
  test::MakeFolder(In("KEEP~"));
  const CliResult r = Cli({"--restore", dir});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_NE(r.err.find("KEEP~"), std::string::npos) << r.err;
}

TEST(CliCommand, ReportsUsageErrorsAndMissingFolders) {
  EXPECT_EQ(Cli({}).code, kExitUsage);
  EXPECT_EQ(Cli({"--list"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--bogus", "x"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--list", "a", "--restore", "b"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--titles", "0", "/tmp"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--titles", "3,x", "/tmp"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--still-time", "abc", "--titles", "1", "/tmp"}).code, kExitUsage);
  EXPECT_EQ(Cli({"--titles", "1"}).code, kExitUsage);
  const CliResult missing = Cli({"--list", test::kMissingFolder});
  EXPECT_EQ(missing.code, kExitFailed);
  EXPECT_EQ(missing.err, "Can't find the given path!\n");
  EXPECT_EQ(Cli({"--titles", "1", test::kMissingFolder}).err, "Can't find the given path!\n");
  // A folder from the root is a folder on every system, never an option.
  EXPECT_EQ(Cli({"--list", "/no/such/folder"}).err, "Can't find the given path!\n");
  EXPECT_EQ(Cli({"--version"}).out, "0.9.5\n");
  EXPECT_NE(Cli({"--help"}).out.find("--merge-cells"), std::string::npos);
}

TEST(CliCommand, ReportsARunWithNothingChosen) {
  TempFolder empty;
  const CliResult r = Cli({empty.Dir()});
  EXPECT_EQ(r.code, kExitFailed);
  EXPECT_EQ(r.err, "No TitleSets given to process!\n");
}

// ------------------------------------------- subcommands and 0.9.5 forms

std::vector<std::string> Lines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The arguments with "DIR" put in for the folder, or the folder added last.
std::vector<std::string> WithFolder(std::vector<std::string> args, const std::string& dir) {
  const auto at = std::find(args.begin(), args.end(), "DIR");
  if (at == args.end())
    args.push_back(dir);
  else
    *at = dir;
  return args;
}

// One step of a session on a disc: a 0.9.5 form and the same as a subcommand.
struct FormPair {
  std::vector<std::string> old, now;
};

struct DiscForms {
  const char* disc;
  const char* titles;  // every title set of the disc, as --titles takes it
};

void PrintTo(const DiscForms& d, std::ostream* os) { *os << d.disc; }

class OldAndNewForms : public ::testing::TestWithParam<DiscForms> {};

// Each step of a session (showing, verifying, dry runs, runs with every
// option, refusals, restoring and deleting backups) made once with the forms
// of 0.9.5 and once with the subcommands, each session on its own fresh copy
// of the disc at the same path: every step prints the same, ends with the
// same status and leaves the folder the same.
TEST_P(OldAndNewForms, GiveTheSameOutputStatusAndFolder) {
  const DiscForms& d = GetParam();
  const std::string t = d.titles;
  test::TempFolder work;
  const std::string dir = work / "VIDEO_TS";
  const std::string replacement = work / "BLACK.VOB";
  test::WriteBytes(replacement, BlankVobImage("PALA"));
  const std::string missing = work / "MISSING.VOB";
  const std::vector<FormPair> steps = {
      {{"--list"}, {"list"}},
      {{"--info"}, {"info"}},
      {{"--info", "--json"}, {"info", "DIR", "--json"}},
      {{"--verify"}, {"verify"}},
      {{"--json", "--verify"}, {"verify", "--json"}},
      {{"--dry-run", "--vmg-menu", "--titles", t, "--menus", "1"},
       {"blank", "--dry-run", "--vmg-menu", "--titles", t, "--menus", "1"}},
      {{"--dry-run", "--json", "--titles", t}, {"blank", "DIR", "--titles", t, "--json", "--dry-run"}},
      {{"--titles", t, "--replacement", missing}, {"blank", "--titles", t, "--replacement", missing}},
      {{"--menus", "1", "--merge-cells"}, {"blank", "--menus", "1", "--merge-cells"}},
      {{"--restore"}, {"restore"}},
      {{"--vmg-menu", "--titles", t, "--keep-stops", "--keep-audio-sub", "--merge-programs"},
       {"blank", "--vmg-menu", "--titles", t, "--keep-stops", "--keep-audio-sub", "--merge-programs"}},
      {{"--titles", "1", "--menus", "1", "--replacement", replacement, "--still-time", "300"},
       {"blank", "--titles", "1", "--menus", "1", "--replacement", replacement, "--still-time", "300"}},
      {{"--delete-backups"}, {"delete-backups"}},
      {{"--titles", t, "--no-backup"}, {"blank", "--no-backup", "--titles", t}},
      {{"--list"}, {"list"}},
      {{}, {"blank"}},
  };
  struct Result {
    CliResult r;
    std::map<std::string, std::vector<std::uint8_t>> folder;
  };
  auto session = [&](bool old) {
    std::filesystem::remove_all(test::Native(dir));
    test::CopyFolder(dvdcheck::FixtureVideoTs(d.disc).string(), dir);
    std::vector<Result> results;
    for (const FormPair& step : steps) {
      const CliResult r = Cli(WithFolder(old ? step.old : step.now, dir));
      results.push_back({r, test::Snapshot(dir)});
    }
    return results;
  };
  const std::vector<Result> old = session(true), now = session(false);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(::testing::PrintToString(steps[i].now));
    EXPECT_EQ(old[i].r.code, now[i].r.code);
    EXPECT_EQ(old[i].r.out, now[i].r.out);
    EXPECT_EQ(old[i].r.err, now[i].r.err);
    EXPECT_TRUE(old[i].folder == now[i].folder);
  }
  // The steps did what they are for.
  EXPECT_EQ(now[0].r.code, kExitOk);
  EXPECT_EQ(now[7].r.err.rfind("The replacement VOB is not a usable one-frame VOB!\n", 0), 0u) << now[7].r.err;
  EXPECT_EQ(now[8].r.code, kExitOk) << now[8].r.err;
  EXPECT_EQ(now[9].r.code, kExitOk) << now[9].r.err;
  EXPECT_TRUE(now[9].folder == test::Snapshot(dvdcheck::FixtureVideoTs(d.disc).string()));
  EXPECT_EQ(now[13].r.code, kExitOk) << now[13].r.err;
  EXPECT_EQ(now[15].r.err, "No TitleSets given to process!\n");

  // list --json: the rows list prints, with the bytes of their files.
  std::filesystem::remove_all(test::Native(dir));
  test::CopyFolder(dvdcheck::FixtureVideoTs(d.disc).string(), dir);
  const auto files = test::Snapshot(dir);
  const nlohmann::json rows = nlohmann::json::parse(Cli({"list", "--json", dir}).out);
  std::vector<std::string> texts;
  for (const char* list : {"vmg", "titles", "menus"}) {
    for (const nlohmann::json& row : rows.at(list)) {
      const std::string text = row.at("text");
      texts.push_back(text);
      const int n = row.at("title_set");
      std::int64_t bytes = 0;
      for (const auto& [name, content] : files) {
        const bool vmg = std::string(list) == "vmg" && name == "VIDEO_TS.VOB";
        const bool ofSet = n > 0 && name.rfind(text.substr(0, 7), 0) == 0 && name.size() == 12 &&
                           name.substr(9) == "VOB" && (std::string(list) == "menus") == (name[7] == '0');
        if (vmg || ofSet) bytes += static_cast<std::int64_t>(content.size());
      }
      EXPECT_EQ(row.at("bytes").get<std::int64_t>(), bytes) << text;
      EXPECT_EQ(text.substr(text.find("  ") + 2), std::to_string(bytes / 1024) + "KB");
    }
  }
  EXPECT_EQ(texts, Lines(now[0].r.out));
}

INSTANTIATE_TEST_SUITE_P(AuthoredDiscs, OldAndNewForms,
                         ::testing::Values(DiscForms{"pal_menu", "1"}, DiscForms{"ntsc_two_sets", "1,2"},
                                           DiscForms{"pal_languages", "1-2"}),
                         [](const auto& info) { return std::string(info.param.disc); });

TEST_F(CliTest, SubcommandsReportUsageErrorsAndChangeNothing) {
  const auto original = test::Snapshot(dir);
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;  // how standard error starts
  };
  const Case cases[] = {
      {{"lists", "DIR"}, kExitUsage, "Unknown command: lists\n"},
      {{"blnak", "--titles", "1", "DIR"}, kExitUsage, "Unknown command: blnak\n"},
      {{"list"}, kExitUsage, "FOLDER is required\nRun kestrune-cli list --help for its options.\n"},
      {{"blank", "--titles", "1"}, kExitUsage, "FOLDER is required\n"},
      {{"list", "DIR", "/other"}, kExitUsage, "The following argument was not expected: /other\n"},
      {{"list", "--titles", "1", "DIR"}, kExitUsage, "list has no option --titles\n"},
      {{"info", "--dry-run", "DIR"}, kExitUsage, "info has no option --dry-run\n"},
      {{"verify", "DIR", "--merge-cells"}, kExitUsage, "verify has no option --merge-cells\n"},
      {{"restore", "--json", "DIR"}, kExitUsage, "restore has no option --json\n"},
      {{"delete-backups", "--no-backup", "DIR"}, kExitUsage, "delete-backups has no option --no-backup\n"},
      {{"blank", "--list", "DIR"}, kExitUsage, "blank has no option --list\n"},
      {{"blank", "--json", "--titles", "1", "DIR"}, kExitUsage, "--json requires --dry-run\n"},
      {{"blank", "--titles", "0", "DIR"}, kExitUsage,
       "--titles: A title set list is numbers and ranges from 1 to 99, such as 3,5-7.\n"},
      {{"blank", "--menus", "2-1", "DIR"}, kExitUsage, "--menus: A title set list is"},
      {{"blank", "--still-time", "abc", "--titles", "1", "DIR"}, kExitUsage, "--still-time: not a whole number\n"},
      {{"list", test::kMissingFolder}, kExitFailed, "Can't find the given path!\n"},
      {{"blank", "--titles", "1", test::kMissingFolder}, kExitFailed, "Can't find the given path!\n"},
      {{"restore", "/no/such/folder"}, kExitFailed, "Can't find the given path!\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    std::replace(args.begin(), args.end(), std::string("DIR"), dir);
    const CliResult r = Cli(args);
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_TRUE(test::Snapshot(dir) == original);
}

// kestrune-cli --help (also in a 0.9.5 form) lists the subcommands, and each
// subcommand's --help its own options; every one fits on a screen.
TEST(CliHelp, ListsTheSubcommandsAndEachItsOptionsOnOneScreen) {
  const CliResult top = Cli({"--help"});
  EXPECT_EQ(top.code, kExitOk);
  EXPECT_LT(Lines(top.out).size(), 40u) << top.out;
  EXPECT_EQ(Cli({"-h"}).out, top.out);
  EXPECT_EQ(Cli({"--titles", "1", "--help"}).out, top.out);
  EXPECT_NE(top.out.find("Usage: kestrune-cli COMMAND FOLDER"), std::string::npos) << top.out;
  for (const cli::CommandEntry& command : cli::Commands()) {
    EXPECT_NE(top.out.find("\n  " + std::string(command.name) + " "), std::string::npos) << command.name;
    for (const char* help : {"--help", "-h"}) {
      const CliResult r = Cli({command.name, help});
      EXPECT_EQ(r.code, kExitOk) << command.name;
      EXPECT_LT(Lines(r.out).size(), 40u) << r.out;
      EXPECT_EQ(r.out.rfind(std::string(command.summary) + "\nUsage: kestrune-cli " + command.name + " ", 0), 0u)
          << r.out;
      EXPECT_NE(r.out.find("FOLDER"), std::string::npos) << r.out;
    }
  }
  const std::string blank = Cli({"blank", "--help"}).out;
  for (const char* option : {"--titles LIST", "--menus LIST", "--vmg-menu", "--no-backup", "--keep-audio-sub",
                             "--keep-stops", "--merge-programs", "--merge-cells", "--replacement FILE",
                             "--still-time N", "--dry-run", "--json"})
    EXPECT_NE(blank.find("  " + std::string(option) + " "), std::string::npos) << option;
  for (const char* command : {"list", "info", "verify"})
    EXPECT_NE(Cli({command, "--help"}).out.find("--json"), std::string::npos) << command;
  EXPECT_EQ(Cli({"restore", "--help"}).out.find("--json"), std::string::npos);
}

}  // namespace
}  // namespace kestrune
