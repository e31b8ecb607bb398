// The folder handle's looks, made by the system (platform/posix,
// platform/win32) or through the file system in use when that is another.
#include "folder_listing.h"

#include "dvd_files.h"
#include "file_layer.h"
#include "file_system.h"

namespace kestrune {

FolderHandle::FolderHandle(const std::string& dir) {
  FileSystem& files = CurrentFileSystem();
  if (&files == &SystemFileSystem()) {
    OpenSystem(dir);
    return;
  }
  through_ = &files;
  dir_ = WithTrailingDelimiter(dir);
  open_ = listable_ = files.FolderExists(dir_);
}

bool FolderHandle::ReadEntries(const std::function<void(std::string_view name, EntryKind kind)>& visit) const {
  if (through_ == nullptr) return SystemEntries(visit);
  if (!listable_) return false;
  const auto names = through_->ListFolder(dir_);
  if (!names) return false;
  for (const std::string& name : *names) visit(name, EntryKind::kOther);  // the file system tells no kinds
  return true;
}

bool FolderHandle::IsReadableFile(const char* name, EntryKind listed) const {
  if (through_ == nullptr) return SystemReadableFile(name, listed);
  return open_ && through_->ReadableFileSize(dir_ + name).has_value();
}

std::optional<std::int64_t> FolderHandle::ReadableFileSize(const char* name) const {
  if (through_ == nullptr) return SystemReadableFileSize(name);
  if (!open_) return std::nullopt;
  return through_->ReadableFileSize(dir_ + name);
}

std::optional<std::int64_t> FolderHandle::EntrySize(const char* name) const {
  if (through_ == nullptr) return SystemEntrySize(name);
  if (!open_) return std::nullopt;
  return through_->EntrySize(dir_ + name);
}

}  // namespace kestrune
