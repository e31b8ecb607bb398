// Loading an information file: status codes, layout fields, and the refusal of
// damaged fields before anything is written.
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>

#include "ifo_builder.h"
#include "locked_file.h"
#include "temp_folder.h"
#include "title_set.h"
#include "video_manager.h"
#include "video_title_set.h"

namespace kestrune {
namespace {

using test::BuildIfo;
using test::StandardVmg;
using test::StandardVts;
using test::WithTitlesAndAttributes;
using test::IfoLayout;
using test::Put16;
using test::Put32;
using test::TempFolder;
using test::WriteBytes;

struct LoadCase {
  TempFolder folder;
  TTitleSet ts{folder.Dir()};
  TStatus Load(const std::vector<std::uint8_t>& bytes, std::uint8_t n = 1) {
    WriteBytes(folder / (n == 0 ? std::string("VIDEO_TS.IFO") : "VTS_01_0.IFO"), bytes);
    ts.LoadIfo(n);
    return ts.FStatus;
  }
};

TEST(LoadIfo, GivesTheStatusOfEveryWayAFileCanFail) {
  LoadCase c;
  c.ts.LoadIfo(1);
  EXPECT_EQ(c.ts.FStatus, kStatusIfoNotFound);

  test::MakeFolder(c.folder / "VTS_02_0.IFO");  // a folder is no IFO file
  c.ts.LoadIfo(2);
  EXPECT_EQ(c.ts.FStatus, kStatusIfoNotFound);

  // Exists, but cannot be read as a file.
#if defined(_WIN32)
  WriteBytes(c.folder / "VTS_03_0.IFO", BuildIfo(StandardVts()));
  const test::LockedFile held(c.folder / "VTS_03_0.IFO");  // by a program that shares it with no one
  ASSERT_TRUE(held.Held());
#else
  mkfifo((c.folder / "VTS_03_0.IFO").c_str(), 0644);
#endif
  c.ts.LoadIfo(3);
  EXPECT_EQ(c.ts.FStatus, kStatusIfoUnreadable);
  EXPECT_FALSE(c.ts.FBuffer);

  EXPECT_EQ(c.Load({}), kStatusIfoInvalid);
  EXPECT_EQ(c.Load(std::vector<std::uint8_t>{'D', 'V', 'D', 'V', 'I', 'D', 'E', 'O', '-', 'V', 'T'}), kStatusIfoInvalid);
  auto vmg = BuildIfo(StandardVmg());
  EXPECT_EQ(c.Load(vmg, 1), kStatusIfoInvalid);  // a VMG under a title set's name
  EXPECT_TRUE(c.ts.FBuffer);                     // the image stays held after a wrong identifier
  EXPECT_EQ(c.Load(BuildIfo(StandardVts()), 0), kStatusIfoInvalid);
  auto lower = BuildIfo(StandardVts());
  lower[0] = 'd';
  EXPECT_EQ(c.Load(lower), kStatusIfoInvalid);
}

TEST(LoadIfo, AcceptsExactly256Sectors) {
  LoadCase c;
  IfoLayout layout = StandardVts();
  layout.lastSector = 255;
  auto bytes = BuildIfo(layout);
  ASSERT_EQ(bytes.size(), 524288u);
  EXPECT_EQ(c.Load(bytes), kStatusOk);
  EXPECT_EQ(c.ts.FSectorCount, 256);
  bytes.push_back(0);
  EXPECT_EQ(c.Load(bytes), kStatusIfoTooBig);
  EXPECT_FALSE(c.ts.FBuffer);
}

TEST(LoadIfo, RoundsAPartialLastSectorUp) {
  LoadCase c;
  IfoLayout layout = StandardVts();
  layout.tables.resize(1);
  layout.lastSector = 1;
  auto bytes = BuildIfo(layout);
  bytes.resize(2049);
  EXPECT_EQ(c.Load(bytes), kStatusOk);
  EXPECT_EQ(c.ts.FFileSize, 2049);
  EXPECT_EQ(c.ts.FBufferSize, 4096);
  EXPECT_EQ(c.ts.FSectorCount, 2);
}

TEST(LoadIfo, ReadsTheTitleSetLayoutAndAttributeFlags) {
  LoadCase c;
  auto bytes = BuildIfo(StandardVts());
  Put32(bytes, 0xC0, 10);
  Put32(bytes, 0xC4, 60);
  bytes[0x100] = 0x18;  // menus 625/50 16:9
  bytes[0x200] = 0x48;  // titles 525/60 16:9 (other bits do not count)
  ASSERT_EQ(c.Load(bytes), kStatusOk);
  const TTitleSet& ts = c.ts;
  EXPECT_EQ(ts.FVtsLastSector, 200);
  EXPECT_EQ(ts.FVtsiLastSector, 9);
  EXPECT_EQ(ts.FVtsiMatEnd, 0x3FF);
  EXPECT_EQ(ts.FVtsmVobsSector, 10);
  EXPECT_EQ(ts.FVtsttVobsSector, 60);
  EXPECT_EQ(ts.FVtsPttSrptSector, 1);
  EXPECT_EQ(ts.FVtsPttSrptSize, 100);
  EXPECT_EQ(ts.FVtsPgciSize, 2048);
  EXPECT_EQ(ts.FVtsmPgciUtSector, 3);
  EXPECT_EQ(ts.FVtsTmaptiSize, 50);
  EXPECT_EQ(ts.FVtsmCAdtSize, 20);
  EXPECT_EQ(ts.FVtsmVobuAdmapSize, 8);
  EXPECT_EQ(ts.FVtsCAdtSector, 7);
  EXPECT_EQ(ts.FVtsVobuAdmapSize, 2100);
  EXPECT_TRUE(ts.FVtsmPal);
  EXPECT_TRUE(ts.FVtsmWide);
  EXPECT_FALSE(ts.FVtsPal);
  EXPECT_TRUE(ts.FVtsWide);
  EXPECT_EQ(ts.FVtsPrefix, "VTS_01_");
  EXPECT_EQ(ts.FVtsIfoPath, c.folder / "VTS_01_0.IFO");
  EXPECT_EQ(ts.FVtsBupPath, c.folder / "VTS_01_0.BUP");
}

TEST(LoadIfo, ReadsTheVideoManagerLayoutAndClearsTitleSetPaths) {
  LoadCase c;
  ASSERT_EQ(c.Load(BuildIfo(StandardVts())), kStatusOk);
  auto bytes = WithTitlesAndAttributes(BuildIfo(StandardVmg()));
  Put32(bytes, 0xC0, 8);
  bytes[0x100] = 0x10;
  ASSERT_EQ(c.Load(bytes, 0), kStatusOk);
  const TTitleSet& ts = c.ts;
  EXPECT_EQ(ts.FVtsNumber, 0);
  EXPECT_TRUE(ts.FVtsIfoPath.empty());
  EXPECT_TRUE(ts.FVtsPrefix.empty());
  EXPECT_EQ(ts.FVmgiMatEnd, 0x4FF);
  EXPECT_EQ(ts.FVmgmVobsSector, 8);
  EXPECT_EQ(ts.FTtSrptSize, 44);
  EXPECT_EQ(ts.FVmgPtlMaitSize, 1);  // end address 0: one byte
  EXPECT_EQ(ts.FVmgTxtdtMgSize, 20);
  EXPECT_EQ(ts.FVmgmVobuAdmapSector, 7);
  EXPECT_TRUE(ts.FVmgmPal);
  EXPECT_FALSE(ts.FVmgmWide);
}

// Each damaged field that a later step would follow is refused at load time,
// before any file of the set could be renamed or written.
TEST(LoadIfo, RefusesFieldsThatPointOutsideTheImage) {
  struct Damage {
    const char* what;
    void (*apply)(std::vector<std::uint8_t>&);
  };
  const Damage damages[] = {
      {"MAT end address past the file", [](auto& b) { Put32(b, 0x80, 0x7FFFFFF0); }},
      {"MAT end address too small for the table pointers", [](auto& b) { Put32(b, 0x80, 0x40); }},
      {"MAT reaching into the first table", [](auto& b) { Put32(b, 0x80, 0x900); }},
      {"table start sector past the file", [](auto& b) { Put32(b, 0xD4, 4000); }},
      {"end address past the file", [](auto& b) { Put32(b, 2 * 2048 + 4, 9 * 2048); }},
      {"end address 0xFFFFFFFF", [](auto& b) { Put32(b, 7 * 2048 + 4, 0xFFFFFFFFu); }},
      {"VOBU_ADMAP end address past the file", [](auto& b) { Put32(b, 8 * 2048, 0x7FFFFFFF); }},
      {"tables out of order", [](auto& b) { Put32(b, 0xD8, 2); }},
      {"table running into the next", [](auto& b) { Put32(b, 3 * 2048 + 4, 3000); }},
      {"last sector of the IFO before its last table", [](auto& b) { Put32(b, 0x1C, 7); }},
  };
  for (const Damage& d : damages) {
    LoadCase c;
    auto bytes = BuildIfo(StandardVts());
    d.apply(bytes);
    EXPECT_EQ(c.Load(bytes), kStatusIfoInvalid) << d.what;
    EXPECT_FALSE(c.ts.FStatusDetail.empty()) << d.what;
  }
}

// The smallest MAT end address is one rule for the run and the disc model:
// the MAT must hold the stream attributes that the write-out keeps (VMGI_MAT
// up to 0x15B, VTSI_MAT up to 0x315). What discs carry (0x3FF; dvdauthor's
// 0x7FF, and a VMGI_MAT covering the first-play PGC at 0x400) is taken.
TEST(LoadIfo, TakesTheSmallestMatEndAddressTheDiscModelTakes) {
  for (const bool vmg : {false, true}) {
    const std::uint32_t least = vmg ? 0x15B : 0x315;
    for (const std::uint32_t end : {least - 1, least, 0x3FFu, 0x4EBu, 0x7FFu}) {
      auto bytes = vmg ? WithTitlesAndAttributes(BuildIfo(StandardVmg())) : BuildIfo(StandardVts());
      Put32(bytes, 0x80, end);
      const bool taken = end >= least;
      LoadCase c;
      EXPECT_EQ(c.Load(bytes, vmg ? 0 : 1), taken ? kStatusOk : kStatusIfoInvalid) << vmg << " " << end;
      ifo::Problems problems;
      const IfoImage image(bytes);
      if (vmg)
        disc::ReadVideoManager(image, problems);
      else
        disc::ReadVideoTitleSet(1, image, problems);
      const bool noted = std::any_of(problems.begin(), problems.end(), [](const ifo::Problem& p) {
        return p.table.find("_MAT") != std::string::npos && p.field == "end address";
      });
      EXPECT_EQ(noted, !taken) << vmg << " " << end;
    }
  }
}

TEST(LoadIfo, RefusesATitleCountBeyondTheTitleSearchTable) {
  LoadCase c;
  auto bytes = WithTitlesAndAttributes(BuildIfo(StandardVmg()));
  Put16(bytes, 2048, 4);  // four titles in a table with room for three
  EXPECT_EQ(c.Load(bytes, 0), kStatusIfoInvalid);
  Put16(bytes, 2048, 3);
  EXPECT_EQ(c.Load(bytes, 0), kStatusOk);
}

TEST(LoadIfo, TakesAFreeSectorBetweenTablesAsItIs) {
  LoadCase c;
  IfoLayout layout = StandardVts();
  layout.lastSector = 10;
  layout.tables.back().sector = 9;  // sector 8 is free
  EXPECT_EQ(c.Load(BuildIfo(layout)), kStatusOk);
}

}  // namespace
}  // namespace kestrune
