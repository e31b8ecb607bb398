#include "planned_folder.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "dvd_files.h"
#include "file_layer.h"

namespace kestrune {

PlannedFolder::PlannedFolder(std::string dir) : dir_(std::move(dir)) {}

bool PlannedFolder::MayBeOnDisk(const std::string& path) const {
  if (path.compare(0, dir_.size(), dir_) != 0) return true;
  const std::string name = path.substr(dir_.size());
  if (name.empty() || name.find_first_of("/\\") != std::string::npos) return true;
  if (!listing_) {
    const auto names = ListFolder(dir_);
    if (!names) return true;  // a folder that cannot be listed is asked name by name
    // Kept as a case-insensitive file system compares them: there, a name
    // spelt in another case on disk is the same entry, which only the disk
    // itself can tell.
    listing_.emplace();
    for (const std::string& listed : *names) listing_->insert(FoldedName(listed));
  }
  return listing_->count(FoldedName(name)) != 0;
}

PlannedFolder::Entry PlannedFolder::EntryOf(const std::string& path) const {
  const auto it = changed_.find(path);
  if (it != changed_.end()) return it->second;
  return Entry{MayBeOnDisk(path) && kestrune::EntrySize(path).has_value(), path, nullptr};
}

bool PlannedFolder::FileExists(const std::string& path) const {
  const auto it = changed_.find(path);
  if (it == changed_.end()) return MayBeOnDisk(path) && kestrune::FileExists(path);
  if (!it->second.present) return false;
  return !it->second.diskPath.empty() ? kestrune::FileExists(it->second.diskPath) : true;
}

std::optional<std::int64_t> PlannedFolder::EntrySize(const std::string& path) const {
  const auto it = changed_.find(path);
  if (it == changed_.end()) return MayBeOnDisk(path) ? kestrune::EntrySize(path) : std::nullopt;
  if (!it->second.present) return std::nullopt;
  if (!it->second.diskPath.empty()) return kestrune::EntrySize(it->second.diskPath);
  if (!it->second.bytes) return it->second.size;
  return static_cast<std::int64_t>(it->second.bytes->size());
}

bool PlannedFolder::ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                                  bool& tooBig, std::error_code& error) const {
  const auto it = changed_.find(path);
  if (it == changed_.end() || !it->second.diskPath.empty()) {
    const std::string& onDisk = it == changed_.end() ? path : it->second.diskPath;
    if (!kestrune::ReadWholeFile(onDisk, maxBytes, bytes, tooBig, error)) return false;
    // Kept for the run on disk, which reads these files again before it
    // changes them: it then works on exactly the bytes the plan checked.
    if (!tooBig && onDisk.compare(0, dir_.size(), dir_) == 0) readOnDisk_[onDisk] = bytes;
    return true;
  }
  tooBig = false;
  bytes.clear();
  if (!it->second.present) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return false;
  }
  if (!it->second.bytes) {  // written in pieces: the plan knows its size only
    error = std::make_error_code(std::errc::operation_not_supported);
    return false;
  }
  if (static_cast<std::int64_t>(it->second.bytes->size()) > maxBytes) {
    tooBig = true;
    return true;
  }
  bytes = *it->second.bytes;
  return true;
}

const std::vector<std::uint8_t>* PlannedFolder::ReadOnDisk(const std::string& path) const {
  const auto it = readOnDisk_.find(path);
  return it == readOnDisk_.end() ? nullptr : &it->second;
}

PlannedFolder::SharedBytes PlannedFolder::Shared(const std::vector<std::uint8_t>& bytes) {
  const auto same = std::find_if(contents_.begin(), contents_.end(), [&bytes](const SharedBytes& c) { return *c == bytes; });
  if (same != contents_.end()) return *same;
  // Only the latest contents are worth looking among: a run writes an IFO
  // and then its BUP, and the blank VOBs over and over.
  if (contents_.size() >= 8) contents_.erase(contents_.begin());
  contents_.push_back(std::make_shared<const std::vector<std::uint8_t>>(bytes));
  return contents_.back();
}

void PlannedFolder::CopyToBackup(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  if (!ReadWholeFile(path, INT64_MAX, bytes, tooBig, error)) throw FileError(path, "read", error);
  changed_[path + "~"] = Entry{true, {}, Shared(bytes)};
  changes_.push_back({PlannedChange::Kind::kBackupCopy, path});
}

bool PlannedFolder::MoveToBackup(const std::string& path, std::error_code& why) {
  const std::string backup = path + "~";
  if (EntrySize(backup)) {
    why = std::make_error_code(std::errc::file_exists);
    return false;
  }
  Entry moved = EntryOf(path);
  if (!moved.present) {
    why = std::make_error_code(std::errc::no_such_file_or_directory);
    return false;
  }
  changed_[backup] = std::move(moved);
  changed_[path] = Entry{};
  changes_.push_back({PlannedChange::Kind::kBackupRename, path});
  return true;
}

void PlannedFolder::Replace(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  changed_[path] = Entry{true, {}, Shared(bytes)};
  changes_.push_back({PlannedChange::Kind::kReplace, path});
}

namespace {

class PlannedContent : public NewContent {
 public:
  explicit PlannedContent(std::function<void()> commit) : commit_(std::move(commit)) {}
  bool WantsBytes() const override { return false; }
  void Write(std::span<const std::uint8_t>) override {}
  void Commit() override { commit_(); }

 private:
  std::function<void()> commit_;
};

}  // namespace

void PlannedFolder::Record(const std::string& path, std::int64_t bytes) {
  changed_[path] = Entry{true, {}, nullptr, bytes};
  changes_.push_back({PlannedChange::Kind::kReplace, path});
}

std::unique_ptr<NewContent> PlannedFolder::ReplaceInPieces(const std::string& path, std::int64_t bytes) {
  return std::make_unique<PlannedContent>([this, path, bytes] { Record(path, bytes); });
}

bool PlannedFolder::Remove(const std::string& path) {
  if (!FileExists(path)) return false;
  changed_[path] = Entry{};
  changes_.push_back({PlannedChange::Kind::kRemove, path});
  return true;
}

}  // namespace kestrune
