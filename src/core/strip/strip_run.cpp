#include "strip_run.h"

#include <algorithm>

#include "big_endian.h"
#include "disk_folder.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "ifo_fields.h"
#include "ifo_tables.h"
#include "nav_relocation.h"
#include "status.h"
#include "title_set_relocation.h"
#include "title_tables.h"
#include "video_title_set.h"

namespace kestrune::strip {

struct StripRun::SetPlan {
  int number = 0;
  std::string name;     // "VTS_01_0.IFO"
  std::string prefix;   // dir + "VTS_01_"
  std::vector<std::uint8_t> newIfo;  // empty when the IFO stays as it is
  TitleVobs vobs;
  PackWalk walk;
  SynciDrops synci;
  std::int64_t fileSectors = 0;  // of every new file but the last
  int newFiles = 0;
  bool laterTitleSets = false;   // TT_SRPT has titles of later title sets, whose start sectors move

  std::string VobPath(int k) const { return prefix + std::to_string(k) + ".VOB"; }
  bool VobsChange() const { return walk.map.RemovedSectors() > 0; }
};

namespace {

std::string Vmg(const std::string& dir, const char* ext) { return dir + "VIDEO_TS." + ext; }

IfoImage ReadIfo(RunFolder& folder, const std::string& path, const std::string& name, ifo::IfoKind kind) {
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  if (!folder.FileExists(path)) throw Refusal(name + " is missing; nothing was changed.");
  if (!folder.ReadWholeFile(path, kMaxIfoSectors * kSectorSize, bytes, tooBig, error))
    throw Refusal(name + " cannot be read: " + error.message() + "; nothing was changed.");
  if (tooBig) throw Refusal(name + " is larger than " + std::to_string(kMaxIfoSectors) + " sectors; nothing was changed.");
  const std::int64_t size = static_cast<std::int64_t>(bytes.size());
  IfoImage image(std::move(bytes));
  if (!ifo::HasIdentifier(image, size, kind))
    throw Refusal(name + " does not start with " + ifo::IdentifierOf(kind) + "; nothing was changed.");
  return image;
}

}  // namespace

StripRun::StripRun(const std::string& dir, StripOptions options)
    : dir_(WithTrailingDelimiter(dir)), options_(std::move(options)) {}

StripRun::~StripRun() = default;

std::vector<TitleSetReport> StripRun::Process() {
  if (!FolderExists(dir_)) throw Refusal(StatusMessage(kStatusPathNotFound));
  FolderLock lock(dir_);
  if (!lock.Held()) throw Refusal(StatusMessage(kStatusFolderBusy));
  PlannedFolder plan(dir_);
  RunSteps(plan, true);
  DiskFolder disk(dir_, options_.backup, &plan);
  RunSteps(disk, false);
  // Everything the run did is on the disk before it reports.
  disk.Finish();
  return reports_;
}

std::vector<TitleSetReport> StripRun::ProcessPlanned(PlannedFolder& plan) {
  if (!FolderExists(dir_)) throw Refusal(StatusMessage(kStatusPathNotFound));
  FolderLock lock(dir_);
  if (!lock.Held()) throw Refusal(StatusMessage(kStatusFolderBusy));
  RunSteps(plan, true);
  return reports_;
}

void StripRun::RunSteps(RunFolder& folder, bool planning) {
  if (planning) {
    if (options_.titleSets.empty()) throw Refusal("Name the title sets to strip (--title-sets 1,3).");
    if (options_.choice.Empty())
      throw Refusal("Name the streams to drop (--drop-audio, --drop-subpictures) or the languages to keep.");
    std::vector<int> numbers = options_.titleSets;
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    // Every chosen title set is planned, its VOBs walked and its NAV packs
    // checked before anything is written, even in the plan.
    sets_.clear();
    reports_.clear();
    for (int n : numbers) {
      sets_.emplace_back();
      reports_.emplace_back();
      PlanTitleSet(folder, n, sets_.back());
    }
    RefuseWithoutRoom();
  }
  const bool vmgChanges = std::any_of(sets_.begin(), sets_.end(),
                                      [](const SetPlan& s) { return s.VobsChange() && s.laterTitleSets; });
  if (options_.backup && vmgChanges) BackupVmgIfoAndBup(folder, Vmg(dir_, "IFO"), Vmg(dir_, "BUP"));
  for (SetPlan& set : sets_) {
    WriteTitleSet(folder, set, planning);
    if (set.VobsChange() && set.laterTitleSets) UpdateVmg(folder, set);
  }
}

void StripRun::RefuseWithoutRoom() const {
  // With backups the old files stay as backups beside the whole new set;
  // without, each old file gives way to its new one, so the largest new
  // file (or IFO) must fit beside the old ones.
  std::int64_t needed = 0;
  for (const SetPlan& set : sets_) {
    if (set.newIfo.empty()) continue;
    const std::int64_t ifo = 2 * static_cast<std::int64_t>(set.newIfo.size());
    const std::int64_t vobs = set.VobsChange() ? SectorStart(set.walk.map.NewSectors()) : 0;
    const std::int64_t largest = set.VobsChange() ? SectorStart(std::min(set.fileSectors, set.walk.map.NewSectors())) : 0;
    needed = options_.backup ? needed + ifo + vobs : std::max({needed, largest, ifo / 2});
  }
  const auto free = FreeBytes(dir_);
  if (free && *free < needed)
    throw Refusal("Not enough free space in " + dir_ + ": the run needs " + std::to_string(needed) + " bytes" +
                  (options_.backup ? " (the backups keep the old files)" : "") + ", and " + std::to_string(*free) +
                  " are free; nothing was changed.");
}

void StripRun::PlanTitleSet(RunFolder& folder, int n, SetPlan& set) {
  set.number = n;
  set.prefix = dir_ + VtsPrefix(n);
  set.name = VtsPrefix(n) + "0.IFO";
  IfoImage image = ReadIfo(folder, set.prefix + "0.IFO", set.name, ifo::IfoKind::kVts);
  ifo::Problems problems;
  const disc::VideoTitleSet vts = disc::ReadVideoTitleSet(n, image, problems);
  if (!problems.empty()) throw Refusal(problems.front().text + "; nothing was changed.");
  RefuseInterleavedCells(image, set.name);
  std::vector<const ifo::ProgramChain*> chains;
  std::set<std::int64_t> seen;
  for (const ifo::PgciSrp& srp : vts.vtsPgci.srps)
    if (srp.pgc && seen.insert(srp.pgc->offset).second) chains.push_back(&*srp.pgc);
  const DroppedStreams dropped = ResolveChoice(options_.choice, vts.mat.titles, chains, set.name);
  for (std::size_t i = 0; i < dropped.audio.size(); ++i)
    if (dropped.audio[i]) set.synci.audio |= static_cast<std::uint8_t>(1u << i);
  for (std::size_t i = 0; i < dropped.subpictures.size(); ++i)
    if (dropped.subpictures[i]) set.synci.subpictures |= 1u << i;

  // The title VOB files, VTS_nn_1.VOB on without a gap, as the IFO counts them.
  std::vector<VobFile> files;
  for (int k = 1; k <= 9; ++k) {
    const std::string path = set.VobPath(k);
    const auto bytes = folder.FileExists(path) ? folder.EntrySize(path) : std::nullopt;
    if (!bytes) continue;
    if (static_cast<int>(files.size()) != k - 1)
      throw Refusal(VtsPrefix(n) + std::to_string(k) + ".VOB is there but " + VtsPrefix(n) +
                    std::to_string(files.size() + 1) + ".VOB is not; nothing was changed.");
    if (*bytes % kSectorSize != 0)
      throw Refusal(VtsPrefix(n) + std::to_string(k) + ".VOB is " + std::to_string(*bytes) +
                    " bytes, not whole 2048-byte sectors; nothing was changed.");
    files.push_back({VtsPrefix(n) + std::to_string(k) + ".VOB", path, *bytes});
  }
  set.vobs = TitleVobs(files);
  const std::int64_t ifoSectors = static_cast<std::int64_t>(vts.mat.vtsiLastSector) + 1;
  const std::int64_t expected =
      static_cast<std::int64_t>(vts.mat.vtsLastSector) + 1 - ifoSectors - vts.mat.vtsttVobsSector;
  if (files.empty() || set.vobs.Sectors() != expected)
    throw Refusal(set.name + " VTSI_MAT counts " + std::to_string(expected) + " sectors of title video (" +
                  VtsPrefix(n) + "1.VOB on), but the files hold " + std::to_string(set.vobs.Sectors()) +
                  "; the IFO disagrees with its VOBs and nothing was changed.");

  if (!dropped.physical.empty()) {
    const std::string what = "Reading " + VtsPrefix(n) + "*.VOB";
    set.walk = WalkTitleVobs(set.vobs, dropped.physical, [&](std::int64_t done, std::int64_t total) {
      if (options_.progress) options_.progress(what, done, total);
    });
  } else {
    set.walk.map.Keep(set.vobs.Sectors());
  }
  if (set.VobsChange()) {
    // Every NAV pack moved in a copy: a field that would name a removed
    // sector refuses the run here, before anything changes.
    std::vector<std::uint8_t> pack;
    for (std::uint32_t s : set.walk.navPacks) {
      set.vobs.Read(s, 1, pack);
      try {
        RelocateNavPack(pack, s, set.walk.map, set.synci);
      } catch (const NavPackError& e) {
        throw Refusal(set.vobs.Where(s) + ": NAV pack " + e.what() + "; nothing was changed.");
      }
    }
    RelocateTitleVobs(image, set.name, set.walk.map);
  }
  if (dropped.Any()) {
    MarkStreamsUnavailable(image, set.name, dropped);
    set.newIfo = image.Bytes();
  }

  // New files as long as the old set's full ones (all but the last); one
  // file stays one file.
  std::int64_t full = 0;
  for (std::size_t k = 0; k + 1 < files.size(); ++k) full = std::max(full, files[k].bytes / kSectorSize);
  set.fileSectors = full > 0 ? full : set.vobs.Sectors();
  const std::int64_t sectors = set.walk.map.NewSectors();
  set.newFiles = static_cast<int>(std::max<std::int64_t>(1, (sectors + set.fileSectors - 1) / set.fileSectors));

  // TT_SRPT titles of later title sets: their start sectors move down.
  const IfoImage vmg = ReadIfo(folder, Vmg(dir_, "IFO"), "VIDEO_TS.IFO", ifo::IfoKind::kVmg);
  try {
    const ifo::MatLayout layout = ifo::ReadMatLayout(vmg, ifo::IfoKind::kVmg);
    const ifo::TableSpan tt = layout.Table(ifo::VmgTable::kTtSrpt);
    if (tt.Present()) {
      ifo::Problems ttProblems;
      const ifo::TtSrpt titles =
          ifo::ReadTtSrpt(ifo::TableReader(vmg, "VIDEO_TS.IFO", "TT_SRPT", tt.Start(), tt.length), ttProblems);
      set.laterTitleSets = std::any_of(titles.titles.begin(), titles.titles.end(),
                                       [n](const ifo::TitleSearchPointer& t) { return t.titleSet > n; });
    }
  } catch (const InvalidIfo& e) {
    throw Refusal(std::string("VIDEO_TS.IFO: ") + e.what() + "; nothing was changed.");
  }

  TitleSetReport& report = reports_.back();
  report.titleSet = n;
  report.titleVobBytesBefore = set.vobs.Bytes();
  report.titleVobBytesAfter = SectorStart(sectors);
  report.filesBefore = static_cast<int>(files.size());
  report.filesAfter = set.VobsChange() ? set.newFiles : report.filesBefore;
  const auto bytesOf = [&](const std::set<std::uint8_t>& streams) {
    std::int64_t packs = 0;
    for (std::uint8_t s : streams) {
      const auto it = set.walk.counts.streams.find(s);
      if (it != set.walk.counts.streams.end()) packs += it->second;
    }
    return SectorStart(packs);
  };
  for (std::size_t i = 0; i < vts.mat.titles.audio.size(); ++i) {
    StreamReport r{true, static_cast<int>(i + 1), vts.mat.titles.audio[i].language,
                   ifo::AudioFormatName(vts.mat.titles.audio[i].format), {}, 0, dropped.audio[i]};
    for (const auto* pgc : chains)
      for (std::uint8_t s : AudioStreamsOf(*pgc, i, vts.mat.titles.audio[i])) r.physical.insert(s);
    r.bytes = bytesOf(r.physical);
    report.streams.push_back(r);
  }
  for (std::size_t i = 0; i < vts.mat.titles.subpictures.size(); ++i) {
    StreamReport r{false, static_cast<int>(i + 1), vts.mat.titles.subpictures[i].language, "", {}, 0,
                   dropped.subpictures[i]};
    for (const auto* pgc : chains)
      for (std::uint8_t s : SubpictureStreamsOf(*pgc, i, vts.mat.titles.video)) r.physical.insert(s);
    r.bytes = bytesOf(r.physical);
    report.streams.push_back(r);
  }
}

void StripRun::WriteTitleSet(RunFolder& folder, SetPlan& set, bool planning) {
  if (set.newIfo.empty()) return;
  const std::string ifo = set.prefix + "0.IFO", bup = set.prefix + "0.BUP";
  if (options_.backup) {
    if (set.VobsChange())
      for (const VobFile& f : set.vobs.Files()) BackupByRename(folder, f.path);
    BackupByRename(folder, ifo);
    BackupByRename(folder, bup);
  }
  if (set.VobsChange()) WriteNewVobs(folder, set, planning);
  // The BUP is the player's fallback when the IFO cannot be read: it is
  // written with the same bytes.
  folder.Replace(ifo, set.newIfo);
  folder.Replace(bup, set.newIfo);
}

void StripRun::WriteNewVobs(RunFolder& folder, SetPlan& set, bool planning) {
  // Where each old file's bytes are now: renamed to its backup, or (without
  // backups, or when an older backup holds the original) still under its
  // name, which it keeps until the new file of that name is complete. A new
  // file k ends no earlier in the old set than old file k does, so each old
  // file has been read whole before it is replaced.
  TitleVobs sources = set.vobs;
  if (!planning) {
    for (VobFile& f : sources.Files())
      if (!folder.FileExists(f.path) && folder.FileExists(f.path + "~")) f.path += "~";
  }
  const std::int64_t total = set.walk.map.NewSectors();
  const auto fileBytes = [&](int k) {
    return SectorStart(std::min(set.fileSectors, total - set.fileSectors * (k - 1)));
  };
  int k = 1;
  std::int64_t written = 0;
  auto out = folder.ReplaceInPieces(set.VobPath(k), fileBytes(k));
  if (!out->WantsBytes()) {
    // A plan records each new file and its size.
    for (; k < set.newFiles; ++k) {
      out->Commit();
      out = folder.ReplaceInPieces(set.VobPath(k + 1), fileBytes(k + 1));
    }
  }
  const auto emit = [&](std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
      const std::int64_t room = fileBytes(k) - written;
      const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(room, bytes.size()));
      out->Write(bytes.first(n));
      bytes = bytes.subspan(n);
      written += static_cast<std::int64_t>(n);
      if (written == fileBytes(k) && k < set.newFiles) {
        out->Commit();
        ++k;
        out = folder.ReplaceInPieces(set.VobPath(k), fileBytes(k));
        written = 0;
      }
    }
  };
  if (out->WantsBytes()) {
    const std::string what = "Writing " + VtsPrefix(set.number) + "*.VOB";
    const auto& runs = set.walk.map.KeptRuns();
    const auto& navs = set.walk.navPacks;
    std::size_t r = 0, nav = 0;
    std::vector<std::uint8_t> chunk;
    const std::int64_t sectors = sources.Sectors();
    for (std::int64_t first = 0; first < sectors; first += kChunkSectors) {
      const std::int64_t count = std::min(kChunkSectors, sectors - first);
      sources.Read(first, count, chunk);
      for (; nav < navs.size() && navs[nav] < first + count; ++nav) {
        const std::int64_t s = navs[nav];
        try {
          RelocateNavPack(std::span(chunk).subspan(SectorStart(s - first), kSectorSize), s, set.walk.map, set.synci);
        } catch (const NavPackError& e) {
          // Checked in the plan: only a file changed since then ends here.
          throw Refusal(set.vobs.Where(s) + ": NAV pack " + e.what() + " (the file changed during the run)");
        }
      }
      for (; r < runs.size() && runs[r].oldStart < first + count; ++r) {
        const std::int64_t runEnd = std::int64_t{runs[r].oldStart} + runs[r].count;
        const std::int64_t lo = std::max<std::int64_t>(runs[r].oldStart, first);
        const std::int64_t hi = std::min(runEnd, first + count);
        emit(std::span(chunk).subspan(SectorStart(lo - first), SectorStart(hi - lo)));
        if (runEnd > first + count) break;  // goes on in the next chunk
      }
      if (options_.progress) options_.progress(what, first + count, sectors);
    }
  }
  out->Commit();
  // The old files the new set no longer needs: renamed to backups already,
  // or deleted now that they have been read.
  for (int old = set.newFiles + 1; old <= static_cast<int>(set.vobs.Files().size()); ++old)
    if (folder.FileExists(set.VobPath(old))) folder.Remove(set.VobPath(old));
}

void StripRun::UpdateVmg(RunFolder& folder, const SetPlan& set) {
  IfoImage vmg = ReadIfo(folder, Vmg(dir_, "IFO"), "VIDEO_TS.IFO", ifo::IfoKind::kVmg);
  try {
    const ifo::TableSpan tt = ifo::ReadMatLayout(vmg, ifo::IfoKind::kVmg).Table(ifo::VmgTable::kTtSrpt);
    ifo::LowerTitleSetSectors(vmg, tt.Start(), set.number, static_cast<std::uint32_t>(set.walk.map.RemovedSectors()));
  } catch (const InvalidIfo& e) {
    throw Refusal(std::string("VIDEO_TS.IFO: ") + e.what() + "; nothing was changed.");
  }
  folder.Replace(Vmg(dir_, "IFO"), vmg.Bytes());
  folder.Replace(Vmg(dir_, "BUP"), vmg.Bytes());
}

}  // namespace kestrune::strip
