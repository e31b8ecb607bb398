// An independent checker for DVD-Video folders, for tests only. It reads a
// VIDEO_TS folder the way other software does (libdvdread for the IFO
// tables, libdvdnav for navigation and playback, ffmpeg for the video) and
// lays the sets out the way a mastering tool does, so that tests can tell a
// rewritten folder is still a disc and not only something Kestrune accepts.
//
// Every function takes `folder`: a VIDEO_TS folder, or a folder holding one;
// OpenAllIfos and the playback functions also a disc image file, read as
// libdvdread and libdvdnav read it. None of them throws for a broken disc:
// problems come back in the report.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fixtures.h"

namespace kestrune::dvdcheck {

// ---------------------------------------------------------------- IFO tables

// One message from libdvdread or libdvdnav's logger.
struct LogMessage {
  enum class Level { Info, Warning, Error, Debug };
  Level level = Level::Info;
  std::string text;
};

// One cell of a program chain: its C_PBI entry and its C_POSI entry.
struct CellInfo {
  std::uint32_t firstSector = 0;
  std::uint32_t lastVobuStartSector = 0;
  std::uint32_t lastSector = 0;
  std::uint8_t stillTime = 0;        // seconds, 0xFF = infinite
  std::uint8_t cellCommand = 0;      // number of the cell command, 0 = none
  std::uint32_t playbackTime = 0;    // hours, minutes, seconds (BCD), frame byte
  std::uint16_t vobId = 0;           // C_POSI
  std::uint8_t cellId = 0;           // C_POSI
};

// One program chain (PGC) of VTS_PGCI or of a menu language unit.
struct PgcInfo {
  std::uint8_t entryId = 0;          // PGCI_SRP byte 0: entry flag and menu type
  int programs = 0;
  int cells = 0;
  std::uint32_t playbackTime = 0;    // as in CellInfo
  std::uint8_t stillTime = 0;
  int preCommands = 0;
  int postCommands = 0;
  int cellCommands = 0;
  std::vector<int> programMap;       // first cell of each program
  std::vector<CellInfo> cellList;
  std::uint8_t audioAvailable = 0;         // bit i: audio_control[i] marks stream i available
  std::uint32_t subpictureAvailable = 0;   // bit i: subp_control[i] marks stream i available
};

// The attributes of one audio stream (audio_attr_t).
struct AudioStreamInfo {
  int format = 0;                    // 0 AC-3, 2 MPEG-1, 3 MPEG-2, 4 LPCM, 6 DTS, 7 SDDS
  int channels = 0;                  // as a count (libdvdread keeps it minus one)
  int sampleFrequency = 0;           // 0 = 48 kHz, 1 = 96 kHz
  std::string language;              // two letters when lang_type is 1, else ""
};

// One menu language unit of a PGCI_UT.
struct MenuLanguageUnit {
  std::string language;              // two letters, as in the PGCI_LU
  std::uint8_t existingMenus = 0;    // PGCI_LU byte 3: which menu types exist
  std::vector<PgcInfo> pgcs;
};

// One entry of a C_ADT: the sector range of one cell of one VOB.
struct CellAddress {
  std::uint16_t vobId = 0;
  std::uint8_t cellId = 0;
  std::uint32_t startSector = 0;
  std::uint32_t lastSector = 0;
};

// The menu domain of a set: VMGM or VTSM tables, as libdvdread read them.
struct MenuDomain {
  std::uint32_t vobsSector = 0;      // MAT 0xC0: start of the menu VOB, 0 = none
  std::uint32_t pgciUtSector = 0;
  std::uint32_t cAdtSector = 0;
  std::uint32_t vobuAdmapSector = 0;
  bool pal = false;                  // menu video attributes: 625/50
  bool wide = false;                 // menu video attributes: 16:9
  int audioStreams = 0;
  int subpictureStreams = 0;
  int pictureSize = 0;               // video_attr_t picture_size: 0 = 720 wide, ..., 3 = 352 half height
  std::vector<AudioStreamInfo> audio;  // the first `audioStreams` (at most one, as libdvdread reads them)
  std::vector<MenuLanguageUnit> languageUnits;
  int pgcCount = 0;                  // over every language unit
  int cellCount = 0;                 // over every menu PGC
  std::vector<CellAddress> cAdt;     // menu C_ADT entries
  std::vector<std::uint32_t> vobuAdmap;  // menu VOBU_ADMAP: VOBU start sectors
};

// One entry of TT_SRPT.
struct TitleInfo {
  int number = 0;                    // from 1
  int titleSet = 0;                  // title set number
  int vtsTitle = 0;                  // title number inside that title set
  int chapters = 0;                  // PTTs
  int angles = 0;
  std::uint32_t titleSetSector = 0;  // start sector of the title set
};

struct VmgInfo {
  bool opened = false;
  std::uint32_t vmgLastSector = 0;   // VMGI_MAT 0x0C
  std::uint32_t vmgiLastSector = 0;  // VMGI_MAT 0x1C
  std::uint32_t vmgiMatEnd = 0;      // VMGI_MAT 0x80
  int titleSets = 0;                 // VMGI_MAT 0x3E
  std::uint32_t ttSrptSector = 0;
  std::uint32_t vtsAtrtSector = 0;
  std::uint32_t txtdtMgSector = 0;
  std::uint32_t ptlMaitSector = 0;
  bool hasFirstPlayPgc = false;
  int firstPlayCommands = 0;         // pre + post + cell commands
  std::vector<TitleInfo> titles;     // TT_SRPT
  int vtsAtrtRecords = 0;            // VMG_VTS_ATRT
  MenuDomain menu;
};

// One chapter (part of title) of VTS_PTT_SRPT: where it starts.
struct Ptt {
  int pgcn = 0;                      // program chain of VTS_PGCI, from 1
  int pgn = 0;                       // program, from 1
};

struct TitleSetInfo {
  int number = 0;                    // 1 to 99
  bool opened = false;
  std::uint32_t vtsLastSector = 0;   // VTSI_MAT 0x0C
  std::uint32_t vtsiLastSector = 0;  // VTSI_MAT 0x1C
  std::uint32_t vtsiMatEnd = 0;      // VTSI_MAT 0x80
  std::uint32_t vtsttVobsSector = 0; // VTSI_MAT 0xC4
  std::uint32_t pttSrptSector = 0;
  std::uint32_t pgciSector = 0;
  std::uint32_t tmaptiSector = 0;
  std::uint32_t cAdtSector = 0;
  std::uint32_t vobuAdmapSector = 0;
  bool pal = false;                  // title video attributes: 625/50
  bool wide = false;                 // title video attributes: 16:9
  int audioStreams = 0;
  int subpictureStreams = 0;
  int pictureSize = 0;               // as in MenuDomain
  std::vector<AudioStreamInfo> audio;              // title audio streams
  std::vector<std::string> subpictureLanguages;    // title sub-picture streams: two letters or ""
  std::vector<std::vector<Ptt>> ptts;  // VTS_PTT_SRPT: the chapters of each VTS title
  std::vector<PgcInfo> pgcs;         // VTS_PGCI
  int cellCount = 0;                 // over every title PGC
  bool hasTmapti = false;            // libdvdread read a VTS_TMAPTI
  std::vector<CellAddress> cAdt;     // VTS_C_ADT
  std::vector<std::uint32_t> vobuAdmap;  // VTS_VOBU_ADMAP
  MenuDomain menu;
};

struct IfoReport {
  // False when anything below failed to open or libdvdread logged a warning
  // or an error; `problems` then says what.
  bool ok = false;
  std::vector<std::string> problems;
  std::vector<LogMessage> log;       // everything libdvdread said
  VmgInfo vmg;
  std::vector<TitleSetInfo> titleSets;  // title sets 1 .. vmg.titleSets

  const TitleSetInfo* TitleSet(int number) const;
};

// Opens the disc with libdvdread (DVDOpen2 with a logger), then VIDEO_TS.IFO
// and every title set's IFO with ifoOpen, and reports their tables. A table
// that the MAT points at but libdvdread could not read is a problem too, and
// so is a BUP that differs from its IFO.
IfoReport OpenAllIfos(const std::filesystem::path& folder);

// ------------------------------------------------------------ sector layout

struct LayoutOptions {
  // dvdauthor gives a disc without a video manager menu a VMGI_MAT 0x0C larger
  // than IFO + BUP; mastering tools pad the gap before VTS_01. When set, the
  // video manager set may be larger than its files (never smaller) and the
  // title sets are laid out after the size the MAT gives.
  bool allowPaddedVmg = false;
};

// Lays the sets out one after another in disc order (VIDEO_TS, VTS_01,
// VTS_02, ...) from the sizes of their files on disk, and checks every MAT
// sector field that a player or a mastering tool relies on against that
// layout: set sizes (MAT 0x0C), IFO sizes (MAT 0x1C), VOB start sectors,
// TT_SRPT title set start sectors. Reads the IFOs itself, without
// libdvdread. Returns human-readable problems; empty means consistent.
std::vector<std::string> SectorLayoutCheck(const std::filesystem::path& folder,
                                           LayoutOptions options = {});

// Checks that VIDEO_TS.IFO's VMG_VTS_ATRT has one record per title set and
// that each VTS_ATR mirrors its VTSI_MAT (category at 0x22 and the menu and
// title attributes from 0x100), as players read attributes from there.
// Returns human-readable problems; empty means consistent.
std::vector<std::string> VtsAtrCheck(const std::filesystem::path& folder);

// ----------------------------------------------------------------- playback

struct PlayLimits {
  long maxBlocks = 20000;            // 40 MB of video: far more than any fixture
  long maxEvents = 100000;
};

// How a playback loop ended.
enum class PlayEnd {
  LeftTitle,       // navigation moved on to another title or domain
  Stopped,         // DVDNAV_STOP
  BlockLimit,
  EventLimit,
  Error,           // a libdvdnav call failed
  NotStarted,      // could not open the disc or start the title
};
const char* ToString(PlayEnd end);

struct TitlePlayback {
  int title = 0;
  bool ok = false;                   // ended by LeftTitle or Stopped, no errors
  PlayEnd end = PlayEnd::NotStarted;
  long blocks = 0;                   // blocks read while in the title
  int cells = 0;                     // CELL_CHANGE events while in the title
  int lastProgram = 0;               // highest program number seen
  int stillsSkipped = 0;
  int waitsSkipped = 0;
  std::int64_t pgcLength = 0;        // PGC length in 90 kHz ticks, from libdvdnav
  std::vector<std::string> errors;   // failed calls and logged warnings/errors
};

// Plays every title from the start with a fresh dvdnav_open each, until the
// navigation leaves it.
std::vector<TitlePlayback> PlayAllTitles(const std::filesystem::path& folder,
                                         PlayLimits limits = {});
// Plays the disc from first play as a player left alone does, through every
// link, jump and call, until the navigation stops (DVDNAV_STOP); `ok` only
// then. `title` is 0; the counts are over every domain.
TitlePlayback PlayFromFirstPlay(const std::filesystem::path& folder, PlayLimits limits = {});
TitlePlayback PlayTitle(const std::filesystem::path& folder, int title,
                        PlayLimits limits = {});

// Where a navigation step arrived: the domain (the DVD_DOMAIN_* value of
// libdvdnav, 1 first play, 2 title, 4 VMGM, 8 VTSM) and title set of the
// first video block read there.
struct NavigationStep {
  std::string what;                  // "first play", "VMGM title menu", "VTS 2 root menu"
  bool reached = false;              // a video block was read in the wanted place
  int domain = 0;
  int titleSet = 0;
  long blocks = 0;                   // blocks read before arriving
  std::vector<std::string> errors;
};

struct NavigationReport {
  bool ok = false;                   // every step reached, no errors
  NavigationStep firstPlay;          // where the first-play PGC leads
  std::optional<NavigationStep> vmgMenu;        // only if the disc has a VMGM
  std::vector<NavigationStep> rootMenus;        // one per title set with a VTSM
};

// Starts at first play and follows it to the first video block; then, each
// from a fresh dvdnav_open, calls the video manager's title menu
// (DVD_MENU_Title) and each title set's root menu (DVD_MENU_Root, from inside
// one of that set's titles) and checks a video block is read there.
NavigationReport FollowMenus(const std::filesystem::path& folder,
                             PlayLimits limits = {});

// Where a menu leads: from a fresh dvdnav_open, the video manager's title
// menu (`titleSet` 0) or title set `titleSet`'s root menu is called and left
// to play on until a title's video is read. Then the title and the audio and
// sub-picture streams libdvdnav plays there (its stream numbers from 0, as a
// menu's SetSTN sets them and the titles' stream control allows; -1 none).
struct MenuToTitle {
  bool reached = false;
  int title = 0;
  int audioStream = -1;
  int subpictureStream = -1;
  std::vector<std::string> errors;
};
MenuToTitle FollowMenuToTitle(const std::filesystem::path& folder, int titleSet, PlayLimits limits = {});

// -------------------------------------------------------------- decoding

struct DecodedVideo {
  bool ok = false;
  std::string error;                 // ffmpeg's complaint when !ok
  int width = 0;
  int height = 0;
  int frames = 0;
  std::vector<std::uint8_t> firstLuma;   // Y plane of frame 1, width x height
  std::uint8_t lumaMin = 0, lumaMax = 0;       // over frame 1
  std::uint8_t chromaMin = 0, chromaMax = 0;   // U and V of frame 1
};

// Decodes a VOB (or any MPEG file) with ffmpeg to raw yuv420p: the decoder's
// own samples, so black is Y 16, U and V 128.
DecodedVideo DecodeFrames(const std::filesystem::path& vob);

// ----------------------------------------------------------------- helpers

// A program run to its end: ffmpeg, ffprobe.
struct ProcessResult {
  bool started = false;
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs argv[0] from PATH with no shell, collecting stdout and stderr.
ProcessResult Run(const std::vector<std::string>& argv);

// The VIDEO_TS folder inside `folder`, or `folder` itself if it is one.
std::filesystem::path VideoTsFolder(const std::filesystem::path& folder);

// FixtureVideoTs(name), the authored discs: fixtures.h.

// Everything above in one printable text, for dvd-check and failed tests.
std::string Describe(const IfoReport& report);
std::string Describe(const TitlePlayback& playback);
std::string Describe(const NavigationReport& report);

}  // namespace kestrune::dvdcheck
