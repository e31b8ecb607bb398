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
// Measured steps print the peak resident memory before and after them.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "backup_commands.h"
#include "bench_folders.h"
#include "file_layer.h"
#include "folder_scan.h"
#include "title_set.h"

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
               "       run DIR [--no-backup] [--vmg-menu] | restore DIR\n");
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
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrune-bench-tool: %s\n", e.what());
    return 1;
  }
  return Usage();
}
