// A plan of a blanking run: the folder as the run would leave it, kept in
// memory over the folder on disk, which it never changes. Reads see the
// plan's own files first; every change is recorded in the order it is made.
#pragma once

#include <map>
#include <memory>
#include <set>
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
  // A plan over the folder `dir` (ending in its delimiter). Its entries are
  // listed once, when first asked about.
  explicit PlannedFolder(std::string dir);

  bool FileExists(const std::string& path) const override;
  std::optional<std::int64_t> EntrySize(const std::string& path) const override;
  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) const override;
  void CopyToBackup(const std::string& path) override;
  bool MoveToBackup(const std::string& path, std::error_code& why) override;
  void Replace(const std::string& path, const std::vector<std::uint8_t>& bytes) override;
  // Records the new size only: the plan holds no bytes of a file written in
  // pieces, and reading it back from the plan fails.
  std::unique_ptr<NewContent> ReplaceInPieces(const std::string& path, std::int64_t bytes) override;
  bool Remove(const std::string& path) override;

  const std::vector<PlannedChange>& Changes() const { return changes_; }
  // The bytes the plan read of `path` on disk, before any change; nothing
  // when it did not read that file.
  const std::vector<std::uint8_t>* ReadOnDisk(const std::string& path) const;

 private:
  using SharedBytes = std::shared_ptr<const std::vector<std::uint8_t>>;
  // A name the plan has changed: gone, the file now holding another name's
  // bytes on disk (a rename), new bytes, or new content of a known size.
  struct Entry {
    bool present = false;
    std::string diskPath;  // when not empty: the bytes are this file's on disk
    SharedBytes bytes;     // otherwise: the new bytes, or
    std::int64_t size = 0;  // without them, the new size of content written in pieces
  };
  void Record(const std::string& path, std::int64_t bytes);
  Entry EntryOf(const std::string& path) const;
  // False for a name of the folder that the listing does not hold: nothing
  // there to ask the disk about.
  bool MayBeOnDisk(const std::string& path) const;
  // One copy of each distinct content: an IFO and its BUP, and the blank VOB
  // of every set, share theirs.
  SharedBytes Shared(const std::vector<std::uint8_t>& bytes);

  std::string dir_;
  mutable std::optional<std::set<std::string>> listing_;  // the folder's names, FoldedName
  mutable std::map<std::string, std::vector<std::uint8_t>> readOnDisk_;
  std::map<std::string, Entry> changed_;
  std::vector<SharedBytes> contents_;
  std::vector<PlannedChange> changes_;
};

}  // namespace kestrune
