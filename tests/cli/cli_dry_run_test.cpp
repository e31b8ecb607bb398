// kestrune-cli --dry-run on synthetic folders in the layouts other authoring
// tools write: the dry run and the run then made agree, whether the run can
// be made or is refused. (The authored discs: tests/dvd/dry_run_test.cpp.)
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "run_cli.h"
#include "synthetic_disc.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace syn = test::synthetic;

std::int64_t DvdFileBytes(const std::string& dir) {
  std::int64_t total = 0;
  for (const auto& [name, bytes] : test::Snapshot(dir))
    if (name.back() != '~') total += static_cast<std::int64_t>(bytes.size());
  return total;
}

TEST(DryRunOnSyntheticDisc, AgreesWithTheRunOnEveryLayoutOtherToolsWrite) {
  const std::pair<const char*, syn::DiscLayout> layouts[] = {
      {"set gaps", {.setGapSectors = 16}},           {"table gaps", {.tableGapSectors = 2}},
      {"command-only menus", {.commandOnlyMenus = true}}, {"padded IFO", {.ifoPaddingSectors = 3}},
      {"VMG_PTL_MAIT", {.ptlMait = true}},           {"titles out of order", {.titlesOutOfOrder = true}},
      {"all at once", {16, 1, true, 2, true, true}}};
  for (const auto& [name, layout] : layouts) {
    SCOPED_TRACE(name);
    test::TempFolder folder;
    syn::WriteDisc(folder.Dir(), layout);
    const auto before = test::Snapshot(folder.Dir());
    // The synthetic VMG_VTS_ATRT is a table of pattern bytes, no VTS_ATR records.
    std::vector<std::string> args = {"--titles", "1,2", "--keep-audio-sub", folder.Dir()};
    if (!layout.commandOnlyMenus) args.insert(args.begin(), {"--vmg-menu", "--menus", "1,2"});
    std::vector<std::string> dryArgs = args;
    dryArgs.insert(dryArgs.begin(), {"--dry-run", "--json"});
    const test::CliResult dry = test::Cli(dryArgs);
    ASSERT_EQ(test::Snapshot(folder.Dir()), before);
    const std::int64_t dvdBytesBefore = DvdFileBytes(folder.Dir());
    const test::CliResult run = test::Cli(args);
    ASSERT_EQ(dry.code, run.code) << dry.err << run.err;
    EXPECT_EQ(dry.code, 0) << dry.err;
    if (dry.code != 0) {
      EXPECT_EQ(dry.err, run.err);
      continue;
    }
    const nlohmann::json plan = nlohmann::json::parse(dry.out);
    EXPECT_EQ(plan.at("bytes_saved").get<std::int64_t>(), dvdBytesBefore - DvdFileBytes(folder.Dir()));
    EXPECT_GT(plan.at("bytes_saved").get<std::int64_t>(), 0);
  }
}

}  // namespace
}  // namespace kestrune
