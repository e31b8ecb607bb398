// Every IFO dvdauthor writes comes back byte for byte when it is loaded and
// written out table by table, untouched.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures.h"
#include "temp_folder.h"
#include "dvd_files.h"
#include "title_set.h"

namespace kestrune {
namespace {

TEST(AuthoredIfo, RoundTripsByteForByte) {
  int checked = 0;
  for (const char* disc : {"pal_menu", "ntsc_two_sets", "pal_split", "pal_nomenu_vts"}) {
    test::TempFolder work;
    test::CopyFolder(dvdcheck::FixtureVideoTs(disc).string(), work.Dir());
    for (int n = 0; n <= 99; ++n) {
      const std::string name = n == 0 ? "VIDEO_TS" : VtsPrefix(n) + "0";
      if (!std::filesystem::exists(work / (name + ".IFO"))) continue;
      const auto original = test::ReadBytes(work / (name + ".IFO"));
      TTitleSet ts(work.Dir());
      ts.LoadIfo(static_cast<std::uint8_t>(n));
      ASSERT_EQ(ts.FStatus, kStatusOk) << disc << " " << name << ": " << ts.FStatusDetail;
      ts.WriteIfoAndBup();
      EXPECT_EQ(test::ReadBytes(work / (name + ".IFO")), original) << disc << " " << name;
      EXPECT_EQ(test::ReadBytes(work / (name + ".BUP")), original) << disc << " " << name;
      ++checked;
    }
  }
  EXPECT_GE(checked, 9);
}

}  // namespace
}  // namespace kestrune
