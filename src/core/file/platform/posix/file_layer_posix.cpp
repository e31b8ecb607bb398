// The file system of POSIX systems (file_system.h): descriptors, fsync,
// sync_file_range on Linux, a rename that never replaces (renameat2 with
// RENAME_NOREPLACE on Linux, a hard link elsewhere), and flock for the
// folder lock.
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
#include <span>

#include "file_layer.h"
#include "file_system.h"

#if defined(__linux__)
#include <sys/syscall.h>
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif
#endif

namespace kestrune {

namespace {

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

// fsync of a file or folder descriptor.
std::error_code Flush(int fd, bool folder) {
  while (::fsync(fd) != 0) {
    if (errno == EINTR) continue;
    // A file system that cannot flush a folder (EINVAL) keeps its entries
    // with the files' own flushes; there is nothing more to ask of it.
    if (folder && errno == EINVAL) break;
    return LastError();
  }
  return {};
}

class PosixNewFile final : public NewFile {
 public:
  explicit PosixNewFile(int fd) : fd_(fd) {}

  std::error_code Write(std::span<const std::uint8_t> bytes) override {
    return WriteAll(fd_.fd, bytes.data(), bytes.size()) ? std::error_code() : LastError();
  }

  std::error_code FlushData() override { return Flush(fd_.fd, false); }

  std::error_code Close() override {
    const int closed = ::close(fd_.fd);
    fd_.fd = -1;
    return closed == 0 ? std::error_code() : LastError();
  }

 private:
  Fd fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  bool FolderExists(const std::string& path) override {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::optional<std::int64_t> EntrySize(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      // A dangling link is still an entry of that name.
      if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
      return 0;
    }
    if (S_ISDIR(st.st_mode)) return 0;
    return static_cast<std::int64_t>(st.st_size);
  }

  bool CanOpenForReading(const std::string& path) override {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return fd.fd >= 0;
  }

  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) override {
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
                     std::vector<std::uint8_t>& bytes, std::error_code& error) override {
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
      const ssize_t got = ::pread(fd.fd, bytes.data() + done, bytes.size() - done,
                                  static_cast<off_t>(offset) + static_cast<off_t>(done));
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

  std::optional<std::vector<std::string>> ListFolder(const std::string& dir) override {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
    if (!handle) return std::nullopt;
    while (const dirent* entry = ::readdir(handle.get())) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    return names;
  }

  std::optional<std::int64_t> FreeBytes(const std::string& dir) override {
    struct statvfs info {};
    if (::statvfs(dir.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
  }

  std::optional<std::int64_t> ReadableFileSize(const std::string& path) override {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
  }

  std::unique_ptr<NewFile> CreateNew(const std::string& path, std::error_code& error) override {
    // O_TRUNC takes over what a crash left under the name; O_NOFOLLOW refuses
    // to write through a link of that name.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
      error = LastError();
      return nullptr;
    }
    return std::make_unique<PosixNewFile>(fd);
  }

  std::error_code FlushFile(const std::string& path) override {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.fd < 0) return LastError();
    return Flush(fd.fd, false);
  }

  void StartFlush([[maybe_unused]] const std::string& path) override {
#if defined(__linux__)
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    // Only a start: FlushFile is what waits, and what reports a failure.
    if (fd.fd >= 0) ::sync_file_range(fd.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  }

  std::error_code FlushFolder(const std::string& dir) override {
    const std::string name = dir.empty() ? "." : dir;
    Fd fd(::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.fd < 0) return LastError();
    return Flush(fd.fd, true);
  }

  std::error_code Rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
  }

  std::error_code RenameNoReplace(const std::string& from, const std::string& to) override {
#if defined(__linux__) && defined(SYS_renameat2)
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return LastError();
#endif
    // The file system cannot rename without replacing: a hard link to the new
    // name fails if that name exists, and only then is the old name removed.
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return {};
    }
    if (errno == EEXIST) return LastError();
    // No hard links here either (or a folder): check first, then rename. This
    // leaves a small window, acceptable where nothing better exists.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return std::make_error_code(std::errc::file_exists);
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
  }

  std::error_code Delete(const std::string& path) override {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return LastError();
    if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
  }

  void Discard(const std::string& path) override { ::unlink(path.c_str()); }

  std::error_code CreateFolder(const std::string& dir) override {
    return ::mkdir(dir.c_str(), 0755) == 0 ? std::error_code() : LastError();
  }

  void DiscardFolder(const std::string& dir) override { ::rmdir(dir.c_str()); }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem files;
  return files;
}

FolderLock::FolderLock(const std::string& dir) {
  if (CurrentFileSystem().Unchangeable(dir)) {
    held_ = true;
    return;
  }
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  handle_ = fd;
  held_ = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));  // closing releases the lock
}

}  // namespace kestrune
