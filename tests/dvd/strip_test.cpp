// Strip runs on copies of the authored discs, checked by what other software
// makes of the result: ffprobe lists exactly the kept streams, the video
// decodes to the same frames and each kept audio stream to the same samples
// (ffmpeg's framemd5 and md5), each kept sub-picture stream's packets are
// the same bytes, libdvdread opens every IFO without a warning, libdvdnav
// plays every title and chapter and the menus that set streams still reach
// their titles, the verifier finds no error, the dry run's figures are the
// run's, and restore gives back the original bytes. Then the refusals: each
// bad input is refused before anything changes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "big_endian.h"
#include "dvd_check.h"
#include "fixtures.h"
#include "nav_pack.h"
#include "planned_folder.h"
#include "run_plan.h"
#include "strip_run.h"
#include "temp_folder.h"
#include "verify.h"
#include "backup_commands.h"
#include "report_text.h"
#include "run_cli.h"
#include <nlohmann/json.hpp>

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

// What a shell command prints on standard output.
std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return text;
  std::array<char, 4096> buffer{};
  for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) text.append(buffer.data(), n);
  ::pclose(pipe);
  return text;
}

// The title VOB set of title set 1, joined, as players and ffmpeg read it.
std::string Joined(const fs::path& dir) {
  std::string files;
  for (int k = 1; k <= 9; ++k)
    if (fs::exists(dir / ("VTS_01_" + std::to_string(k) + ".VOB")))
      files += " '" + (dir / ("VTS_01_" + std::to_string(k) + ".VOB")).string() + "'";
  return "cat" + files + " | ";
}

// "0x80 ac3" lines: the streams ffprobe finds, by id.
std::string Streams(const fs::path& dir) {
  return Output(Joined(dir) +
                "ffprobe -v error -show_entries stream=id,codec_name -of csv=p=0 -i pipe: | sort");
}

std::string Decoded(const fs::path& dir, const std::string& map, const char* format) {
  return Output(Joined(dir) + "ffmpeg -v error -i pipe: -map " + map + " -f " + format + " -");
}

// The payload bytes of every packet of private stream 1 sub-stream `stream`.
std::vector<std::uint8_t> SubpicturePackets(const fs::path& dir, std::uint8_t stream) {
  std::vector<std::uint8_t> all, payload;
  for (int k = 1; k <= 9; ++k) {
    const fs::path vob = dir / ("VTS_01_" + std::to_string(k) + ".VOB");
    if (!fs::exists(vob)) continue;
    const auto bytes = test::ReadBytes(vob.string());
    all.insert(all.end(), bytes.begin(), bytes.end());
  }
  for (std::size_t s = 0; s + kSectorSize <= all.size(); s += kSectorSize) {
    std::string why;
    const auto pack = nav::ReadPack(std::span(all).subspan(s, kSectorSize), why);
    if (pack && pack->kind == nav::PackKind::kSubpicture && pack->stream == stream)
      payload.insert(payload.end(), all.begin() + static_cast<std::ptrdiff_t>(s) + nav::kPackHeaderSize,
                     all.begin() + static_cast<std::ptrdiff_t>(s + kSectorSize));
  }
  return payload;
}

struct Original {
  std::string streams, video;
  std::vector<std::array<int, 3>> menus;  // title, audio and sub-picture stream a menu's SetSTN leads to
  std::map<std::string, std::string> audio;  // by ffmpeg map ("0:a:1")
  std::map<std::uint8_t, std::vector<std::uint8_t>> subpictures;
};

Original Measure(const fs::path& dir) {
  Original o;
  o.streams = Streams(dir);
  o.video = Decoded(dir, "0:v:0", "framemd5");
  for (const char* id : {"0:a:0", "0:a:1", "0:a:2"}) o.audio[id] = Decoded(dir, id, "md5");
  for (std::uint8_t s : {0x20, 0x21, 0x22}) o.subpictures[s] = SubpicturePackets(dir, s);
  // The video manager's title menu and title set 1's root menu.
  for (int set : {0, 1}) {
    const dvdcheck::MenuToTitle m = dvdcheck::FollowMenuToTitle(dir, set);
    EXPECT_TRUE(m.reached && m.errors.empty()) << "menu of title set " << set << ": " << m.errors.size();
    o.menus.push_back({m.title, m.audioStream, m.subpictureStream});
  }
  return o;
}

// The disc as a player and the verifier see it: IFOs open without a
// warning, every title and chapter plays, every menu is reached, no error.
void ExpectPlayable(const fs::path& dir) {
  const dvdcheck::IfoReport ifos = dvdcheck::OpenAllIfos(dir);
  EXPECT_TRUE(ifos.ok) << dvdcheck::Describe(ifos);
  // Every title plays through all its cells and chapters.
  for (const dvdcheck::TitlePlayback& p : dvdcheck::PlayAllTitles(dir)) {
    EXPECT_TRUE(p.ok) << dvdcheck::Describe(p);
    const dvdcheck::TitleInfo& title = ifos.vmg.titles.at(static_cast<std::size_t>(p.title - 1));
    const dvdcheck::TitleSetInfo* set = ifos.TitleSet(title.titleSet);
    ASSERT_NE(set, nullptr);
    const dvdcheck::PgcInfo& pgc =
        set->pgcs.at(static_cast<std::size_t>(set->ptts.at(static_cast<std::size_t>(title.vtsTitle - 1)).at(0).pgcn - 1));
    EXPECT_EQ(p.cells, pgc.cells) << "title " << p.title;
    EXPECT_EQ(p.lastProgram, pgc.programs) << "title " << p.title;
  }
  const dvdcheck::NavigationReport nav = dvdcheck::FollowMenus(dir);
  EXPECT_TRUE(nav.ok) << dvdcheck::Describe(nav);
  EXPECT_TRUE(dvdcheck::SectorLayoutCheck(dir).empty());
  const verify::Report report = verify::VerifyFolder(dir.string());
  EXPECT_EQ(report.Errors(), 0) << test::Findings(report);
}

strip::StripOptions Options(std::vector<int> sets, std::set<int> audio, std::set<int> subpictures, bool backup = true) {
  strip::StripOptions o;
  o.titleSets = std::move(sets);
  o.choice.dropAudio = std::move(audio);
  o.choice.dropSubpictures = std::move(subpictures);
  o.backup = backup;
  return o;
}

struct Case {
  const char* name;
  const char* disc;
  strip::StripOptions options;
  std::set<std::string> keptAudio;      // ffmpeg maps of the original audio streams kept
  std::set<std::uint8_t> keptSubpictures;
  // pal_streams' menus set audio 3 and sub-picture 2 (video manager) and
  // audio 1 and sub-picture 1 (title set 1): the run keeps all four.
  bool menusSetKeptStreams = false;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Strip : public ::testing::TestWithParam<Case> {};

TEST_P(Strip, KeepsEveryKeptStreamAndEveryJump) {
  const Case& c = GetParam();
  test::TempFolder work;
  const fs::path dir = fs::path(work.Dir()) / "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs(c.disc).string(), dir.string());
  const Files before = test::Snapshot(dir.string());
  const Original original = Measure(dir);

  // The plan changes nothing and says what the run then saves.
  PlannedFolder plan(dir.string() + "/");
  strip::StripRun dry(dir.string(), c.options);
  const auto planned = dry.ProcessPlanned(plan);
  const RunPlan files = DescribePlan(plan, dir.string() + "/");
  EXPECT_EQ(test::Snapshot(dir.string()), before);

  strip::StripRun run(dir.string(), c.options);
  const auto done = run.Process();
  ASSERT_EQ(done.size(), planned.size());
  std::int64_t saved = 0;
  for (std::size_t i = 0; i < done.size(); ++i) {
    EXPECT_EQ(done[i].BytesSaved(), planned[i].BytesSaved());
    EXPECT_GT(done[i].BytesSaved(), 0);
    saved += done[i].BytesSaved();
  }
  const Files after = test::Snapshot(dir.string());
  std::int64_t bytesBefore = 0, bytesAfter = 0;
  for (const auto& [name, bytes] : before) bytesBefore += name.back() == '~' ? 0 : std::ssize(bytes);
  for (const auto& [name, bytes] : after) bytesAfter += name.back() == '~' ? 0 : std::ssize(bytes);
  EXPECT_EQ(files.bytesSaved, bytesBefore - bytesAfter);
  EXPECT_EQ(saved, bytesBefore - bytesAfter);

  // The same video frames, the kept audio samples and sub-picture packets.
  const Original now = Measure(dir);
  EXPECT_EQ(now.video, original.video);
  int audio = 0;
  for (const auto& [map, md5] : original.audio) {
    if (!c.keptAudio.count(map)) continue;
    EXPECT_EQ(Decoded(dir, "0:a:" + std::to_string(audio++), "md5"), md5) << map;
  }
  EXPECT_EQ(Decoded(dir, "0:a:" + std::to_string(audio), "md5"), "");  // no further audio stream
  for (const auto& [stream, packets] : original.subpictures) {
    if (c.keptSubpictures.count(stream))
      EXPECT_EQ(now.subpictures.at(stream), packets) << nav::StreamName(stream);
    else
      EXPECT_TRUE(now.subpictures.at(stream).empty()) << nav::StreamName(stream);
  }
  EXPECT_NE(now.streams, original.streams);
  // The menus that set streams (SetSTN) still reach their title, with the
  // same stream numbers where the stream they set is kept.
  if (c.menusSetKeptStreams) {
    // The video manager menu sets sub-picture stream 2 (fr, packs 0x21) and
    // the root menu sub-picture stream 1 (de, 0x20); libdvdnav gives the
    // stream the packs belong to. (Its audio streams are all stream 0 of
    // their formats, which libdvdnav does not tell apart.)
    EXPECT_EQ(original.menus.at(0)[2], 1);
    EXPECT_EQ(original.menus.at(1)[2], 0);
    EXPECT_EQ(now.menus, original.menus);
  }
  ExpectPlayable(dir);

  if (c.options.backup) {
    const BackupResult restored = RestoreBackups(dir.string());
    EXPECT_TRUE(restored.passedOver.empty());
    EXPECT_EQ(test::Snapshot(dir.string()), before);
  } else {
    for (const auto& [name, bytes] : after) EXPECT_NE(name.back(), '~') << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Discs, Strip,
    ::testing::Values(
        // Two of three audio streams (MPEG and LPCM) and a sub-picture stream
        // of a title VOB set in three files: the new set needs fewer files.
        Case{"audio_and_subpicture", "pal_streams", Options({1}, {2, 3}, {1}), {"0:a:0"}, {0x21, 0x22}},
        Case{"subpictures_without_backup", "pal_streams", Options({1}, {}, {1, 3}, false),
             {"0:a:0", "0:a:1", "0:a:2"}, {0x21}},
        Case{"what_the_menus_do_not_set", "pal_streams", Options({1}, {2}, {3}), {"0:a:0", "0:a:2"}, {0x20, 0x21},
             true},
        Case{"ac3_of_one_file", "pal_languages", Options({1}, {1}, {}), {"0:a:1"}, {0x20, 0x21}}),
    [](const auto& info) { return std::string(info.param.name); });

// --------------------------------------------------------- kestrune-cli strip

// The dry run names each stream with its language, format, packs and bytes;
// its figures are the run's; the run ends with the verify line; by language
// it drops what names another language.
TEST(StripCommand, DryRunPredictsTheRunByLanguage) {
  test::TempFolder work;
  const fs::path dir = fs::path(work.Dir()) / "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_streams").string(), dir.string());
  const Files before = test::Snapshot(dir.string());
  const std::vector<std::string> args = {"strip", dir.string(), "--title-sets", "1", "--keep-audio-languages",
                                         "EN", "--keep-subpicture-languages", "fr,en"};
  std::vector<std::string> dryArgs = args;
  dryArgs.insert(dryArgs.end(), {"--dry-run", "--json"});
  const test::CliResult dry = test::Cli(dryArgs);
  ASSERT_EQ(dry.code, 0) << dry.err;
  EXPECT_EQ(test::Snapshot(dir.string()), before);
  const nlohmann::json plan = nlohmann::json::parse(dry.out);
  const nlohmann::json& set = plan.at("title_sets").at(0);
  EXPECT_EQ(set.at("number"), 1);
  EXPECT_EQ(set.at("files_before"), 3);
  ASSERT_EQ(set.at("streams").size(), 6u);
  const nlohmann::json& lpcm = set.at("streams").at(2);
  EXPECT_EQ(lpcm.at("kind"), "audio");
  EXPECT_EQ(lpcm.at("language"), "fr");
  EXPECT_EQ(lpcm.at("format"), "LPCM");
  EXPECT_EQ(lpcm.at("packs_of"), nlohmann::json::array({"0xA0"}));
  EXPECT_GT(lpcm.at("bytes").get<std::int64_t>(), 0);
  std::vector<bool> dropped;
  std::int64_t droppedBytes = 0;
  for (const auto& stream : set.at("streams")) {
    dropped.push_back(stream.at("dropped"));
    if (stream.at("dropped")) droppedBytes += stream.at("bytes").get<std::int64_t>();
  }
  EXPECT_EQ(dropped, (std::vector<bool>{false, true, true, true, false, false}));
  EXPECT_EQ(set.at("bytes_saved").get<std::int64_t>(), droppedBytes);
  EXPECT_EQ(plan.at("bytes_saved"), set.at("bytes_saved"));

  const test::CliResult run = test::Cli(args);
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("verified: no errors"), std::string::npos) << run.out;
  std::int64_t saved = 0;
  for (const auto& [name, bytes] : before) saved += std::ssize(bytes);
  for (const auto& [name, bytes] : test::Snapshot(dir.string())) saved -= name.back() == '~' ? 0 : std::ssize(bytes);
  EXPECT_EQ(saved, plan.at("bytes_saved").get<std::int64_t>());
  for (const auto& file : plan.at("files")) {
    const std::string name = file.at("name");
    const fs::path path = dir / name;
    EXPECT_EQ(fs::exists(path) ? static_cast<std::int64_t>(fs::file_size(path)) : 0,
              file.at("bytes_after").get<std::int64_t>())
        << name;
  }
}

TEST(StripCommand, RefusesAndRejectsWithTheRightStatus) {
  test::TempFolder work;
  const fs::path dir = fs::path(work.Dir()) / "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_streams").string(), dir.string());
  const Files before = test::Snapshot(dir.string());
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;
  };
  const std::vector<Case> cases = {
      {{"--title-sets", "1", "--drop-subpictures", "4"}, 1, "there is no sub-picture stream 4"},
      {{"--title-sets", "1"}, 1, "Name the streams to drop"},
      {{"--drop-audio", "1"}, 2, "--title-sets is required"},
      {{"--title-sets", "1", "--drop-audio", "2-"}, 2, "A stream list is numbers"},
      {{"--title-sets", "1", "--keep-audio-languages", "english"}, 2, "two-letter codes"},
      {{"--title-sets", "1", "--drop-audio", "2", "--json"}, 2, "--dry-run"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"strip", dir.string()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::CliResult r = test::Cli(args);
    EXPECT_EQ(r.code, c.code) << c.says << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(test::Snapshot(dir.string()), before);
}

// ------------------------------------------ each relocated field matters

// The title VOB set of title set 1 as one run of bytes, and back.
std::vector<std::uint8_t> ReadSet(const fs::path& dir) {
  std::vector<std::uint8_t> all;
  for (int k = 1; k <= 9; ++k) {
    const fs::path vob = dir / ("VTS_01_" + std::to_string(k) + ".VOB");
    if (!fs::exists(vob)) break;
    const auto bytes = test::ReadBytes(vob.string());
    all.insert(all.end(), bytes.begin(), bytes.end());
  }
  return all;
}
void WriteSet(const fs::path& dir, const std::vector<std::uint8_t>& all) {
  std::size_t at = 0;
  for (int k = 1; k <= 9 && at < all.size(); ++k) {
    const fs::path vob = dir / ("VTS_01_" + std::to_string(k) + ".VOB");
    const std::size_t size = static_cast<std::size_t>(fs::file_size(vob));
    test::WriteBytes(vob.string(), std::vector<std::uint8_t>(all.begin() + static_cast<std::ptrdiff_t>(at),
                                                            all.begin() + static_cast<std::ptrdiff_t>(at + size)));
    at += size;
  }
}

std::vector<std::uint32_t> VobuAdmap(const std::vector<std::uint8_t>& ifo) {
  const std::size_t table = GetBigEndian<std::uint32_t>(&ifo[0xE4]) * kSectorSize;
  const std::size_t end = table + GetBigEndian<std::uint32_t>(&ifo[table]) + 1;
  std::vector<std::uint32_t> map;
  for (std::size_t e = table + 4; e + 4 <= end; e += 4) map.push_back(GetBigEndian<std::uint32_t>(&ifo[e]));
  return map;
}

// A stripped copy whose relocation of one field is undone: the field holds
// again what it held before the run, as a run that forgot it would leave it.
struct Unrelocated {
  const char* field;
  // Copies the field from the original (`before`) into the stripped folder.
  std::function<void(const fs::path& before, const fs::path& after)> undo;
};
void PrintTo(const Unrelocated& u, std::ostream* os) { *os << u.field; }

// The bytes `at` .. `at` + `length` - 1 of every NAV pack put back as they
// were, VOBU by VOBU. Fails the test if no NAV pack changes: the case would
// show nothing.
void UndoNavField(const fs::path& before, const fs::path& after, std::int64_t at, std::int64_t length) {
  const auto oldSet = ReadSet(before), oldIfo = test::ReadBytes((before / "VTS_01_0.IFO").string());
  auto newSet = ReadSet(after);
  const auto newIfo = test::ReadBytes((after / "VTS_01_0.IFO").string());
  const auto oldMap = VobuAdmap(oldIfo), newMap = VobuAdmap(newIfo);
  ASSERT_EQ(oldMap.size(), newMap.size());
  int changed = 0;
  for (std::size_t v = 0; v < oldMap.size(); ++v) {
    const auto from = oldSet.begin() + static_cast<std::ptrdiff_t>(SectorStart(oldMap[v]) + at);
    const auto to = newSet.begin() + static_cast<std::ptrdiff_t>(SectorStart(newMap[v]) + at);
    changed += !std::equal(from, from + length, to);
    std::copy(from, from + length, to);
  }
  ASSERT_GT(changed, 0) << "the field is the same in every NAV pack";
  WriteSet(after, newSet);
}

// The IFO bytes of VTS_01_0.IFO (and its BUP) `at` .. + `length` - 1 as they were.
void UndoIfoBytes(const fs::path& before, const fs::path& after, const char* file, std::int64_t at,
                  std::int64_t length) {
  const auto old = test::ReadBytes((before / file).string());
  for (const char* ext : {".IFO", ".BUP"}) {
    const std::string name = std::string(file).substr(0, std::string(file).size() - 4) + ext;
    auto bytes = test::ReadBytes((after / name).string());
    ASSERT_FALSE(std::equal(old.begin() + at, old.begin() + at + length, bytes.begin() + at)) << name;
    std::copy(old.begin() + at, old.begin() + at + length, bytes.begin() + at);
    test::WriteBytes((after / name).string(), bytes);
  }
}

// Where table `matPointer` of an IFO lies and how long it is (its end address at `endAt`).
std::pair<std::int64_t, std::int64_t> TableOf(const fs::path& dir, const char* file, std::int64_t matPointer,
                                              std::int64_t endAt) {
  const auto ifo = test::ReadBytes((dir / file).string());
  const std::int64_t start = GetBigEndian<std::uint32_t>(&ifo[matPointer]) * kSectorSize;
  return {start, GetBigEndian<std::uint32_t>(&ifo[start + endAt]) + 1};
}

// The first title chain's fixed part and cells, from the VTS_PGCI.
std::int64_t FirstTitleChain(const fs::path& dir) {
  const auto ifo = test::ReadBytes((dir / "VTS_01_0.IFO").string());
  const std::int64_t pgci = GetBigEndian<std::uint32_t>(&ifo[0xCC]) * kSectorSize;
  return pgci + GetBigEndian<std::uint32_t>(&ifo[pgci + 12]);
}

// VOBU_1STREF_EA to 3RDREF_EA are not among them: left as they were, they
// still end inside their VOBU on a video pack, and nothing short of parsing
// the pictures tells; RelocateNavPack's unit test holds them to their values.
class BrokenRelocation : public ::testing::TestWithParam<Unrelocated> {};

TEST_P(BrokenRelocation, IsCaughtByTheVerifierOrAPlayer) {
  test::TempFolder work;
  const fs::path original = dvdcheck::FixtureVideoTs("pal_streams");
  const fs::path dir = fs::path(work.Dir()) / "VIDEO_TS";
  test::CopyFolder(original.string(), dir.string());
  strip::StripRun(dir.string(), Options({1}, {2, 3}, {1, 3}, false)).Process();
  GetParam().undo(original, dir);
  // The verifier, libdvdread and libdvdnav, and the layout a mastering tool
  // makes of the sector fields.
  const verify::Report report = verify::VerifyFolder(dir.string());
  const dvdcheck::IfoReport ifos = dvdcheck::OpenAllIfos(dir);
  bool played = true;
  for (const dvdcheck::TitlePlayback& p : dvdcheck::PlayAllTitles(dir)) played = played && p.ok;
  const bool laidOut = dvdcheck::SectorLayoutCheck(dir).empty();
  EXPECT_TRUE(report.Errors() > 0 || !ifos.ok || !played || !laidOut) << "not caught";
}

INSTANTIATE_TEST_SUITE_P(
    EveryField, BrokenRelocation,
    ::testing::Values(
        Unrelocated{"NV_PCK_LBN",
                    [](const fs::path& b, const fs::path& a) {
                      UndoNavField(b, a, nav::PciField(nav::kPciNvPckLbn), 4);
                      UndoNavField(b, a, nav::DsiField(nav::kDsiNvPckLbn), 4);
                    }},
        Unrelocated{"VOBU_EA", [](const fs::path& b, const fs::path& a) { UndoNavField(b, a, nav::DsiField(nav::kDsiVobuEa), 4); }},
        Unrelocated{"VOBU_SRI",
                    [](const fs::path& b, const fs::path& a) {
                      UndoNavField(b, a, nav::DsiField(nav::kVobuSri), 4 * nav::kVobuSriEntries);
                    }},
        Unrelocated{"SYNCI",
                    [](const fs::path& b, const fs::path& a) {
                      UndoNavField(b, a, nav::DsiField(nav::kAudioSynca), 2 * nav::kAudioSyncas + 4 * nav::kSubpictureSyncas);
                    }},
        Unrelocated{"VTS_C_ADT",
                    [](const fs::path& b, const fs::path& a) {
                      const auto [at, length] = TableOf(a, "VTS_01_0.IFO", 0xE0, 4);
                      UndoIfoBytes(b, a, "VTS_01_0.IFO", at, length);
                    }},
        Unrelocated{"VTS_VOBU_ADMAP",
                    [](const fs::path& b, const fs::path& a) {
                      const auto [at, length] = TableOf(a, "VTS_01_0.IFO", 0xE4, 0);
                      UndoIfoBytes(b, a, "VTS_01_0.IFO", at, length);
                    }},
        Unrelocated{"VTS_TMAPTI",
                    [](const fs::path& b, const fs::path& a) {
                      const auto [at, length] = TableOf(a, "VTS_01_0.IFO", 0xD4, 4);
                      UndoIfoBytes(b, a, "VTS_01_0.IFO", at, length);
                    }},
        Unrelocated{"C_PBI",
                    [](const fs::path& b, const fs::path& a) {
                      const auto ifo = test::ReadBytes((a / "VTS_01_0.IFO").string());
                      const std::int64_t pgc = FirstTitleChain(a);
                      UndoIfoBytes(b, a, "VTS_01_0.IFO", pgc + GetBigEndian<std::uint16_t>(&ifo[pgc + 0xE8]),
                                   24 * ifo[pgc + 3]);
                    }},
        Unrelocated{"VTSI_MAT last sector",
                    [](const fs::path& b, const fs::path& a) { UndoIfoBytes(b, a, "VTS_01_0.IFO", 0x0C, 4); }},
        Unrelocated{"TT_SRPT title set start sectors",
                    [](const fs::path& b, const fs::path& a) {
                      const auto [at, length] = TableOf(a, "VIDEO_TS.IFO", 0xC4, 4);
                      UndoIfoBytes(b, a, "VIDEO_TS.IFO", at, length);
                    }},
        Unrelocated{"stream control (available bit cleared, numbers kept)",
                    [](const fs::path& b, const fs::path& a) {
                      // Sub-picture stream 3 of the first chain (0x80020202 before).
                      const std::int64_t at = FirstTitleChain(a) + 0x1C + 4 * 2;
                      for (const char* ext : {".IFO", ".BUP"}) {
                        const auto old = test::ReadBytes((b / "VTS_01_0.IFO").string());
                        auto bytes = test::ReadBytes((a / (std::string("VTS_01_0") + ext)).string());
                        ASSERT_EQ(GetBigEndian<std::uint32_t>(&bytes[at]), 0u);
                        PutBigEndian(&bytes[at], GetBigEndian<std::uint32_t>(&old[at]) & 0x7FFFFFFF);
                        test::WriteBytes((a / (std::string("VTS_01_0") + ext)).string(), bytes);
                      }
                    }}),
    [](const auto& info) {
      std::string name;
      for (char c : std::string(info.param.field)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name.substr(0, name.find("__"));
    });

// --------------------------------------------------------------- refusals

struct Damage {
  const char* name;
  std::function<void(const fs::path&)> damage;  // of the copy, before the run
  strip::StripOptions options;
  const char* says;  // a part of the message
};

void PutDWordAt(const fs::path& file, std::int64_t at, std::uint32_t value) {
  auto bytes = test::ReadBytes(file.string());
  PutBigEndian(&bytes.at(static_cast<std::size_t>(at)), value);
  test::WriteBytes(file.string(), bytes);
}

// The first NAV pack of VTS_01_2.VOB of pal_streams (its sectors are 100 on).
std::int64_t NavPackIn(const fs::path& vob) {
  const auto bytes = test::ReadBytes(vob.string());
  for (std::size_t s = 0; s + kSectorSize <= bytes.size(); s += kSectorSize)
    if (nav::IsNavPack(std::span(bytes).subspan(s, kSectorSize))) return static_cast<std::int64_t>(s);
  return -1;
}

void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

class Refused : public ::testing::TestWithParam<Damage> {};

TEST_P(Refused, BeforeAnythingChanges) {
  const Damage& d = GetParam();
  test::TempFolder work;
  const fs::path dir = fs::path(work.Dir()) / "VIDEO_TS";
  test::CopyFolder(dvdcheck::FixtureVideoTs("pal_streams").string(), dir.string());
  if (d.damage) d.damage(dir);
  const Files before = test::Snapshot(dir.string());
  strip::StripRun run(dir.string(), d.options);
  try {
    run.Process();
    ADD_FAILURE() << "not refused";
  } catch (const strip::Refusal& e) {
    EXPECT_NE(std::string(e.what()).find(d.says), std::string::npos) << e.what();
  }
  EXPECT_EQ(test::Snapshot(dir.string()), before);
}

const auto kVob2 = [](const fs::path& dir) { return dir / "VTS_01_2.VOB"; };

INSTANTIATE_TEST_SUITE_P(
    BadInput, Refused,
    ::testing::Values(
        Damage{"no_such_audio_stream", nullptr, Options({1}, {4}, {}), "there is no audio stream 4"},
        Damage{"no_such_title_set", nullptr, Options({3}, {1}, {}), "VTS_03_0.IFO is missing"},
        Damage{"vob_shorter_than_the_ifo_says",
               [](const fs::path& dir) { fs::resize_file(dir / "VTS_01_3.VOB", 100 * kSectorSize - kSectorSize); },
               Options({1}, {2}, {}), "the IFO disagrees with its VOBs"},
        Damage{"wrong_nv_pck_lbn",
               [](const fs::path& dir) {
                 PutDWordAt(kVob2(dir), NavPackIn(kVob2(dir)) + nav::DsiField(nav::kDsiNvPckLbn), 7);
               },
               Options({1}, {2}, {}), "VTS_01_2.VOB sector"},
        Damage{"vobu_ea_past_the_set",
               [](const fs::path& dir) {
                 PutDWordAt(kVob2(dir), NavPackIn(kVob2(dir)) + nav::DsiField(nav::kDsiVobuEa), 5000);
               },
               Options({1}, {2}, {}), "past the title VOB set"},
        Damage{"sector_that_is_no_pack",
               [](const fs::path& dir) { PutDWordAt(dir / "VTS_01_3.VOB", 5 * kSectorSize, 0); },
               Options({1}, {2}, {}), "VTS_01_3.VOB sector 5 (sector 205 of the title VOB set) holds no MPEG-2 pack"},
        Damage{"sri_entry_names_a_removed_pack",
               [](const fs::path& dir) {
                 // The first NAV pack's next VOBU entry names the first MPEG audio pack, which goes.
                 const auto bytes = test::ReadBytes((dir / "VTS_01_1.VOB").string());
                 std::uint32_t audio = 0;
                 for (std::size_t s = 0; s + kSectorSize <= bytes.size() && audio == 0; s += kSectorSize) {
                   std::string why;
                   const auto pack = nav::ReadPack(std::span(bytes).subspan(s, kSectorSize), why);
                   if (pack && pack->stream == 0xC0) audio = static_cast<std::uint32_t>(s / kSectorSize);
                 }
                 PutDWordAt(dir / "VTS_01_1.VOB", nav::DsiField(nav::kVobuSri + 4 * 20), audio);
               },
               Options({1}, {2}, {}), "VOBU_SRI entry 21"},
        Damage{"interleaved_cell",
               [](const fs::path& dir) {
                 // C_PBI category of the first cell of the first title chain.
                 auto ifo = test::ReadBytes((dir / "VTS_01_0.IFO").string());
                 const std::int64_t pgci = GetBigEndian<std::uint32_t>(&ifo[0xCC]) * kSectorSize;
                 const std::int64_t pgc = pgci + GetBigEndian<std::uint32_t>(&ifo[pgci + 12]);
                 const std::int64_t cells = pgc + GetBigEndian<std::uint16_t>(&ifo[pgc + 0xE8]);
                 ifo[cells] |= 0x04;
                 test::WriteBytes((dir / "VTS_01_0.IFO").string(), ifo);
               },
               Options({1}, {2}, {}), "interleaved block"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrune
