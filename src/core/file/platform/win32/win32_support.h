// What the Windows file layer and folder handle share: UTF-8 paths turned into
// wide-character paths and back, Win32 errors as the portable error codes the
// engine compares with, and a handle that closes itself.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <system_error>

namespace kestrune::win32 {

// The share mode of every open that only looks at a file: other programs may
// go on reading, writing, renaming and deleting it meanwhile.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// `utf8` as a wide-character path; nothing when it is not valid UTF-8.
std::optional<std::wstring> WidePath(const std::string& utf8);
// A wide-character name as UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string Utf8(const wchar_t* wide);

// The portable code (std::errc) for a Win32 error, so that callers compare
// it as they do on POSIX: a file that another program holds without sharing
// it is permission_denied, as an unreadable file is there.
std::error_code FromWin32(DWORD error);
inline std::error_code LastError() { return FromWin32(::GetLastError()); }
// The same as an errno value, for the calls that report through errno.
void SetErrno(const std::error_code& code);

// Closes a handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { Close(); }
  Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // Closes now; false when closing failed.
  bool Close() {
    if (!Valid()) return true;
    const bool closed = ::CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE h_;
};

// Opens `path` for reading while others may read, write and delete it, as a
// file (a folder cannot be opened so). Invalid, with the error set, on failure.
HANDLE OpenForReading(const std::wstring& path);

// The attributes of what `path` leads to, a link followed to its target;
// nothing when there is no such entry or it leads nowhere.
std::optional<DWORD> TargetAttributes(const std::wstring& path);

}  // namespace kestrune::win32
