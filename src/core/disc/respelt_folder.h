// A VIDEO_TS folder whose DVD files are named in lower or mixed case
// (video_ts.ifo, as an ISO 9660 mount or a copy tool leaves them), shown to
// the disc model, the folder scan and the verifier under the upper-case names
// they read, as libdvdread finds such files: a file system (file_system.h)
// that maps those names onto the files' own and passes everything else on to
// the file system in use before it. In use for as long as it lives; for the
// commands that only read.
#pragma once

#include <map>
#include <string>

#include "dvd_files.h"
#include "file_system.h"

namespace kestrune::disc {

class RespeltFolder final : public FileSystem {
 public:
  // `folder` ends in its delimiter; `spelling` is SpellingOf(folder).
  RespeltFolder(const std::string& folder, const FolderSpelling& spelling);
  RespeltFolder(const RespeltFolder&) = delete;
  RespeltFolder& operator=(const RespeltFolder&) = delete;

  bool FileExists(const std::string& path) override { return rest_.FileExists(OnDisk(path)); }
  bool FolderExists(const std::string& path) override { return rest_.FolderExists(OnDisk(path)); }
  std::optional<std::int64_t> EntrySize(const std::string& path) override { return rest_.EntrySize(OnDisk(path)); }
  bool CanOpenForReading(const std::string& path) override { return rest_.CanOpenForReading(OnDisk(path)); }
  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) override {
    return rest_.ReadWholeFile(OnDisk(path), maxBytes, bytes, tooBig, error);
  }
  bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                     std::vector<std::uint8_t>& bytes, std::error_code& error) override {
    return rest_.ReadFileRange(OnDisk(path), offset, length, bytes, error);
  }
  // The folder's entries, DVD files under their upper-case names.
  std::optional<std::vector<std::string>> ListFolder(const std::string& dir) override;
  std::optional<std::int64_t> FreeBytes(const std::string& dir) override { return rest_.FreeBytes(dir); }
  std::optional<std::int64_t> ReadableFileSize(const std::string& path) override {
    return rest_.ReadableFileSize(OnDisk(path));
  }

  // Changes are the file system's before it, names as given: nothing that
  // only reads makes one.
  std::unique_ptr<NewFile> CreateNew(const std::string& path, std::error_code& error) override {
    return rest_.CreateNew(path, error);
  }
  std::error_code FlushFile(const std::string& path) override { return rest_.FlushFile(path); }
  void StartFlush(const std::string& path) override { rest_.StartFlush(path); }
  std::error_code FlushFolder(const std::string& dir) override { return rest_.FlushFolder(dir); }
  std::error_code Rename(const std::string& from, const std::string& to) override { return rest_.Rename(from, to); }
  std::error_code RenameNoReplace(const std::string& from, const std::string& to) override {
    return rest_.RenameNoReplace(from, to);
  }
  std::error_code Delete(const std::string& path) override { return rest_.Delete(path); }
  void Discard(const std::string& path) override { rest_.Discard(path); }
  std::error_code CreateFolder(const std::string& dir) override { return rest_.CreateFolder(dir); }
  void DiscardFolder(const std::string& dir) override { rest_.DiscardFolder(dir); }
  bool Unchangeable(const std::string& dir) override { return rest_.Unchangeable(dir); }

 private:
  // The path of the file that `path` names: a DVD file of the folder under its
  // own name.
  std::string OnDisk(const std::string& path) const;

  std::string folder_;
  std::map<std::string, std::string> onDisk_;  // upper-case name -> the name on disk
  FileSystem& rest_;
  UseFileSystem inUse_;  // last: in use once the rest is made
};

}  // namespace kestrune::disc
