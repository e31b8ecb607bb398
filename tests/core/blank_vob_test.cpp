// The four built-in one-frame VOBs, checked byte by byte against the layout the
// rewritten IFOs describe, and the check applied to a user's replacement VOB.
#include "blank_vob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kSector = 2048;

std::uint64_t Be(const Bytes& b, std::size_t pos, int size) {
  std::uint64_t v = 0;
  for (int i = 0; i < size; ++i) v = v << 8 | b.at(pos + static_cast<std::size_t>(i));
  return v;
}

// Reads MPEG fields most significant bit first.
struct BitReader {
  const Bytes& bytes;
  std::size_t bit = 0;
  std::uint32_t Get(int count) {
    std::uint32_t v = 0;
    for (int i = 0; i < count; ++i, ++bit) v = v << 1 | ((bytes.at(bit / 8) >> (7 - bit % 8)) & 1u);
    return v;
  }
};

// A 33-bit PTS, DTS or SCR base from its 3 + 15 + 15 bits between marker bits.
std::uint64_t TimeStamp(BitReader& r) {
  std::uint64_t t = r.Get(3);
  EXPECT_EQ(r.Get(1), 1u);
  t = t << 15 | r.Get(15);
  EXPECT_EQ(r.Get(1), 1u);
  t = t << 15 | r.Get(15);
  EXPECT_EQ(r.Get(1), 1u);
  return t;
}

// Walks the packets of sectors 1 to 4, checks that they fill each sector
// exactly, and returns the video elementary stream they carry.
Bytes DemuxVideo(const Bytes& vob) {
  Bytes stream;
  for (std::size_t s = kSector; s < vob.size(); s += kSector) {
    std::size_t pos = s + 14;
    while (pos < s + kSector) {
      const std::size_t end = pos + 6 + Be(vob, pos + 4, 2);
      if (vob[pos + 3] == 0xE0) {
        const std::size_t payload = pos + 9 + vob[pos + 8];
        stream.insert(stream.end(), vob.begin() + static_cast<long>(payload), vob.begin() + static_cast<long>(end));
      } else {
        EXPECT_EQ(vob[pos + 3], 0xBE) << "sector " << s / kSector;
        for (std::size_t i = pos + 6; i < end; ++i) EXPECT_EQ(vob[i], 0xFF);
      }
      pos = end;
    }
    EXPECT_EQ(pos, s + kSector) << "sector " << s / kSector;
  }
  return stream;
}

std::vector<int> StartCodes(const Bytes& es) {
  std::vector<int> codes;
  for (std::size_t i = 0; i + 3 < es.size(); ++i) {
    if (es[i] == 0 && es[i + 1] == 0 && es[i + 2] == 1) codes.push_back(es[i + 3]);
  }
  return codes;
}

TEST(BlankVobImageName, OnlyTvSystemAndWideBitsCount) {
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0x00}), "NTSC");
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0x08}), "NTSCA");
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0x10}), "PAL");
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0x18}), "PALA");
  // TV-system field 11 and 10, aspect field 01, every other bit set.
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0x30}), "PAL");
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0x20}), "NTSC");
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0x04}), "NTSC");
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0xE7}), "NTSC");
  EXPECT_EQ(BlankVobImageName(std::uint8_t{0xFF}), "PALA");
  EXPECT_EQ(BlankVobImageName(true, false), "PAL");
  EXPECT_EQ(BlankVobImageName(false, true), "NTSCA");
}

TEST(BlankVobImage, UnknownNameThrowsNamingIt) {
  for (const std::string name : {"pal", "", "PALB", "NTSC "}) {
    try {
      BlankVobImage(name);
      ADD_FAILURE() << "no error for \"" << name << "\"";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(dynamic_cast<const UnknownBlankVob*>(&e), nullptr);
      EXPECT_NE(std::string(e.what()).find('"' + name + '"'), std::string::npos) << e.what();
    }
  }
}

TEST(BlankVobImage, WideImageDiffersOnlyInAspectRatioInformation) {
  for (const bool pal : {false, true}) {
    const Bytes& narrow = BlankVobImage(pal ? "PAL" : "NTSC");
    const Bytes& wide = BlankVobImage(pal ? "PALA" : "NTSCA");
    ASSERT_EQ(narrow.size(), wide.size());
    // Sector 1: pack header 14, PES header 9 + 13, then byte 7 of the sequence header.
    constexpr std::size_t kAspectByte = kSector + 14 + 22 + 7;
    for (std::size_t i = 0; i < narrow.size(); ++i) {
      if (i != kAspectByte) {
        ASSERT_EQ(narrow[i], wide[i]) << "byte " << i;
      }
    }
    EXPECT_EQ(narrow[kAspectByte], pal ? 0x23 : 0x24);  // aspect 2, frame rate code 3 or 4
    EXPECT_EQ(wide[kAspectByte], pal ? 0x33 : 0x34);
    EXPECT_EQ(&BlankVobImage(pal ? "PAL" : "NTSC"), &narrow);  // built once
  }
}

struct Expected {
  const char* name;
  bool pal;
  std::uint32_t pts, framePeriod, vobuSpan, cellElapsedTime;
  std::size_t streamLength, lastVideoPacket, lastPaddingPacket;
  std::uint32_t lines;
};

class BlankVobImageLayout : public testing::TestWithParam<Expected> {};

TEST_P(BlankVobImageLayout, PackHeadersAndNavPack) {
  const Expected& x = GetParam();
  const Bytes& vob = BlankVobImage(x.name);
  ASSERT_EQ(vob.size(), 10240u);
  const std::uint64_t scr[5][2] = {{0, 0}, {146, 86}, {292, 171}, {438, 257}, {585, 43}};
  for (std::size_t s = 0; s < 5; ++s) {
    ASSERT_EQ(Be(vob, s * kSector, 4), 0x000001BAu);
    BitReader r{vob, (s * kSector + 4) * 8};
    EXPECT_EQ(r.Get(2), 0b01u);
    EXPECT_EQ(TimeStamp(r), scr[s][0]) << "sector " << s;
    EXPECT_EQ(r.Get(9), scr[s][1]) << "sector " << s;
    EXPECT_EQ(r.Get(1), 1u);
    EXPECT_EQ(r.Get(22), 25200u);  // program_mux_rate
    EXPECT_EQ(r.Get(10), 0x3F8u);  // markers, reserved, pack_stuffing_length 0
  }
  const Bytes systemHeader{0x00, 0x00, 0x01, 0xBB, 0x00, 0x12, 0x80, 0xC4, 0xE1, 0x00, 0xE1, 0x7F,
                           0xB9, 0xE0, 0xE8, 0xB8, 0xC0, 0x20, 0xBD, 0xE0, 0x3A, 0xBF, 0xE0, 0x02};
  EXPECT_EQ(Bytes(vob.begin() + 0x0E, vob.begin() + 0x26), systemHeader);
  EXPECT_EQ(Be(vob, 0x026, 7), 0x000001BF03D400u);  // PCI packet, 980 bytes, sub-stream 0
  EXPECT_EQ(Be(vob, 0x400, 7), 0x000001BF03FA01u);  // DSI packet, 1018 bytes, sub-stream 1

  Bytes pci(979, 0);
  auto put = [](Bytes& b, std::size_t pos, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[pos + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
  };
  put(pci, 12, x.pts);                  // VOBU_S_PTM
  put(pci, 16, x.pts + x.vobuSpan);     // VOBU_E_PTM
  put(pci, 20, x.pts + x.framePeriod);  // VOBU_SE_E_PTM
  put(pci, 24, x.cellElapsedTime);      // C_ELTM
  EXPECT_EQ(Bytes(vob.begin() + 0x2D, vob.begin() + 0x2D + 979), pci);

  Bytes dsi(1017, 0);
  put(dsi, 8, 4);   // VOBU_EA
  put(dsi, 12, 4);  // VOBU_1STREF_EA
  put(dsi, 24, 0x00010001);  // VOBU_VOB_IDN 1, reserved, VOBU_C_IDN 1
  put(dsi, 28, x.cellElapsedTime);
  put(dsi, 44, x.pts);               // VOB_V_S_PTM
  put(dsi, 48, x.pts + x.vobuSpan);  // VOB_V_E_PTM
  for (std::size_t i = 0; i < 42; ++i) put(dsi, 234 + 4 * i, i == 0 || i == 41 ? 0xBFFFFFFF : 0x3FFFFFFF);
  EXPECT_EQ(Bytes(vob.begin() + 0x407, vob.end() - 4 * kSector), dsi);
  EXPECT_EQ(CheckOneFrameVob(vob), "");
}

TEST_P(BlankVobImageLayout, VideoPacketsAndSequenceHeaders) {
  const Expected& x = GetParam();
  const Bytes& vob = BlankVobImage(x.name);
  // Video PES packets of 2028 bytes, the first with PTS, DTS and P-STD buffer size.
  EXPECT_EQ(Be(vob, kSector + 14, 8), 0x000001E007EC81C1u);
  EXPECT_EQ(vob[kSector + 22], 13);
  BitReader r{vob, (kSector + 23) * 8};
  EXPECT_EQ(r.Get(4), 0x3u);
  EXPECT_EQ(TimeStamp(r), x.pts);
  EXPECT_EQ(r.Get(4), 0x1u);
  EXPECT_EQ(TimeStamp(r), x.pts - x.framePeriod);  // DTS
  EXPECT_EQ(Be(vob, kSector + 33, 3), 0x1E60E8u);    // P-STD buffer scale 1, size 232
  for (const std::size_t s : {2, 3}) EXPECT_EQ(Be(vob, s * kSector + 14, 8), 0x000001E007EC8100u);
  EXPECT_EQ(Be(vob, 4 * kSector + 14, 8), 0x000001E000008100u | x.lastVideoPacket << 16);
  for (const std::size_t s : {2, 3, 4}) EXPECT_EQ(vob[s * kSector + 22], 0);
  EXPECT_EQ(Be(vob, 4 * kSector + 20 + x.lastVideoPacket, 6), 0x000001BE0000u | x.lastPaddingPacket);

  const Bytes es = DemuxVideo(vob);
  ASSERT_EQ(es.size(), x.streamLength);
  std::vector<int> codes{0xB3, 0xB5, 0xB8, 0x00, 0xB5};
  if (x.pal) codes.insert(codes.begin() + 2, 0xB5);  // sequence display extension
  for (std::uint32_t row = 1; row <= x.lines / 16; ++row) codes.push_back(static_cast<int>(row));
  codes.push_back(0xB7);
  EXPECT_EQ(StartCodes(es), codes);
  EXPECT_EQ(Be(es, es.size() - 4, 4), 0x000001B7u);

  BitReader h{es, 32};
  EXPECT_EQ(h.Get(12), 720u);
  EXPECT_EQ(h.Get(12), x.lines);
  h.Get(4);  // aspect_ratio_information: see WideImageDiffersOnlyInAspectRatioInformation
  EXPECT_EQ(h.Get(4), x.pal ? 3u : 4u);
  EXPECT_EQ(h.Get(18), 20000u);
  EXPECT_EQ(h.Get(1), 1u);
  EXPECT_EQ(h.Get(11), 112u << 1);  // vbv_buffer_size_value, constrained_parameters_flag 0
  for (int matrix = 0; matrix < 2; ++matrix) {
    ASSERT_EQ(h.Get(1), x.pal ? 1u : 0u);
    for (int i = 0; x.pal && i < 64; ++i) ASSERT_EQ(h.Get(8), i == 0 ? 8u : 4u);
  }
  // Sequence extension (Main profile at Main level, interlaced 4:2:0), the
  // 625/50 display extension (PAL, BT.470 B/G colour, 720x576), the closed GOP
  // at 00:00:00:00, the I picture header and its coding extension (f_codes 15,
  // 10-bit DC, frame picture, top field first, then the per-system flags).
  Bytes headers{0x00, 0x00, 0x01, 0xB5, 0x14, 0x82, 0x00, 0x01, 0x00, 0x00};
  if (x.pal) headers.insert(headers.end(), {0x00, 0x00, 0x01, 0xB5, 0x23, 0x05, 0x05, 0x05, 0x0B, 0x42, 0x12, 0x00});
  headers.insert(headers.end(), {0x00, 0x00, 0x01, 0xB8, 0x00, 0x08, 0x00, 0x40,  //
                                 0x00, 0x00, 0x01, 0x00, 0x00, 0x0F, 0xFF, 0xF8,  //
                                 0x00, 0x00, 0x01, 0xB5, 0x8F, 0xFF, 0xFB});
  headers.insert(headers.end(), {std::uint8_t(x.pal ? 0xC1 : 0x9C), std::uint8_t(x.pal ? 0x80 : 0x00)});
  ASSERT_EQ(h.bit % 8, 0u);
  const auto at = es.begin() + static_cast<long>(h.bit / 8);
  EXPECT_EQ(Bytes(at, at + static_cast<long>(headers.size())), headers);
}

INSTANTIATE_TEST_SUITE_P(
    AllFour, BlankVobImageLayout,
    testing::Values(Expected{"NTSC", false, 21021, 3003, 36036, 0xC0, 7614, 1555, 467, 480},
                    Expected{"NTSCA", false, 21021, 3003, 36036, 0xC0, 7614, 1555, 467, 480},
                    Expected{"PAL", true, 25200, 3600, 54000, 0x40, 6529, 470, 1552, 576},
                    Expected{"PALA", true, 25200, 3600, 54000, 0x40, 6529, 470, 1552, 576}),
    [](const testing::TestParamInfo<Expected>& p) { return std::string(p.param.name); });

// The stream of another length is split the same way: packets filled in
// order, padding after the last video bytes, VOBU_1STREF_EA on its sector.
TEST(BuildOneFrameVob, SplitsAnyStreamThatFitsOverSectorsOneToFour) {
  const Bytes natural = BlackFrameVideoStream(false, false);
  for (const std::size_t length : {natural.size(), std::size_t{1}, std::size_t{2013}, std::size_t{8084},
                                   std::size_t{8087}}) {
    Bytes stream = natural;
    stream.resize(length, 0x5A);
    const Bytes vob = BuildOneFrameVob(false, stream);
    ASSERT_EQ(vob.size(), 10240u);
    EXPECT_EQ(DemuxVideo(vob), stream) << length;
    const std::size_t endSector = length <= 2012 ? 1 : length <= 4037 ? 2 : length <= 6062 ? 3 : 4;
    EXPECT_EQ(Be(vob, 0x407 + 12, 4), endSector) << length;
    EXPECT_EQ(CheckOneFrameVob(vob), "") << length;
  }
  EXPECT_THROW(BuildOneFrameVob(true, Bytes(8088, 0x5A)), std::length_error);
  EXPECT_THROW(BuildOneFrameVob(true, Bytes()), std::length_error);
}

TEST(CheckOneFrameVob, NamesWhatBreaksTheContract) {
  const Bytes& good = BlankVobImage("PALA");
  Bytes longer = good;
  longer.resize(20480);
  EXPECT_EQ(CheckOneFrameVob(longer), "it is 20480 bytes, not 10240");
  EXPECT_EQ(CheckOneFrameVob({}), "it is 0 bytes, not 10240");

  struct Case {
    std::size_t pos;
    std::uint8_t value;
    const char* reason;
  };
  for (const Case& c : {Case{0x003, 0xBB, "sector 0 holds no NAV pack"},   // no pack header
                        Case{0x011, 0xE0, "sector 0 holds no NAV pack"},   // no system header
                        Case{0x02C, 0x01, "sector 0 holds no NAV pack"},   // PCI sub-stream
                        Case{0x403, 0xBD, "sector 0 holds no NAV pack"},   // no DSI packet
                        Case{0x412, 0x05, "its NAV pack ends the VOBU at sector 5, not 4"},
                        Case{0x420, 0x02, "its NAV pack names VOB 2, cell 1"},
                        Case{0x422, 0x03, "its NAV pack names VOB 1, cell 3"}}) {
    Bytes bad = good;
    bad[c.pos] = c.value;
    EXPECT_EQ(CheckOneFrameVob(bad), c.reason) << std::hex << c.pos;
  }
  Bytes twoNavPacks = good;
  std::copy(good.begin(), good.begin() + 2048, twoNavPacks.begin() + 3 * 2048);
  EXPECT_EQ(CheckOneFrameVob(twoNavPacks), "sector 3 holds a second NAV pack");
}

}  // namespace
}  // namespace kestrune
