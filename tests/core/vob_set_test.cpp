// Reading a VOB set's sectors across its files, and the NAV pack's fields,
// on small files whose every sector holds its own number.
#include <gtest/gtest.h>

#include "big_endian.h"
#include "blank_vob.h"
#include "nav_pack.h"
#include "temp_folder.h"
#include "vob_set.h"

namespace kestrune {
namespace {

using test::TempFolder;

// A file of `sectors` sectors, sector k of the set filled with the byte k.
void WriteSectors(const std::string& path, int firstOfSet, int sectors, int shortBy = 0) {
  std::vector<std::uint8_t> bytes;
  for (int k = 0; k < sectors; ++k) bytes.insert(bytes.end(), 2048, static_cast<std::uint8_t>(firstOfSet + k));
  bytes.resize(bytes.size() - static_cast<std::size_t>(shortBy));
  test::WriteBytes(path, bytes);
}

TEST(VobSet, ReadsSectorsAcrossItsFiles) {
  TempFolder folder;
  WriteSectors(folder / "VTS_01_1.VOB", 0, 3);
  WriteSectors(folder / "VTS_01_2.VOB", 3, 2);
  WriteSectors(folder / "VTS_01_3.VOB", 5, 2, 100);  // cut inside its last sector
  const VobSet vobs{"VTS_01_*.VOB", {{"VTS_01_1.VOB", 3 * 2048}, {"VTS_01_2.VOB", 2 * 2048}, {"VTS_01_3.VOB", 2 * 2048 - 100}}};
  EXPECT_EQ(vobs.Sectors(), 7);
  const struct {
    std::int64_t first, count;
    bool ok;
    const char* why;  // a part of the reason
  } cases[] = {
      {0, 1, true, ""},
      {1, 2, true, ""},
      {2, 3, true, ""},  // over the first boundary
      {0, 6, true, ""},  // over both
      {5, 1, true, ""},
      {6, 1, false, "VTS_01_3.VOB is cut short inside sector 6"},
      {7, 1, false, "ends at sector 6 of VTS_01_*.VOB, before sector 7"},
      {4, 9, false, "cut short"},
      {-1, 1, false, "no sectors"},
      {0, 0, false, "no sectors"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> out;
    std::int64_t read = 0;
    std::string why;
    const bool ok = ReadVobSectors(folder.Dir(), vobs, c.first, c.count, out, read, why);
    EXPECT_EQ(ok, c.ok) << c.first << "+" << c.count << ": " << why;
    EXPECT_NE(why.find(c.why), std::string::npos) << why;
    if (!ok) continue;
    ASSERT_EQ(out.size(), static_cast<std::size_t>(c.count * 2048));
    EXPECT_EQ(read, c.count * 2048);
    for (std::int64_t k = 0; k < c.count; ++k) EXPECT_EQ(out[static_cast<std::size_t>(k * 2048 + 1000)], c.first + k);
  }
  std::vector<std::uint8_t> out;
  std::int64_t read = 0;
  std::string why;
  EXPECT_FALSE(ReadVobSectors(folder.Dir(), VobSet{"VTS_02_0.VOB", {{"VTS_02_0.VOB", 2048}}}, 0, 1, out, read, why));
  EXPECT_NE(why.find("VTS_02_0.VOB cannot be read"), std::string::npos) << why;
}

TEST(NavPack, ReadsTheDsiOfABlankVobAndRefusesOtherPacks) {
  const std::vector<std::uint8_t>& image = BlankVobImage("PAL");
  const std::optional<nav::NavPack> nav = nav::ReadNavPack(std::span(image).first(2048));
  ASSERT_TRUE(nav);
  EXPECT_EQ(nav->sector, 0u);
  EXPECT_EQ(nav->vobuEnd, 4u);  // the five sectors are one VOBU
  EXPECT_GE(nav->firstRefEnd, 1u);
  EXPECT_LE(nav->firstRefEnd, 4u);
  EXPECT_EQ(nav->vobId, 1);
  EXPECT_EQ(nav->cellId, 1);
  EXPECT_FALSE(nav::ReadNavPack(std::span(image).subspan(2048, 2048)));  // a video pack
  for (const std::int64_t at : {std::int64_t{3}, nav::kPciPacket + 3, nav::kPciSubstream, nav::kDsiPacket + 3, nav::kDsiSubstream}) {
    std::vector<std::uint8_t> damaged(image.begin(), image.begin() + 2048);
    damaged[static_cast<std::size_t>(at)] ^= 0x40;
    EXPECT_FALSE(nav::IsNavPack(damaged)) << at;
  }
  EXPECT_FALSE(nav::IsNavPack(std::span(image).first(2047)));
}

}  // namespace
}  // namespace kestrune
