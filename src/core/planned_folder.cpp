#include "planned_folder.h"

#include <cstdint>

#include "file_layer.h"

namespace kestrune {

PlannedFolder::Entry PlannedFolder::EntryOf(const std::string& path) const {
  const auto it = changed_.find(path);
  if (it != changed_.end()) return it->second;
  return Entry{kestrune::EntrySize(path).has_value(), path, {}};
}

bool PlannedFolder::FileExists(const std::string& path) const {
  const Entry entry = EntryOf(path);
  if (!entry.present) return false;
  return entry.diskPath.empty() || kestrune::FileExists(entry.diskPath);
}

std::optional<std::int64_t> PlannedFolder::EntrySize(const std::string& path) const {
  const Entry entry = EntryOf(path);
  if (!entry.present) return std::nullopt;
  if (!entry.diskPath.empty()) return kestrune::EntrySize(entry.diskPath);
  return static_cast<std::int64_t>(entry.bytes.size());
}

bool PlannedFolder::ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                                  bool& tooBig, std::error_code& error) const {
  const auto it = changed_.find(path);
  if (it == changed_.end() || !it->second.diskPath.empty())
    return kestrune::ReadWholeFile(it == changed_.end() ? path : it->second.diskPath, maxBytes, bytes, tooBig, error);
  tooBig = false;
  bytes.clear();
  if (!it->second.present) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return false;
  }
  if (static_cast<std::int64_t>(it->second.bytes.size()) > maxBytes) {
    tooBig = true;
    return true;
  }
  bytes = it->second.bytes;
  return true;
}

void PlannedFolder::CopyToBackup(const std::string& path) {
  Entry copy;
  bool tooBig = false;
  std::error_code error;
  if (!ReadWholeFile(path, INT64_MAX, copy.bytes, tooBig, error)) throw FileError(path, "read", error);
  copy.present = true;
  changed_[path + "~"] = std::move(copy);
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
  changed_[path] = Entry{true, {}, bytes};
  changes_.push_back({PlannedChange::Kind::kReplace, path});
}

bool PlannedFolder::Remove(const std::string& path) {
  if (!FileExists(path)) return false;
  changed_[path] = Entry{};
  changes_.push_back({PlannedChange::Kind::kRemove, path});
  return true;
}

}  // namespace kestrune
