// What a planned run would do to the folder, file by file: the report of a
// dry run, made from the plan the run itself is checked against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "planned_folder.h"

namespace kestrune {

struct FileChange {
  std::string name;  // file name in the folder
  // "rewritten" (an IFO or BUP), "replaced" (a VOB), "removed", "renamed to
  // backup" (its name left empty), "backup" (NAME~ made by renaming or copying)
  std::string action;
  std::int64_t bytesBefore = 0;  // 0 when there was no such file
  std::int64_t bytesAfter = 0;   // 0 when there is none afterwards
};

struct RunPlan {
  std::string folder;               // the folder planned on, ending in its delimiter
  std::vector<FileChange> files;    // in the order the run first changes them
  std::int64_t bytesSaved = 0;      // by the DVD files; backups are not counted
  std::int64_t newBackupBytes = 0;  // held by the backups the run makes, freed by deleting them
  std::int64_t folderBytesBefore = 0;  // every file of the folder, backups included
  std::int64_t folderBytesAfter = 0;
};

// The changes `plan` holds for the folder `dir` (ending in its delimiter),
// measured against the folder as it is on disk.
RunPlan DescribePlan(const PlannedFolder& plan, const std::string& dir);

}  // namespace kestrune
