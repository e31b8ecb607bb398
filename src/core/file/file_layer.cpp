// The file layer's operations as callers use them, the same on every system:
// each made of the operations of the file system in use (file_system.h), in
// the order file_layer.h gives. Also its errors and its temporary names. The
// system calls are in platform/posix and platform/win32.
#include "file_layer.h"

#include <cerrno>
#include <cstdint>

#include "file_system.h"

namespace kestrune {

namespace {

constexpr char kTemporarySuffix[] = ".kestrune-part";

// Where the name of `path` starts: after its last path delimiter. On Windows
// "/" and the ":" of a drive ("C:NAME") end a folder part as well.
std::size_t NameStart(const std::string& path) {
#if defined(_WIN32)
  const auto delimiter = path.find_last_of("\\/:");
#else
  const auto delimiter = path.rfind('/');
#endif
  return delimiter == std::string::npos ? 0 : delimiter + 1;
}

// For the calls that report through errno.
bool Succeeded(std::error_code error) {
  if (!error) return true;
  errno = error.value();
  return false;
}

}  // namespace

FileError::FileError(const std::string& path, const std::string& action, std::error_code code)
    : std::runtime_error("Can't " + action + " \"" + path + "\": " + code.message()),
      path_(path),
      code_(code) {}

std::string TemporaryNameFor(const std::string& path) {
  // It starts with a dot and does not end in "~", so neither the folder scan
  // nor the backup commands take it for a DVD file or a backup.
  const std::size_t name = NameStart(path);
  return path.substr(0, name) + "." + path.substr(name) + kTemporarySuffix;
}

bool IsTemporaryName(const std::string& name) {
  const std::size_t suffix = sizeof(kTemporarySuffix) - 1;
  return name.size() > suffix + 1 && name[0] == '.' && name.compare(name.size() - suffix, suffix, kTemporarySuffix) == 0;
}

bool FileExists(const std::string& path) { return CurrentFileSystem().FileExists(path); }

bool FolderExists(const std::string& path) { return CurrentFileSystem().FolderExists(path); }

std::optional<std::int64_t> EntrySize(const std::string& path) { return CurrentFileSystem().EntrySize(path); }

bool CanOpenForReading(const std::string& path) { return CurrentFileSystem().CanOpenForReading(path); }

bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                   std::error_code& error) {
  return CurrentFileSystem().ReadWholeFile(path, maxBytes, bytes, tooBig, error);
}

bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                   std::vector<std::uint8_t>& bytes, std::error_code& error) {
  return CurrentFileSystem().ReadFileRange(path, offset, length, bytes, error);
}

std::optional<std::vector<std::string>> ListFolder(const std::string& dir) {
  return CurrentFileSystem().ListFolder(dir);
}

std::optional<std::int64_t> ReadableFileSize(const std::string& path) {
  return CurrentFileSystem().ReadableFileSize(path);
}

void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes, DataFlush flush) {
  FileSystem& files = CurrentFileSystem();
  const std::string temp = TemporaryNameFor(path);
  std::error_code error;
  std::unique_ptr<NewFile> file = files.CreateNew(temp, error);
  if (!file) throw FileError(path, "create", error);
  auto fail = [&](const char* action) {
    file.reset();  // closed first: Windows deletes no file that is open
    files.Discard(temp);
    throw FileError(path, action, error);
  };
  if ((error = file->Write(bytes))) fail("write");
  // Flushed through the handle that wrote it, before it is closed.
  if (flush == DataFlush::kBeforeRename && (error = file->FlushData())) fail("flush");
  if ((error = file->Close())) fail("write");
  if ((error = files.Rename(temp, path))) fail("replace");
}

std::optional<std::int64_t> FreeBytes(const std::string& dir) { return CurrentFileSystem().FreeBytes(dir); }

void CopyFileReplacing(const std::string& from, const std::string& to, DataFlush flush) {
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  if (!ReadWholeFile(from, INT64_MAX, bytes, tooBig, error)) throw FileError(from, "read", error);
  WriteFileReplacing(to, bytes, flush);
}

void FlushFile(const std::string& path) {
  if (const std::error_code error = CurrentFileSystem().FlushFile(path)) throw FileError(path, "flush", error);
}

void FlushFiles(const std::vector<std::string>& paths) {
  FileSystem& files = CurrentFileSystem();
  // The disk works on all of them together; FlushFile waits for each.
  for (const std::string& path : paths) files.StartFlush(path);
  for (const std::string& path : paths) {
    if (const std::error_code error = files.FlushFile(path)) throw FileError(path, "flush", error);
  }
}

void FlushFolder(const std::string& dir) {
  if (const std::error_code error = CurrentFileSystem().FlushFolder(dir)) throw FileError(dir, "flush", error);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  return Succeeded(CurrentFileSystem().RenameNoReplace(from, to));
}

bool DeleteFile(const std::string& path) { return Succeeded(CurrentFileSystem().Delete(path)); }

FileWriter::FileWriter(const std::string& path, Placing placing)
    : path_(path), temporary_(TemporaryNameFor(path)), placing_(placing) {
  std::error_code error;
  file_ = CurrentFileSystem().CreateNew(temporary_, error);
  if (!file_) throw FileError(path_, "create", error);
}

FileWriter::~FileWriter() {
  if (settled_) return;
  file_.reset();  // closed first: Windows deletes no file that is open
  CurrentFileSystem().Discard(temporary_);
}

void FileWriter::Fail(const char* action, std::error_code error) {
  file_.reset();
  CurrentFileSystem().Discard(temporary_);
  settled_ = true;
  throw FileError(path_, action, error);
}

void FileWriter::Write(std::span<const std::uint8_t> bytes) {
  if (const std::error_code error = file_->Write(bytes)) Fail("write", error);
}

void FileWriter::Finish(DataFlush flush) {
  // Flushed through the handle that wrote it, before it is closed.
  if (flush == DataFlush::kBeforeRename)
    if (const std::error_code error = file_->FlushData()) Fail("flush", error);
  if (const std::error_code error = file_->Close()) Fail("write", error);
  finished_ = true;
}

void FileWriter::Commit(DataFlush flush) {
  if (!finished_) Finish(flush);
  if (placing_ == Placing::kReplacing) {
    if (const std::error_code error = CurrentFileSystem().Rename(temporary_, path_)) Fail("replace", error);
  } else if (const std::error_code error = CurrentFileSystem().RenameNoReplace(temporary_, path_)) {
    Fail("create", error);
  }
  file_.reset();
  settled_ = true;
}

void MakeFolder(const std::string& dir) {
  if (const std::error_code error = CurrentFileSystem().CreateFolder(dir)) throw FileError(dir, "create", error);
}

void RemoveEmptyFolder(const std::string& dir) { CurrentFileSystem().DiscardFolder(dir); }

}  // namespace kestrune
