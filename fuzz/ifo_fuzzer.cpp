// Fuzz target: one mutated information file goes through a whole blanking
// run (LoadIfo, the checks, the trial and real rewrites, the write-out) in a
// scratch VIDEO_TS folder on tmpfs, next to a valid companion IFO taken from
// the authored pal_menu disc. The run must end in a status code (or a
// FileError); afterwards the folder must be sound, or the harness aborts so
// that silent corruption is reported like a crash. The verifier (and the
// disc model under it) reads the folder before and after the run: a damaged
// IFO must be a finding, never a crash.
//
// Input layout:
//   byte 0  what the rest becomes and what the run blanks (kFuzz*, see below)
//   byte 1  chain rewrite options (kOpt*)
//   byte 2  manual still time
//   rest    the information file: VTS_01_0.IFO, or VIDEO_TS.IFO
//
// With kOptPackWalk in byte 1 the rest is instead the packs of a title VOB
// set: a strip run's pack walk goes over them in memory, dropping the
// streams byte 2 names (kDrop*), and every NAV pack it finds is moved over
// the sector map it made. A damaged pack must be refused with its reason;
// a NAV pack that moves must name its new sector afterwards.
//
// Built twice: with clang's libFuzzer (KESTRUNE_FUZZ=ON), and with any
// compiler next to replay_main.cpp, which feeds it the saved corpus.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "blank_vob.h"
#include "file_layer.h"
#include "nav_pack.h"
#include "nav_relocation.h"
#include "pack_walk.h"
#include "fuzz_seeds.h"  // generated from fuzz/seeds/pal_menu: kSeedVmgIfo, kSeedVtsIfo
#include "title_set.h"
#include "verify.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using kestrune::TTitleSet;

// Byte 0.
constexpr std::uint8_t kFuzzVmg = 0x01;           // the rest is VIDEO_TS.IFO, else VTS_01_0.IFO
constexpr std::uint8_t kFuzzTitles = 0x02;        // blank title set 1's titles
constexpr std::uint8_t kFuzzMenus = 0x04;         // blank title set 1's menus
constexpr std::uint8_t kFuzzVmgMenu = 0x08;       // blank the video manager menu
constexpr std::uint8_t kFuzzBackup = 0x10;
constexpr std::uint8_t kFuzzReplacement = 0x20;   // a replacement VOB instead of the built-in one
constexpr std::uint8_t kFuzzManualStill = 0x40;
constexpr std::uint8_t kFuzzOtherFiles = 0x80;    // BUPs and VOBs lie beside the IFOs
// Byte 1.
constexpr std::uint8_t kOptMergePrograms = 0x01;
constexpr std::uint8_t kOptMergeCells = 0x02;
constexpr std::uint8_t kOptRemoveStops = 0x04;
constexpr std::uint8_t kOptRemoveAudioSub = 0x08;
constexpr std::uint8_t kOptPackWalk = 0x80;  // the rest is packs of a title VOB set
constexpr std::size_t kHeaderSize = 3;

constexpr char kVmgIfo[] = "VIDEO_TS.IFO";
constexpr char kVtsIfo[] = "VTS_01_0.IFO";
constexpr std::int64_t kSector = 2048;
constexpr std::int64_t kIfoLastSectorField = 0x1C;  // VMGI_MAT / VTSI_MAT: last sector of the IFO

kestrune::TStatus gLastStatus = kestrune::kStatusOk;
constexpr kestrune::TStatus kFileErrorThrown = 1;  // not a status code: Process threw FileError
std::string gLastDetail;

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "ifo_fuzzer: %s (the run ended with status %d %s)\n", what.c_str(), gLastStatus,
               gLastDetail.c_str());
  std::fflush(stderr);
  std::abort();
}

// --- plain POSIX file helpers, independent of the file layer under test ---

std::optional<Bytes> ReadFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  Bytes bytes;
  std::uint8_t buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  ::close(fd);
  return bytes;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Finding("cannot create scratch file " + path);
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put <= 0) Finding("cannot write scratch file " + path);
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  ::close(fd);
}

std::vector<std::string> ListFolder(const std::string& dir) {
  std::vector<std::string> names;
  DIR* handle = ::opendir(dir.c_str());
  if (!handle) Finding("cannot list scratch folder " + dir);
  while (const dirent* entry = ::readdir(handle)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(handle);
  return names;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::uint32_t BigEndian32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// --- the scratch folder ------------------------------------------------------

struct Scratch {
  std::string root;         // /dev/shm/kestrune-fuzz-<pid>/
  std::string dvd;          // root + "VIDEO_TS/"
  std::string replacement;  // a valid one-frame VOB outside the DVD folder
};

void RemoveScratch();

// Never destroyed: RemoveScratch runs at exit, after static destructors.
const Scratch& GetScratch() {
  static const Scratch& scratch = *[] {
    auto* made = new Scratch;
    Scratch& s = *made;
    const char* base = "/dev/shm";
    struct stat st {};
    if (::stat(base, &st) != 0 || !S_ISDIR(st.st_mode)) base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    s.root = std::string(base) + "/kestrune-fuzz-" + std::to_string(::getpid()) + "/";
    s.dvd = s.root + "VIDEO_TS/";
    s.replacement = s.root + "replacement.vob";
    ::mkdir(s.root.c_str(), 0755);
    ::mkdir(s.dvd.c_str(), 0755);
    const Bytes& vob = kestrune::BlankVobImage("PAL");
    WriteFile(s.replacement, vob.data(), vob.size());
    std::atexit(RemoveScratch);
    return made;
  }();
  return scratch;
}

void ClearFolder(const std::string& dir) {
  for (const std::string& name : ListFolder(dir)) ::unlink((dir + name).c_str());
}

void RemoveScratch() {
  const Scratch& s = GetScratch();
  ClearFolder(s.dvd);
  ::rmdir(s.dvd.c_str());
  ::unlink(s.replacement.c_str());
  ::rmdir(s.root.c_str());
}

// --- what the folder must look like after the run ----------------------------

// A rewritten IFO: as long as its MAT says, with an identical BUP, and one
// that this engine loads again without refusing it.
void CheckRewrittenIfo(const Scratch& s, const std::string& name, std::uint8_t n) {
  const std::optional<Bytes> ifo = ReadFile(s.dvd + name);
  if (!ifo) Finding(name + " is gone after a successful run");
  if (ifo->size() < static_cast<std::size_t>(kSector)) Finding(name + " is shorter than one sector");
  const std::int64_t expected = (static_cast<std::int64_t>(BigEndian32(*ifo, kIfoLastSectorField)) + 1) * kSector;
  if (static_cast<std::int64_t>(ifo->size()) != expected)
    Finding(name + " is " + std::to_string(ifo->size()) + " bytes, its 0x1C says " + std::to_string(expected));
  const std::string bupName = name.substr(0, name.size() - 3) + "BUP";
  if (ReadFile(s.dvd + bupName) != ifo) Finding(bupName + " differs from " + name);
  TTitleSet reload(s.dvd);
  reload.LoadIfo(n);
  if (reload.FStatus != kestrune::kStatusOk)
    Finding("the rewritten " + name + " no longer loads (" + std::to_string(reload.FStatus) + "): " +
            reload.FStatusDetail);
}

// A refused run leaves every file whose name starts with `prefix` as it
// was; a backup ("~") made before the refusal holds the original bytes.
void CheckUnchanged(const Scratch& s, const std::map<std::string, Bytes>& originals, const std::string& prefix) {
  for (const std::string& name : ListFolder(s.dvd)) {
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string original = EndsWith(name, "~") ? name.substr(0, name.size() - 1) : name;
    const auto it = originals.find(original);
    if (it == originals.end()) Finding("a refused run left " + name + " behind");
    if (ReadFile(s.dvd + name) != it->second) Finding("a refused run changed " + name);
  }
  for (const auto& [name, bytes] : originals) {
    if (name.compare(0, prefix.size(), prefix) == 0 && !ReadFile(s.dvd + name))
      Finding("a refused run removed " + name);
  }
}

// The pack walk and NAV pack relocation of a strip run over `packs`; byte
// `drop` bit i drops the i-th of AC-3 0x80, MPEG 0xC0, LPCM 0xA0, DTS 0x88,
// sub-pictures 0x20, 0x21, 0x22 and 0x3F, and clears SYNCI entries i.
void WalkPacks(const std::uint8_t* packs, std::size_t size, std::uint8_t drop) {
  namespace nav = kestrune::nav;
  constexpr std::uint8_t kDropped[8] = {0x80, 0xC0, 0xA0, 0x88, 0x20, 0x21, 0x22, 0x3F};
  std::set<std::uint8_t> dropped;
  for (int i = 0; i < 8; ++i)
    if (drop >> i & 1) dropped.insert(kDropped[i]);
  const std::size_t sectors = size / kSector;
  kestrune::strip::PackWalker walker(static_cast<std::int64_t>(sectors), dropped);
  try {
    walker.Add(std::span(packs, sectors * kSector));
  } catch (const kestrune::strip::PackError& e) {
    if (std::string(e.what()).empty()) Finding("a refused pack without a reason");
    return;
  }
  const kestrune::strip::PackWalk walk = walker.Finish();
  if (walk.map.OldSectors() != static_cast<std::int64_t>(sectors)) Finding("the sector map lost sectors");
  for (const std::uint32_t s : walk.navPacks) {
    const auto moved = walk.map.Map(s);
    if (!moved) Finding("a NAV pack was removed");
    Bytes pack(packs + s * kSector, packs + (s + 1) * kSector);
    try {
      kestrune::RelocateNavPack(pack, s, walk.map, kestrune::SynciDrops{drop, drop});
    } catch (const kestrune::NavPackError& e) {
      if (e.Field().empty()) Finding("a NAV pack refused without naming its field");
      continue;
    }
    if (BigEndian32(pack, nav::DsiField(nav::kDsiNvPckLbn)) != *moved ||
        BigEndian32(pack, nav::PciField(nav::kPciNvPckLbn)) != *moved)
      Finding("a moved NAV pack does not name its new sector");
    if (*moved + BigEndian32(pack, nav::DsiField(nav::kDsiVobuEa)) >= walk.map.NewSectors())
      Finding("a moved NAV pack's VOBU ends past the new set");
  }
}

}  // namespace

// The status of the last run and why, for the replay's log (1: Process
// threw FileError).
std::string FuzzerLastOutcome() { return "status " + std::to_string(gLastStatus) + " " + gLastDetail; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderSize) return 0;
  if (data[1] & kOptPackWalk) {
    WalkPacks(data + kHeaderSize, size - kHeaderSize, data[2]);
    return 0;
  }
  const Scratch& s = GetScratch();
  const std::uint8_t what = data[0];
  const std::uint8_t options = data[1];
  const bool fuzzVmg = (what & kFuzzVmg) != 0;
  bool titles = (what & kFuzzTitles) != 0;
  const bool menus = (what & kFuzzMenus) != 0;
  bool vmgMenu = (what & kFuzzVmgMenu) != 0;
  // Always something to do on the fuzzed file.
  if (!fuzzVmg && !titles && !menus) titles = true;
  if (fuzzVmg && !titles && !menus && !vmgMenu) vmgMenu = true;

  const Bytes fuzzed(data + kHeaderSize, data + size);
  std::map<std::string, Bytes> originals;
  originals[kVmgIfo] = fuzzVmg ? fuzzed : Bytes(std::begin(kSeedVmgIfo), std::end(kSeedVmgIfo));
  originals[kVtsIfo] = fuzzVmg ? Bytes(std::begin(kSeedVtsIfo), std::end(kSeedVtsIfo)) : fuzzed;
  if (what & kFuzzOtherFiles) {
    originals["VIDEO_TS.BUP"] = originals[kVmgIfo];
    originals["VTS_01_0.BUP"] = originals[kVtsIfo];
    // Short stand-ins for the VOB sets: the run renames, replaces or deletes them.
    for (const char* vob : {"VIDEO_TS.VOB", "VTS_01_0.VOB", "VTS_01_1.VOB", "VTS_01_2.VOB"})
      originals[vob] = Bytes(vob, vob + std::strlen(vob));
  }
  ClearFolder(s.dvd);
  for (const auto& [name, bytes] : originals) WriteFile(s.dvd + name, bytes.data(), bytes.size());
  // The fuzzed IFO's own damage is an error finding of the verifier, or none
  // when the mutation left it sound.
  const kestrune::verify::Report before = kestrune::verify::VerifyFolder(s.dvd);
  if (before.findings.empty() && !(what & kFuzzOtherFiles)) Finding("the verifier misses the missing BUPs and VOBs");

  TTitleSet ts(s.dvd);
  if (titles) ts.FVideoList.push_back("1");
  if (menus) ts.FMenuList.push_back("1");
  ts.FBlankVmgMenu = vmgMenu;
  ts.FBackup = (what & kFuzzBackup) != 0;
  ts.FUseReplacementVob = (what & kFuzzReplacement) != 0;
  ts.FReplacementVobPath = s.replacement;
  ts.FUseManualStillTime = (what & kFuzzManualStill) != 0;
  ts.FManualStillTime = data[2];
  ts.FMergePrograms = (options & kOptMergePrograms) != 0;
  ts.FMergeCells = (options & kOptMergeCells) != 0;
  ts.FRemoveStops = (options & kOptRemoveStops) != 0;
  ts.FRemoveAudioSubMapping = (options & kOptRemoveAudioSub) != 0;
  gLastStatus = kestrune::kStatusOk;
  gLastDetail.clear();
  try {
    gLastStatus = ts.Process();
    gLastDetail = ts.FStatusDetail;
  } catch (const kestrune::FileError& e) {
    // A file the run could not write; on tmpfs this is not expected, but it
    // is a clear refusal, not a crash.
    gLastStatus = kFileErrorThrown;
    gLastDetail = e.what();
    return 0;
  }

  for (const std::string& name : ListFolder(s.dvd)) {
    if (EndsWith(name, ".kestrune-part")) Finding("the run left the temporary file " + name);
  }
  kestrune::verify::VerifyFolder(s.dvd);
  if (ts.FStatus != kestrune::kStatusOk) {
    // Nothing of the failing set changes. When the fuzzed file is the title
    // set's, the video manager menu may have been blanked before it.
    CheckUnchanged(s, originals, fuzzVmg ? "" : "VTS_01_");
    return 0;
  }

  CheckRewrittenIfo(s, kVmgIfo, 0);
  if (titles || menus) CheckRewrittenIfo(s, kVtsIfo, 1);
  if (ts.FBackup) {
    // The oldest original is kept under "~" for the restore command.
    if (ReadFile(s.dvd + kVmgIfo + "~") != originals[kVmgIfo]) Finding("VIDEO_TS.IFO~ is not the original");
    if ((titles || menus) && ReadFile(s.dvd + kVtsIfo + "~") != originals[kVtsIfo])
      Finding("VTS_01_0.IFO~ is not the original");
  }
  if (titles) {
    const std::optional<Bytes> vob = ReadFile(s.dvd + "VTS_01_1.VOB");
    if (!vob || static_cast<std::int64_t>(vob->size()) != kestrune::kBlankVobSize)
      Finding("VTS_01_1.VOB is not the five-sector blank VOB");
    if (!ts.FBackup && ReadFile(s.dvd + "VTS_01_2.VOB")) Finding("VTS_01_2.VOB was left without a backup");
  }
  return 0;
}
