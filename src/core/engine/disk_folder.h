// The folder on disk, as a blanking run changes it, with the run's flushes:
// backup names reach the disk before the names they keep change, and nothing
// the run wrote, renamed or deleted is left unflushed once Finish returns.
// The order is the one file_layer.h describes.
#pragma once

#include <set>
#include <string>

#include "planned_folder.h"
#include "run_folder.h"

namespace kestrune {

class DiskFolder : public RunFolder {
 public:
  // The files of `dir`. With `backupsKeepOriginals` (a run with backups on)
  // every file the run replaces has its old bytes in a backup already, so new
  // bytes wait for Finish; otherwise each new file is flushed before it takes
  // its name. A file that `checked` read and this folder has not changed is
  // read from there, so the run works on the very bytes its plan checked.
  DiskFolder(std::string dir, bool backupsKeepOriginals, const PlannedFolder* checked = nullptr);

  bool FileExists(const std::string& path) const override;
  std::optional<std::int64_t> EntrySize(const std::string& path) const override;
  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) const override;
  void CopyToBackup(const std::string& path) override;
  bool MoveToBackup(const std::string& path, std::error_code& why) override;
  void Replace(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
  std::unique_ptr<NewContent> ReplaceInPieces(const std::string& path, std::int64_t bytes) override;
  bool Remove(const std::string& path) override;

  // Flushes the files whose data waits, then the folder. Throws FileError.
  void Finish();

 private:
  // Before a name changes: backups made since the last folder flush go to
  // the disk first.
  void BeforeChange();

  std::string dir_;
  bool deferData_ = false;
  const PlannedFolder* checked_ = nullptr;
  std::set<std::string> changedHere_;
  bool backupsUnflushed_ = false;
  bool entriesUnflushed_ = false;
  std::set<std::string> dataUnflushed_;
};

}  // namespace kestrune
