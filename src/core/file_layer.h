// The few file operations the engine, the folder scan and the backup commands
// need, on POSIX. Names are used exactly as given: DVD file names are upper case.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace kestrune {

// A file that could not be created, written, copied or read while a run was
// changing the folder. Carries the path and the system's reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, const std::string& action, std::error_code code);
  const std::string& Path() const { return path_; }
  std::error_code Code() const { return code_; }

 private:
  std::string path_;
  std::error_code code_;
};

// Holds an advisory lock on a folder for as long as it lives, so that two
// runs (or a run and a backup command) never change one folder at once.
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  // False when another holder has the folder (or it cannot be opened).
  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// Fault injection for tests: every operation that changes a file (create,
// write, rename, delete) is counted, and the one numbered `failAt` (from 1)
// fails with `error` as if the disk had failed there. 0 turns it off.
namespace fault_injection {
void FailOperation(long failAt, std::errc error = std::errc::no_space_on_device);
long OperationsSoFar();
}  // namespace fault_injection

// An existing entry that is not a folder (a link counts by what it points to).
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Size of the entry named exactly `path`, 0 for a folder, nothing when absent.
std::optional<std::int64_t> EntrySize(const std::string& path);
// True when the file can be opened read-only right now.
bool CanOpenForReading(const std::string& path);

// Reads a whole file of at most `maxBytes`; sets `tooBig` and reads nothing
// when it is longer. Returns false with `error` set when open or read fails.
bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                   bool& tooBig, std::error_code& error);

// Replaces `path` with `bytes`: written to a temporary name in the same folder,
// then renamed over the target, so the target is either the old or the complete
// new file. A symbolic link at `path` is replaced, never written through.
// Throws FileError.
void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Copies `from` over `to` the same way. Throws FileError.
void CopyFileReplacing(const std::string& from, const std::string& to);
// Renames `from` to `to` only if no entry named `to` exists. False on
// failure, with the reason in errno (EEXIST when `to` is taken).
bool RenameNoReplace(const std::string& from, const std::string& to);
// Deletes a file (never a folder). False on failure.
bool DeleteFile(const std::string& path);
// Names of the entries of a folder, "." and ".." left out; nothing when the
// folder cannot be read.
std::optional<std::vector<std::string>> ListFolder(const std::string& dir);
// Opens `path` read-only and gives its size when it is a file (not a folder)
// that can be read right now; nothing otherwise.
std::optional<std::int64_t> ReadableFileSize(const std::string& path);

}  // namespace kestrune
