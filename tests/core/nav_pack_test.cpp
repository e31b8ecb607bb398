// Packs told apart (nav_pack.h) and NAV packs moved over a sector map
// (nav_relocation.h): every field, its flag bits, the SYNCI of dropped
// streams, and each field that cannot be moved named in the error.
#include <gtest/gtest.h>

#include <functional>

#include "big_endian.h"
#include "blank_vob.h"
#include "nav_pack.h"
#include "nav_relocation.h"

namespace kestrune {
namespace {

using namespace nav;
using Sector = std::vector<std::uint8_t>;

// A pack whose one packet is `id` (with `substream` as the first payload
// byte of private stream 1), after `stuffing` pack stuffing bytes.
Sector MakePack(std::uint8_t id, std::uint8_t substream = 0, int stuffing = 0) {
  Sector s(kSectorSize, 0xFF);
  const std::uint8_t header[] = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 0x01, 0x89, 0xC3, static_cast<std::uint8_t>(0xF8 | stuffing)};
  std::copy(std::begin(header), std::end(header), s.begin());
  const std::size_t at = kPackHeaderSize + stuffing;
  const std::uint8_t pes[] = {0, 0, 1, id, 0x07, 0xEC, 0x81, 0x80, 5, 0x21, 0, 1, 0, 1, substream};
  std::copy(std::begin(pes), std::end(pes), s.begin() + at);
  return s;
}

TEST(ReadPack, TellsEveryKindOfPackApart) {
  struct Case {
    Sector sector;
    PackKind kind;
    std::uint8_t stream;
  };
  const Sector nav(BlankVobImage("PAL").begin(), BlankVobImage("PAL").begin() + kSectorSize);
  const std::vector<Case> cases = {
      {nav, PackKind::kNav, 0},
      {MakePack(0xE0), PackKind::kVideo, 0xE0},
      {MakePack(0xBD, 0x80), PackKind::kAudio, 0x80},      // AC-3
      {MakePack(0xBD, 0x89), PackKind::kAudio, 0x89},      // DTS
      {MakePack(0xBD, 0xA2), PackKind::kAudio, 0xA2},      // LPCM
      {MakePack(0xC1), PackKind::kAudio, 0xC1},            // MPEG audio
      {MakePack(0xBD, 0x21, 3), PackKind::kSubpicture, 0x21},  // after pack stuffing
      {MakePack(0xBE), PackKind::kPadding, 0xBE},
      {MakePack(0xBD, 0x90), PackKind::kOther, 0x90},      // kept as it is
  };
  for (const Case& c : cases) {
    std::string why;
    const auto pack = ReadPack(c.sector, why);
    ASSERT_TRUE(pack) << why;
    EXPECT_EQ(pack->kind, c.kind) << StreamName(c.stream);
    if (c.kind != PackKind::kNav) {
      EXPECT_EQ(pack->stream, c.stream) << StreamName(c.stream);
    }
  }
  EXPECT_TRUE(IsNavPack(nav));
  EXPECT_FALSE(IsNavPack(MakePack(0xE0)));
}

TEST(ReadPack, RefusesWhatIsNoPack) {
  Sector zeros(kSectorSize, 0);
  Sector mpeg1 = MakePack(0xE0);
  mpeg1[4] = 0x21;  // an MPEG-1 pack header
  Sector cut = MakePack(0xBD, 0x80);
  cut[kPackHeaderSize + 6] = 0x0F;  // private stream 1 without the MPEG-2 packet header's marker bits
  const Sector shortSector(100, 0);
  for (const Sector& s : {zeros, mpeg1, cut, shortSector}) {
    std::string why;
    EXPECT_FALSE(ReadPack(s, why));
    EXPECT_FALSE(why.empty());
  }
}

// The map of the tests below: sectors 10-12 and 33-34 removed.
SectorMap TestMap() {
  SectorMap map;
  map.Keep(10);
  map.Remove(3);
  map.Keep(20);
  map.Remove(2);
  map.Keep(50);
  return map;
}

class NavPack {
 public:
  explicit NavPack(std::uint32_t sector)
      : bytes_(BlankVobImage("PAL").begin(), BlankVobImage("PAL").begin() + kSectorSize) {
    Dsi(kDsiNvPckLbn, sector);
    Pci(kPciNvPckLbn, sector);
    for (int i = 0; i < kVobuSriEntries; ++i) Dsi(kVobuSri + 4 * i, kSriEndOfCell);
  }
  void Pci(std::int64_t field, std::uint32_t v) { PutBigEndian(&bytes_[PciField(field)], v); }
  void Dsi(std::int64_t field, std::uint32_t v) { PutBigEndian(&bytes_[DsiField(field)], v); }
  void DsiWord(std::int64_t field, std::uint16_t v) { PutBigEndian(&bytes_[DsiField(field)], v); }
  std::uint32_t Dsi(std::int64_t field) const { return GetBigEndian<std::uint32_t>(&bytes_[DsiField(field)]); }
  std::uint16_t DsiWord(std::int64_t field) const { return GetBigEndian<std::uint16_t>(&bytes_[DsiField(field)]); }
  std::uint32_t Pci(std::int64_t field) const { return GetBigEndian<std::uint32_t>(&bytes_[PciField(field)]); }
  Sector& Bytes() { return bytes_; }

 private:
  Sector bytes_;
};

TEST(RelocateNavPack, MovesEverySectorFieldAndKeepsTheRest) {
  const SectorMap map = TestMap();
  NavPack p(13);  // new sector 10
  p.Dsi(kDsiVobuEa, 21);       // ends on removed sector 34: now on 32, new 29
  p.Dsi(kDsiFirstRefEa, 5);    // sector 18, new 15
  p.Dsi(kDsiFirstRefEa + 4, 0);  // no second reference picture
  p.Dsi(kVobuSri, 0x80000000 | 22);  // next video VOBU at 35 (new 30), flag kept
  p.Dsi(kVobuSri + 4 * 20, 22);      // next VOBU
  p.Dsi(kVobuSri + 4 * 21, 13);      // previous VOBU at 0, backwards
  p.Dsi(kVobuSri + 4 * 41, 0x40000000 | 13);  // previous video VOBU, another flag bit
  p.DsiWord(kAudioSynca, 2);                  // stream 1: sector 15, new 12
  p.DsiWord(kAudioSynca + 2, 20);             // stream 2: dropped
  p.DsiWord(kAudioSynca + 4, 0x8000 | 13);    // stream 3: before, at sector 0
  p.DsiWord(kAudioSynca + 6, 0x3FFF);         // stream 4: no pack near
  p.Dsi(kSubpictureSynca, 0x7FFFFFFF);        // sub-picture 1: none near
  p.Dsi(kSubpictureSynca + 4, 25);            // sub-picture 2: sector 38, new 33
  p.Dsi(kSubpictureSynca + 8, 24);            // sub-picture 3: dropped
  const Sector before = p.Bytes();

  RelocateNavPack(p.Bytes(), 13, map, SynciDrops{0b10, 0b100});
  EXPECT_EQ(p.Pci(kPciNvPckLbn), 10u);
  EXPECT_EQ(p.Dsi(kDsiNvPckLbn), 10u);
  EXPECT_EQ(p.Dsi(kDsiVobuEa), 19u);
  EXPECT_EQ(p.Dsi(kDsiFirstRefEa), 5u);
  EXPECT_EQ(p.Dsi(kDsiFirstRefEa + 4), 0u);
  EXPECT_EQ(p.Dsi(kVobuSri), 0x80000000u | 20);
  EXPECT_EQ(p.Dsi(kVobuSri + 4 * 1), kSriEndOfCell);
  EXPECT_EQ(p.Dsi(kVobuSri + 4 * 20), 20u);
  EXPECT_EQ(p.Dsi(kVobuSri + 4 * 21), 10u);
  EXPECT_EQ(p.Dsi(kVobuSri + 4 * 41), 0x40000000u | 10);
  EXPECT_EQ(p.DsiWord(kAudioSynca), 2u);
  EXPECT_EQ(p.DsiWord(kAudioSynca + 2), 0u);
  EXPECT_EQ(p.DsiWord(kAudioSynca + 4), 0x8000u | 10);
  EXPECT_EQ(p.DsiWord(kAudioSynca + 6), 0x3FFFu);
  EXPECT_EQ(p.Dsi(kSubpictureSynca), 0x7FFFFFFFu);
  EXPECT_EQ(p.Dsi(kSubpictureSynca + 4), 23u);
  EXPECT_EQ(p.Dsi(kSubpictureSynca + 8), 0u);
  // Nothing else of the pack changed: the PCI (buttons, times) and the DSI
  // outside its sector fields are the same bytes.
  std::size_t changed = 0;
  for (std::size_t i = 0; i < before.size(); ++i) changed += before[i] != p.Bytes()[i];
  EXPECT_LE(changed, 4u * 14);
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + PciField(0), p.Bytes().begin()));
}

TEST(RelocateNavPack, NamesTheFieldThatCannotBeMoved) {
  struct Case {
    const char* field;
    std::function<void(NavPack&)> damage;
    std::uint32_t sector = 13;
  };
  const std::vector<Case> cases = {
      {"DSI NV_PCK_LBN", [](NavPack& p) { p.Dsi(kDsiNvPckLbn, 14); }},
      {"PCI NV_PCK_LBN", [](NavPack& p) { p.Pci(kPciNvPckLbn, 12); }},
      {"NV_PCK_LBN", [](NavPack&) {}, 11},  // the NAV pack itself removed
      {"VOBU_EA", [](NavPack& p) { p.Dsi(kDsiVobuEa, 100); }},
      {"VOBU_1STREF_EA", [](NavPack& p) { p.Dsi(kDsiFirstRefEa, 5); }},  // after its VOBU (EA 0)
      {"VOBU_SRI entry 21", [](NavPack& p) { p.Dsi(kVobuSri + 4 * 20, 20); }},  // sector 33, removed
      {"VOBU_SRI entry 22", [](NavPack& p) { p.Dsi(kVobuSri + 4 * 21, 14); }},  // before the set
      {"A_SYNCA 1", [](NavPack& p) { p.DsiWord(kAudioSynca, 0x8000 | 2); }},    // sector 11, removed
      {"SP_SYNCA 32", [](NavPack& p) { p.Dsi(kSubpictureSynca + 4 * 31, 500); }},
      {"SML_PBI ILVU_EA/ILVU_SA", [](NavPack& p) { p.Dsi(kSmlPbiIlvuEa, 3); }},
      {"SML_AGLI", [](NavPack& p) { p.Dsi(kSmlAgli + kSmlAgliEntrySize * 2, 40); }},
      {"NSML_AGLI", [](NavPack& p) { p.Pci(kNsmlAgli, 40); }},
  };
  for (const Case& c : cases) {
    NavPack p(c.sector);
    c.damage(p);
    try {
      RelocateNavPack(p.Bytes(), c.sector, TestMap(), {});
      ADD_FAILURE() << c.field << ": moved";
    } catch (const NavPackError& e) {
      EXPECT_EQ(e.Field(), c.field) << e.what();
    }
  }
}

}  // namespace
}  // namespace kestrune
