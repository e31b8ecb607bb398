#include "folder_access.h"
#include "win32_support.h"

namespace kestrune {

bool FolderIsWritable(const std::string& dir, std::error_code& why) {
  const auto wide = win32::WidePath(dir.empty() ? std::string(".") : dir);
  if (!wide) return true;
  // The volume's flags through a handle to the folder itself: asking by the
  // volume's root would read its label as well, which a drive may refuse.
  const HANDLE folder = ::CreateFileW(wide->c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return true;
  DWORD flags = 0;
  const BOOL known = ::GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
  ::CloseHandle(folder);
  if (!known || (flags & FILE_READ_ONLY_VOLUME) == 0) return true;
  why = std::make_error_code(std::errc::read_only_file_system);
  return false;
}

}  // namespace kestrune
