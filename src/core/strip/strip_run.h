// A strip run: drops chosen audio and sub-picture streams from the title VOB
// sets of chosen title sets, in place, keeping every menu and jump working.
//
// Like a blanking run it is made twice: first against a plan of the folder
// in memory (PlannedFolder), where it reads every title VOB once (the pack
// walk), checks every NAV pack and rewrites every IFO, so that anything that
// would refuse the run refuses it before the first change, and what a dry run
// reports is what the run then does; then on disk (DiskFolder), where the
// kept packs are copied pack by pack into the new set with the same order of
// backups and flushes as a blanking run (file_layer.h).
//
// Per title set, on disk: the title VOBs, the IFO and the BUP are renamed to
// their backups (with backups on), the new title VOBs are written in files of
// the size of the old set's full files, the IFO and BUP are written, then the
// video manager's TT_SRPT start sectors of the later title sets follow.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "pack_walk.h"
#include "planned_folder.h"
#include "stream_choice.h"

namespace kestrune::strip {

struct StripOptions {
  std::vector<int> titleSets;  // 1 .. 99
  StreamChoice choice;
  bool backup = true;
  // Called now and then with what is going on ("Reading VTS_01_*.VOB"), the
  // sectors done and the sectors in all, for a progress line; may be empty.
  std::function<void(const std::string& what, std::int64_t done, std::int64_t total)> progress;
};

// One stream number of a title set's titles, as the dry run lists it.
struct StreamReport {
  bool audio = true;               // else a sub-picture stream
  int number = 0;                  // from 1
  std::string language;            // two letters or ""
  std::string format;              // "AC-3", "MPEG-1", "LPCM", ...; "" for a sub-picture stream
  std::set<std::uint8_t> physical;  // the packs' streams, as the title chains name them
  std::int64_t bytes = 0;          // of those packs in the title VOB set
  bool dropped = false;
};

struct TitleSetReport {
  int titleSet = 0;
  std::vector<StreamReport> streams;
  std::int64_t titleVobBytesBefore = 0;
  std::int64_t titleVobBytesAfter = 0;
  int filesBefore = 0, filesAfter = 0;
  std::int64_t BytesSaved() const { return titleVobBytesBefore - titleVobBytesAfter; }
};

class StripRun {
 public:
  StripRun(const std::string& dir, StripOptions options);
  ~StripRun();

  // The whole run: planned, then on disk. Throws Refusal before the first
  // change, FileError when a file cannot be written (what is written stays
  // restorable), and reports what it did when everything is on the disk.
  std::vector<TitleSetReport> Process();
  // The run against `plan` only; the folder on disk stays as it is.
  std::vector<TitleSetReport> ProcessPlanned(PlannedFolder& plan);

  const std::string& Dir() const { return dir_; }

 private:
  struct SetPlan;
  void RunSteps(RunFolder& folder, bool planning);
  void PlanTitleSet(RunFolder& folder, int n, SetPlan& set);
  // Throws Refusal when the folder's disk has no room for what the run writes.
  void RefuseWithoutRoom() const;
  void WriteTitleSet(RunFolder& folder, SetPlan& set, bool planning);
  void WriteNewVobs(RunFolder& folder, SetPlan& set, bool planning);
  void UpdateVmg(RunFolder& folder, const SetPlan& set);

  std::string dir_;
  StripOptions options_;
  std::vector<SetPlan> sets_;
  std::vector<TitleSetReport> reports_;
};

}  // namespace kestrune::strip
