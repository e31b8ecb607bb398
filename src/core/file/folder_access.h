// Whether the user may change a folder at all: a folder on a read-only
// medium (a DVD, an image the system mounted) or without write permission
// for this user. A command that changes a folder asks before its first
// change, so that it is refused with the reason instead of failing at the
// first file it writes.
#pragma once

#include <string>
#include <system_error>

namespace kestrune {

// False, with the reason in `why` (read_only_file_system, permission_denied),
// when new names cannot be made in `dir` by this user. On POSIX: write and
// search access to the folder as the system grants it this user (root is
// refused only on a read-only file system). On Windows, where a folder's
// read-only attribute means nothing: a read-only volume. A folder that
// cannot be looked at counts as one that can be changed: the change then
// fails with its own reason.
bool FolderIsWritable(const std::string& dir, std::error_code& why);

}  // namespace kestrune
