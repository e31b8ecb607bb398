#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "folder_access.h"

namespace kestrune {

bool FolderIsWritable(const std::string& dir, std::error_code& why) {
  // With the effective ids, as the run's own opens will be checked.
  if (::faccessat(AT_FDCWD, dir.empty() ? "." : dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return true;
  if (errno != EACCES && errno != EROFS && errno != EPERM) return true;  // the change will say why
  why = {errno == EPERM ? EACCES : errno, std::generic_category()};
  return false;
}

}  // namespace kestrune
