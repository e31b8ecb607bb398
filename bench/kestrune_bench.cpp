// kestrune_bench [Google Benchmark flags] DATA_DIR [WORK_DIR]
//
// In-process timings of the folder scan, of `kestrune-cli --info` (text and
// JSON) over the disc model, of the verifier (`kestrune-cli --verify`, with
// the bytes it reads), of a run that blanks every title set
// (and the video manager menu) with and without backups, each also with every
// flush left out (what durability costs), and of the restore,
// on every VIDEO_TS folder directly inside DATA_DIR. scripts/bench.sh makes
// those folders (99 title sets with large sparse VOBs, and an authored disc)
// and adds the system call counts, peak memory and a `cp -r` of each folder.
//
// A run changes its folder, so each iteration blanks a fresh sparse copy; the
// copy, and the blanking before a restore, are left out of the timing. The
// copies are deleted only when the program ends: ext4 without a journal
// passes over every inode freed in the last 30 seconds when it creates a
// file, so a copy deleted just before a run would slow that run down
// (file_ops/create_after_deleting shows by how much). The copies go to
// WORK_DIR, by default DATA_DIR.
//
// The file_ops benchmarks time the single file system operations a run is
// made of, in a copy of the first folder (so the folder has a disc's number
// of entries): what one step of a run costs on this machine.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "backup_commands.h"
#include "bench_folders.h"
#include "cli_app.h"
#include "file_layer.h"
#include "folder_scan.h"
#include "title_set.h"
#ifndef KESTRUNE_BENCH_OLDER_ENGINE
#include "test_file_system.h"
#include "verify.h"
#endif

namespace {

namespace kb = kestrune::bench;
using kestrune::ScanRow;
using kestrune::ScanRows;

struct RunKind {
  const char* name;
  bool backup;
  bool vmgMenu;
  // Every flush left out: the run without what makes it survive a crash, to
  // measure what that costs.
  bool withoutFlushes = false;
};

// Fresh sparse copies of a folder, each under a new name, all deleted when
// the program ends.
class Copies {
 public:
  explicit Copies(std::string root) : root_(std::move(root)) {}
  ~Copies() { kb::RemoveFolder(root_); }
  Copies(const Copies&) = delete;
  Copies& operator=(const Copies&) = delete;
  std::string Fresh(const std::string& from) {
    const std::string dir = root_ + std::to_string(next_++) + "/";
    kb::CopyFolderSparse(from, dir);
    return dir;
  }

 private:
  std::string root_;
  int next_ = 0;
};

Copies* copies = nullptr;

std::vector<std::string> TitleSetsOf(const std::vector<ScanRow>& rows) {
  std::vector<std::string> sets;
  for (const ScanRow& row : rows) sets.push_back(std::to_string(std::stoi(row.text.substr(4, 2))));
  return sets;
}

// Blanks the titles and menus of every title set the scan lists, as the
// window does when every row is checked. Called with the timing paused; with
// `timed` the run itself is timed.
void Blank(const std::string& dir, const RunKind& kind, bool timed, benchmark::State& state) {
  const ScanRows rows = kestrune::FindTitleSetRows(dir, "", false);
  kestrune::TTitleSet run(dir);
  run.FBackup = kind.backup;
  run.FRemoveStops = true;
  run.FRemoveAudioSubMapping = true;
  run.FBlankVmgMenu = kind.vmgMenu && !rows.vmg.empty();
  run.FVideoList = TitleSetsOf(rows.videos);
  run.FMenuList = TitleSetsOf(rows.menus);
#ifndef KESTRUNE_BENCH_OLDER_ENGINE
  // In use until the run is over: it counts the flushes, or leaves them out.
  kestrune::test::TestFileSystem files;
  files.LeaveOutFlush(kind.withoutFlushes ? kestrune::test::TestFileSystem::kEveryFlush : 0);
#endif
  if (timed) state.ResumeTiming();
  run.Process();
  if (timed) state.PauseTiming();
#ifndef KESTRUNE_BENCH_OLDER_ENGINE
  state.counters["flushes"] = static_cast<double>(files.Flushes());
#endif
  if (run.FStatus != kestrune::kStatusOk)
    state.SkipWithError(("run refused: " + std::to_string(run.FStatus) + " " + run.FStatusDetail).c_str());
  state.counters["title_sets"] = static_cast<double>(std::max(run.FVideoList.size(), run.FMenuList.size()));
}

void BM_Scan(benchmark::State& state, const std::string& dir) {
  std::size_t rows = 0;
  for (auto _ : state) {
    const ScanRows r = kestrune::FindTitleSetRows(dir, "", false);
    rows = r.vmg.size() + r.videos.size() + r.menus.size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = static_cast<double>(rows);
}

// The whole of `kestrune-cli --info DIR` (or with --json) in process: the
// disc model read from every IFO, the folder scan and the printed text.
void BM_Info(benchmark::State& state, const std::string& dir, bool json) {
  std::vector<const char*> argv = {"kestrune-cli", "--info", dir.c_str()};
  if (json) argv.push_back("--json");
  std::size_t printed = 0;
  for (auto _ : state) {
    std::ostringstream out, err;
    if (kestrune::RunCli(static_cast<int>(argv.size()), argv.data(), out, err) != kestrune::kExitOk)
      state.SkipWithError(("--info failed: " + err.str()).c_str());
    printed = out.str().size();
  }
  state.counters["bytes_printed"] = static_cast<double>(printed);
}

#ifndef KESTRUNE_BENCH_OLDER_ENGINE
// The verifier over the folder, as `kestrune-cli --verify DIR` runs it: every
// IFO and BUP read whole, of the VOBs only the NAV packs at the VOBU_ADMAP
// entries and the first pack of each file. The counters give what it read
// and its share of the VOB bytes in parts per million.
void BM_Verify(benchmark::State& state, const std::string& dir) {
  kestrune::verify::Report report;
  for (auto _ : state) {
    report = kestrune::verify::VerifyFolder(dir);
    benchmark::DoNotOptimize(report.findings.size());
  }
  state.counters["ifo_bytes_read"] = static_cast<double>(report.ifoBytesRead);
  state.counters["vob_bytes_read"] = static_cast<double>(report.vobBytesRead);
  state.counters["vob_bytes"] = static_cast<double>(report.vobBytes);
  state.counters["vob_read_ppm"] =
      report.vobBytes > 0 ? 1e6 * static_cast<double>(report.vobBytesRead) / static_cast<double>(report.vobBytes) : 0;
  state.counters["errors"] = report.Errors();
  state.counters["warnings"] = report.Warnings();
}
#endif

void BM_Run(benchmark::State& state, const std::string& dir, RunKind kind) {
  for (auto _ : state) {
    state.PauseTiming();
    Blank(copies->Fresh(dir), kind, true, state);
    state.ResumeTiming();
  }
}

void BM_Restore(benchmark::State& state, const std::string& dir, RunKind kind) {
  for (auto _ : state) {
    state.PauseTiming();
    const std::string work = copies->Fresh(dir);
    Blank(work, kind, false, state);
    state.ResumeTiming();
    const kestrune::BackupResult result = kestrune::RestoreBackups(work);
    if (!result.passedOver.empty()) state.SkipWithError(("restore passed over " + result.passedOver.front()).c_str());
  }
}

// --- single file operations -------------------------------------------------

enum class FileOp {
  kCreateWriteClose,  // a new file: the blank VOB, IFO and BUP of a title set
  kCreateAfterDeleting,  // the same, a second after 2000 files of the folder were deleted
  kReplaceViaTemp,    // written under a temporary name, renamed over the old file
  kRewriteInPlace,    // the old file truncated and written again
  kRenameToFreeName,  // a backup rename: NAME to NAME~
  kRenameMissing,     // a backup rename of a VOB that is not there
  kReadWhole,         // an IFO load: stat, open, fstat, read, close
};

void WriteBytes(const std::string& path, const std::vector<char>& bytes, int flags) {
  const int fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
  ::close(fd);
}

void BM_FileOp(benchmark::State& state, const std::string& dir, FileOp op) {
  const std::string work = copies->Fresh(dir);
  const std::vector<char> bytes(static_cast<std::size_t>(state.range(0)), 'k');
  const std::string file = work + "VTS_05_0.BUP";
  const std::string fresh = work + "KESTRUNE.NEW.";
  const std::string temp = work + ".KESTRUNE.NEW.part";
  WriteBytes(file, bytes, O_CREAT | O_TRUNC);
  std::vector<char> in(bytes.size());
  std::int64_t created = 0;
  if (op == FileOp::kCreateAfterDeleting) {
    const std::string gone = work + "GONE.";
    for (int i = 0; i < 2000; ++i) WriteBytes(gone + std::to_string(i), bytes, O_CREAT | O_EXCL);
    for (int i = 0; i < 2000; ++i) ::unlink((gone + std::to_string(i)).c_str());
    // Inodes freed in the very second a file is created are still taken.
    ::sleep(1);
  }
  for (auto _ : state) {
    switch (op) {
      case FileOp::kCreateAfterDeleting:
      case FileOp::kCreateWriteClose:
        // Each time under a new name, as a run's files are: a name used
        // before would find its freed inode and directory slot waiting.
        WriteBytes(fresh + std::to_string(created++), bytes, O_CREAT | O_EXCL);
        break;
      case FileOp::kReplaceViaTemp:
        WriteBytes(temp, bytes, O_CREAT | O_TRUNC);
        if (::rename(temp.c_str(), file.c_str()) != 0) std::abort();
        break;
      case FileOp::kRewriteInPlace:
        WriteBytes(file, bytes, O_TRUNC);
        break;
      case FileOp::kRenameToFreeName:
        if (::rename(file.c_str(), (file + "~").c_str()) != 0) std::abort();
        state.PauseTiming();
        ::rename((file + "~").c_str(), file.c_str());
        state.ResumeTiming();
        break;
      case FileOp::kRenameMissing:
        if (kestrune::RenameNoReplace(work + "VTS_05_9.VOB", work + "VTS_05_9.VOB~")) std::abort();
        break;
      case FileOp::kReadWhole: {
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) std::abort();
        const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 || ::fstat(fd, &st) != 0 || ::read(fd, in.data(), in.size()) < 0) std::abort();
        ::close(fd);
        break;
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: kestrune_bench [benchmark flags] DATA_DIR [WORK_DIR]\n");
    return 2;
  }
  const std::filesystem::path data = argv[1];
  std::vector<std::string> folders;
  for (const auto& entry : std::filesystem::directory_iterator(data)) {
    if (std::filesystem::exists(entry.path() / "VIDEO_TS" / "VIDEO_TS.IFO")) folders.push_back(entry.path().filename());
  }
  std::sort(folders.begin(), folders.end());
  if (folders.empty()) {
    std::fprintf(stderr, "kestrune_bench: no folder NAME/VIDEO_TS in %s\n", argv[1]);
    return 2;
  }
  const std::filesystem::path workRoot = argc == 3 ? std::filesystem::path(argv[2]) : data;
  Copies workCopies((workRoot / (".work-" + std::to_string(::getpid()))).string() + "/");
  copies = &workCopies;
  // Each run needs a copy of its own; a fixed number keeps the copies few.
  constexpr int kRunIterations = 3;
  const RunKind kinds[] = {{"backups", true, true},
                           {"no_backups", false, true},
                           {"backups_without_flushes", true, true, true},
                           {"no_backups_without_flushes", false, true, true}};
  for (const std::string& name : folders) {
    const std::string dir = (data / name / "VIDEO_TS").string() + "/";
    benchmark::RegisterBenchmark(("scan/" + name).c_str(), BM_Scan, dir)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("info/" + name).c_str(), BM_Info, dir, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("info_json/" + name).c_str(), BM_Info, dir, true)->Unit(benchmark::kMillisecond);
#ifndef KESTRUNE_BENCH_OLDER_ENGINE
    benchmark::RegisterBenchmark(("verify/" + name).c_str(), BM_Verify, dir)->Unit(benchmark::kMillisecond);
#endif
    for (const RunKind& kind : kinds) {
      benchmark::RegisterBenchmark(("run/" + name + "/" + kind.name).c_str(), BM_Run, dir, kind)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(kRunIterations)
          ->UseRealTime();
    }
    benchmark::RegisterBenchmark(("restore/" + name).c_str(), BM_Restore, dir, kinds[0])
        ->Unit(benchmark::kMillisecond)
        ->Iterations(kRunIterations)
        ->UseRealTime();
  }
  const std::string opsDir = (data / folders.front() / "VIDEO_TS").string() + "/";
  const std::pair<const char*, FileOp> ops[] = {
      {"create_write_close", FileOp::kCreateWriteClose}, {"create_after_deleting", FileOp::kCreateAfterDeleting},
      {"replace_via_temp", FileOp::kReplaceViaTemp},
      {"rewrite_in_place", FileOp::kRewriteInPlace},     {"rename_to_free_name", FileOp::kRenameToFreeName},
      {"rename_missing", FileOp::kRenameMissing},        {"read_whole", FileOp::kReadWhole},
  };
  for (const auto& [name, op] : ops) {
    benchmark::RegisterBenchmark((std::string("file_ops/") + name).c_str(), BM_FileOp, opsDir, op)
        ->Arg(op == FileOp::kReadWhole                                                         ? 18432
              : op == FileOp::kCreateWriteClose || op == FileOp::kCreateAfterDeleting ? 10240
                                                                                        : 88064)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
