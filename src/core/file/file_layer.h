// The few file operations the engine, the folder scan and the backup commands
// need, each written once for every system over the file system in use
// (file_system.h). That is the system's, one implementation for POSIX systems
// (platform/posix) and one for Windows (platform/win32), chosen when the
// engine is built, unless a test has put in its place one that wraps it to
// count, journal or fail what reaches the disk. Nothing else in the engine
// calls the system. Paths are UTF-8 text on both systems (Windows is given
// them as wide-character paths). Names are used exactly as given:
// DVD file names are upper case. (On Windows, as its file systems do, a name
// also finds an entry spelt in another case.)
//
// Durability. A file is written to a temporary name in its folder and renamed
// over its target, so a name holds either its old or its complete new bytes,
// provided the new bytes were flushed (FlushFile, or DataFlush::kBeforeRename)
// before the rename. A rename or deletion is on the disk only once its folder
// has been flushed (FlushFolder). A blanking run orders its flushes like this:
//   1. A backup made by copying (VIDEO_TS.IFO~, VIDEO_TS.BUP~) has its data
//      flushed before it is renamed to its backup name.
//   2. Before the first file is replaced or deleted after backups were made
//      (copied or renamed), the folder is flushed once: the backup names are
//      on the disk before the names they keep change. One flush covers all
//      the backup renames of a title set, and the video manager's backups go
//      with the first title set's (or the video manager menu's) own.
//   3. With backups on, a replaced file's old bytes are safe in its backup, so
//      the new bytes need no flush before the rename: they are flushed once,
//      when the run ends (a file written several times, as VIDEO_TS.IFO is
//      after every title set, is flushed once, as it stands last).
//      Without backups the replaced file is the only copy of its old bytes:
//      every new file has its data flushed before the rename.
//   4. When the run ends, after the flushes of step 3, the folder is flushed
//      once, which puts every rename and deletion of the run on the disk. Only
//      then does the run report success.
// So a crash at any moment leaves, with backups on, a folder whose backups
// give back the original (restore), and without backups a folder whose every
// DVD file holds its old or its complete new bytes. Restoring and deleting
// backups only rename and delete: they flush the folder once, before they
// return. A flush that fails is a write error like any other (FileError).
//
// On Windows the flushes are the same, call for call (the operations below
// are written once for both systems), made like this:
//   - A file's data: FlushFileBuffers on a handle opened for writing (the
//     one that wrote it, or the file opened again with write access).
//   - Every rename (MoveFileExW) is made with MOVEFILE_WRITE_THROUGH: it
//     returns only once the rename is on the disk. The rename that never
//     replaces leaves out MOVEFILE_REPLACE_EXISTING.
//   - A folder: FlushFileBuffers on the folder's own handle (CreateFileW with
//     FILE_FLAG_BACKUP_SEMANTICS and write access), which puts its entries on
//     the disk, the deletions among them: DeleteFileW has no write-through
//     form. A file system that cannot flush a folder (ERROR_INVALID_FUNCTION,
//     ERROR_NOT_SUPPORTED) is taken as POSIX takes EINVAL.
// A rename thus reaches the disk no later than on POSIX (when it is made
// rather than at the next folder flush), and a deletion at the same flush, so
// every step above gives the same guarantee on both systems.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "file_system.h"

namespace kestrune {

class NewFile;

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
// runs (or a run and a backup command) never change one folder at once. A
// folder nothing can change (file_system.h: Unchangeable) is held at once. On
// POSIX: flock on the folder. On Windows, which cannot lock a folder: the
// folder's lock file LockFileName(), opened without sharing (a second opener
// is refused) and deleted by the system when the holder closes it or ends.
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  // False when another holder has the folder (or, on POSIX, it cannot be
  // opened). A folder in which nothing can be written (a read-only medium)
  // needs no lock on Windows: it is held, and the first change fails with
  // the reason.
  bool Held() const { return held_; }
  // The name of the lock file in the folder (Windows only): it starts with a
  // dot and ends in neither "~" nor the temporary suffix, so the scan and the
  // backup commands pass it over.
  static constexpr const char* LockFileName() { return ".kestrune-lock"; }

 private:
  std::intptr_t handle_ = -1;  // the folder's descriptor (POSIX), the lock file's HANDLE (Windows)
  bool held_ = false;
};

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

// Whether new bytes are flushed to the disk before they take a file's name.
enum class DataFlush {
  kBeforeRename,  // the name holds its old or its complete new bytes, whatever happens
  kLater,         // the caller flushes the file (FlushFile) before it reports success
};

// Reads up to `length` bytes of `path` from byte `offset` on (fewer where the
// file ends first). Returns false with `error` set when open or read fails.
bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                   std::vector<std::uint8_t>& bytes, std::error_code& error);

// Replaces `path` with `bytes`: written to a temporary name in the same folder,
// then renamed over the target, so the target is either the old or the complete
// new file. A symbolic link at `path` is replaced, never written through;
// on Windows a read-only file is replaced too, as POSIX pays no heed to a
// file's own mode there. Throws FileError.
void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes,
                        DataFlush flush = DataFlush::kBeforeRename);
// The bytes free for new files in the folder `dir`; nothing when the system
// cannot tell.
std::optional<std::int64_t> FreeBytes(const std::string& dir);
// Copies `from` over `to` the same way. Throws FileError.
void CopyFileReplacing(const std::string& from, const std::string& to,
                       DataFlush flush = DataFlush::kBeforeRename);
// Puts the data of the file `path` on the disk. Throws FileError.
void FlushFile(const std::string& path);
// The same for several files: the write-out of all of them is started first,
// so that the disk works on them together, then each is flushed.
void FlushFiles(const std::vector<std::string>& paths);
// Puts the entries of the folder `dir` (renames, new and deleted names) on the
// disk. Throws FileError.
void FlushFolder(const std::string& dir);
// The temporary name WriteFileReplacing writes `path` under: ".NAME.kestrune-part"
// in the same folder. Only a crash leaves one behind.
std::string TemporaryNameFor(const std::string& path);
bool IsTemporaryName(const std::string& name);
// Renames `from` to `to` only if no entry named `to` exists. False on
// failure, with the reason in errno (EEXIST when `to` is taken).
bool RenameNoReplace(const std::string& from, const std::string& to);
// Deletes a file (never a folder), on Windows a read-only one too. False on
// failure, with the reason in errno.
bool DeleteFile(const std::string& path);
// Names of the entries of a folder, "." and ".." left out; nothing when the
// folder cannot be read.
std::optional<std::vector<std::string>> ListFolder(const std::string& dir);
// Opens `path` read-only and gives its size when it is a file (not a folder)
// that can be read right now; nothing otherwise.
std::optional<std::int64_t> ReadableFileSize(const std::string& path);

// A file too large to hold in memory (a VOB set rewritten, a VOB copied out of
// a disc image), written piece by piece under its temporary name
// (TemporaryNameFor), never more than one piece held, then closed (Finish,
// its data flushed first unless the caller flushes it later), then renamed to
// its name (Commit): the name holds its old content or the complete new one.
// kReplacing renames over the file there, as WriteFileReplacing does;
// kNeverReplacing refuses to take a name that exists (file_exists), so what
// was there is never lost. Until it is committed, the temporary file goes with
// the writer and the name stays as it was. The rename is on the disk once the
// folder is flushed. Every step throws FileError.
class FileWriter {
 public:
  enum class Placing { kReplacing, kNeverReplacing };
  explicit FileWriter(const std::string& path, Placing placing = Placing::kNeverReplacing);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  void Write(std::span<const std::uint8_t> bytes);
  void Finish(DataFlush flush = DataFlush::kBeforeRename);
  void Commit(DataFlush flush = DataFlush::kBeforeRename);  // finishes it first if need be
  const std::string& Path() const { return path_; }

 private:
  [[noreturn]] void Fail(const char* action, std::error_code error);
  std::string path_, temporary_;
  Placing placing_;
  std::unique_ptr<NewFile> file_;
  bool finished_ = false;
  bool settled_ = false;  // committed, or discarded after a failure: nothing left for the destructor
};

// Makes the folder `dir` (its parent must be there); on the disk once the
// parent is flushed. Throws FileError.
void MakeFolder(const std::string& dir);
// Removes the empty folder `dir`, tidying after a failure: nothing is
// reported, and a folder that is not empty stays.
void RemoveEmptyFolder(const std::string& dir);

}  // namespace kestrune
