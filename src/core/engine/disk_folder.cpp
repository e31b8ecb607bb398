#include "disk_folder.h"

#include <cerrno>
#include <functional>

#include "file_layer.h"

namespace kestrune {

DiskFolder::DiskFolder(std::string dir, bool backupsKeepOriginals, const PlannedFolder* checked)
    : dir_(std::move(dir)), deferData_(backupsKeepOriginals), checked_(checked) {}

bool DiskFolder::FileExists(const std::string& path) const { return kestrune::FileExists(path); }

std::optional<std::int64_t> DiskFolder::EntrySize(const std::string& path) const {
  return kestrune::EntrySize(path);
}

bool DiskFolder::ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                               bool& tooBig, std::error_code& error) const {
  const std::vector<std::uint8_t>* checked = checked_ && !changedHere_.count(path) ? checked_->ReadOnDisk(path) : nullptr;
  if (!checked) return kestrune::ReadWholeFile(path, maxBytes, bytes, tooBig, error);
  tooBig = static_cast<std::int64_t>(checked->size()) > maxBytes;
  if (tooBig)
    bytes.clear();
  else
    bytes = *checked;
  return true;
}

void DiskFolder::CopyToBackup(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  if (!ReadWholeFile(path, INT64_MAX, bytes, tooBig, error)) throw FileError(path, "read", error);
  // The copy is the only place the old bytes survive once `path` is
  // replaced: its data is on the disk before it takes the backup name.
  WriteFileReplacing(path + "~", bytes, DataFlush::kBeforeRename);
  backupsUnflushed_ = true;
}

bool DiskFolder::MoveToBackup(const std::string& path, std::error_code& why) {
  changedHere_.insert(path);
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
  changedHere_.insert(path);
  WriteFileReplacing(path, bytes, deferData_ ? DataFlush::kLater : DataFlush::kBeforeRename);
  if (deferData_) dataUnflushed_.insert(path);
  entriesUnflushed_ = true;
}

namespace {

// New content on disk: a FileWriter replacing the file, whose data is flushed before the
// rename or at Finish, as the folder's other new files are.
class DiskContent : public NewContent {
 public:
  DiskContent(const std::string& path, DataFlush flush, std::function<void()> committed)
      : file_(path, FileWriter::Placing::kReplacing), flush_(flush), committed_(std::move(committed)) {}
  bool WantsBytes() const override { return true; }
  void Write(std::span<const std::uint8_t> bytes) override { file_.Write(bytes); }
  void Commit() override {
    file_.Commit(flush_);
    committed_();
  }

 private:
  FileWriter file_;
  DataFlush flush_;
  std::function<void()> committed_;
};

}  // namespace

std::unique_ptr<NewContent> DiskFolder::ReplaceInPieces(const std::string& path, std::int64_t) {
  BeforeChange();
  changedHere_.insert(path);
  return std::make_unique<DiskContent>(path, deferData_ ? DataFlush::kLater : DataFlush::kBeforeRename, [this, path] {
    if (deferData_) dataUnflushed_.insert(path);
    entriesUnflushed_ = true;
  });
}

bool DiskFolder::Remove(const std::string& path) {
  BeforeChange();
  changedHere_.insert(path);
  if (!DeleteFile(path)) return false;
  dataUnflushed_.erase(path);
  entriesUnflushed_ = true;
  return true;
}

void DiskFolder::Finish() {
  FlushFiles({dataUnflushed_.begin(), dataUnflushed_.end()});
  dataUnflushed_.clear();
  if (entriesUnflushed_ || backupsUnflushed_) FlushFolder(dir_);
  entriesUnflushed_ = backupsUnflushed_ = false;
}

}  // namespace kestrune
