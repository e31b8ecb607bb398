#include "dvd_check.h"

#include <dvdnav/dvdnav.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace kestrune::dvdcheck {
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kSector = 2048;
constexpr int kMaxTitleSets = 99;
constexpr int kMaxTitleVobs = 9;  // VTS_nn_1.VOB .. VTS_nn_9.VOB

std::string Hex(std::uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

std::string VtsName(int titleSet, int file, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "VTS_%02d_%d.%s", titleSet, file, extension);
  return name;
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// --------------------------------------------------------------- loggers

// Collects what libdvdread or libdvdnav logs. Both libraries pass their
// own level enums with the same order: INFO, ERROR, WARN, DEBUG.
struct LogSink {
  std::vector<LogMessage> messages;

  void Add(int level, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    LogMessage message;
    switch (level) {
      case DVD_LOGGER_LEVEL_ERROR: message.level = LogMessage::Level::Error; break;
      case DVD_LOGGER_LEVEL_WARN: message.level = LogMessage::Level::Warning; break;
      case DVD_LOGGER_LEVEL_DEBUG: message.level = LogMessage::Level::Debug; break;
      default: message.level = LogMessage::Level::Info; break;
    }
    message.text = std::move(line);
    messages.push_back(std::move(message));
  }

  static void ReadLog(void* self, dvd_logger_level_t level, const char* format, va_list args) {
    static_cast<LogSink*>(self)->Add(level, format, args);
  }
  static void NavLog(void* self, dvdnav_logger_level_t level, const char* format, va_list args) {
    static_cast<LogSink*>(self)->Add(level, format, args);
  }
};

// Notices that libdvdread and libdvdnav log for every folder, whatever its
// content: no CSS library (a warning; the fixtures are not encrypted), no
// device behind the folder's path (an error, after which the folder is read
// file by file as usual) and so no disc name from the UDF file system (an
// error "Can't read name block", then a warning). None of them says
// anything about the disc.
bool IsFolderNotice(const LogMessage& message) {
  for (const char* notice : {"Encrypted DVD support unavailable", "Couldn't find device name",
                             "Can't read name block", "dvd_read_name failed"}) {
    if (message.text.find(notice) != std::string::npos) return true;
  }
  return false;
}

// A logged message that a test must treat as a failure.
bool IsDiscProblem(const LogMessage& message) {
  return (message.level == LogMessage::Level::Warning || message.level == LogMessage::Level::Error) &&
         !IsFolderNotice(message);
}

const char* LevelName(LogMessage::Level level) {
  switch (level) {
    case LogMessage::Level::Error: return "error";
    case LogMessage::Level::Warning: return "warning";
    case LogMessage::Level::Debug: return "debug";
    case LogMessage::Level::Info: break;
  }
  return "info";
}

// ------------------------------------------------------- libdvdread tables

std::uint32_t PackTime(const dvd_time_t& time) {
  return (std::uint32_t{time.hour} << 24) | (std::uint32_t{time.minute} << 16) |
         (std::uint32_t{time.second} << 8) | time.frame_u;
}

PgcInfo ToPgcInfo(const pgc_t& pgc, std::uint8_t entryId) {
  PgcInfo info;
  info.entryId = entryId;
  info.programs = pgc.nr_of_programs;
  info.cells = pgc.nr_of_cells;
  info.playbackTime = PackTime(pgc.playback_time);
  info.stillTime = pgc.still_time;
  if (pgc.command_tbl != nullptr) {
    info.preCommands = pgc.command_tbl->nr_of_pre;
    info.postCommands = pgc.command_tbl->nr_of_post;
    info.cellCommands = pgc.command_tbl->nr_of_cell;
  }
  if (pgc.program_map != nullptr) {
    for (int p = 0; p < pgc.nr_of_programs; ++p) info.programMap.push_back(pgc.program_map[p]);
  }
  for (int i = 0; i < 8; ++i)
    if (pgc.audio_control[i] & 0x8000) info.audioAvailable |= static_cast<std::uint8_t>(1u << i);
  for (int i = 0; i < 32; ++i)
    if (pgc.subp_control[i] & 0x80000000u) info.subpictureAvailable |= 1u << i;
  for (int c = 0; c < pgc.nr_of_cells; ++c) {
    CellInfo cell;
    if (pgc.cell_playback != nullptr) {
      const cell_playback_t& pb = pgc.cell_playback[c];
      cell.firstSector = pb.first_sector;
      cell.lastVobuStartSector = pb.last_vobu_start_sector;
      cell.lastSector = pb.last_sector;
      cell.stillTime = pb.still_time;
      cell.cellCommand = pb.cell_cmd_nr;
      cell.playbackTime = PackTime(pb.playback_time);
    }
    if (pgc.cell_position != nullptr) {
      cell.vobId = pgc.cell_position[c].vob_id_nr;
      cell.cellId = pgc.cell_position[c].cell_nr;
    }
    info.cellList.push_back(cell);
  }
  return info;
}

std::vector<PgcInfo> ToPgcList(const pgcit_t* pgcit) {
  std::vector<PgcInfo> list;
  if (pgcit == nullptr) return list;
  for (int i = 0; i < pgcit->nr_of_pgci_srp; ++i) {
    const pgci_srp_t& srp = pgcit->pgci_srp[i];
    if (srp.pgc != nullptr) list.push_back(ToPgcInfo(*srp.pgc, srp.entry_id));
  }
  return list;
}

std::vector<CellAddress> ToCellAddresses(const c_adt_t* cAdt) {
  std::vector<CellAddress> list;
  if (cAdt == nullptr) return list;
  // libdvdread counts the entries from the table's end address, as here.
  const std::size_t entries = (cAdt->last_byte + 1 - C_ADT_SIZE) / sizeof(cell_adr_t);
  for (std::size_t i = 0; i < entries; ++i) {
    const cell_adr_t& a = cAdt->cell_adr_table[i];
    list.push_back({a.vob_id, a.cell_id, a.start_sector, a.last_sector});
  }
  return list;
}

std::vector<std::uint32_t> ToVobuStarts(const vobu_admap_t* admap) {
  std::vector<std::uint32_t> list;
  if (admap == nullptr) return list;
  const std::size_t entries = (admap->last_byte + 1 - VOBU_ADMAP_SIZE) / sizeof(std::uint32_t);
  list.assign(admap->vobu_start_sectors, admap->vobu_start_sectors + entries);
  return list;
}

void FillMenu(const ifo_handle_t& ifo, MenuDomain& menu) {
  if (ifo.pgci_ut != nullptr) {
    for (int i = 0; i < ifo.pgci_ut->nr_of_lus; ++i) {
      const pgci_lu_t& lu = ifo.pgci_ut->lu[i];
      MenuLanguageUnit unit;
      unit.language = {static_cast<char>(lu.lang_code >> 8), static_cast<char>(lu.lang_code & 0xFF)};
      unit.existingMenus = lu.exists;
      unit.pgcs = ToPgcList(lu.pgcit);
      menu.pgcCount += static_cast<int>(unit.pgcs.size());
      for (const PgcInfo& pgc : unit.pgcs) menu.cellCount += pgc.cells;
      menu.languageUnits.push_back(std::move(unit));
    }
  }
  menu.cAdt = ToCellAddresses(ifo.menu_c_adt);
  menu.vobuAdmap = ToVobuStarts(ifo.menu_vobu_admap);
}

std::string LanguageOf(unsigned type, std::uint16_t code) {
  if (type != 1 || code == 0) return "";
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

AudioStreamInfo ToAudioStream(const audio_attr_t& attr) {
  return {attr.audio_format, attr.channels + 1, attr.sample_frequency, LanguageOf(attr.lang_type, attr.lang_code)};
}

// video_attr_t: video_format 1 = 625/50, display_aspect_ratio 3 = 16:9.
bool IsPal(const video_attr_t& attr) { return attr.video_format == 1; }
bool IsWide(const video_attr_t& attr) { return attr.display_aspect_ratio == 3; }

// A table that the MAT points at but that libdvdread did not read.
void RequireTable(IfoReport& report, const std::string& file, const char* table,
                  std::uint32_t sector, const void* read) {
  if (sector != 0 && read == nullptr) {
    report.problems.push_back(file + ": " + table + " at sector " + std::to_string(sector) +
                              " could not be read");
  }
}

// A file of a disc image, read whole through libdvdread; nothing when it is
// not there.
std::optional<std::vector<std::uint8_t>> ReadImageFile(dvd_reader_t* dvd, int titleSet, dvd_read_domain_t domain) {
  dvd_file_t* file = DVDOpenFile(dvd, titleSet, domain);
  if (file == nullptr) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<ssize_t>(DVDFileSize(file), 0)) * 2048);
  const ssize_t got = DVDReadBytes(file, bytes.data(), bytes.size());
  DVDCloseFile(file);
  bytes.resize(static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
  return bytes;
}

// Each IFO against its BUP: the files of a folder, or through libdvdread
// those of a disc image (`dir` is then the image file).
void CompareBup(IfoReport& report, const fs::path& dir, dvd_reader_t* dvd, int titleSet, const std::string& ifoName,
                const std::string& bupName) {
  if (fs::is_regular_file(dir)) {
    const auto ifo = ReadImageFile(dvd, titleSet, DVD_READ_INFO_FILE);
    const auto bup = ReadImageFile(dvd, titleSet, DVD_READ_INFO_BACKUP_FILE);
    if (!bup)
      report.problems.push_back(bupName + " is missing");
    else if (ifo != bup)
      report.problems.push_back(bupName + " differs from " + ifoName);
    return;
  }
  const std::vector<std::uint8_t> ifo = ReadFile(dir / ifoName);
  const std::vector<std::uint8_t> bup = ReadFile(dir / bupName);
  if (!fs::exists(dir / bupName)) {
    report.problems.push_back(bupName + " is missing");
  } else if (ifo != bup) {
    report.problems.push_back(bupName + " differs from " + ifoName);
  }
}

// --------------------------------------------------------- raw IFO reading

// An IFO field that lies outside the file.
struct ShortIfo : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A whole IFO file with bounds-checked big-endian reads: SectorLayoutCheck
// reads the sector fields itself, so it can judge files libdvdread refuses.
class RawIfo {
 public:
  explicit RawIfo(const fs::path& path) : name_(path.filename().string()), bytes_(ReadFile(path)) {}
  const std::string& Name() const { return name_; }
  std::uint64_t Size() const { return bytes_.size(); }

  std::uint32_t Read(std::uint64_t pos, int width) const {
    if (pos > bytes_.size() || bytes_.size() - pos < static_cast<std::uint64_t>(width)) {
      throw ShortIfo(name_ + ": field at " + Hex(pos) + " lies past the end of the file (" +
                     std::to_string(bytes_.size()) + " bytes)");
    }
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | bytes_[pos + i];
    return value;
  }
  std::uint32_t Word(std::uint64_t pos) const { return Read(pos, 2); }
  std::uint32_t DWord(std::uint64_t pos) const { return Read(pos, 4); }
  std::uint8_t Byte(std::uint64_t pos) const { return static_cast<std::uint8_t>(Read(pos, 1)); }
  bool HasIdentifier(const char* id) const {
    return bytes_.size() >= 12 && std::memcmp(bytes_.data(), id, 12) == 0;
  }

 private:
  std::string name_;
  std::vector<std::uint8_t> bytes_;
};

// Size of a file in whole sectors; a size that is not a multiple of 2048 is a
// problem (mastering tools would pad it, shifting every later sector).
std::uint64_t FileSectors(const fs::path& path, std::vector<std::string>& problems) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) return 0;
  if (size % kSector != 0) {
    problems.push_back(path.filename().string() + " is " + std::to_string(size) +
                       " bytes, not a whole number of sectors");
  }
  return (size + kSector - 1) / kSector;
}


// ------------------------------------------------------------- libdvdnav

// One libdvdnav session on a folder, with its log.
class NavSession {
 public:
  explicit NavSession(const fs::path& folder) {
    static const dvdnav_logger_cb kLogger{&LogSink::NavLog};
    const std::string path = VideoTsFolder(folder).string();
    if (dvdnav_open2(&nav_, &log_, &kLogger, path.c_str()) != DVDNAV_STATUS_OK) {
      nav_ = nullptr;
      return;
    }
    dvdnav_set_readahead_flag(nav_, 0);
    dvdnav_set_PGC_positioning_flag(nav_, 1);
  }
  ~NavSession() {
    if (nav_ != nullptr) dvdnav_close(nav_);
  }
  NavSession(const NavSession&) = delete;
  NavSession& operator=(const NavSession&) = delete;

  dvdnav_t* get() const { return nav_; }
  std::string LastError() const { return nav_ ? dvdnav_err_to_string(nav_) : "dvdnav_open2 failed"; }

  // The logged warnings and errors that say something about the disc.
  void CollectLogged(std::vector<std::string>& errors) const {
    for (const LogMessage& m : log_.messages) {
      if (IsDiscProblem(m)) {
        errors.push_back(std::string("libdvdnav ") + LevelName(m.level) + ": " + m.text);
      }
    }
  }

 private:
  LogSink log_;
  dvdnav_t* nav_ = nullptr;
};

int CurrentDomain(dvdnav_t* nav) {
  if (dvdnav_is_domain_fp(nav)) return DVD_DOMAIN_FirstPlay;
  if (dvdnav_is_domain_vts(nav)) return DVD_DOMAIN_VTSTitle;
  if (dvdnav_is_domain_vmgm(nav)) return DVD_DOMAIN_VMGM;
  if (dvdnav_is_domain_vtsm(nav)) return DVD_DOMAIN_VTSMenu;
  return 0;
}

const char* DomainName(int domain) {
  switch (domain) {
    case DVD_DOMAIN_FirstPlay: return "first play";
    case DVD_DOMAIN_VTSTitle: return "title";
    case DVD_DOMAIN_VMGM: return "VMGM";
    case DVD_DOMAIN_VTSMenu: return "VTSM";
  }
  return "?";
}

// What one step of the event loop saw.
struct NavEvent {
  int event = -1;
  bool failed = false;
};

// Reads the next block, skipping stills and waits the way a player would
// once their time is up; tracks the title set from VTS_CHANGE events.
class NavLoop {
 public:
  NavLoop(dvdnav_t* nav, PlayLimits limits) : nav_(nav), limits_(limits) {}

  NavEvent Next() {
    NavEvent result;
    int length = 0;
    if (++events_ > limits_.maxEvents) {
      result.failed = true;
      eventLimit_ = true;
      return result;
    }
    if (dvdnav_get_next_block(nav_, buffer_.data(), &result.event, &length) != DVDNAV_STATUS_OK) {
      result.failed = true;
      return result;
    }
    switch (result.event) {
      case DVDNAV_STILL_FRAME:
        dvdnav_still_skip(nav_);
        ++stills_;
        break;
      case DVDNAV_WAIT:
        dvdnav_wait_skip(nav_);
        ++waits_;
        break;
      case DVDNAV_VTS_CHANGE: {
        const auto* change = reinterpret_cast<const dvdnav_vts_change_event_t*>(buffer_.data());
        titleSet_ = change->new_vtsN;
        break;
      }
      default:
        break;
    }
    return result;
  }

  const std::uint8_t* Buffer() const { return buffer_.data(); }
  int TitleSet() const { return titleSet_; }
  int Stills() const { return stills_; }
  int Waits() const { return waits_; }
  bool HitEventLimit() const { return eventLimit_; }

 private:
  dvdnav_t* nav_;
  PlayLimits limits_;
  std::array<std::uint8_t, DVD_VIDEO_LB_LEN> buffer_{};
  long events_ = 0;
  int stills_ = 0;
  int waits_ = 0;
  int titleSet_ = 0;
  bool eventLimit_ = false;
};

// Reads blocks until one is read in `domain` (and title set `titleSet`
// unless it is 0). Fills `step.reached`, its domain and its block count.
void ReadUntil(NavSession& session, NavLoop& loop, PlayLimits limits, int domain, int titleSet,
               NavigationStep& step) {
  for (;;) {
    const NavEvent e = loop.Next();
    if (e.failed) {
      step.errors.push_back(loop.HitEventLimit() ? "event limit reached" : session.LastError());
      return;
    }
    if (e.event == DVDNAV_STOP) {
      step.errors.push_back("playback stopped before the wanted place was reached");
      return;
    }
    if (e.event != DVDNAV_BLOCK_OK) continue;
    ++step.blocks;
    const int now = CurrentDomain(session.get());
    const bool here = (domain == 0 || now == domain) && (titleSet == 0 || loop.TitleSet() == titleSet);
    if (here) {
      step.reached = true;
      step.domain = now;
      step.titleSet = now == DVD_DOMAIN_VMGM ? 0 : loop.TitleSet();
      return;
    }
    if (step.blocks >= limits.maxBlocks) {
      step.errors.push_back("block limit reached");
      return;
    }
  }
}

// Titles of TT_SRPT by title set, read from the IFO without libdvdread.
struct RawDisc {
  bool hasVmgm = false;
  std::map<int, int> firstTitleOfSet;   // title set -> its first title
  std::vector<int> setsWithMenus;
  std::string error;
};

RawDisc ReadRawDisc(const fs::path& dir) {
  RawDisc disc;
  try {
    const RawIfo vmg(dir / "VIDEO_TS.IFO");
    if (!vmg.HasIdentifier("DVDVIDEO-VMG")) throw ShortIfo("VIDEO_TS.IFO has no DVDVIDEO-VMG identifier");
    disc.hasVmgm = vmg.DWord(0xC0) != 0;
    const int titleSets = static_cast<int>(vmg.Word(0x3E));
    const std::uint64_t ttSrpt = std::uint64_t{vmg.DWord(0xC4)} * kSector;
    const int titles = static_cast<int>(vmg.Word(ttSrpt));
    for (int t = 0; t < titles; ++t) {
      const int set = vmg.Byte(ttSrpt + 8 + 12 * t + 6);
      disc.firstTitleOfSet.emplace(set, t + 1);
    }
    for (int n = 1; n <= std::min(titleSets, kMaxTitleSets); ++n) {
      const RawIfo vts(dir / VtsName(n, 0, "IFO"));
      if (vts.Size() > 0xC4 && vts.DWord(0xC0) != 0) disc.setsWithMenus.push_back(n);
    }
  } catch (const ShortIfo& e) {
    disc.error = e.what();
  }
  return disc;
}

}  // namespace

// ----------------------------------------------------------- child process

ProcessResult Run(const std::vector<std::string>& argv) {
  ProcessResult result;
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0) return result;
  if (pipe(errPipe) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    return result;
  }
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  result.started = true;
  // Both pipes are drained together so that a child filling one cannot block.
  std::array<pollfd, 2> fds{{{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}}};
  std::array<std::string*, 2> sinks{&result.out, &result.err};
  int openPipes = 2;
  char chunk[65536];
  while (openPipes > 0) {
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        sinks[i]->append(chunk, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openPipes;
      }
    }
  }
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  while (!result.err.empty() && std::isspace(static_cast<unsigned char>(result.err.back()))) result.err.pop_back();
  return result;
}

// =================================================================== API

fs::path VideoTsFolder(const fs::path& folder) {
  if (fs::is_directory(folder / "VIDEO_TS")) return folder / "VIDEO_TS";
  return folder;
}

const TitleSetInfo* IfoReport::TitleSet(int number) const {
  for (const TitleSetInfo& set : titleSets) {
    if (set.number == number) return &set;
  }
  return nullptr;
}

IfoReport OpenAllIfos(const fs::path& folder) {
  IfoReport report;
  LogSink log;
  static const dvd_logger_cb kLogger{&LogSink::ReadLog};
  const fs::path dir = VideoTsFolder(folder);

  dvd_reader_t* dvd = DVDOpen2(&log, &kLogger, dir.string().c_str());
  if (dvd == nullptr) {
    report.problems.push_back("DVDOpen2 failed on " + dir.string());
  } else {
    if (ifo_handle_t* ifo = ifoOpen(dvd, 0); ifo == nullptr || ifo->vmgi_mat == nullptr) {
      report.problems.push_back("ifoOpen failed on VIDEO_TS.IFO");
      if (ifo != nullptr) ifoClose(ifo);
    } else {
      const vmgi_mat_t& mat = *ifo->vmgi_mat;
      VmgInfo& vmg = report.vmg;
      vmg.opened = true;
      vmg.vmgLastSector = mat.vmg_last_sector;
      vmg.vmgiLastSector = mat.vmgi_last_sector;
      vmg.vmgiMatEnd = mat.vmgi_last_byte;
      vmg.titleSets = mat.vmg_nr_of_title_sets;
      vmg.ttSrptSector = mat.tt_srpt;
      vmg.vtsAtrtSector = mat.vts_atrt;
      vmg.txtdtMgSector = mat.txtdt_mgi;
      vmg.ptlMaitSector = mat.ptl_mait;
      vmg.menu.vobsSector = mat.vmgm_vobs;
      vmg.menu.pgciUtSector = mat.vmgm_pgci_ut;
      vmg.menu.cAdtSector = mat.vmgm_c_adt;
      vmg.menu.vobuAdmapSector = mat.vmgm_vobu_admap;
      vmg.menu.pal = IsPal(mat.vmgm_video_attr);
      vmg.menu.wide = IsWide(mat.vmgm_video_attr);
      vmg.menu.audioStreams = mat.nr_of_vmgm_audio_streams;
      vmg.menu.subpictureStreams = mat.nr_of_vmgm_subp_streams;
      vmg.menu.pictureSize = mat.vmgm_video_attr.picture_size;
      if (mat.nr_of_vmgm_audio_streams > 0) vmg.menu.audio.push_back(ToAudioStream(mat.vmgm_audio_attr));
      if (ifo->first_play_pgc != nullptr) {
        vmg.hasFirstPlayPgc = true;
        const PgcInfo fp = ToPgcInfo(*ifo->first_play_pgc, 0);
        vmg.firstPlayCommands = fp.preCommands + fp.postCommands + fp.cellCommands;
      }
      if (ifo->tt_srpt != nullptr) {
        for (int t = 0; t < ifo->tt_srpt->nr_of_srpts; ++t) {
          const title_info_t& ti = ifo->tt_srpt->title[t];
          vmg.titles.push_back({t + 1, ti.title_set_nr, ti.vts_ttn, ti.nr_of_ptts, ti.nr_of_angles,
                                ti.title_set_sector});
        }
      }
      if (ifo->vts_atrt != nullptr) vmg.vtsAtrtRecords = ifo->vts_atrt->nr_of_vtss;
      FillMenu(*ifo, vmg.menu);
      RequireTable(report, "VIDEO_TS.IFO", "TT_SRPT", mat.tt_srpt, ifo->tt_srpt);
      RequireTable(report, "VIDEO_TS.IFO", "VMGM_PGCI_UT", mat.vmgm_pgci_ut, ifo->pgci_ut);
      RequireTable(report, "VIDEO_TS.IFO", "VMG_PTL_MAIT", mat.ptl_mait, ifo->ptl_mait);
      RequireTable(report, "VIDEO_TS.IFO", "VMG_VTS_ATRT", mat.vts_atrt, ifo->vts_atrt);
      RequireTable(report, "VIDEO_TS.IFO", "VMG_TXTDT_MG", mat.txtdt_mgi, ifo->txtdt_mgi);
      RequireTable(report, "VIDEO_TS.IFO", "VMGM_C_ADT", mat.vmgm_c_adt, ifo->menu_c_adt);
      RequireTable(report, "VIDEO_TS.IFO", "VMGM_VOBU_ADMAP", mat.vmgm_vobu_admap,
                   ifo->menu_vobu_admap);
      ifoClose(ifo);
      CompareBup(report, dir, dvd, 0, "VIDEO_TS.IFO", "VIDEO_TS.BUP");
    }

    for (int n = 1; n <= std::min(report.vmg.titleSets, kMaxTitleSets); ++n) {
      TitleSetInfo set;
      set.number = n;
      const std::string name = VtsName(n, 0, "IFO");
      ifo_handle_t* ifo = ifoOpen(dvd, n);
      if (ifo == nullptr || ifo->vtsi_mat == nullptr) {
        report.problems.push_back("ifoOpen failed on " + name);
        if (ifo != nullptr) ifoClose(ifo);
        report.titleSets.push_back(std::move(set));
        continue;
      }
      const vtsi_mat_t& mat = *ifo->vtsi_mat;
      set.opened = true;
      set.vtsLastSector = mat.vts_last_sector;
      set.vtsiLastSector = mat.vtsi_last_sector;
      set.vtsiMatEnd = mat.vtsi_last_byte;
      set.vtsttVobsSector = mat.vtstt_vobs;
      set.pttSrptSector = mat.vts_ptt_srpt;
      set.pgciSector = mat.vts_pgcit;
      set.tmaptiSector = mat.vts_tmapt;
      set.cAdtSector = mat.vts_c_adt;
      set.vobuAdmapSector = mat.vts_vobu_admap;
      set.pal = IsPal(mat.vts_video_attr);
      set.wide = IsWide(mat.vts_video_attr);
      set.audioStreams = mat.nr_of_vts_audio_streams;
      set.subpictureStreams = mat.nr_of_vts_subp_streams;
      set.pictureSize = mat.vts_video_attr.picture_size;
      for (int i = 0; i < std::min<int>(mat.nr_of_vts_audio_streams, 8); ++i)
        set.audio.push_back(ToAudioStream(mat.vts_audio_attr[i]));
      for (int i = 0; i < std::min<int>(mat.nr_of_vts_subp_streams, 32); ++i)
        set.subpictureLanguages.push_back(LanguageOf(mat.vts_subp_attr[i].type, mat.vts_subp_attr[i].lang_code));
      set.menu.vobsSector = mat.vtsm_vobs;
      set.menu.pgciUtSector = mat.vtsm_pgci_ut;
      set.menu.cAdtSector = mat.vtsm_c_adt;
      set.menu.vobuAdmapSector = mat.vtsm_vobu_admap;
      set.menu.pal = IsPal(mat.vtsm_video_attr);
      set.menu.wide = IsWide(mat.vtsm_video_attr);
      set.menu.audioStreams = mat.nr_of_vtsm_audio_streams;
      set.menu.subpictureStreams = mat.nr_of_vtsm_subp_streams;
      set.menu.pictureSize = mat.vtsm_video_attr.picture_size;
      if (mat.nr_of_vtsm_audio_streams > 0) set.menu.audio.push_back(ToAudioStream(mat.vtsm_audio_attr));
      if (ifo->vts_ptt_srpt != nullptr) {
        for (int t = 0; t < ifo->vts_ptt_srpt->nr_of_srpts; ++t) {
          const ttu_t& title = ifo->vts_ptt_srpt->title[t];
          std::vector<Ptt> chapters;
          for (int c = 0; c < title.nr_of_ptts; ++c) chapters.push_back({title.ptt[c].pgcn, title.ptt[c].pgn});
          set.ptts.push_back(std::move(chapters));
        }
      }
      set.pgcs = ToPgcList(ifo->vts_pgcit);
      for (const PgcInfo& pgc : set.pgcs) set.cellCount += pgc.cells;
      set.hasTmapti = ifo->vts_tmapt != nullptr;
      set.cAdt = ToCellAddresses(ifo->vts_c_adt);
      set.vobuAdmap = ToVobuStarts(ifo->vts_vobu_admap);
      FillMenu(*ifo, set.menu);
      RequireTable(report, name, "VTS_PTT_SRPT", mat.vts_ptt_srpt, ifo->vts_ptt_srpt);
      RequireTable(report, name, "VTS_PGCI", mat.vts_pgcit, ifo->vts_pgcit);
      RequireTable(report, name, "VTSM_PGCI_UT", mat.vtsm_pgci_ut, ifo->pgci_ut);
      RequireTable(report, name, "VTS_TMAPTI", mat.vts_tmapt, ifo->vts_tmapt);
      RequireTable(report, name, "VTSM_C_ADT", mat.vtsm_c_adt, ifo->menu_c_adt);
      RequireTable(report, name, "VTSM_VOBU_ADMAP", mat.vtsm_vobu_admap, ifo->menu_vobu_admap);
      RequireTable(report, name, "VTS_C_ADT", mat.vts_c_adt, ifo->vts_c_adt);
      RequireTable(report, name, "VTS_VOBU_ADMAP", mat.vts_vobu_admap, ifo->vts_vobu_admap);
      ifoClose(ifo);
      CompareBup(report, dir, dvd, n, name, VtsName(n, 0, "BUP"));
      report.titleSets.push_back(std::move(set));
    }
    DVDClose(dvd);
  }

  report.log = std::move(log.messages);
  for (const LogMessage& m : report.log) {
    if (IsDiscProblem(m)) report.problems.push_back(std::string("libdvdread ") + LevelName(m.level) + ": " + m.text);
  }
  report.ok = report.problems.empty();
  return report;
}

std::vector<std::string> SectorLayoutCheck(const fs::path& folder, LayoutOptions options) {
  std::vector<std::string> problems;
  const fs::path dir = VideoTsFolder(folder);
  try {
    // The video manager set: VIDEO_TS.IFO, the menu VOB if any, VIDEO_TS.BUP.
    const RawIfo vmg(dir / "VIDEO_TS.IFO");
    if (!vmg.HasIdentifier("DVDVIDEO-VMG")) {
      problems.push_back("VIDEO_TS.IFO is missing or has no DVDVIDEO-VMG identifier");
      return problems;
    }
    const std::uint64_t ifoSectors = FileSectors(dir / "VIDEO_TS.IFO", problems);
    const std::uint64_t vobSectors = FileSectors(dir / "VIDEO_TS.VOB", problems);
    const std::uint64_t bupSectors = FileSectors(dir / "VIDEO_TS.BUP", problems);
    if (bupSectors == 0) problems.push_back("VIDEO_TS.BUP is missing or empty");
    const std::uint64_t vmgFiles = ifoSectors + vobSectors + bupSectors;
    const std::uint64_t vmgSet = std::uint64_t{vmg.DWord(0x0C)} + 1;
    if (std::uint64_t{vmg.DWord(0x1C)} + 1 != ifoSectors) {
      problems.push_back("VIDEO_TS.IFO: VMGI_MAT 0x1C gives " + std::to_string(vmg.DWord(0x1C) + 1ull) +
                         " IFO sectors, the file has " + std::to_string(ifoSectors));
    }
    const std::uint64_t vmgmVobs = vmg.DWord(0xC0);
    if (vobSectors > 0 && vmgmVobs != ifoSectors) {
      problems.push_back("VIDEO_TS.IFO: VMGM_VOBS at sector " + std::to_string(vmgmVobs) +
                         ", VIDEO_TS.VOB begins at " + std::to_string(ifoSectors));
    }
    if (vobSectors == 0 && vmgmVobs != 0) {
      problems.push_back("VIDEO_TS.IFO: VMGM_VOBS at sector " + std::to_string(vmgmVobs) +
                         " but there is no VIDEO_TS.VOB");
    }
    std::uint64_t next = vmgFiles;
    if (vmgSet != vmgFiles) {
      if (options.allowPaddedVmg && vmgSet > vmgFiles) {
        next = vmgSet;  // a mastering tool pads the video manager set to its MAT size
      } else {
        problems.push_back("video manager set: VMGI_MAT 0x0C gives " + std::to_string(vmgSet) +
                           " sectors, IFO + VOB + BUP on disk are " + std::to_string(vmgFiles));
      }
    }

    // The title sets in disc order, each IFO, menu VOB, title VOBs, BUP.
    const int titleSets = static_cast<int>(vmg.Word(0x3E));
    if (titleSets < 1 || titleSets > kMaxTitleSets) {
      problems.push_back("VIDEO_TS.IFO: VMGI_MAT 0x3E counts " + std::to_string(titleSets) + " title sets");
    }
    std::map<int, std::uint64_t> setStart;
    for (int n = 1; n <= std::min(titleSets, kMaxTitleSets); ++n) {
      const std::string prefix = VtsName(n, 0, "IFO").substr(0, 7);  // "VTS_nn_"
      const RawIfo vts(dir / VtsName(n, 0, "IFO"));
      if (!vts.HasIdentifier("DVDVIDEO-VTS")) {
        problems.push_back(vts.Name() + " is missing or has no DVDVIDEO-VTS identifier");
        return problems;  // the sets after it cannot be placed
      }
      const std::uint64_t ifo = FileSectors(dir / VtsName(n, 0, "IFO"), problems);
      const std::uint64_t menu = FileSectors(dir / VtsName(n, 0, "VOB"), problems);
      std::uint64_t titles = 0;
      bool gap = false;
      for (int f = 1; f <= kMaxTitleVobs; ++f) {
        const fs::path vob = dir / VtsName(n, f, "VOB");
        if (!fs::exists(vob)) {
          gap = true;
          continue;
        }
        if (gap) problems.push_back(vob.filename().string() + " follows a missing title VOB");
        titles += FileSectors(vob, problems);
      }
      const std::uint64_t bup = FileSectors(dir / VtsName(n, 0, "BUP"), problems);
      if (bup == 0) problems.push_back(prefix + "0.BUP is missing or empty");
      const std::uint64_t files = ifo + menu + titles + bup;

      if (std::uint64_t{vts.DWord(0x1C)} + 1 != ifo) {
        problems.push_back(vts.Name() + ": VTSI_MAT 0x1C gives " + std::to_string(vts.DWord(0x1C) + 1ull) +
                           " IFO sectors, the file has " + std::to_string(ifo));
      }
      const std::uint64_t vtsmVobs = vts.DWord(0xC0);
      if (menu > 0 ? vtsmVobs != ifo : vtsmVobs != 0) {
        problems.push_back(vts.Name() + ": VTSM_VOBS at sector " + std::to_string(vtsmVobs) + ", " +
                           (menu > 0 ? prefix + "0.VOB begins at " + std::to_string(ifo)
                                     : std::string("there is no menu VOB")));
      }
      const std::uint64_t vtsttVobs = vts.DWord(0xC4);
      if (vtsttVobs != ifo + menu) {
        problems.push_back(vts.Name() + ": VTSTT_VOBS at sector " + std::to_string(vtsttVobs) + ", " +
                           prefix + "1.VOB begins at " + std::to_string(ifo + menu));
      }
      if (titles == 0) problems.push_back(prefix + "1.VOB is missing or empty");
      const std::uint64_t vtsSet = std::uint64_t{vts.DWord(0x0C)} + 1;
      if (vtsSet != files) {
        problems.push_back("title set " + std::to_string(n) + ": VTSI_MAT 0x0C gives " + std::to_string(vtsSet) +
                           " sectors, IFO + VOBs + BUP on disk are " + std::to_string(files));
      }
      setStart[n] = next;
      next += files;
    }
    for (int n = std::max(titleSets, 0) + 1; n <= kMaxTitleSets; ++n) {
      if (fs::exists(dir / VtsName(n, 0, "IFO"))) {
        problems.push_back(VtsName(n, 0, "IFO") + " exists but VMGI_MAT counts " + std::to_string(titleSets) +
                           " title sets");
      }
    }

    // TT_SRPT: players find a title's set by these start sectors alone.
    const std::uint64_t ttSrpt = std::uint64_t{vmg.DWord(0xC4)} * kSector;
    const int titles = static_cast<int>(vmg.Word(ttSrpt));
    if (titles == 0) problems.push_back("TT_SRPT lists no titles");
    for (int t = 0; t < titles; ++t) {
      const std::uint64_t entry = ttSrpt + 8 + 12 * static_cast<std::uint64_t>(t);
      const int set = vmg.Byte(entry + 6);
      const std::uint64_t start = vmg.DWord(entry + 8);
      const auto where = setStart.find(set);
      if (where == setStart.end()) {
        problems.push_back("TT_SRPT title " + std::to_string(t + 1) + " names title set " + std::to_string(set) +
                           ", which does not exist");
      } else if (start != where->second) {
        problems.push_back("TT_SRPT title " + std::to_string(t + 1) + ": title set " + std::to_string(set) +
                           " at sector " + std::to_string(start) + ", on disk it begins at " +
                           std::to_string(where->second));
      }
    }
  } catch (const ShortIfo& e) {
    problems.push_back(e.what());
  }
  return problems;
}

std::vector<std::string> VtsAtrCheck(const fs::path& folder) {
  std::vector<std::string> problems;
  const fs::path dir = VideoTsFolder(folder);
  try {
    const RawIfo vmg(dir / "VIDEO_TS.IFO");
    if (!vmg.HasIdentifier("DVDVIDEO-VMG")) {
      problems.push_back("VIDEO_TS.IFO is missing or has no DVDVIDEO-VMG identifier");
      return problems;
    }
    const std::uint64_t atrt = std::uint64_t{vmg.DWord(0xD0)} * kSector;
    const int records = static_cast<int>(vmg.Word(atrt));
    const int titleSets = static_cast<int>(vmg.Word(0x3E));
    if (records != titleSets) {
      problems.push_back("VMG_VTS_ATRT holds " + std::to_string(records) + " records for " +
                         std::to_string(titleSets) + " title sets");
    }
    for (int n = 1; n <= std::min(records, kMaxTitleSets); ++n) {
      const RawIfo vts(dir / VtsName(n, 0, "IFO"));
      if (!vts.HasIdentifier("DVDVIDEO-VTS")) continue;  // SectorLayoutCheck says so
      const std::uint64_t record = atrt + vmg.DWord(atrt + 8 + 4 * static_cast<std::uint64_t>(n - 1));
      const std::uint64_t end = vmg.DWord(record);
      // Record byte k from 8 on mirrors VTSI_MAT byte 0xF8 + k: the menu and
      // title attributes; byte 4 to 7 mirror the VTS category at 0x22.
      for (std::uint64_t k = 4; k <= end; ++k) {
        const std::uint64_t matPos = k < 8 ? 0x22 + (k - 4) : 0xF8 + k;
        if (vmg.Byte(record + k) != vts.Byte(matPos)) {
          problems.push_back("VTS_ATR of title set " + std::to_string(n) + ": byte " + Hex(k) + " is " +
                             Hex(vmg.Byte(record + k)) + ", VTSI_MAT " + Hex(matPos) + " is " +
                             Hex(vts.Byte(matPos)));
          break;
        }
      }
    }
  } catch (const ShortIfo& e) {
    problems.push_back(e.what());
  }
  return problems;
}

const char* ToString(PlayEnd end) {
  switch (end) {
    case PlayEnd::LeftTitle: return "left the title";
    case PlayEnd::Stopped: return "stopped";
    case PlayEnd::BlockLimit: return "block limit reached";
    case PlayEnd::EventLimit: return "event limit reached";
    case PlayEnd::Error: return "error";
    case PlayEnd::NotStarted: return "not started";
  }
  return "?";
}

namespace {

// Whether `e` ends a playback: a failed step (the event limit, or an error of
// libdvdnav) or the stop; `result.end` says which.
bool EndsPlayback(const NavEvent& e, const NavLoop& loop, const NavSession& session, TitlePlayback& result) {
  if (e.failed) {
    if (loop.HitEventLimit()) {
      result.end = PlayEnd::EventLimit;
    } else {
      result.end = PlayEnd::Error;
      result.errors.push_back("dvdnav_get_next_block: " + session.LastError());
    }
    return true;
  }
  if (e.event == DVDNAV_STOP) {
    result.end = PlayEnd::Stopped;
    return true;
  }
  return false;
}

}  // namespace

TitlePlayback PlayTitle(const fs::path& folder, int title, PlayLimits limits) {
  TitlePlayback result;
  result.title = title;
  NavSession session(folder);
  if (session.get() == nullptr) {
    result.errors.push_back("dvdnav_open2 failed");
    return result;
  }
  dvdnav_t* nav = session.get();
  if (dvdnav_title_play(nav, title) != DVDNAV_STATUS_OK) {
    result.errors.push_back("dvdnav_title_play: " + session.LastError());
    session.CollectLogged(result.errors);
    return result;
  }
  NavLoop loop(nav, limits);
  bool entered = false;
  for (;;) {
    const NavEvent e = loop.Next();
    if (EndsPlayback(e, loop, session, result)) break;
    if (e.event == DVDNAV_CELL_CHANGE) {
      std::int32_t now = 0, part = 0;
      const bool inTitle = dvdnav_is_domain_vts(nav) &&
                           dvdnav_current_title_info(nav, &now, &part) == DVDNAV_STATUS_OK && now == title;
      if (!inTitle) {
        if (entered) {
          result.end = PlayEnd::LeftTitle;
          break;
        }
        continue;
      }
      entered = true;
      const auto* cell = reinterpret_cast<const dvdnav_cell_change_event_t*>(loop.Buffer());
      ++result.cells;
      result.lastProgram = std::max(result.lastProgram, cell->pgN);
      result.pgcLength = cell->pgc_length;
    } else if (e.event == DVDNAV_VTS_CHANGE && entered) {
      const auto* change = reinterpret_cast<const dvdnav_vts_change_event_t*>(loop.Buffer());
      if (change->new_domain != DVD_DOMAIN_VTSTitle) {
        result.end = PlayEnd::LeftTitle;
        break;
      }
    } else if (e.event == DVDNAV_BLOCK_OK && entered) {
      if (++result.blocks >= limits.maxBlocks) {
        result.end = PlayEnd::BlockLimit;
        break;
      }
    }
  }
  result.stillsSkipped = loop.Stills();
  result.waitsSkipped = loop.Waits();
  session.CollectLogged(result.errors);
  if (result.cells == 0) result.errors.push_back("no cell of the title was played");
  if (result.cells > 0 && result.blocks == 0) result.errors.push_back("no block of the title was read");
  result.ok = (result.end == PlayEnd::LeftTitle || result.end == PlayEnd::Stopped) && result.errors.empty();
  return result;
}

TitlePlayback PlayFromFirstPlay(const fs::path& folder, PlayLimits limits) {
  TitlePlayback result;
  NavSession session(folder);
  if (session.get() == nullptr) {
    result.errors.push_back("dvdnav_open2 failed");
    return result;
  }
  dvdnav_t* nav = session.get();
  NavLoop loop(nav, limits);
  for (;;) {
    const NavEvent e = loop.Next();
    if (EndsPlayback(e, loop, session, result)) break;
    if (e.event == DVDNAV_CELL_CHANGE) {
      const auto* cell = reinterpret_cast<const dvdnav_cell_change_event_t*>(loop.Buffer());
      ++result.cells;
      result.lastProgram = std::max(result.lastProgram, cell->pgN);
    } else if (e.event == DVDNAV_BLOCK_OK && ++result.blocks >= limits.maxBlocks) {
      result.end = PlayEnd::BlockLimit;
      break;
    }
  }
  result.stillsSkipped = loop.Stills();
  result.waitsSkipped = loop.Waits();
  session.CollectLogged(result.errors);
  result.ok = result.end == PlayEnd::Stopped && result.errors.empty();
  return result;
}

std::vector<TitlePlayback> PlayAllTitles(const fs::path& folder, PlayLimits limits) {
  std::vector<TitlePlayback> results;
  std::int32_t titles = 0;
  {
    NavSession session(folder);
    if (session.get() == nullptr || dvdnav_get_number_of_titles(session.get(), &titles) != DVDNAV_STATUS_OK) {
      TitlePlayback failed;
      failed.errors.push_back("cannot count the titles: " + session.LastError());
      results.push_back(std::move(failed));
      return results;
    }
  }
  for (int t = 1; t <= titles; ++t) results.push_back(PlayTitle(folder, t, limits));
  return results;
}

NavigationReport FollowMenus(const fs::path& folder, PlayLimits limits) {
  NavigationReport report;
  const RawDisc disc = ReadRawDisc(VideoTsFolder(folder));

  // First play: whatever the first-play PGC leads to must show video.
  {
    NavigationStep& step = report.firstPlay;
    step.what = "first play";
    NavSession session(folder);
    if (session.get() == nullptr) {
      step.errors.push_back("dvdnav_open2 failed");
    } else {
      NavLoop loop(session.get(), limits);
      ReadUntil(session, loop, limits, 0, 0, step);
      session.CollectLogged(step.errors);
    }
  }

  // The video manager's title menu, called after first play has run.
  if (disc.hasVmgm) {
    NavigationStep step;
    step.what = "VMGM title menu";
    NavSession session(folder);
    if (session.get() == nullptr) {
      step.errors.push_back("dvdnav_open2 failed");
    } else {
      NavLoop loop(session.get(), limits);
      NavigationStep start;
      ReadUntil(session, loop, limits, 0, 0, start);
      if (!start.reached) {
        step.errors.push_back("first play showed no video, so no menu can be called");
      } else if (dvdnav_menu_call(session.get(), DVD_MENU_Title) != DVDNAV_STATUS_OK) {
        step.errors.push_back("dvdnav_menu_call(DVD_MENU_Title): " + session.LastError());
      } else {
        ReadUntil(session, loop, limits, DVD_DOMAIN_VMGM, 0, step);
      }
      session.CollectLogged(step.errors);
    }
    report.vmgMenu = std::move(step);
  }

  // Each title set's root menu. libdvdnav calls a root menu only from inside
  // that title set, so one of its titles is started first.
  for (int set : disc.setsWithMenus) {
    NavigationStep step;
    step.what = "VTS " + std::to_string(set) + " root menu";
    const auto title = disc.firstTitleOfSet.find(set);
    NavSession session(folder);
    if (title == disc.firstTitleOfSet.end()) {
      step.errors.push_back("no title of TT_SRPT lies in this title set");
    } else if (session.get() == nullptr) {
      step.errors.push_back("dvdnav_open2 failed");
    } else if (dvdnav_title_play(session.get(), title->second) != DVDNAV_STATUS_OK) {
      step.errors.push_back("dvdnav_title_play: " + session.LastError());
    } else {
      NavLoop loop(session.get(), limits);
      NavigationStep start;
      ReadUntil(session, loop, limits, DVD_DOMAIN_VTSTitle, set, start);
      if (!start.reached) {
        step.errors.push_back("title " + std::to_string(title->second) + " showed no video");
      } else if (dvdnav_menu_call(session.get(), DVD_MENU_Root) != DVDNAV_STATUS_OK) {
        step.errors.push_back("dvdnav_menu_call(DVD_MENU_Root): " + session.LastError());
      } else {
        ReadUntil(session, loop, limits, DVD_DOMAIN_VTSMenu, set, step);
      }
    }
    if (session.get() != nullptr) session.CollectLogged(step.errors);
    report.rootMenus.push_back(std::move(step));
  }

  if (!disc.error.empty()) report.firstPlay.errors.push_back(disc.error);
  auto good = [](const NavigationStep& s) { return s.reached && s.errors.empty(); };
  report.ok = good(report.firstPlay) && (!report.vmgMenu || good(*report.vmgMenu)) &&
              std::all_of(report.rootMenus.begin(), report.rootMenus.end(), good);
  return report;
}

MenuToTitle FollowMenuToTitle(const fs::path& folder, int titleSet, PlayLimits limits) {
  MenuToTitle result;
  const RawDisc disc = ReadRawDisc(VideoTsFolder(folder));
  NavSession session(folder);
  if (session.get() == nullptr) {
    result.errors.push_back("dvdnav_open2 failed");
    return result;
  }
  dvdnav_t* nav = session.get();
  NavLoop loop(nav, limits);
  NavigationStep step;
  // Somewhere the menu can be called from: after first play for the video
  // manager's, inside one of its titles for a title set's.
  if (titleSet == 0) {
    ReadUntil(session, loop, limits, 0, 0, step);
  } else {
    const auto title = disc.firstTitleOfSet.find(titleSet);
    if (title == disc.firstTitleOfSet.end() || dvdnav_title_play(nav, title->second) != DVDNAV_STATUS_OK)
      step.errors.push_back("cannot start a title of title set " + std::to_string(titleSet));
    else
      ReadUntil(session, loop, limits, DVD_DOMAIN_VTSTitle, titleSet, step);
  }
  NavigationStep menu;
  if (step.reached && dvdnav_menu_call(nav, titleSet == 0 ? DVD_MENU_Title : DVD_MENU_Root) == DVDNAV_STATUS_OK)
    ReadUntil(session, loop, limits, titleSet == 0 ? DVD_DOMAIN_VMGM : DVD_DOMAIN_VTSMenu, titleSet, menu);
  NavigationStep title;
  if (menu.reached) ReadUntil(session, loop, limits, DVD_DOMAIN_VTSTitle, 0, title);
  if (title.reached) {
    std::int32_t number = 0, part = 0;
    dvdnav_current_title_info(nav, &number, &part);
    result.reached = true;
    result.title = number;
    result.audioStream = dvdnav_get_active_audio_stream(nav);
    result.subpictureStream = dvdnav_get_active_spu_stream(nav);
  }
  for (const NavigationStep* s : {&step, &menu, &title})
    result.errors.insert(result.errors.end(), s->errors.begin(), s->errors.end());
  if (!result.reached && result.errors.empty()) result.errors.push_back("the menu led to no title");
  session.CollectLogged(result.errors);
  return result;
}

DecodedVideo DecodeFrames(const fs::path& vob) {
  DecodedVideo video;
  const ProcessResult probe = Run({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                   "stream=width,height", "-of", "csv=p=0", vob.string()});
  if (probe.exitCode != 0 || std::sscanf(probe.out.c_str(), "%d,%d", &video.width, &video.height) != 2 ||
      video.width <= 0 || video.height <= 0) {
    video.error = "ffprobe found no video stream: " + probe.err;
    return video;
  }
  // Passthrough: one output frame per decoded frame, none duplicated or dropped.
  const ProcessResult decode = Run({"ffmpeg", "-nostdin", "-v", "error", "-i", vob.string(), "-map", "0:v:0",
                                    "-vsync", "passthrough", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"});
  if (decode.exitCode != 0) {
    video.error = "ffmpeg failed: " + decode.err;
    return video;
  }
  const std::size_t lumaSize = static_cast<std::size_t>(video.width) * video.height;
  const std::size_t chromaSize = 2 * (static_cast<std::size_t>(video.width + 1) / 2) * ((video.height + 1) / 2);
  const std::size_t frameSize = lumaSize + chromaSize;
  video.frames = static_cast<int>(decode.out.size() / frameSize);
  if (decode.out.size() % frameSize != 0) {
    video.error = "ffmpeg wrote a partial frame";
    return video;
  }
  if (video.frames == 0) {
    video.error = "ffmpeg decoded no frame: " + decode.err;
    return video;
  }
  const auto* frame = reinterpret_cast<const std::uint8_t*>(decode.out.data());
  video.firstLuma.assign(frame, frame + lumaSize);
  const auto [yMin, yMax] = std::minmax_element(frame, frame + lumaSize);
  const auto [cMin, cMax] = std::minmax_element(frame + lumaSize, frame + frameSize);
  video.lumaMin = *yMin;
  video.lumaMax = *yMax;
  video.chromaMin = *cMin;
  video.chromaMax = *cMax;
  video.ok = true;
  return video;
}

// ------------------------------------------------------------- Describe

namespace {

std::string TimeText(std::uint32_t time) {
  char text[32];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x.%02x@%s", time >> 24, (time >> 16) & 0xFF, (time >> 8) & 0xFF,
                time & 0x3F, (time & 0xC0) == 0x40 ? "25" : (time & 0xC0) == 0xC0 ? "30" : "?");
  return text;
}

void DescribePgcs(std::ostringstream& out, const std::vector<PgcInfo>& pgcs, const char* indent) {
  for (std::size_t i = 0; i < pgcs.size(); ++i) {
    const PgcInfo& p = pgcs[i];
    out << indent << "PGC " << i + 1 << ": entry " << Hex(p.entryId) << ", " << p.programs << " programs, "
        << p.cells << " cells, " << TimeText(p.playbackTime) << ", commands pre " << p.preCommands << " post "
        << p.postCommands << " cell " << p.cellCommands << ", still " << int{p.stillTime} << "\n";
    for (std::size_t c = 0; c < p.cellList.size(); ++c) {
      const CellInfo& cell = p.cellList[c];
      out << indent << "  cell " << c + 1 << ": VOB " << cell.vobId << " cell " << int{cell.cellId} << ", sectors "
          << cell.firstSector << ".." << cell.lastSector << " (last VOBU " << cell.lastVobuStartSector << "), "
          << TimeText(cell.playbackTime) << ", still " << int{cell.stillTime} << "\n";
    }
  }
}

void DescribeMenu(std::ostringstream& out, const MenuDomain& menu, const char* name) {
  out << "  " << name << ": VOBS at " << menu.vobsSector << ", " << (menu.pal ? "625/50" : "525/60") << " "
      << (menu.wide ? "16:9" : "4:3") << ", audio " << menu.audioStreams << ", subpicture "
      << menu.subpictureStreams << ", " << menu.languageUnits.size() << " language units, " << menu.pgcCount
      << " PGCs, " << menu.cellCount << " cells, C_ADT " << menu.cAdt.size() << ", VOBU_ADMAP "
      << menu.vobuAdmap.size() << "\n";
  for (const MenuLanguageUnit& unit : menu.languageUnits) {
    out << "    language '" << unit.language << "', menus " << Hex(unit.existingMenus) << "\n";
    DescribePgcs(out, unit.pgcs, "      ");
  }
}

}  // namespace

std::string Describe(const IfoReport& report) {
  std::ostringstream out;
  const VmgInfo& vmg = report.vmg;
  out << "VIDEO_TS.IFO: " << (vmg.opened ? "opened" : "NOT opened") << ", last sector " << vmg.vmgLastSector
      << ", IFO last sector " << vmg.vmgiLastSector << ", " << vmg.titleSets << " title sets, "
      << vmg.titles.size() << " titles, first play " << vmg.firstPlayCommands << " commands\n";
  for (const TitleInfo& t : vmg.titles) {
    out << "  title " << t.number << ": VTS " << t.titleSet << " title " << t.vtsTitle << ", " << t.chapters
        << " chapters, set at sector " << t.titleSetSector << "\n";
  }
  DescribeMenu(out, vmg.menu, "VMGM");
  for (const TitleSetInfo& s : report.titleSets) {
    out << "VTS " << s.number << ": " << (s.opened ? "opened" : "NOT opened") << ", last sector " << s.vtsLastSector
        << ", IFO last sector " << s.vtsiLastSector << ", titles VOBS at " << s.vtsttVobsSector << ", "
        << (s.pal ? "625/50" : "525/60") << " " << (s.wide ? "16:9" : "4:3") << ", audio " << s.audioStreams
        << ", subpicture " << s.subpictureStreams << "\n";
    out << "  titles: " << s.ptts.size() << " in VTS_PTT_SRPT, " << s.pgcs.size() << " PGCs, " << s.cellCount
        << " cells, C_ADT " << s.cAdt.size() << ", VOBU_ADMAP " << s.vobuAdmap.size() << ", TMAPTI "
        << (s.hasTmapti ? "yes" : "no") << "\n";
    DescribePgcs(out, s.pgcs, "    ");
    DescribeMenu(out, s.menu, "VTSM");
  }
  for (const std::string& p : report.problems) out << "PROBLEM: " << p << "\n";
  return out.str();
}

std::string Describe(const TitlePlayback& p) {
  std::ostringstream out;
  out << "title " << p.title << ": " << (p.ok ? "ok" : "FAILED") << ", " << ToString(p.end) << ", " << p.blocks
      << " blocks, " << p.cells << " cells, last program " << p.lastProgram << ", stills skipped "
      << p.stillsSkipped << ", waits skipped " << p.waitsSkipped << ", PGC " << p.pgcLength / 90000.0 << " s\n";
  for (const std::string& e : p.errors) out << "  PROBLEM: " << e << "\n";
  return out.str();
}

std::string Describe(const NavigationReport& report) {
  std::ostringstream out;
  auto step = [&out](const NavigationStep& s) {
    out << s.what << ": " << (s.reached && s.errors.empty() ? "reached" : "NOT reached");
    if (s.reached) {
      out << " " << DomainName(s.domain);
      if (s.titleSet != 0) out << " of VTS " << s.titleSet;
    }
    out << " after " << s.blocks << " blocks\n";
    for (const std::string& e : s.errors) out << "  PROBLEM: " << e << "\n";
  };
  step(report.firstPlay);
  if (report.vmgMenu) step(*report.vmgMenu);
  for (const NavigationStep& s : report.rootMenus) step(s);
  return out.str();
}

}  // namespace kestrune::dvdcheck
