// A folder held open for one look at it: its entries read in one pass, and
// its files opened and measured relative to it. On POSIX the folder is held
// by a descriptor, so that its path is resolved once instead of once per file
// name; on Windows its entries are searched in one pass (FindFirstFileExW)
// and its files opened by full path. Used by the folder scan. While another
// file system than the system's is in use (file_system.h: a disc image's
// files, a test's), every look goes through that one instead.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

class FileSystem;

// What a directory entry says about itself without being opened.
enum class EntryKind {
  kFile,    // a regular file
  kFolder,  // a folder
  kOther,   // a link, a device, or a file system that does not tell: open it to know
};

class FolderHandle {
 public:
  // Opens the folder named by `dir`. When it can be searched but not listed,
  // the handle still looks files up by name (CanList() is false).
  explicit FolderHandle(const std::string& dir);
  ~FolderHandle();
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;

  // False when the folder is missing or cannot be reached.
  bool IsOpen() const { return open_; }
  bool CanList() const { return listable_; }

  // Calls `visit` for every entry ("." and ".." left out). Returns false when
  // the entries could not all be read; `visit` may then have seen some.
  bool ReadEntries(const std::function<void(std::string_view name, EntryKind kind)>& visit) const;

  // True when `name` can be opened read-only right now (others may go on
  // reading, writing and deleting it; on Windows a file another program
  // holds without sharing it cannot be) and is not a folder. `listed` is what the listing
  // said of the entry: a regular file needs no further look after the open.
  bool IsReadableFile(const char* name, EntryKind listed = EntryKind::kOther) const;
  // Opens `name` the same way and gives its size; nothing when it cannot be
  // opened or is a folder.
  std::optional<std::int64_t> ReadableFileSize(const char* name) const;
  // Size of whatever `name` leads to (a folder counts, with size 0), nothing
  // when nothing is there.
  std::optional<std::int64_t> EntrySize(const char* name) const;

 private:
  // The system's own look (platform/posix, platform/win32).
  void OpenSystem(const std::string& dir);
  bool SystemEntries(const std::function<void(std::string_view name, EntryKind kind)>& visit) const;
  bool SystemReadableFile(const char* name, EntryKind listed) const;
  std::optional<std::int64_t> SystemReadableFileSize(const char* name) const;
  std::optional<std::int64_t> SystemEntrySize(const char* name) const;

  FileSystem* through_ = nullptr;  // the file system in use, when it is not the system's
  std::string dir_;   // the folder, ending in its delimiter (what Windows opens names under)
  int fd_ = -1;       // the folder's descriptor (POSIX)
  bool open_ = false;
  bool listable_ = false;
};

}  // namespace kestrune
