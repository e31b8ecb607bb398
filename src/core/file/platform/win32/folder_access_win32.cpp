#include "folder_access.h"
#include "win32_support.h"

namespace kestrune {

bool FolderIsWritable(const std::string& dir, std::error_code& why) {
  const auto wide = win32::WidePath(dir.empty() ? std::string(".") : dir);
  if (!wide) return true;
  wchar_t volume[MAX_PATH + 1];
  if (!::GetVolumePathNameW(wide->c_str(), volume, MAX_PATH + 1)) return true;
  DWORD flags = 0;
  if (!::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return true;
  if ((flags & FILE_READ_ONLY_VOLUME) == 0) return true;
  why = std::make_error_code(std::errc::read_only_file_system);
  return false;
}

}  // namespace kestrune
