#include "folder_sizes.h"

#include "dvd_files.h"
#include "file_layer.h"

namespace kestrune::disc {

FolderSizes::FolderSizes(const std::string& dir) : dir_(WithTrailingDelimiter(dir)) {
  const auto names = ListFolder(dir_);
  if (!names) return;
  listed_ = true;
  for (const std::string& name : *names) {
    const std::int64_t size = GetFileSize64(dir_ + name);
    if (size < 0) continue;  // gone since the listing
    sizes_.emplace(name, size);
    folded_.insert(FoldedName(name));
    total_ += size;
  }
}

std::int64_t FolderSizes::Size(const std::string& name) const {
  if (listed_) {
    const auto it = sizes_.find(name);
    if (it != sizes_.end()) return it->second;
    if (folded_.count(FoldedName(name)) == 0) return -1;
  }
  return GetFileSize64(dir_ + name);
}

}  // namespace kestrune::disc
