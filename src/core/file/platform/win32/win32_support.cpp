#include "win32_support.h"

#include <cerrno>

namespace kestrune::win32 {

std::optional<std::wstring> WidePath(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
  // A NUL inside the text would cut the path short where the system reads it.
  if (wide.find(L'\0') != std::wstring::npos) return std::nullopt;
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
  utf8.pop_back();  // the terminating NUL
  return utf8;
}

std::error_code FromWin32(DWORD error) {
  std::errc code;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
      code = std::errc::no_such_file_or_directory;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
      code = std::errc::permission_denied;
      break;
    case ERROR_WRITE_PROTECT:
      code = std::errc::read_only_file_system;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      code = std::errc::file_exists;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      code = std::errc::no_space_on_device;
      break;
    case ERROR_DIRECTORY:
      code = std::errc::not_a_directory;
      break;
    case ERROR_DIR_NOT_EMPTY:
      code = std::errc::directory_not_empty;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      code = std::errc::not_enough_memory;
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      code = std::errc::filename_too_long;
      break;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_FUNCTION:
      code = std::errc::invalid_argument;
      break;
    case ERROR_NO_UNICODE_TRANSLATION:
      code = std::errc::illegal_byte_sequence;
      break;
    case ERROR_NOT_SUPPORTED:
      code = std::errc::not_supported;
      break;
    case ERROR_NOT_SAME_DEVICE:
      code = std::errc::cross_device_link;
      break;
    case ERROR_BUSY:
    case ERROR_PIPE_BUSY:
      code = std::errc::device_or_resource_busy;
      break;
    case ERROR_TOO_MANY_OPEN_FILES:
      code = std::errc::too_many_files_open;
      break;
    default:  // ERROR_CRC, ERROR_READ_FAULT, ERROR_WRITE_FAULT, ERROR_NOT_READY, ...
      code = std::errc::io_error;
      break;
  }
  return std::make_error_code(code);
}

void SetErrno(const std::error_code& code) { errno = code.value(); }

HANDLE OpenForReading(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::optional<DWORD> TargetAttributes(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return attributes;
  // A link: what it leads to decides (opened with no access at all, which
  // neither a lock nor a share mode refuses).
  const Handle target(::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!target.Valid() || !::GetFileInformationByHandle(target.Get(), &info)) return std::nullopt;
  return info.dwFileAttributes;
}

}  // namespace kestrune::win32
