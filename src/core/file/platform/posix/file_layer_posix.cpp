// The file layer on POSIX systems: descriptors, fsync, flock, and a rename
// that never replaces (renameat2 with RENAME_NOREPLACE on Linux, a hard link
// elsewhere).
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "file_layer.h"
#include "file_layer_hooks.h"

#if defined(__linux__)
#include <sys/syscall.h>
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif
#endif

namespace kestrune {

namespace {

using file_layer_hooks::Journal;

std::error_code LastError() { return {errno, std::generic_category()}; }

// Closes a descriptor when it goes out of scope.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const ssize_t written = ::write(fd, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

// Counts one operation that changes a file; false (with errno set) when it
// is the one a test asked to fail.
bool MayChange() {
  if (const std::error_code injected = file_layer_hooks::NextChange()) {
    errno = injected.value();
    return false;
  }
  return true;
}

// fsync of a file or folder descriptor, counted, journaled and open to fault
// injection like every other change. `path` names it in the journal.
bool Flush(int fd, crash_journal::Entry::Kind kind, const std::string& path) {
  if (file_layer_hooks::LeaveOutFlush()) return true;
  if (!MayChange()) return false;
  while (::fsync(fd) != 0) {
    if (errno == EINTR) continue;
    // A file system that cannot flush a folder (EINVAL) keeps its entries
    // with the files' own flushes; there is nothing more to ask of it.
    if (kind == crash_journal::Entry::Kind::kFlushFolder && errno == EINVAL) break;
    return false;
  }
  Journal(kind, path);
  return true;
}

}  // namespace

FolderLock::FolderLock(const std::string& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  handle_ = fd;
  held_ = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));  // closing releases the lock
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::int64_t> EntrySize(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    // A dangling link is still an entry of that name.
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return 0;
  }
  if (S_ISDIR(st.st_mode)) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

bool CanOpenForReading(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  return fd.fd >= 0;
}

bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                   bool& tooBig, std::error_code& error) {
  tooBig = false;
  bytes.clear();
  // Non-blocking, so that a FIFO under a DVD file name cannot hang the run.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.fd < 0) {
    error = LastError();
    return false;
  }
  struct stat st {};
  if (::fstat(fd.fd, &st) != 0) {
    error = LastError();
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory : std::errc::invalid_argument);
    return false;
  }
  if (st.st_size > maxBytes) {
    tooBig = true;
    return true;
  }
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.fd, bytes.data() + done, bytes.size() - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      error = LastError();
      return false;
    }
    if (got == 0) break;  // the file shrank while being read
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return true;
}

bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                   std::vector<std::uint8_t>& bytes, std::error_code& error) {
  bytes.clear();
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0) {
    error = LastError();
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory : std::errc::invalid_argument);
    return false;
  }
  if (offset < 0 || length < 0) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  const std::int64_t available = offset < st.st_size ? st.st_size - offset : 0;
  bytes.resize(static_cast<std::size_t>(std::min(length, available)));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::pread(fd.fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (got < 0) {
      if (errno == EINTR) continue;
      error = LastError();
      return false;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return true;
}

void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes, DataFlush flush) {
  const std::string temp = TemporaryNameFor(path);
  Fd fd(MayChange() ? ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644) : -1);
  if (fd.fd < 0) throw FileError(path, "create", LastError());
  auto fail = [&](const char* action) {
    const auto code = LastError();
    ::unlink(temp.c_str());
    throw FileError(path, action, code);
  };
  if (!MayChange() || !WriteAll(fd.fd, bytes.data(), bytes.size())) fail("write");
  Journal(crash_journal::Entry::Kind::kCreate, temp, {}, bytes.data(), bytes.size());
  if (flush == DataFlush::kBeforeRename && !Flush(fd.fd, crash_journal::Entry::Kind::kFlushFile, temp)) fail("flush");
  const int closed = ::close(fd.fd);
  fd.fd = -1;
  if (closed != 0) fail("write");
  if (!MayChange() || ::rename(temp.c_str(), path.c_str()) != 0) fail("replace");
  Journal(crash_journal::Entry::Kind::kRename, temp, path);
}

ReplacingFile::ReplacingFile(const std::string& path) : path_(path), temp_(TemporaryNameFor(path)) {
  const int fd = MayChange() ? ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644) : -1;
  if (fd < 0) throw FileError(path, "create", LastError());
  handle_ = fd;
}

ReplacingFile::~ReplacingFile() {
  if (handle_ < 0) return;
  ::close(static_cast<int>(handle_));
  ::unlink(temp_.c_str());
}

void ReplacingFile::Fail(const char* action, std::error_code error) {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  ::unlink(temp_.c_str());
  throw FileError(path_, action, error);
}

void ReplacingFile::Write(std::span<const std::uint8_t> bytes) {
  if (!MayChange() || !WriteAll(static_cast<int>(handle_), bytes.data(), bytes.size())) Fail("write", LastError());
  if (file_layer_hooks::Journaling()) journaled_.insert(journaled_.end(), bytes.begin(), bytes.end());
}

void ReplacingFile::Commit(DataFlush flush) {
  const int fd = static_cast<int>(handle_);
  Journal(crash_journal::Entry::Kind::kCreate, temp_, {}, journaled_.data(), journaled_.size());
  if (flush == DataFlush::kBeforeRename && !Flush(fd, crash_journal::Entry::Kind::kFlushFile, temp_))
    Fail("flush", LastError());
  handle_ = -1;
  if (::close(fd) != 0) Fail("write", LastError());
  if (!MayChange() || ::rename(temp_.c_str(), path_.c_str()) != 0) Fail("replace", LastError());
  Journal(crash_journal::Entry::Kind::kRename, temp_, path_);
}

std::optional<std::int64_t> FreeBytes(const std::string& dir) {
  struct statvfs info {};
  if (::statvfs(dir.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

void CopyFileReplacing(const std::string& from, const std::string& to, DataFlush flush) {
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  if (!ReadWholeFile(from, INT64_MAX, bytes, tooBig, error)) throw FileError(from, "read", error);
  WriteFileReplacing(to, bytes, flush);
}

void FlushFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (fd.fd < 0 || !Flush(fd.fd, crash_journal::Entry::Kind::kFlushFile, path))
    throw FileError(path, "flush", LastError());
}

void FlushFiles(const std::vector<std::string>& paths) {
#if defined(__linux__)
  for (const std::string& path : paths) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    // Only a start: FlushFile below is what waits, and what reports a failure.
    if (fd.fd >= 0) ::sync_file_range(fd.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
  }
#endif
  for (const std::string& path : paths) FlushFile(path);
}

void FlushFolder(const std::string& dir) {
  const std::string name = dir.empty() ? "." : dir;
  Fd fd(::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.fd < 0 || !Flush(fd.fd, crash_journal::Entry::Kind::kFlushFolder, dir))
    throw FileError(dir, "flush", LastError());
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (!MayChange()) return false;
#if defined(__linux__) && defined(SYS_renameat2)
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    Journal(crash_journal::Entry::Kind::kRename, from, to);
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
  // The file system cannot rename without replacing: a hard link to the new
  // name fails if that name exists, and only then is the old name removed.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    Journal(crash_journal::Entry::Kind::kRename, from, to);
    return true;
  }
  if (errno == EEXIST) return false;
  // No hard links here either (or a folder): check first, then rename. This
  // leaves a small window, acceptable where nothing better exists.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  if (::rename(from.c_str(), to.c_str()) != 0) return false;
  Journal(crash_journal::Entry::Kind::kRename, from, to);
  return true;
}

bool DeleteFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  if (!MayChange() || ::unlink(path.c_str()) != 0) return false;
  Journal(crash_journal::Entry::Kind::kDelete, path);
  return true;
}

std::optional<std::int64_t> ReadableFileSize(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(st.st_size);
}

std::optional<std::vector<std::string>> ListFolder(const std::string& dir) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
  if (!handle) return std::nullopt;
  while (const dirent* entry = ::readdir(handle.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  return names;
}

}  // namespace kestrune
