#include "disk_folder.h"

#include <cerrno>

#include "file_layer.h"

namespace kestrune {

DiskFolder::DiskFolder(std::string dir, bool backupsKeepOriginals)
    : dir_(std::move(dir)), deferData_(backupsKeepOriginals) {}

bool DiskFolder::FileExists(const std::string& path) const { return kestrune::FileExists(path); }

std::optional<std::int64_t> DiskFolder::EntrySize(const std::string& path) const {
  return kestrune::EntrySize(path);
}

bool DiskFolder::ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                               bool& tooBig, std::error_code& error) const {
  return kestrune::ReadWholeFile(path, maxBytes, bytes, tooBig, error);
}

void DiskFolder::CopyToBackup(const std::string& path) {
  // The copy is the only place the old bytes survive once `path` is
  // replaced: its data is on the disk before it takes the backup name.
  CopyFileReplacing(path, path + "~", DataFlush::kBeforeRename);
  backupsUnflushed_ = true;
}

bool DiskFolder::MoveToBackup(const std::string& path, std::error_code& why) {
  if (RenameNoReplace(path, path + "~")) {
    backupsUnflushed_ = true;
    return true;
  }
  why = std::error_code(errno, std::generic_category());
  return false;
}

void DiskFolder::BeforeChange() {
  if (!backupsUnflushed_) return;
  FlushFolder(dir_);
  backupsUnflushed_ = false;
}

void DiskFolder::Replace(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  BeforeChange();
  WriteFileReplacing(path, bytes, deferData_ ? DataFlush::kLater : DataFlush::kBeforeRename);
  if (deferData_) dataUnflushed_.insert(path);
  entriesUnflushed_ = true;
}

bool DiskFolder::Remove(const std::string& path) {
  BeforeChange();
  if (!DeleteFile(path)) return false;
  dataUnflushed_.erase(path);
  entriesUnflushed_ = true;
  return true;
}

void DiskFolder::Finish() {
  for (const std::string& path : dataUnflushed_) FlushFile(path);
  dataUnflushed_.clear();
  if (entriesUnflushed_ || backupsUnflushed_) FlushFolder(dir_);
  entriesUnflushed_ = backupsUnflushed_ = false;
}

}  // namespace kestrune
