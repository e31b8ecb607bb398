// The files of the folder a blanking run changes, as the run sees them.
//
// A run goes through all its steps twice. First against a plan of the folder
// kept in memory (PlannedFolder): every check that can refuse the run is made
// there, for the whole selection and with the sector shifts the earlier title
// sets cause, before the first file changes; the plan is also what a dry run
// reports. Then against the folder on disk (DiskFolder), which also decides
// when what was written is flushed (see file_layer.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace kestrune {

// A file being given new content piece by piece: a VOB of a set that is
// rewritten pack by pack, never held whole.
class NewContent {
 public:
  virtual ~NewContent() = default;
  // False for a plan, which records the new size and needs no bytes.
  virtual bool WantsBytes() const = 0;
  // Appends `bytes`. Throws FileError.
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
  // The content is complete and takes the file's name (as Replace does).
  // Throws FileError. Destroyed without it, nothing changes.
  virtual void Commit() = 0;
};

class RunFolder {
 public:
  virtual ~RunFolder() = default;

  // The folder as the run has left it so far; the answers of file_layer.h.
  virtual bool FileExists(const std::string& path) const = 0;
  virtual std::optional<std::int64_t> EntrySize(const std::string& path) const = 0;
  virtual bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                             bool& tooBig, std::error_code& error) const = 0;

  // Copies `path` to its backup name `path` + "~", replacing an older copy.
  // Throws FileError.
  virtual void CopyToBackup(const std::string& path) = 0;
  // Renames `path` to `path` + "~" unless that name is taken. False when not
  // renamed, with the reason in `why` (file_exists when the name is taken,
  // no_such_file_or_directory when there is nothing to rename).
  virtual bool MoveToBackup(const std::string& path, std::error_code& why) = 0;
  // Gives `path` the new content `bytes`. Throws FileError.
  virtual void Replace(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;
  // Starts giving `path` new content of `bytes` bytes, written in pieces.
  // Throws FileError.
  virtual std::unique_ptr<NewContent> ReplaceInPieces(const std::string& path, std::int64_t bytes) = 0;
  // Deletes the file `path`; false when there was none or it stays.
  virtual bool Remove(const std::string& path) = 0;
};

// The backups a run makes, the same for every kind of run.
//
// Renames `path` to its backup name. A backup name that is taken holds the
// oldest original already, and a missing file has nothing to keep; any other
// failure would let the run overwrite the only copy, so it throws FileError.
void BackupByRename(RunFolder& folder, const std::string& path);
// Copies VIDEO_TS.IFO and VIDEO_TS.BUP (`ifo`, `bup`) to their backups unless
// they have one: the oldest backup is the original, and a later run must not
// replace it with a file that carries an earlier run's corrections. The video
// manager is rewritten after every title set, so without this copy the
// original would be lost: a copy that fails ends the run before any change.
void BackupVmgIfoAndBup(RunFolder& folder, const std::string& ifo, const std::string& bup);

}  // namespace kestrune
