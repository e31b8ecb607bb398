// The table-by-table write-out of an IFO image and its BUP copy.
#include <gtest/gtest.h>

#include <filesystem>

#include "ifo_builder.h"
#include "temp_folder.h"
#include "title_set.h"

namespace kestrune {
namespace {

using test::BuildIfo;
using test::IfoLayout;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Loads `bytes` as VTS_01_0.IFO (or VIDEO_TS.IFO), writes it out again and
// returns the file that was written; the BUP must be the same bytes.
std::vector<std::uint8_t> RoundTrip(const std::vector<std::uint8_t>& bytes, bool vmg = false) {
  TempFolder folder;
  const std::string ifo = folder / (vmg ? "VIDEO_TS.IFO" : "VTS_01_0.IFO");
  const std::string bup = folder / (vmg ? "VIDEO_TS.BUP" : "VTS_01_0.BUP");
  WriteBytes(ifo, bytes);
  TTitleSet ts(folder.Dir());
  ts.LoadIfo(vmg ? 0 : 1);
  EXPECT_EQ(ts.FStatus, kStatusOk) << ts.FStatusDetail;
  ts.WriteIfoAndBup();
  auto written = ReadBytes(ifo);
  EXPECT_EQ(ReadBytes(bup), written);
  return written;
}

TEST(WriteOut, GivesBackAnUntouchedTitleSetIfoByteForByte) {
  IfoLayout layout;
  layout.lastSector = 9;
  layout.setLastSector = 100;
  // VTS_PGCI exactly 2048 bytes: one sector, and the next table right after it.
  layout.tables = {{0xC8, 1, 100}, {0xCC, 2, 2048}, {0xD0, 3, 300}, {0xD4, 4, 50},
                 {0xD8, 5, 20},  {0xDC, 6, 8, 0}, {0xE0, 7, 20},  {0xE4, 8, 2100, 0}};
  const auto bytes = BuildIfo(layout);
  EXPECT_EQ(RoundTrip(bytes), bytes);
}

TEST(WriteOut, PadsTheMatToItsSectorAndSkipsAbsentTables) {
  IfoLayout layout;
  layout.matEnd = 0x3FF;
  layout.lastSector = 2;
  layout.tables = {{0xC8, 1, 100}, {0xE4, 2, 8, 0}};  // every other table absent
  auto bytes = BuildIfo(layout);
  bytes[0x500] = 0xEE;  // beyond the MAT end address: not written
  bytes[2048 + 300] = 0xEE;  // beyond VTS_PTT_SRPT's end: not written
  const auto written = RoundTrip(bytes);
  ASSERT_EQ(written.size(), 3u * 2048);
  EXPECT_EQ(written[0x3FF], bytes[0x3FF]);
  for (std::size_t i = 0x400; i < 2048; ++i) ASSERT_EQ(written[i], 0) << i;
  EXPECT_EQ(written[2048 + 300], 0);
  EXPECT_EQ(written[2 * 2048 + 3], 7);  // VTS_VOBU_ADMAP end address
}

TEST(WriteOut, WritesAVideoManagerWithA1280ByteMatAndAOneByteTable) {
  IfoLayout layout;
  layout.vmg = true;
  layout.matEnd = 0x4FF;
  layout.lastSector = 3;
  layout.tables = {{0xC4, 1, 8}, {0xCC, 2, 1}, {0xDC, 3, 8, 0}};
  auto bytes = BuildIfo(layout);
  test::Put16(bytes, 2048, 0);  // no titles
  const auto written = RoundTrip(bytes, true);
  ASSERT_EQ(written.size(), 4u * 2048);
  EXPECT_EQ(written[0x4FF], bytes[0x4FF]);
  for (std::size_t i = 0x500; i < 2048; ++i) ASSERT_EQ(written[i], 0) << i;
  // VMG_PTL_MAIT with end address 0: one byte, then 2047 zeros.
  EXPECT_EQ(written[2 * 2048], bytes[2 * 2048]);
  for (std::size_t i = 2 * 2048 + 1; i < 3 * 2048; ++i) ASSERT_EQ(written[i], 0) << i;
  EXPECT_EQ(written, bytes);
}

TEST(WriteOut, KeepsFreeSectorsBetweenTablesWhereThePointersSayTheyAre) {
  IfoLayout layout;
  layout.lastSector = 5;
  layout.tables = {{0xC8, 1, 100}, {0xCC, 3, 500}, {0xE4, 5, 8, 0}};
  const auto bytes = BuildIfo(layout);
  EXPECT_EQ(RoundTrip(bytes), bytes);
}

#if !defined(_WIN32)  // a symbolic link needs a privilege on Windows
TEST(WriteOut, ReplacesASymbolicLinkInsteadOfWritingThroughIt) {
  TempFolder folder, outside;
  IfoLayout layout;
  layout.lastSector = 1;
  layout.tables = {{0xC8, 1, 100}};
  WriteBytes(folder / "VTS_01_0.IFO", BuildIfo(layout));
  WriteBytes(outside / "victim", {1, 2, 3});
  std::filesystem::create_symlink(outside / "victim", folder / "VTS_01_0.BUP");
  TTitleSet ts(folder.Dir());
  ts.LoadIfo(1);
  ts.WriteIfoAndBup();
  EXPECT_EQ(ReadBytes(outside / "victim"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(ReadBytes(folder / "VTS_01_0.BUP"), ReadBytes(folder / "VTS_01_0.IFO"));
}
#endif

}  // namespace
}  // namespace kestrune
