// The file operations the file layer is made of, as one interface: the reads,
// and each change as the one call the disk sees (a new file created, written
// and its data flushed through its handle, a rename, a deletion, a flush of a
// file or a folder). The system's implementation is the POSIX or the Windows
// one (platform/posix, platform/win32). The operations that callers use
// (file_layer.h) are written once over this interface, so the temporary names,
// the renames and the flushes come in the same order on both systems.
//
// One file system is in use in the process: the system's, unless a
// UseFileSystem guard has put another in its place for as long as it lives.
// Tests put there one that wraps the system's to count, journal or fail the
// changes (tests/support/test_file_system.h); nothing else does.
//
// Errors are the portable codes of POSIX (std::errc), on Windows too.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace kestrune {

// A file being written under its temporary name, open for writing until
// Close (or, after a failure, until it is destroyed).
class NewFile {
 public:
  virtual ~NewFile() = default;
  // Writes all of `bytes` after what was written before.
  virtual std::error_code Write(std::span<const std::uint8_t> bytes) = 0;
  // Puts the data written so far on the disk, through the handle that wrote it.
  virtual std::error_code FlushData() = 0;
  // Closes the file; a failure here is a failed write.
  virtual std::error_code Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads, as file_layer.h describes them.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  virtual std::optional<std::int64_t> EntrySize(const std::string& path) = 0;
  virtual bool CanOpenForReading(const std::string& path) = 0;
  virtual bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                             bool& tooBig, std::error_code& error) = 0;
  virtual bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                             std::vector<std::uint8_t>& bytes, std::error_code& error) = 0;
  virtual std::optional<std::vector<std::string>> ListFolder(const std::string& dir) = 0;
  virtual std::optional<std::int64_t> ReadableFileSize(const std::string& path) = 0;
  // The bytes free for new files in the folder `dir`; nothing when the
  // system cannot tell.
  virtual std::optional<std::int64_t> FreeBytes(const std::string& dir) = 0;

  // Changes, each one operation the disk sees.
  //
  // Creates the file `path` (a temporary name) afresh and opens it for
  // writing. What a crash left under that name is replaced; a link of that
  // name is never written through. Nothing, with `error` set, on failure.
  virtual std::unique_ptr<NewFile> CreateNew(const std::string& path, std::error_code& error) = 0;
  // Puts the data of the existing file `path` on the disk.
  virtual std::error_code FlushFile(const std::string& path) = 0;
  // Asks the disk to start writing the data of `path`, which FlushFile will
  // wait for; a hint that changes nothing and reports nothing.
  virtual void StartFlush(const std::string& path) = 0;
  // Puts the entries of the folder `dir` (renames, new and deleted names) on
  // the disk. A file system that cannot flush a folder keeps its entries with
  // the files' own flushes: that is no failure.
  virtual std::error_code FlushFolder(const std::string& dir) = 0;
  // Renames `from` over `to`, replacing what `to` names (a read-only file too).
  virtual std::error_code Rename(const std::string& from, const std::string& to) = 0;
  // Renames `from` to `to` only if no entry is named `to` (file_exists then).
  virtual std::error_code RenameNoReplace(const std::string& from, const std::string& to) = 0;
  // Deletes the file `path`, a read-only one too, never a folder (is_a_directory).
  virtual std::error_code Delete(const std::string& path) = 0;
  // Removes what a failed write left under the temporary name `path`. Tidying
  // after a failure, not a change the run makes: nothing is reported.
  virtual void Discard(const std::string& path) = 0;
  // Makes the folder `dir`, whose parent is there (file_exists when an entry
  // has its name). On the disk once its parent is flushed.
  virtual std::error_code CreateFolder(const std::string& dir) = 0;
  // Removes the empty folder `dir` that a failed extraction made. Tidying, as
  // Discard is: nothing is reported.
  virtual void DiscardFolder(const std::string& dir) = 0;
  // True for a folder that nothing can change, so that no lock is needed to
  // read it while a run is planned on it (FolderLock holds it at once): the
  // files of a disc image shown as a folder.
  virtual bool Unchangeable(const std::string& /*dir*/) { return false; }
};

// The system's file system: POSIX or Windows, as the engine was built.
FileSystem& SystemFileSystem();
// The file system in use.
FileSystem& CurrentFileSystem();

// Puts `files` in use in place of the one in use now, which it puts back when
// it goes. Guards nest; each must end before the one made before it.
class UseFileSystem {
 public:
  explicit UseFileSystem(FileSystem& files);
  ~UseFileSystem();
  UseFileSystem(const UseFileSystem&) = delete;
  UseFileSystem& operator=(const UseFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

}  // namespace kestrune
