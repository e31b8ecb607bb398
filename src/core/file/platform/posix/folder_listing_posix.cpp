// The folder handle of the scan on POSIX systems: a descriptor of the folder,
// its entries read with getdents64 on Linux (readdir elsewhere), its files
// opened with openat.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "folder_listing.h"

namespace kestrune {

namespace {

// Read-only and non-blocking, so that a FIFO under a DVD file name cannot
// hang the look at the folder.
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;

// Closes a descriptor when it goes out of scope.
struct ScopedFd {
  int fd;
  explicit ScopedFd(int f) : fd(f) {}
  ~ScopedFd() {
    if (fd >= 0) ::close(fd);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
};

EntryKind KindOf(unsigned char type) {
  if (type == DT_REG) return EntryKind::kFile;
  if (type == DT_DIR) return EntryKind::kFolder;
  return EntryKind::kOther;  // DT_LNK, DT_UNKNOWN and the special files
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

void FolderHandle::OpenSystem(const std::string& dir) {
  fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ >= 0) {
    open_ = listable_ = true;
    return;
  }
  // A folder that may be searched but not read still lets its files be
  // looked up one by one, as lookups by full path would.
  if (errno == EACCES) {
#if defined(O_PATH)
    fd_ = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
#elif defined(O_SEARCH)
    fd_ = ::open(dir.c_str(), O_SEARCH | O_DIRECTORY | O_CLOEXEC);
#endif
    open_ = fd_ >= 0;
  }
}

FolderHandle::~FolderHandle() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderHandle::SystemEntries(const std::function<void(std::string_view, EntryKind)>& visit) const {
  if (!listable_) return false;
#if defined(__linux__)
  // The raw entry records: a whole folder of DVD files (some 400 names) fits
  // in one read, and the next read says that there are no more.
  alignas(alignof(dirent64)) char buffer[32768];
  for (;;) {
    const ssize_t got = ::getdents64(fd_, buffer, sizeof buffer);
    if (got < 0) return false;
    if (got == 0) return true;
    for (std::size_t pos = 0; pos < static_cast<std::size_t>(got);) {
      unsigned short recordLength = 0;
      std::memcpy(&recordLength, buffer + pos + offsetof(dirent64, d_reclen), sizeof recordLength);
      if (recordLength == 0) return false;  // a damaged record would loop for ever
      const unsigned char type = static_cast<unsigned char>(buffer[pos + offsetof(dirent64, d_type)]);
      const char* name = buffer + pos + offsetof(dirent64, d_name);
      if (!IsDotOrDotDot(name)) visit(name, KindOf(type));
      pos += recordLength;
    }
  }
#else
  const int copy = ::dup(fd_);
  if (copy < 0) return false;
  DIR* handle = ::fdopendir(copy);
  if (handle == nullptr) {
    ::close(copy);
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(handle)) {
    if (!IsDotOrDotDot(entry->d_name)) visit(entry->d_name, KindOf(entry->d_type));
  }
  const bool complete = errno == 0;
  ::closedir(handle);
  return complete;
#endif
}

bool FolderHandle::SystemReadableFile(const char* name, EntryKind listed) const {
  if (fd_ < 0) return false;
  const ScopedFd file(::openat(fd_, name, kReadFlags));
  if (file.fd < 0) return false;
  if (listed == EntryKind::kFile) return true;
  struct stat st {};
  return ::fstat(file.fd, &st) == 0 && !S_ISDIR(st.st_mode);
}

std::optional<std::int64_t> FolderHandle::SystemReadableFileSize(const char* name) const {
  if (fd_ < 0) return std::nullopt;
  const ScopedFd file(::openat(fd_, name, kReadFlags));
  struct stat st {};
  if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(st.st_size);
}

std::optional<std::int64_t> FolderHandle::SystemEntrySize(const char* name) const {
  if (fd_ < 0) return std::nullopt;
  struct stat st {};
  if (::fstatat(fd_, name, &st, 0) != 0) {
    // A dangling link is still an entry of that name.
    if (::fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return 0;
  }
  if (S_ISDIR(st.st_mode)) return 0;
  return static_cast<std::int64_t>(st.st_size);
}

}  // namespace kestrune
