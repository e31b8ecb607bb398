// The picture layer on real bytes: the video packets of a VOBU's packs, the
// first picture cut from them, and the search for a picture that is not
// black, on the built-in blank VOB, on authored title video and on copies of
// it damaged one field at a time. Nothing may crash; a VOBU that gives no
// picture says why.
#include <gtest/gtest.h>

#include <functional>

#include "big_endian.h"
#include "blank_vob.h"
#include "dvd_check.h"
#include "first_picture.h"
#include "nav_pack.h"
#include "temp_folder.h"
#include "video_packets.h"

namespace kestrune::picture {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A PES packet of stream `id` with `headerData` bytes of header data (MPEG-2
// flags 0x80) and `payload`.
Bytes Packet(std::uint8_t id, const Bytes& payload, std::uint8_t headerData = 0) {
  Bytes p = {0, 0, 1, id, 0, 0, 0x80, 0x00, headerData};
  p.insert(p.end(), headerData, 0xFF);
  p.insert(p.end(), payload.begin(), payload.end());
  PutBigEndian<std::uint16_t>(&p[4], static_cast<std::uint16_t>(p.size() - 6));
  return p;
}

// A 2048-byte MPEG-2 pack of `packets`, filled up with a padding packet.
Bytes Pack(const std::vector<Bytes>& packets, std::uint8_t stuffing = 0) {
  Bytes s = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, static_cast<std::uint8_t>(0xF8 | stuffing)};
  s.insert(s.end(), stuffing, 0xFF);
  for (const Bytes& p : packets) s.insert(s.end(), p.begin(), p.end());
  if (s.size() + 6 <= 2048) {
    Bytes padding = {0, 0, 1, 0xBE, 0, 0};
    PutBigEndian<std::uint16_t>(&padding[4], static_cast<std::uint16_t>(2048 - s.size() - 6));
    s.insert(s.end(), padding.begin(), padding.end());
  }
  s.resize(2048, 0xFF);
  return s;
}

Bytes Join(const std::vector<Bytes>& parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(VideoPackets, TakeThePayloadsOfTheVideoStreamOnly) {
  Bytes cutShort = Pack({Packet(0xE0, Text("kept")), Packet(0xE0, Text("lost"))});
  cutShort[14 + 9 + 4 + 4] = 0x08;  // the second packet's length runs past the pack
  const Bytes whole = Pack({Packet(0xE0, Text("p"))});
  const Bytes partial(whole.begin(), whole.begin() + 2000);
  Bytes mpeg1 = Pack({Packet(0xE0, Text("x"))});
  mpeg1[4] = 0x21;  // an MPEG-1 pack header
  const struct {
    const char* what;
    Bytes sectors;
    std::string video;
  } cases[] = {
      {"one video packet", Pack({Packet(0xE0, Text("abc"))}), "abc"},
      {"audio and sub-pictures passed over", Pack({Packet(0xBD, Text("AC3")), Packet(0xE0, Text("v")), Packet(0xC0, Text("mp2"))}), "v"},
      {"header data (a PTS) passed over", Pack({Packet(0xE0, Text("pic"), 5)}), "pic"},
      {"stuffing after the pack header", Pack({Packet(0xE0, Text("st"))}, 3), "st"},
      {"packs in order", Join({Pack({Packet(0xE0, Text("one"))}), Pack({Packet(0xE0, Text("two"))})}), "onetwo"},
      {"a packet running past its pack ends the pack", cutShort, "kept"},
      {"not a pack", Bytes(2048, 0), ""},
      {"an MPEG-1 pack", mpeg1, ""},
      {"a partial sector is left out", partial, ""},
  };
  for (const auto& c : cases) {
    const Bytes video = VideoElementaryStream(c.sectors);
    EXPECT_EQ(std::string(video.begin(), video.end()), c.video) << c.what;
  }
}

TEST(VideoPackets, FirstPictureRunsFromTheSequenceHeaderToTheNextPicture) {
  const std::string seq = std::string("\0\0\1\xB3", 4) + "SEQ";
  const std::string ext = std::string("\0\0\1\xB5", 4) + "EXT";
  const std::string gop = std::string("\0\0\1\xB8", 4) + "GOP";
  const std::string pic = std::string("\0\0\1\0", 4) + "PIC";
  const std::string slice = std::string("\0\0\1\1", 4) + "SLICE";
  const std::string end = std::string("\0\0\1\xB7", 4);
  const struct {
    const char* what;
    std::string video, picture;
  } cases[] = {
      {"up to the next picture", "xx" + seq + ext + gop + pic + slice + pic + slice, seq + ext + gop + pic + slice},
      {"up to a sequence end", seq + pic + slice + end, seq + pic + slice},
      {"up to the next GOP", seq + pic + slice + gop + pic, seq + pic + slice},
      {"to the end of what was read", seq + gop + pic + slice + "tail", seq + gop + pic + slice + "tail"},
      {"a picture before the sequence header is not taken", pic + slice + seq + pic + slice, seq + pic + slice},
      {"no sequence header", gop + pic + slice, ""},
      {"no picture", seq + gop + ext, ""},
      {"a start code cut at the end", seq + pic + std::string("\0\0", 2), seq + pic + std::string("\0\0", 2)},
      {"nothing", "", ""},
  };
  for (const auto& c : cases) {
    const Bytes video(c.video.begin(), c.video.end());
    const std::span<const std::uint8_t> picture = FirstPicture(video);
    EXPECT_EQ(std::string(picture.begin(), picture.end()), c.picture) << c.what;
  }
}

// ------------------------------------------------- the search for a picture

TEST(FirstPicture, TheBlankVobIsOneBlackPicture) {
  MemorySectors sectors(BlankVobImage("PALA"));
  FrameDecoder decoder;
  const FoundPicture found = FindFirstPicture(sectors, 0, 0, decoder);
  ASSERT_TRUE(found.frame) << found.why;
  EXPECT_EQ(found.frame->Width(), 720);
  EXPECT_EQ(found.frame->Height(), 576);
  EXPECT_TRUE(found.frame->Black());
  EXPECT_EQ(found.why, "black in the first 1 VOBUs");
  EXPECT_EQ(found.vobuSector, 0);
  // The NAV pack and the sectors up to VOBU_1STREF_EA, not the whole VOBU.
  EXPECT_EQ(sectors.bytesRead, 2048 * (1 + static_cast<std::int64_t>(nav::ReadNavPack(BlankVobImage("PALA"))->firstRefEnd)));
}

Bytes FileBytes(const std::filesystem::path& path) { return test::ReadBytes(path.string()); }

// Title 1 of pal_fade_in opens with a second of black: the picture comes
// from a later VOBU, found by following VOBU_EA.
TEST(FirstPicture, PassesOverBlackVobus) {
  const Bytes vob = FileBytes(dvdcheck::FixtureVideoTs("pal_fade_in") / "VTS_01_1.VOB");
  FrameDecoder decoder;
  MemorySectors first(vob);
  const FoundPicture black = FindFirstPicture(first, 0, 1000, decoder, {.maxVobus = 1});
  ASSERT_TRUE(black.frame) << black.why;
  EXPECT_TRUE(black.frame->Black());
  EXPECT_EQ(black.why, "black in the first 1 VOBUs");

  MemorySectors all(vob);
  const FoundPicture found = FindFirstPicture(all, 0, 1000, decoder);
  ASSERT_TRUE(found.frame) << found.why;
  EXPECT_FALSE(found.frame->Black());
  EXPECT_EQ(found.why, "");
  EXPECT_GT(found.vobusLooked, 1);
  EXPECT_GT(found.vobuSector, 0);
  // Each VOBU looked at starts with a NAV pack where the one before it ends.
  std::int64_t sector = 0;
  for (int k = 1; k < found.vobusLooked; ++k) sector += nav::ReadNavPack(std::span(vob).subspan(sector * 2048, 2048))->vobuEnd + 1;
  EXPECT_EQ(found.vobuSector, sector);
  // When every picture looked at is black, the brightest: the third VOBU's
  // (the test pattern fading in) rather than the first's.
  MemorySectors three(vob);
  const FoundPicture dim = FindFirstPicture(three, 0, 1000, decoder, {.maxVobus = 3});
  ASSERT_TRUE(dim.frame) << dim.why;
  ASSERT_TRUE(dim.frame->Black()) << dim.frame->LitShare();
  EXPECT_EQ(dim.why, "black in the first 3 VOBUs");
  const std::int64_t second = nav::ReadNavPack(std::span(vob).first(2048))->vobuEnd + 1;
  EXPECT_EQ(dim.vobuSector, second + nav::ReadNavPack(std::span(vob).subspan(second * 2048, 2048))->vobuEnd + 1);
  EXPECT_GT(dim.frame->MeanLuma(), black.frame->MeanLuma());
  // None past the cell's last VOBU.
  MemorySectors bounded(vob);
  EXPECT_EQ(FindFirstPicture(bounded, 0, 0, decoder).vobusLooked, 1);
}

TEST(FirstPicture, DamagedSectorsGiveAReasonAndNoCrash) {
  const Bytes vob = FileBytes(dvdcheck::FixtureVideoTs("pal_menu") / "VTS_01_1.VOB");
  const nav::NavPack first = *nav::ReadNavPack(std::span(vob).first(2048));
  ASSERT_GT(first.firstRefEnd, 0u);
  const auto put32 = [](std::int64_t at, std::uint32_t value) {
    return [=](Bytes& b) { PutBigEndian<std::uint32_t>(&b[static_cast<std::size_t>(at)], value); };
  };
  const struct {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool picture;
    const char* why;
  } cases[] = {
      {"as authored", [](Bytes&) {}, true, ""},
      {"no NAV pack", [](Bytes& b) { b[nav::kDsiSubstream] = 7; }, false, "no NAV pack at sector 0"},
      {"VOBU_1STREF_EA 0", put32(nav::DsiField(nav::kDsiFirstRefEa), 0), false, "has no reference picture"},
      {"VOBU_1STREF_EA past VOBU_EA", put32(nav::DsiField(nav::kDsiFirstRefEa), first.vobuEnd + 1), false, "past its VOBU_EA"},
      {"VOBU_1STREF_EA past the file", put32(nav::DsiField(nav::kDsiFirstRefEa), 0x7FFFFFFF), false, "past its VOBU_EA"},
      {"the video packs blanked", [](Bytes& b) { std::fill(b.begin() + 2048, b.end(), 0); }, false, "no sequence header"},
      {"cut after the NAV pack", [](Bytes& b) { b.resize(2048 * 2); }, false, "lie past the last"},
      {"VOBU_EA 0 and the rest cut", [&](Bytes& b) { put32(nav::DsiField(nav::kDsiVobuEa), 0)(b); b.resize(2048); }, false, "past its VOBU_EA"},
  };
  FrameDecoder decoder;
  for (const auto& c : cases) {
    Bytes damaged = vob;
    c.damage(damaged);
    MemorySectors sectors(damaged);
    const FoundPicture found = FindFirstPicture(sectors, 0, 0, decoder);
    EXPECT_EQ(found.frame.has_value(), c.picture) << c.what << ": " << found.why;
    EXPECT_NE(found.why.find(c.why), std::string::npos) << c.what << ": " << found.why;
  }
  // Every byte of the sequence and picture headers changed: some pictures
  // decode, some do not, none crashes.
  for (std::size_t at = 2048; at < 2048 + 400; ++at) {
    Bytes damaged = vob;
    damaged[at] ^= 0xFF;
    MemorySectors sectors(damaged);
    const FoundPicture found = FindFirstPicture(sectors, 0, 0, decoder);
    EXPECT_TRUE(found.frame || !found.why.empty()) << at;
  }
}

}  // namespace
}  // namespace kestrune::picture
