// TTitleSet: the engine object of one blanking run over one VIDEO_TS folder.
//
// The caller creates it on the folder, sets the option fields and the two
// title set lists, calls Process and reads FStatus. The run replaces chosen
// VOB sets with a five-sector one-frame VOB and rewrites the IFO files (and
// their BUP copies) so that every program chain plays that frame, tables
// shrink and move down and the video manager's title start sectors follow.
//
// Failures are reported through FStatus (see status.h). A file that cannot be
// written while the folder is being changed throws FileError to the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk_folder.h"
#include "ifo_image.h"
#include "planned_folder.h"
#include "status.h"
#include "table_reader.h"

namespace kestrune {

class FolderLock;

class TTitleSet {
 public:
  // Create: remembers the folder (with a trailing delimiter) and sets FStatus
  // to 0 when it exists, -100 otherwise. Nothing on disk is touched.
  explicit TTitleSet(const std::string& dir);
  ~TTitleSet();
  TTitleSet(const TTitleSet&) = default;
  TTitleSet& operator=(const TTitleSet&) = delete;

  // The whole run; the result is left in FStatus. Every step is first made
  // against a plan of the folder in memory: a run that is refused is refused
  // before its first change. When it returns 0, everything it wrote, renamed
  // or deleted is on the disk.
  TStatus Process();
  // The same run made against `plan` only: every check, every rewrite and the
  // changes it would make, with the folder on disk left as it is.
  TStatus ProcessPlanned(PlannedFolder& plan);

  // --- steps of the run, in the order Process calls them --------------------
  void BackupVideoFiles();
  void UpdateVmg(std::uint8_t vtsNumber, bool menusBlanked, bool videosBlanked);
  void RewriteVtsIfo();
  void RewriteVmgIfo();
  void WriteVts();
  void WriteVmg();

  // --- the IFO image -------------------------------------------------------
  // n = 0 loads VIDEO_TS.IFO, 1..99 VTS_nn_0.IFO; the result is in FStatus.
  void LoadIfo(std::uint8_t n);
  void ReadVmgLayout();
  void ReadVtsLayout();
  void FreeBuffer();
  std::uint16_t ReadWord(std::int64_t pos) const;
  std::int32_t ReadDWord(std::int64_t pos) const;
  void WriteWord(std::int64_t pos, std::uint32_t value);
  void WriteDWord(std::int64_t pos, std::uint32_t value);
  std::uint8_t ReadByte(std::int64_t pos) const;
  void WriteByte(std::int64_t pos, std::uint8_t value);
  // Writes the image table by table to the IFO file and copies it to the BUP.
  void WriteIfoAndBup();

  // --- program chains --------------------------------------------------------
  // Rewrites the chain at image offset `pgc` to play the one-frame cell and
  // returns its new length in bytes.
  std::int32_t BlankPgc(std::int64_t pgc, bool pal);
  // Blanks every chain of the chain list at image offset `header` (or in
  // `list`) and packs them behind one another; returns false when the list
  // holds no chain.
  bool PackChainList(std::int64_t header, bool pal);
  bool PackChainList(const ifo::TableReader& list, bool pal);

  // --- fields, in their declared order ----------------------------------------
  std::optional<IfoImage> FBuffer;  // the IFO image; none between title sets
  std::int32_t FSectorShift = 0;
  bool FVtsmPal = false, FVtsmWide = false, FVtsPal = false, FVtsWide = false;
  bool FVmgmPal = false, FVmgmWide = false;
  bool FBlankMenus = false;
  bool FBlankVideos = false;
  std::string FVmgIfoPath, FVmgBupPath, FVmgVobPath;
  std::string FVtsBasePath;
  std::string FVtsBupPath;
  std::string FVtsPrefix;
  std::string FVtsIfoPath;
  std::int32_t FFileSize = 0, FBufferSize = 0, FSectorCount = 0;

  // Video manager layout: table start sectors and byte sizes of VIDEO_TS.IFO.
  std::int32_t FVmgLastSector = 0;
  std::int32_t FVmgiLastSector = 0;
  std::int32_t FVmgiMatEnd = 0;
  std::int32_t FVmgmVobsSector = 0;
  std::int32_t FTtSrptSector = 0;
  std::int32_t FVmgmPgciUtSector = 0;
  std::int32_t FVmgPtlMaitSector = 0;
  std::int32_t FVmgVtsAtrtSector = 0;
  std::int32_t FVmgTxtdtMgSector = 0;
  std::int32_t FVmgmCAdtSector = 0;
  std::int32_t FVmgmVobuAdmapSector = 0;
  std::int32_t FTtSrptSize = 0;
  std::int32_t FVmgmPgciUtSize = 0;
  std::int32_t FVmgPtlMaitSize = 0;
  std::int32_t FVmgVtsAtrtSize = 0;
  std::int32_t FVmgTxtdtMgSize = 0;
  std::int32_t FVmgmCAdtSize = 0;
  std::int32_t FVmgmVobuAdmapSize = 0;

  // Title set layout: table start sectors and byte sizes of VTS_nn_0.IFO.
  std::int32_t FVtsLastSector = 0;
  std::int32_t FVtsiLastSector = 0;
  std::int32_t FVtsiMatEnd = 0;
  std::int32_t FVtsmVobsSector = 0;
  std::int32_t FVtsttVobsSector = 0;
  std::int32_t FVtsPttSrptSector = 0;
  std::int32_t FVtsPgciSector = 0;
  std::int32_t FVtsmPgciUtSector = 0;
  std::int32_t FVtsTmaptiSector = 0;
  std::int32_t FVtsmCAdtSector = 0;
  std::int32_t FVtsmVobuAdmapSector = 0;
  std::int32_t FVtsCAdtSector = 0;
  std::int32_t FVtsVobuAdmapSector = 0;
  std::int32_t FVtsPttSrptSize = 0;
  std::int32_t FVtsmPgciUtSize = 0;
  std::int32_t FVtsPgciSize = 0;
  std::int32_t FVtsTmaptiSize = 0;
  std::int32_t FVtsmCAdtSize = 0;
  std::int32_t FVtsmVobuAdmapSize = 0;
  std::int32_t FVtsCAdtSize = 0;
  std::int32_t FVtsVobuAdmapSize = 0;

  TStatus FStatus = kStatusOk;
  // Why the run was refused, for the user (the file and the damaged field);
  // empty when the status message says it all.
  std::string FStatusDetail;
  std::vector<std::string> FVideoList;  // title sets whose title videos are blanked ("1".."99")
  std::vector<std::string> FMenuList;   // title sets whose menus are blanked
  std::string FDvdDir;                  // always ends in the path delimiter
  std::uint8_t FVtsNumber = 0;          // title set of the loaded image, 0 = video manager
  bool FBackup = false;
  bool FMergePrograms = false;
  bool FMergeCells = false;
  bool FBlankVmgMenu = false;
  bool FRemoveStops = false;
  std::string FReplacementVobPath;
  bool FUseReplacementVob = false;
  bool FUseManualStillTime = false;
  bool FRemoveAudioSubMapping = false;
  std::uint8_t FManualStillTime = 0;

 private:
  IfoImage& Image();
  const IfoImage& Image() const;
  void Refuse(TStatus code, const std::string& detail);
  // Checks, right after a load, every field that later steps will follow.
  void CheckVmgLayout();
  void CheckVtsLayout();
  // The video manager's title search and attribute tables for title set n.
  void CheckVmgFor(std::uint8_t vtsNumber);
  // VMG_VTS_ATRT of the loaded VIDEO_TS.IFO and title set n's VTS_ATR in it.
  ifo::TableReader VtsAtrtTable() const;
  ifo::TableReader VtsAtrOf(std::uint8_t vtsNumber) const;
  // Lowers by `sectors` (modulo 2^32, as the field is stored) the title set
  // start sector of every title of TT_SRPT whose title set comes after
  // `afterTitleSet`; of every title when it is negative.
  void LowerTitleSetSectors(int afterTitleSet, std::uint32_t sectors);
  // The IFO file as the write-out lays it down: the MAT, then each table at
  // its start sector, padded to whole sectors. Throws InvalidIfo when a table
  // lies outside the image or overlaps the one before it.
  std::vector<std::uint8_t> BuildIfoFile() const;
  // The folder's lock for a run, or nothing when the run is refused at once
  // (nothing chosen, or the folder held by another run).
  std::unique_ptr<FolderLock> LockForRun();
  // The steps of a run against `folder`, from the checks to the last title set.
  void RunSteps(RunFolder& folder);
  void CheckReplacementVob();
  void BackupByRename(const std::string& path);
  void BackupVmgIfoAndBup();
  void WriteBlankVob(const std::string& target, bool pal, bool wide);
  bool ListHas(const std::vector<std::string>& list, int n) const;

  // The files the steps read and change: the folder on disk, or while a run
  // makes its steps, the run's own (FFolder).
  RunFolder& Folder() { return FFolder ? *FFolder : FOwnFolder; }
  DiskFolder FOwnFolder{std::string(), false};
  RunFolder* FFolder = nullptr;
  // The replacement VOB as checked, written to every blanked set.
  std::vector<std::uint8_t> FReplacementVob;
};

}  // namespace kestrune
