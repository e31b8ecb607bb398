// The folder handle of the scan on Windows: the folder's entries searched in
// one pass (FindFirstFileExW, every attribute admitted), its files opened by
// full path read-only while other programs may go on reading and writing them.
#include "win32_support.h"

#include "file_layer.h"
#include "folder_listing.h"

namespace kestrune {

namespace {

EntryKind KindOf(DWORD attributes) {
  // A link or another reparse point: only opening it tells what it leads to.
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::kOther;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::kFolder;
  return EntryKind::kFile;
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

}  // namespace

void FolderHandle::OpenSystem(const std::string& dir) {
  dir_ = dir;
  const auto wide = win32::WidePath(dir);
  if (!wide || wide->empty()) return;
  const char last = dir_.back();
  if (last != '\\' && last != '/' && last != ':') dir_ += '\\';
  const auto attributes = win32::TargetAttributes(*wide);
  open_ = attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY);
  // Whether the folder may be listed is known only by listing it: ReadEntries
  // says so, and the scan then looks every name up on its own.
  listable_ = open_;
}

FolderHandle::~FolderHandle() = default;

bool FolderHandle::SystemEntries(const std::function<void(std::string_view, EntryKind)>& visit) const {
  if (!listable_) return false;
  const auto pattern = win32::WidePath(dir_ + "*");
  if (!pattern) return false;
  WIN32_FIND_DATAW entry{};
  const HANDLE search = ::FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root
  for (;;) {
    if (!IsDotOrDotDot(entry.cFileName)) visit(win32::Utf8(entry.cFileName), KindOf(entry.dwFileAttributes));
    if (!::FindNextFileW(search, &entry)) break;
  }
  const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
  ::FindClose(search);
  return complete;
}

bool FolderHandle::SystemReadableFile(const char* name, EntryKind /*listed*/) const {
  if (!open_) return false;
  const auto path = win32::WidePath(dir_ + name);
  if (!path) return false;
  // A folder cannot be opened this way (that needs FILE_FLAG_BACKUP_SEMANTICS),
  // so whatever opens is a file, however it was listed.
  return win32::Handle(win32::OpenForReading(*path)).Valid();
}

std::optional<std::int64_t> FolderHandle::SystemReadableFileSize(const char* name) const {
  if (!open_) return std::nullopt;
  const auto path = win32::WidePath(dir_ + name);
  if (!path) return std::nullopt;
  const win32::Handle file(win32::OpenForReading(*path));
  LARGE_INTEGER size{};
  if (!file.Valid() || !::GetFileSizeEx(file.Get(), &size)) return std::nullopt;
  return static_cast<std::int64_t>(size.QuadPart);
}

std::optional<std::int64_t> FolderHandle::SystemEntrySize(const char* name) const {
  if (!open_) return std::nullopt;
  return kestrune::EntrySize(dir_ + name);
}

}  // namespace kestrune
