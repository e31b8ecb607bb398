#include "run_folder.h"

#include "file_layer.h"

namespace kestrune {

void BackupByRename(RunFolder& folder, const std::string& path) {
  std::error_code why;
  if (folder.MoveToBackup(path, why) || why == std::errc::file_exists || why == std::errc::no_such_file_or_directory)
    return;
  throw FileError(path, "back up", why);
}

void BackupVmgIfoAndBup(RunFolder& folder, const std::string& ifo, const std::string& bup) {
  // A BUP that is missing has nothing to keep.
  for (const std::string& path : {ifo, bup}) {
    if (folder.EntrySize(path + "~") || (path == bup && !folder.FileExists(path))) continue;
    folder.CopyToBackup(path);
  }
}

}  // namespace kestrune
