// A file that another program holds open without sharing it, as a Windows
// program does with share mode 0: until it is released, no one else can open,
// rename, replace or delete it. Windows only (POSIX has no such thing).
#pragma once

#include <string>

#if defined(_WIN32)
namespace kestrune::test {

class LockedFile {
 public:
  // Opens the file `path` (UTF-8) for reading and writing with share mode 0.
  explicit LockedFile(const std::string& path);
  ~LockedFile() { Release(); }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  bool Held() const { return handle_ != nullptr; }
  void Release();

 private:
  void* handle_ = nullptr;
};

}  // namespace kestrune::test
#endif
