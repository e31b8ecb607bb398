// The blanking run: creation, the driver, the backups of a title set and the
// correction of the video manager after each title set.
#include "title_set.h"

#include <algorithm>
#include <memory>

#include "dvd_files.h"
#include "file_layer.h"
#include "ifo_fields.h"
#include "title_tables.h"

namespace kestrune {

TTitleSet::TTitleSet(const std::string& dir) {
  FDvdDir = WithTrailingDelimiter(dir);
  FStatus = kStatusCantInit;
  FBuffer.reset();
  FOwnFolder = DiskFolder(FDvdDir, false);
  if (FolderExists(FDvdDir)) {
    FVmgIfoPath = FDvdDir + "VIDEO_TS.IFO";
    FVmgBupPath = FDvdDir + "VIDEO_TS.BUP";
    FVmgVobPath = FDvdDir + "VIDEO_TS.VOB";
    FStatus = kStatusOk;
  } else {
    FStatus = kStatusPathNotFound;
  }
}

TTitleSet::~TTitleSet() { FreeBuffer(); }

void TTitleSet::FreeBuffer() { FBuffer.reset(); }

void TTitleSet::Refuse(TStatus code, const std::string& detail) {
  FStatus = code;
  FStatusDetail = detail;
}

bool TTitleSet::ListHas(const std::vector<std::string>& list, int n) const {
  return std::find(list.begin(), list.end(), std::to_string(n)) != list.end();
}

std::unique_ptr<FolderLock> TTitleSet::LockForRun() {
  // 1. Nothing chosen: no file is touched.
  if (FVideoList.empty() && FMenuList.empty() && !FBlankVmgMenu) {
    FStatus = kStatusNothingToDo;
    return nullptr;
  }
  // One run at a time per folder.
  auto lock = std::make_unique<FolderLock>(FDvdDir);
  if (!lock->Held()) {
    Refuse(kStatusFolderBusy, FDvdDir);
    return nullptr;
  }
  return lock;
}

TStatus TTitleSet::Process() {
  const auto lock = LockForRun();
  if (!lock) return FStatus;

  // The whole run in memory first: a check that refuses a later title set,
  // or the video manager after the shifts of the earlier ones, refuses the
  // run before any file changes.
  PlannedFolder plan(FDvdDir);
  RunSteps(plan);
  if (FStatus != kStatusOk) return FStatus;

  DiskFolder disk(FDvdDir, FBackup, &plan);
  RunSteps(disk);
  // What the run did is on the disk before it reports (the order of the
  // flushes is file_layer.h's).
  disk.Finish();
  return FStatus;
}

TStatus TTitleSet::ProcessPlanned(PlannedFolder& plan) {
  const auto lock = LockForRun();
  if (lock) RunSteps(plan);
  return FStatus;
}

void TTitleSet::RunSteps(RunFolder& folder) {
  // Every read and change of the steps goes to `folder` until they end.
  struct UseFolder {
    TTitleSet& ts;
    UseFolder(TTitleSet& t, RunFolder& f) : ts(t) { ts.FFolder = &f; }
    ~UseFolder() { ts.FFolder = nullptr; }
  } use(*this, folder);
  FStatus = kStatusOk;
  FStatusDetail.clear();

  // VIDEO_TS.IFO is rewritten after every title set, so it must load and hold
  // every field those corrections follow.
  LoadIfo(0);
  for (int n = 1; n <= 99 && FStatus == kStatusOk; ++n) {
    if (ListHas(FVideoList, n) || ListHas(FMenuList, n)) CheckVmgFor(static_cast<std::uint8_t>(n));
  }
  if (FStatus == kStatusOk) {
    try {
      BuildIfoFile();  // the write-out of the correction must not fail either
    } catch (const InvalidIfo& e) {
      Refuse(kStatusIfoInvalid, FVmgIfoPath + ": " + e.what());
    }
  }
  FreeBuffer();
  if (FStatus == kStatusOk && FUseReplacementVob) CheckReplacementVob();
  if (FStatus != kStatusOk) return;

  // 2. Backups of the video manager's IFO and BUP, made only once: the oldest
  // backup is the original, and a later run must not replace it with a file
  // that already carries an earlier run's corrections.
  if (FBackup) BackupVmgIfoAndBup();

  // 3.
  FStatus = kStatusOk;

  try {
    // 4. The video manager menu, loaded and checked before its VOB is moved.
    if (FBlankVmgMenu) {
      LoadIfo(0);
      if (FStatus == kStatusOk && FVmgmVobsSector <= 0)
        Refuse(kStatusNoMenuVobSet, "VIDEO_TS.IFO describes no menu video (VMGM_VOBS) to blank.");
      if (FStatus == kStatusOk) {
        if (FBackup) BackupByRename(FVmgVobPath);
        RewriteVmgIfo();
        WriteVmg();
      }
    }
    // 5.
    FreeBuffer();

    // 6. Title sets in ascending order.
    for (int n = 1; n <= 99; ++n) {
      if (FStatus != kStatusOk) break;
      FBlankVideos = ListHas(FVideoList, n);
      FBlankMenus = ListHas(FMenuList, n);
      if (!FBlankVideos && !FBlankMenus) continue;
      LoadIfo(static_cast<std::uint8_t>(n));
      if (FStatus != kStatusOk) break;
      if (FBlankMenus && FVtsmVobsSector <= 0) {
        Refuse(kStatusNoMenuVobSet, FVtsPrefix + "0.IFO describes no menu video (VTSM_VOBS) to blank.");
        break;
      }
      BackupVideoFiles();
      if (FStatus != kStatusOk) break;
      RewriteVtsIfo();
      if (FStatus != kStatusOk) break;
      WriteVts();
      if (FStatus != kStatusOk) break;
      UpdateVmg(FVtsNumber, FBlankMenus, FBlankVideos);
      FreeBuffer();
    }
  } catch (const InvalidIfo& e) {
    // A damaged table is found here in the plan, before any file changes.
    Refuse(kStatusIfoInvalid, (FVtsNumber == 0 ? FVmgIfoPath : FVtsIfoPath) + ": " + e.what());
  }
  // 7.
  FreeBuffer();
}

void TTitleSet::BackupVmgIfoAndBup() { kestrune::BackupVmgIfoAndBup(Folder(), FVmgIfoPath, FVmgBupPath); }

void TTitleSet::BackupByRename(const std::string& path) { kestrune::BackupByRename(Folder(), path); }

void TTitleSet::BackupVideoFiles() {
  if (!FBackup) return;
  if (FBlankMenus) BackupByRename(FVtsBasePath + "0.VOB");
  if (FBlankVideos) {
    for (int k = 1; k <= 9; ++k) BackupByRename(FVtsBasePath + std::to_string(k) + ".VOB");
  }
  if (FBlankMenus || FBlankVideos) {
    BackupByRename(FVtsIfoPath);
    BackupByRename(FVtsBupPath);
  }
}

void TTitleSet::UpdateVmg(std::uint8_t vtsNumber, bool menusBlanked, bool videosBlanked) {
  LoadIfo(0);
  try {
    // Titles of later title sets start FSectorShift sectors earlier now.
    if (FStatus == kStatusOk) LowerTitleSetSectors(vtsNumber, static_cast<std::uint32_t>(FSectorShift));
    // The title set's attribute copy in VMG_VTS_ATRT follows its VTSI_MAT.
    if (FStatus == kStatusOk && FRemoveAudioSubMapping && FVmgVtsAtrtSector > 0) {
      const ifo::TableReader atrt = VtsAtrtTable();
      const std::int64_t r = atrt.Start() + ifo::VtsAtrOffset(atrt, vtsNumber);
      const auto clear = [&](std::int64_t firstMatByte, std::int64_t lastMatByte) {
        Image().Fill(r + VtsAtrByteOf(firstMatByte), lastMatByte - firstMatByte + 1, 0);
      };
      if (menusBlanked) clear(kMatMenuStreamsFirst, kMatMenuStreamsLast);
      if (videosBlanked) {
        // Only up to the mirror of VTSI_MAT 0x315: the title set keeps its bytes
        // from 0x316 on (multichannel extension), and the copy must mirror them.
        const std::int64_t last =
            std::min<std::int64_t>(ReadDWord(r + kVtsAtrEndAddress), VtsAtrByteOf(kVtsiTitleStreamsLast));
        if (last >= VtsAtrByteOf(kVtsiTitleStreamsFirst))
          clear(kVtsiTitleStreamsFirst, last + kVtsAtrMirrorBase);
      }
    }
  } catch (const InvalidIfo& e) {
    Refuse(kStatusIfoInvalid, "VIDEO_TS.IFO: " + std::string(e.what()));
  }
  if (FStatus == kStatusOk) WriteVmg();
  FreeBuffer();
}

}  // namespace kestrune
