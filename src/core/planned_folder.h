// A plan of a blanking run: the folder as the run would leave it, kept in
// memory over the folder on disk, which it never changes. Reads see the
// plan's own files first; every change is recorded in the order it is made.
#pragma once

#include <map>
#include <string>

#include "run_folder.h"

namespace kestrune {

// One change of the plan, as the run would make it.
struct PlannedChange {
  enum class Kind {
    kBackupCopy,    // `path` copied to `path`~
    kBackupRename,  // `path` renamed to `path`~
    kReplace,       // `path` given new bytes
    kRemove,        // `path` deleted
  };
  Kind kind;
  std::string path;
};

class PlannedFolder : public RunFolder {
 public:
  bool FileExists(const std::string& path) const override;
  std::optional<std::int64_t> EntrySize(const std::string& path) const override;
  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) const override;
  void CopyToBackup(const std::string& path) override;
  bool MoveToBackup(const std::string& path, std::error_code& why) override;
  void Replace(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
  bool Remove(const std::string& path) override;

  const std::vector<PlannedChange>& Changes() const { return changes_; }

 private:
  // A name the plan has changed: gone, the file now holding another name's
  // bytes on disk (a rename), or new bytes.
  struct Entry {
    bool present = false;
    std::string diskPath;              // when not empty: the bytes are this file's on disk
    std::vector<std::uint8_t> bytes;   // otherwise: the new bytes
  };
  Entry EntryOf(const std::string& path) const;

  std::map<std::string, Entry> changed_;
  std::vector<PlannedChange> changes_;
};

}  // namespace kestrune
