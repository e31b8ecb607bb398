// The file system of Windows (file_system.h): wide-character paths,
// CreateFileW with share modes that let other programs go on reading and
// writing, FlushFileBuffers (of a folder too, through its own handle),
// MoveFileExW (write-through; without MOVEFILE_REPLACE_EXISTING for the rename
// that never replaces), read-only files replaced and deleted as on POSIX, and
// a lock file opened without sharing for the folder lock. Errors are turned
// into the portable codes of POSIX (win32_support.h), so callers compare them
// the same way on both systems.
#include "win32_support.h"

// windows.h names DeleteFileA/W DeleteFile; the file layer's own comes next.
#undef DeleteFile

#include <algorithm>
#include <cerrno>
#include <memory>
#include <span>

#include "file_layer.h"
#include "file_system.h"

namespace kestrune {

namespace {

using win32::FromWin32;
using win32::Handle;
using win32::kShareAll;
using win32::LastError;
using win32::WidePath;

// The most one ReadFile or WriteFile is asked to move at once.
constexpr std::size_t kChunk = std::size_t{1} << 30;

// `path` as a wide-character path; false, with `error` set, when it is not
// valid UTF-8.
bool Widen(const std::string& path, std::wstring& wide, std::error_code& error) {
  auto converted = WidePath(path);
  if (!converted) {
    error = std::make_error_code(std::errc::illegal_byte_sequence);
    return false;
  }
  wide = std::move(*converted);
  return true;
}

std::wstring WideOrEmpty(const std::string& path) { return WidePath(path).value_or(std::wstring()); }

// FlushFileBuffers of a file's or a folder's handle.
std::error_code Flush(HANDLE handle, bool folder) {
  if (::FlushFileBuffers(handle)) return {};
  const DWORD failure = ::GetLastError();
  // A file system that cannot flush a folder keeps its entries with the
  // files' own flushes (and every rename is written through); there is
  // nothing more to ask of it.
  if (folder && (failure == ERROR_INVALID_FUNCTION || failure == ERROR_NOT_SUPPORTED)) return {};
  return FromWin32(failure);
}

bool WriteAll(HANDLE handle, const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    DWORD written = 0;
    const DWORD ask = static_cast<DWORD>(std::min(length, kChunk));
    if (!::WriteFile(handle, data, ask, &written, nullptr)) return false;
    if (written == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    length -= written;
  }
  return true;
}

// Reads up to bytes.size() bytes from `offset` on; shrinks `bytes` to what
// the file held.
bool ReadAt(HANDLE handle, std::int64_t offset, std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto at = static_cast<std::uint64_t>(offset) + done;
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min(bytes.size() - done, kChunk));
    if (!::ReadFile(handle, bytes.data() + done, ask, &got, &position)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      return false;
    }
    if (got == 0) break;  // the file shrank while being read
    done += got;
  }
  bytes.resize(done);
  return true;
}

// Opens `path` for reading as a regular file on a disk. Invalid, with `error`
// set as POSIX would set it (a folder is_a_directory, anything else that is no
// disk file invalid_argument), when that is not possible.
Handle OpenFileForReading(const std::string& path, std::error_code& error) {
  std::wstring wide;
  if (!Widen(path, wide, error)) return Handle();
  Handle file(win32::OpenForReading(wide));
  if (!file.Valid()) {
    error = LastError();
    // A folder cannot be opened as a file: say so, as POSIX does.
    const auto attributes = win32::TargetAttributes(wide);
    if (attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY)) error = std::make_error_code(std::errc::is_a_directory);
    return Handle();
  }
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
    error = std::make_error_code(std::errc::invalid_argument);
    return Handle();
  }
  return file;
}

// OpenFileForReading, with the file's size in bytes.
Handle OpenWithSize(const std::string& path, std::int64_t& size, std::error_code& error) {
  Handle file = OpenFileForReading(path, error);
  if (!file.Valid()) return file;
  LARGE_INTEGER bytes{};
  if (!::GetFileSizeEx(file.Get(), &bytes)) {
    error = LastError();
    return Handle();
  }
  size = bytes.QuadPart;
  return file;
}

// ReadAt, which on failure sets `error` and leaves `bytes` empty.
bool ReadOrClear(HANDLE file, std::int64_t offset, std::vector<std::uint8_t>& bytes, std::error_code& error) {
  if (ReadAt(file, offset, bytes)) return true;
  error = LastError();
  bytes.clear();
  return false;
}

// Clears the read-only attribute of `path` for `change`, as POSIX lets a file
// be replaced or deleted whatever its mode, and puts it back when the change
// fails. Files copied from a disc usually carry the attribute.
template <typename Change>
bool EvenIfReadOnly(const std::wstring& path, Change change) {
  if (change()) return true;
  const DWORD failure = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (failure != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) || !(attributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetLastError(failure);
    return false;
  }
  const DWORD writable = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  if (!::SetFileAttributesW(path.c_str(), writable == 0 ? FILE_ATTRIBUTE_NORMAL : writable)) {
    ::SetLastError(failure);
    return false;
  }
  if (change()) return true;
  const DWORD again = ::GetLastError();
  ::SetFileAttributesW(path.c_str(), attributes);
  ::SetLastError(again);
  return false;
}

std::string LockPathFor(const std::string& dir) {
  if (dir.empty()) return FolderLock::LockFileName();
  const char last = dir.back();
  return dir + (last == '\\' || last == '/' || last == ':' ? "" : "\\") + FolderLock::LockFileName();
}

// A new file, open for writing only; others may read it meanwhile.
class Win32NewFile final : public NewFile {
 public:
  explicit Win32NewFile(HANDLE file) : file_(file) {}

  std::error_code Write(std::span<const std::uint8_t> bytes) override {
    return WriteAll(file_.Get(), bytes.data(), bytes.size()) ? std::error_code() : LastError();
  }

  std::error_code FlushData() override { return Flush(file_.Get(), false); }

  std::error_code Close() override { return file_.Close() ? std::error_code() : LastError(); }

 private:
  Handle file_;
};

class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(const std::string& path) override {
    const auto attributes = win32::TargetAttributes(WideOrEmpty(path));
    return attributes && !(*attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool FolderExists(const std::string& path) override {
    if (path.empty()) return false;
    const auto attributes = win32::TargetAttributes(WideOrEmpty(path));
    return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::optional<std::int64_t> EntrySize(const std::string& path) override {
    const std::wstring wide = WideOrEmpty(path);
    // The entry of exactly this name: a wildcard would match others.
    if (wide.empty() || wide.find_first_of(L"*?") != std::wstring::npos) return std::nullopt;
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    ::FindClose(search);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      // A link counts by what it leads to; one that leads nowhere is still an
      // entry of that name.
      const Handle target(::CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
      BY_HANDLE_FILE_INFORMATION info{};
      if (!target.Valid() || !::GetFileInformationByHandle(target.Get(), &info) ||
          (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
      return static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    }
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return static_cast<std::int64_t>((std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
  }

  bool CanOpenForReading(const std::string& path) override {
    const std::wstring wide = WideOrEmpty(path);
    return !wide.empty() && Handle(win32::OpenForReading(wide)).Valid();
  }

  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) override {
    tooBig = false;
    bytes.clear();
    std::int64_t size = 0;
    const Handle file = OpenWithSize(path, size, error);
    if (!file.Valid()) return false;
    if (size > maxBytes) {
      tooBig = true;
      return true;
    }
    bytes.resize(static_cast<std::size_t>(size));
    return ReadOrClear(file.Get(), 0, bytes, error);
  }

  bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                     std::vector<std::uint8_t>& bytes, std::error_code& error) override {
    bytes.clear();
    std::int64_t size = 0;
    const Handle file = OpenWithSize(path, size, error);
    if (!file.Valid()) return false;
    if (offset < 0 || length < 0) {
      error = std::make_error_code(std::errc::invalid_argument);
      return false;
    }
    const std::int64_t available = offset < size ? size - offset : 0;
    bytes.resize(static_cast<std::size_t>(std::min(length, available)));
    return ReadOrClear(file.Get(), offset, bytes, error);
  }

  std::optional<std::vector<std::string>> ListFolder(const std::string& dir) override {
    std::string pattern = dir;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':') pattern += '\\';
    pattern += '*';
    const std::wstring wide = WideOrEmpty(pattern);
    if (wide.empty()) return std::nullopt;
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
      // A drive's root folder has no "." entry: empty, it has nothing at all.
      if (::GetLastError() == ERROR_FILE_NOT_FOUND) return names;
      return std::nullopt;
    }
    for (;;) {
      const std::string name = win32::Utf8(entry.cFileName);
      if (name != "." && name != ".." && !name.empty()) names.push_back(name);
      if (!::FindNextFileW(search, &entry)) break;
    }
    const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(search);
    if (!complete) return std::nullopt;
    return names;
  }

  std::optional<std::int64_t> FreeBytes(const std::string& dir) override {
    std::wstring wide;
    std::error_code error;
    ULARGE_INTEGER free{};
    if (!Widen(dir, wide, error) || !::GetDiskFreeSpaceExW(wide.c_str(), &free, nullptr, nullptr)) return std::nullopt;
    return static_cast<std::int64_t>(free.QuadPart);
  }

  std::optional<std::int64_t> ReadableFileSize(const std::string& path) override {
    const std::wstring wide = WideOrEmpty(path);
    if (wide.empty()) return std::nullopt;
    const Handle file(win32::OpenForReading(wide));
    LARGE_INTEGER size{};
    if (!file.Valid() || !::GetFileSizeEx(file.Get(), &size)) return std::nullopt;
    return static_cast<std::int64_t>(size.QuadPart);
  }

  std::unique_ptr<NewFile> CreateNew(const std::string& path, std::error_code& error) override {
    std::wstring wide;
    if (!Widen(path, wide, error)) return nullptr;
    // What a crash left under the name goes first, so that the new file is
    // created afresh and never written through a link of that name.
    ::DeleteFileW(wide.c_str());
    const HANDLE file =
        ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      error = LastError();
      return nullptr;
    }
    return std::make_unique<Win32NewFile>(file);
  }

  std::error_code FlushFile(const std::string& path) override {
    std::error_code error;
    std::wstring wide;
    if (!Widen(path, wide, error)) return error;
    // FlushFileBuffers needs a handle with write access.
    const Handle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) return LastError();
    return Flush(file.Get(), false);
  }

  // Windows has no start of a flush that returns at once.
  void StartFlush(const std::string&) override {}

  std::error_code FlushFolder(const std::string& dir) override {
    std::error_code error;
    std::wstring wide;
    if (!Widen(dir.empty() ? "." : dir, wide, error)) return error;
    // A folder's handle (FILE_FLAG_BACKUP_SEMANTICS) with the write access that
    // FlushFileBuffers asks for; flushing it puts its entries on the disk, the
    // deletions among them (DeleteFileW has no write-through form).
    const Handle folder(::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.Valid()) return LastError();
    return Flush(folder.Get(), true);
  }

  std::error_code Rename(const std::string& from, const std::string& to) override {
    std::error_code error;
    std::wstring wideFrom, wideTo;
    if (!Widen(from, wideFrom, error) || !Widen(to, wideTo, error)) return error;
    // On the disk when it returns, over a read-only file too.
    const bool moved = EvenIfReadOnly(wideTo, [&] {
      return ::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
    return moved ? std::error_code() : LastError();
  }

  std::error_code RenameNoReplace(const std::string& from, const std::string& to) override {
    std::error_code error;
    std::wstring wideFrom, wideTo;
    if (!Widen(from, wideFrom, error) || !Widen(to, wideTo, error)) return error;
    // Without MOVEFILE_REPLACE_EXISTING the system refuses a name that is taken.
    if (!::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH)) return LastError();
    return {};
  }

  std::error_code Delete(const std::string& path) override {
    std::error_code error;
    std::wstring wide;
    if (!Widen(path, wide, error)) return error;
    // The entry itself, a link not followed.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return std::make_error_code(std::errc::is_a_directory);
    if (!EvenIfReadOnly(wide, [&] { return ::DeleteFileW(wide.c_str()) != 0; })) return LastError();
    return {};
  }

  void Discard(const std::string& path) override {
    const std::wstring wide = WideOrEmpty(path);
    if (!wide.empty()) ::DeleteFileW(wide.c_str());
  }

  std::error_code CreateFolder(const std::string& dir) override {
    std::error_code error;
    std::wstring wide;
    if (!Widen(dir, wide, error)) return error;
    return ::CreateDirectoryW(wide.c_str(), nullptr) ? std::error_code() : LastError();
  }

  void DiscardFolder(const std::string& dir) override {
    const std::wstring wide = WideOrEmpty(dir);
    if (!wide.empty()) ::RemoveDirectoryW(wide.c_str());
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem files;
  return files;
}

FolderLock::FolderLock(const std::string& dir) {
  if (CurrentFileSystem().Unchangeable(dir)) {
    held_ = true;
    return;
  }
  const std::wstring lock = WideOrEmpty(LockPathFor(dir));
  if (lock.empty()) return;
  // No sharing: a second holder's open is refused until this one closes the
  // file, and the system deletes it then (also when the process ends).
  const HANDLE file = ::CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    handle_ = reinterpret_cast<std::intptr_t>(file);
    held_ = true;
    return;
  }
  switch (::GetLastError()) {
    case ERROR_SHARING_VIOLATION:
      held_ = false;  // another holder has it
      break;
    case ERROR_ACCESS_DENIED:
      // Either the lock file is there and is being closed by its holder, or
      // nothing may be created in this folder, in which case no change can
      // be made there either and the first one will say why.
      held_ = ::GetFileAttributesW(lock.c_str()) == INVALID_FILE_ATTRIBUTES;
      break;
    case ERROR_WRITE_PROTECT:
      held_ = true;  // a read-only medium: the same
      break;
    default:
      held_ = false;
      break;
  }
}

FolderLock::~FolderLock() {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));  // closing releases and deletes it
}

}  // namespace kestrune
