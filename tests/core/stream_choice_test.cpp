// Which physical streams a strip run drops for the stream numbers or
// languages asked, as each title chain's stream control maps them; the
// refusals that keep it from dropping packs a kept stream plays.
#include <gtest/gtest.h>

#include "stream_choice.h"

namespace kestrune::strip {
namespace {

ifo::AudioAttributes Audio(ifo::AudioFormat format, const std::string& language) {
  ifo::AudioAttributes a;
  a.format = format;
  a.language = language;
  return a;
}

ifo::SubpictureAttributes Subpicture(const std::string& language) {
  ifo::SubpictureAttributes s;
  s.language = language;
  return s;
}

// A title set like pal_languages' (AC-3 en and MPEG de both decoding stream
// 0) with an LPCM stream fr and a third sub-picture stream without a code.
ifo::StreamAttributes Titles(bool wide) {
  ifo::StreamAttributes t;
  t.video = ifo::DecodeVideoAttributes(wide ? 0x4C00 : 0x4000);
  t.audio = {Audio(ifo::AudioFormat::kAc3, "en"), Audio(ifo::AudioFormat::kMpeg1, "de"),
             Audio(ifo::AudioFormat::kLpcm, "fr")};
  t.subpictures = {Subpicture("de"), Subpicture("fr"), Subpicture("")};
  return t;
}

ifo::ProgramChain Chain() {
  ifo::ProgramChain pgc;
  pgc.audioControl = {0x8000, 0x8000, 0x8100};
  // 4:3 field, then wide, letterbox, pan-scan: 0, 1 and 2 in every field of
  // a 16:9 title; the 4:3 field left 0 as authoring tools leave it.
  pgc.subpictureControl = {0x80000000, 0x80010101, 0x80020202};
  return pgc;
}

TEST(ResolveChoice, MapsStreamNumbersToTheirPacks) {
  const ifo::ProgramChain pgc = Chain();
  struct Case {
    StreamChoice choice;
    std::set<std::uint8_t> physical;
  };
  StreamChoice byNumber;
  byNumber.dropAudio = {2, 3};
  byNumber.dropSubpictures = {3};
  StreamChoice byLanguage;
  byLanguage.keepAudioLanguages = std::set<std::string>{"en"};
  byLanguage.keepSubpictureLanguages = std::set<std::string>{"fr"};  // the stream without a code stays
  const std::vector<Case> cases = {
      {byNumber, {0xC0, 0xA1, 0x22}},
      {byLanguage, {0xC0, 0xA1, 0x20}},
  };
  for (const Case& c : cases) {
    const DroppedStreams d = ResolveChoice(c.choice, Titles(true), {&pgc}, "VTS_01_0.IFO");
    EXPECT_EQ(d.physical, c.physical);
    EXPECT_TRUE(d.Any());
  }
  const DroppedStreams d = ResolveChoice(byNumber, Titles(true), {&pgc}, "VTS_01_0.IFO");
  EXPECT_EQ(d.audio, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(d.subpictures, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(d.kept, (std::set<std::uint8_t>{0x80, 0x20, 0x21}));
}

TEST(ResolveChoice, ReadsTheSubpictureFieldsTheVideoShows) {
  ifo::ProgramChain pgc = Chain();
  pgc.subpictureControl[1] = 0x85000000;  // 4:3 field 5, the others unused
  EXPECT_EQ(SubpictureStreamsOf(pgc, 1, Titles(false).video), (std::set<std::uint8_t>{0x25}));
  pgc.subpictureControl[1] = 0x80010203;  // wide 1, letterbox 2, pan-scan 3
  EXPECT_EQ(SubpictureStreamsOf(pgc, 1, Titles(true).video), (std::set<std::uint8_t>{0x21, 0x22, 0x23}));
  ifo::VideoAttributes letterboxOnly = ifo::DecodeVideoAttributes(0x4E00);
  EXPECT_EQ(SubpictureStreamsOf(pgc, 1, letterboxOnly), (std::set<std::uint8_t>{0x21, 0x22}));
  pgc.subpictureControl[1] &= 0x7FFFFFFF;  // not available in this chain
  EXPECT_TRUE(SubpictureStreamsOf(pgc, 1, Titles(true).video).empty());
}

TEST(ResolveChoice, RefusesWhatWouldDropAKeptStreamOrNothingThatExists) {
  const ifo::ProgramChain pgc = Chain();
  ifo::ProgramChain other = Chain();
  other.audioControl[1] = 0x8100;  // stream 2 plays MPEG audio 0xC1 in this chain
  ifo::ProgramChain swapped = Chain();
  swapped.subpictureControl = {0x80010101, 0x80000000, 0x80020202};  // 1 and 2 swap their packs
  StreamChoice missing;
  missing.dropAudio = {4};
  StreamChoice missingSub;
  missingSub.dropSubpictures = {0, 7};
  StreamChoice conflict;
  conflict.dropSubpictures = {1};
  StreamChoice sdds;
  sdds.dropAudio = {1};
  ifo::StreamAttributes sddsTitles = Titles(true);
  sddsTitles.audio[0].format = ifo::AudioFormat::kSdds;
  struct Case {
    StreamChoice choice;
    std::vector<const ifo::ProgramChain*> chains;
    ifo::StreamAttributes titles;
    const char* says;
  };
  const std::vector<Case> cases = {
      {missing, {&pgc}, Titles(true), "there is no audio stream 4"},
      {missingSub, {&pgc}, Titles(true), "there is no sub-picture stream 0, 7"},
      {conflict, {&pgc, &swapped}, Titles(true), "sub-picture 0x20 is dropped as PGC 1 sub-picture stream 1 but kept as PGC 2"},
      {sdds, {&pgc}, sddsTitles, "audio stream 1 is SDDS"},
  };
  for (const Case& c : cases) {
    try {
      ResolveChoice(c.choice, c.titles, c.chains, "VTS_01_0.IFO");
      ADD_FAILURE() << c.says;
    } catch (const Refusal& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("VTS_01_0.IFO", 0), 0u) << e.what();
    }
  }
  // Two chains that play different packs for one dropped stream drop both.
  StreamChoice both;
  both.dropAudio = {2};
  EXPECT_EQ(ResolveChoice(both, Titles(true), {&pgc, &other}, "VTS_01_0.IFO").physical,
            (std::set<std::uint8_t>{0xC0, 0xC1}));
}

}  // namespace
}  // namespace kestrune::strip
