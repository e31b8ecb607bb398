// kestrune-bench-tool: the steps scripts/bench.sh runs under strace and
// /usr/bin/time. Each measured step is framed by two marker lines, writes to
// descriptor -1 that fail at once but show in a system call trace:
//   write(-1, "kestrune-bench: begin run\n", ...) = -1 EBADF
// so the script counts exactly the calls the engine made in between.
//
//   kestrune-bench-tool grow DIR MIB         title video of every set grown to MIB MiB (sparse)
//   kestrune-bench-tool copy FROM TO         copy of a VIDEO_TS folder keeping its holes
//   kestrune-bench-tool fill DIR             the holes of every VOB filled with data
//   kestrune-bench-tool scan DIR COUNT       the folder scan, COUNT times
//   kestrune-bench-tool run DIR [--no-backup] [--vmg-menu]
//                                            blanks the titles and menus of every title set
//   kestrune-bench-tool restore DIR          puts every backup back
//   kestrune-bench-tool packs DIR MIB        title set 1's title VOB set repeated to MIB MiB (real packs)
//   kestrune-bench-tool strip DIR [--no-backup]
//                                            drops audio streams 2 and 3 of title set 1
// Measured steps print the peak resident memory before and after them.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "backup_commands.h"
#include "bench_folders.h"
#include "file_layer.h"
#include "folder_scan.h"
#include "big_endian.h"
#include "dvd_files.h"
#include "ifo_fields.h"
#include "ifo_image.h"
#include "nav_pack.h"
#include "strip_run.h"
#include "title_set.h"
#include "title_tables.h"

namespace kb = kestrune::bench;
using kestrune::ScanRow;
using kestrune::ScanRows;

namespace {

void Mark(const std::string& what) {
  const std::string line = "kestrune-bench: " + what + "\n";
  // Descriptor -1 is never open: the call only leaves a line in the trace.
  [[maybe_unused]] const ssize_t ignored = ::write(-1, line.data(), line.size());
}

long PeakKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // KiB on Linux
}

// Title set numbers of rows that start with their prefix "VTS_nn_".
std::vector<std::string> TitleSetsOf(const std::vector<ScanRow>& rows) {
  std::vector<std::string> sets;
  for (const ScanRow& row : rows) sets.push_back(std::to_string(std::stoi(row.text.substr(4, 2))));
  return sets;
}

int Usage() {
  std::fprintf(stderr,
               "usage: kestrune-bench-tool grow DIR MIB | copy FROM TO | fill DIR | scan DIR COUNT |\n"
               "       run DIR [--no-backup] [--vmg-menu] | restore DIR | packs DIR MIB |\n"
               "       strip DIR [--no-backup]\n");
  return 2;
}

int Scan(const std::string& dir, int count) {
  std::size_t rows = 0;
  const long before = PeakKiB();
  Mark("begin scan");
  for (int i = 0; i < count; ++i) {
    const ScanRows r = kestrune::FindTitleSetRows(dir, "", false);
    rows += r.vmg.size() + r.videos.size() + r.menus.size();
  }
  Mark("end scan");
  std::printf("rows %zu\npeak_kib_before %ld\npeak_kib_after %ld\n", rows / static_cast<std::size_t>(count), before,
              PeakKiB());
  return 0;
}

int Run(const std::string& dir, bool backup, bool vmgMenu) {
  // Chosen as the window chooses: every row the scan lists.
  const ScanRows rows = kestrune::FindTitleSetRows(dir, "", false);
  kestrune::TTitleSet run(dir);
  run.FBackup = backup;
  run.FRemoveStops = true;
  run.FRemoveAudioSubMapping = true;
  run.FBlankVmgMenu = vmgMenu;
  run.FVideoList = TitleSetsOf(rows.videos);
  run.FMenuList = TitleSetsOf(rows.menus);
  const long before = PeakKiB();
  Mark("begin run");
  try {
    run.Process();
  } catch (const kestrune::FileError& e) {
    Mark("end run");
    std::fprintf(stderr, "%s\n", e.what());
    return 3;
  }
  Mark("end run");
  std::printf("status %d\ntitle_sets %zu\nmenus %zu\npeak_kib_before %ld\npeak_kib_after %ld\n",
              static_cast<int>(run.FStatus), run.FVideoList.size(), run.FMenuList.size(), before, PeakKiB());
  if (run.FStatus != kestrune::kStatusOk) {
    std::fprintf(stderr, "run refused: %d %s\n", static_cast<int>(run.FStatus), run.FStatusDetail.c_str());
    return 1;
  }
  return 0;
}

// Title set 1's title VOB set of `dir` repeated until it holds `bytes`: a
// real pack stream whose every NAV pack names its own sector (the copies'
// NV_PCK_LBN moved on), in files of 1 GiB, with VTSI_MAT's last sector and
// the later title sets' TT_SRPT start sectors grown to match. The IFO's other
// tables still describe the first copy only: enough for a strip run, which
// walks and rewrites every pack, not a disc to play.
int Packs(const std::string& dir, std::int64_t bytes) {
  namespace nav = kestrune::nav;
  constexpr std::int64_t kFileSectors = 512 * 1024;  // 1 GiB
  std::vector<std::uint8_t> set, part;
  std::error_code error;
  for (int k = 1; k <= 9; ++k) {
    const std::string vob = dir + kestrune::VtsPrefix(1) + std::to_string(k) + ".VOB";
    if (!kestrune::FileExists(vob)) break;
    if (!kestrune::ReadFileRange(vob, 0, INT64_MAX / 2, part, error)) throw kestrune::FileError(vob, "read", error);
    set.insert(set.end(), part.begin(), part.end());
    kestrune::DeleteFile(vob);
  }
  const std::int64_t copySectors = static_cast<std::int64_t>(set.size()) / kestrune::kSectorSize;
  const std::int64_t copies = std::max<std::int64_t>(1, (bytes + static_cast<std::int64_t>(set.size()) - 1) /
                                                            static_cast<std::int64_t>(set.size()));
  std::int64_t sector = 0;
  int file = 0;
  std::unique_ptr<kestrune::FileWriter> out;
  for (std::int64_t c = 0; c < copies; ++c) {
    for (std::int64_t s = 0; s < copySectors; ++s, ++sector) {
      std::uint8_t* pack = &set[static_cast<std::size_t>(s * kestrune::kSectorSize)];
      if (nav::IsNavPack({pack, static_cast<std::size_t>(kestrune::kSectorSize)})) {
        kestrune::PutBigEndian<std::uint32_t>(pack + nav::PciField(nav::kPciNvPckLbn), static_cast<std::uint32_t>(sector));
        kestrune::PutBigEndian<std::uint32_t>(pack + nav::DsiField(nav::kDsiNvPckLbn), static_cast<std::uint32_t>(sector));
      }
      if (sector % kFileSectors == 0) {
        if (out) out->Commit(kestrune::DataFlush::kLater);
        out = std::make_unique<kestrune::FileWriter>(dir + kestrune::VtsPrefix(1) + std::to_string(++file) + ".VOB",
                                                     kestrune::FileWriter::Placing::kReplacing);
      }
      out->Write({pack, static_cast<std::size_t>(kestrune::kSectorSize)});
    }
  }
  out->Commit(kestrune::DataFlush::kLater);
  const std::uint32_t grown = static_cast<std::uint32_t>((copies - 1) * copySectors);
  for (const char* name : {"VTS_01_0.IFO", "VTS_01_0.BUP"}) {
    bool tooBig = false;
    if (!kestrune::ReadWholeFile(dir + name, 1 << 20, part, tooBig, error)) throw kestrune::FileError(name, "read", error);
    kestrune::PutBigEndian<std::uint32_t>(&part[kestrune::kMatLastSector],
                                          kestrune::GetBigEndian<std::uint32_t>(&part[kestrune::kMatLastSector]) + grown);
    kestrune::WriteFileReplacing(dir + name, part, kestrune::DataFlush::kLater);
  }
  for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) {
    bool tooBig = false;
    if (!kestrune::ReadWholeFile(dir + name, 1 << 20, part, tooBig, error)) throw kestrune::FileError(name, "read", error);
    kestrune::IfoImage image(part);
    const std::int64_t tt = kestrune::GetBigEndian<std::uint32_t>(&part[kestrune::kVmgiTtSrpt]) * kestrune::kSectorSize;
    kestrune::ifo::LowerTitleSetSectors(image, tt, 1, -grown);
    kestrune::WriteFileReplacing(dir + name, image.Bytes(), kestrune::DataFlush::kLater);
  }
  std::printf("copies %lld\nsectors %lld\nfiles %d\n", static_cast<long long>(copies), static_cast<long long>(sector), file);
  return 0;
}

int Strip(const std::string& dir, bool backup) {
  kestrune::strip::StripOptions options;
  options.titleSets = {1};
  options.choice.dropAudio = {2, 3};
  options.backup = backup;
  const long before = PeakKiB();
  Mark("begin strip");
  std::int64_t saved = 0;
  try {
    for (const auto& set : kestrune::strip::StripRun(dir, options).Process()) saved += set.BytesSaved();
  } catch (const std::exception& e) {
    Mark("end strip");
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  Mark("end strip");
  std::printf("bytes_saved %lld\npeak_kib_before %ld\npeak_kib_after %ld\n", static_cast<long long>(saved), before,
              PeakKiB());
  return 0;
}

int Restore(const std::string& dir) {
  const long before = PeakKiB();
  Mark("begin restore");
  const kestrune::BackupResult result = kestrune::RestoreBackups(dir);
  Mark("end restore");
  std::printf("restored %d\npassed_over %zu\npeak_kib_before %ld\npeak_kib_after %ld\n", result.handled,
              result.passedOver.size(), before, PeakKiB());
  return result.passedOver.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  try {
    if (command == "grow" && argc == 4) {
      const int sets = kb::GrowTitleVideo(argv[2], std::stoll(argv[3]) << 20);
      std::printf("grown %d title sets\n", sets);
      return 0;
    }
    if (command == "copy" && argc == 4) {
      kb::CopyFolderSparse(argv[2], argv[3]);
      return 0;
    }
    if (command == "fill" && argc == 3) {
      std::printf("filled %lld bytes\n", static_cast<long long>(kb::FillHoles(argv[2])));
      return 0;
    }
    if (command == "scan" && argc == 4) return Scan(argv[2], std::max(1, std::stoi(argv[3])));
    if (command == "run") {
      bool backup = true, vmgMenu = false;
      for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-backup") == 0) backup = false;
        else if (std::strcmp(argv[i], "--vmg-menu") == 0) vmgMenu = true;
        else return Usage();
      }
      return Run(argv[2], backup, vmgMenu);
    }
    if (command == "restore" && argc == 3) return Restore(argv[2]);
    if (command == "packs" && argc == 4) return Packs(kestrune::WithTrailingDelimiter(argv[2]), std::stoll(argv[3]) << 20);
    if (command == "strip" && (argc == 3 || (argc == 4 && std::strcmp(argv[3], "--no-backup") == 0)))
      return Strip(kestrune::WithTrailingDelimiter(argv[2]), argc == 3);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrune-bench-tool: %s\n", e.what());
    return 1;
  }
  return Usage();
}
