// --dry-run on copies of the authored discs, for every run the end-to-end
// tests make: it changes nothing at all, and what it predicts is what the
// real run then does, to the byte: every file it names ends with the size it
// gave, every file the run changes is named, and the bytes saved are those
// the run saves.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "blanking_cases.h"
#include "fixtures.h"
#include "run_cli.h"
#include "status.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

std::int64_t Bytes(const Files& files, bool backups) {
  std::int64_t total = 0;
  for (const auto& [name, bytes] : files)
    if (backups || name.back() != '~') total += static_cast<std::int64_t>(bytes.size());
  return total;
}

// Every entry of the folder by name, whatever it is.
std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

class DryRun : public ::testing::TestWithParam<test::Blanking> {};

TEST_P(DryRun, ChangesNothingAndPredictsTheRunToTheByte) {
  const test::Blanking& b = GetParam();
  test::TempFolder work;
  const fs::path dir = work / "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs(b.disc).string(), dir.string());
  const Files before = test::Snapshot(dir.string());
  const std::set<std::string> entries = Entries(dir);

  std::vector<std::string> args = {"--dry-run", "--json"};
  args.insert(args.end(), b.options.begin(), b.options.end());
  args.push_back(dir.string());
  const test::CliResult dry = test::Cli(args);
  ASSERT_EQ(dry.code, 0) << dry.err;
  EXPECT_EQ(test::Snapshot(dir.string()), before);
  EXPECT_EQ(Entries(dir), entries);  // not even a lock or temporary file
  const nlohmann::json plan = nlohmann::json::parse(dry.out);
  // The blank subcommand says the same, to the byte.
  std::vector<std::string> subcommand = {"blank", dir.string(), "--dry-run", "--json"};
  subcommand.insert(subcommand.end(), b.options.begin(), b.options.end());
  const test::CliResult drySubcommand = test::Cli(subcommand);
  EXPECT_EQ(drySubcommand.code, dry.code) << drySubcommand.err;
  EXPECT_EQ(drySubcommand.out, dry.out);

  std::vector<std::string> real = b.options;
  real.push_back(dir.string());
  const test::CliResult run = test::Cli(real);
  ASSERT_EQ(run.code, 0) << run.err;
  const Files after = test::Snapshot(dir.string());

  EXPECT_EQ(plan["bytes_saved"].get<std::int64_t>(), Bytes(before, false) - Bytes(after, false));
  EXPECT_EQ(plan["folder_bytes_before"].get<std::int64_t>(), Bytes(before, true));
  EXPECT_EQ(plan["folder_bytes_after"].get<std::int64_t>(), Bytes(after, true));
  std::set<std::string> named;
  for (const auto& file : plan["files"]) {
    const std::string name = file["name"];
    named.insert(name);
    const auto was = before.find(name), is = after.find(name);
    EXPECT_EQ(file["bytes_before"].get<std::int64_t>(), was == before.end() ? 0 : std::ssize(was->second)) << name;
    EXPECT_EQ(file["bytes_after"].get<std::int64_t>(), is == after.end() ? 0 : std::ssize(is->second)) << name;
    const std::string action = file["action"];
    EXPECT_EQ(action == "removed" || action == "renamed to backup", is == after.end()) << name << " " << action;
  }
  std::set<std::string> changed;
  for (const auto& [name, bytes] : before)
    if (!after.count(name) || after.at(name) != bytes) changed.insert(name);
  for (const auto& [name, bytes] : after)
    if (!before.count(name)) changed.insert(name);
  for (const std::string& name : changed) EXPECT_TRUE(named.count(name)) << name << " changed but was not named";

  // The readable form says the same.
  test::TempFolder again;
  test::CopyFolder(dvdcheck::FixtureVideoTs(b.disc).string(), again / "VIDEO_TS");
  args.erase(args.begin() + 1);
  args.back() = again / "VIDEO_TS";
  const test::CliResult text = test::Cli(args);
  subcommand.erase(subcommand.begin() + 3);
  subcommand[1] = args.back();
  EXPECT_EQ(test::Cli(subcommand).out, text.out);
  EXPECT_NE(text.out.find("Saved by the DVD files: " + std::to_string(plan["bytes_saved"].get<std::int64_t>()) + " bytes"),
            std::string::npos)
      << text.out;
}

INSTANTIATE_TEST_SUITE_P(AuthoredDiscs, DryRun, ::testing::ValuesIn(test::BlankingCases()));

// A dry run is refused exactly as the run would be, and still changes nothing.
TEST(DryRunRefusal, IsTheRunsOwn) {
  const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> damages = {
      {"title set 2's IFO missing", [](const fs::path& dir) { fs::remove(dir / "VTS_02_0.IFO"); }},
      {"title set 2's IFO no IFO", [](const fs::path& dir) {
         test::WriteBytes((dir / "VTS_02_0.IFO").string(), std::vector<std::uint8_t>(100, 0));
       }}};
  for (const auto& [what, damage] : damages) {
    test::TempFolder work;
    const fs::path dir = work / "VIDEO_TS";
    test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), dir.string());
    damage(dir);
    const Files before = test::Snapshot(dir.string());
    const std::vector<std::string> options = {"--vmg-menu", "--titles", "1,2", dir.string()};
    std::vector<std::string> dryArgs = options;
    dryArgs.insert(dryArgs.begin(), "--dry-run");
    const test::CliResult dry = test::Cli(dryArgs);
    EXPECT_EQ(test::Snapshot(dir.string()), before) << what;
    const test::CliResult run = test::Cli(options);
    EXPECT_EQ(dry.code, 1) << what;
    EXPECT_EQ(dry.code, run.code) << what;
    EXPECT_EQ(dry.err, run.err) << what;
    EXPECT_EQ(dry.out, "") << what;
    std::vector<std::string> subcommand = options;
    subcommand.insert(subcommand.begin(), {"blank", "--dry-run"});
    const test::CliResult drySubcommand = test::Cli(subcommand);
    EXPECT_EQ(drySubcommand.code, dry.code) << what;
    EXPECT_EQ(drySubcommand.err, dry.err) << what;
  }
}

}  // namespace
}  // namespace kestrune
