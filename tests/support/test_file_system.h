// The file system of tests and benchmarks: the system's (or any other) wrapped
// so that what a run sends to the disk can be counted, journaled, failed or
// left out, while it still reaches the real disk. It is in use for as long as
// it lives (file_system.h).
//
//   - Fault injection: every change (a file created, a write, a data or folder
//     flush, a rename, a deletion) is counted, and the one numbered `failAt`
//     (from 1) fails with a chosen error as if the disk had failed there.
//   - A journal of what reaches the disk, for tests that build every folder a
//     crash could leave behind: files created with their bytes, data flushes,
//     renames, deletions and folder flushes, in the order they are made.
//   - Flushes counted, and one or all of them left out, for tests that show
//     what each flush is for and benchmarks of what they cost. A flush left
//     out is neither made, nor counted as a change, nor journaled.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "file_system.h"

namespace kestrune::test {

// One entry of the journal.
struct JournalEntry {
  enum class Kind { kCreate, kFlushFile, kRename, kDelete, kFlushFolder };
  Kind kind;
  std::string path;                 // the file, the rename's source, or the folder
  std::string to;                   // the rename's target
  std::vector<std::uint8_t> bytes;  // what a created file holds
};

class TestFileSystem final : public FileSystem {
 public:
  // Leaves out every flush (LeaveOutFlush).
  static constexpr long kEveryFlush = -1;

  // Wraps `inner` and puts itself in use in its place until it goes.
  explicit TestFileSystem(FileSystem& inner = SystemFileSystem()) : inner_(inner) {}
  TestFileSystem(const TestFileSystem&) = delete;
  TestFileSystem& operator=(const TestFileSystem&) = delete;

  // Counts changes from 0 again; the one numbered `failAt` fails with `error`.
  // 0 fails none.
  void FailOperation(long failAt, std::errc error = std::errc::no_space_on_device);
  long OperationsSoFar() const { return operations_; }

  // Journals from now on, from an empty journal.
  void StartJournal();
  // Ends journaling and hands over what was recorded.
  std::vector<JournalEntry> StopJournal();

  // Counts flushes (of files and folders together) from 0 again and leaves
  // out the one numbered `leaveOut` (from 1), every one (kEveryFlush), or
  // none (0).
  void LeaveOutFlush(long leaveOut);
  long Flushes() const { return flushes_; }

  // From now on the disk has `bytes` free (nothing: as the inner file
  // system says), for runs that must refuse a disk without room.
  void SetFreeBytes(std::optional<std::int64_t> bytes) { freeBytes_ = bytes; }

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::int64_t> EntrySize(const std::string& path) override;
  bool CanOpenForReading(const std::string& path) override;
  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) override;
  bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                     std::vector<std::uint8_t>& bytes, std::error_code& error) override;
  std::optional<std::vector<std::string>> ListFolder(const std::string& dir) override;
  std::optional<std::int64_t> ReadableFileSize(const std::string& path) override;
  std::optional<std::int64_t> FreeBytes(const std::string& dir) override;

  std::unique_ptr<NewFile> CreateNew(const std::string& path, std::error_code& error) override;
  std::error_code FlushFile(const std::string& path) override;
  void StartFlush(const std::string& path) override;
  std::error_code FlushFolder(const std::string& dir) override;
  std::error_code Rename(const std::string& from, const std::string& to) override;
  std::error_code RenameNoReplace(const std::string& from, const std::string& to) override;
  std::error_code Delete(const std::string& path) override;
  void Discard(const std::string& path) override;
  // A change that can fail like the others; not journaled (no run makes a
  // folder, and a crash leaves at most an empty one).
  std::error_code CreateFolder(const std::string& dir) override;
  void DiscardFolder(const std::string& dir) override;
  bool Unchangeable(const std::string& dir) override { return inner_.Unchangeable(dir); }

 private:
  class WatchedNewFile;

  // Counts one change: empty, or the error it is to fail with.
  std::error_code NextChange();
  // Counts one flush: true when it is to be left out.
  bool LeaveOutThisFlush();
  // `change` made unless it is the one to fail, and journaled when it was made.
  template <typename Change>
  std::error_code Made(Change change, JournalEntry::Kind kind, const std::string& path, const std::string& to = {});
  void Journal(JournalEntry::Kind kind, const std::string& path, const std::string& to = {},
               std::vector<std::uint8_t> bytes = {});

  FileSystem& inner_;
  long operations_ = 0;
  long failAt_ = 0;
  std::errc failWith_ = std::errc::no_space_on_device;
  bool journaling_ = false;
  std::vector<JournalEntry> journal_;
  long flushes_ = 0;
  long leaveOut_ = 0;
  std::optional<std::int64_t> freeBytes_;
  UseFileSystem inUse_{*this};  // last: in use only once the rest is made
};

}  // namespace kestrune::test
