#include "respelt_folder.h"

namespace kestrune::disc {

RespeltFolder::RespeltFolder(const std::string& folder, const FolderSpelling& spelling)
    : folder_(WithTrailingDelimiter(folder)), rest_(CurrentFileSystem()), inUse_(*this) {
  for (const FolderSpelling::Respelt& r : spelling.respelt) onDisk_[r.name] = r.onDisk;
}

std::string RespeltFolder::OnDisk(const std::string& path) const {
  if (path.size() <= folder_.size() || path.compare(0, folder_.size(), folder_) != 0) return path;
  const auto it = onDisk_.find(path.substr(folder_.size()));
  return it == onDisk_.end() ? path : folder_ + it->second;
}

std::optional<std::vector<std::string>> RespeltFolder::ListFolder(const std::string& dir) {
  auto names = rest_.ListFolder(dir);
  if (!names || WithTrailingDelimiter(dir) != folder_) return names;
  for (std::string& name : *names)
    for (const auto& [upper, onDisk] : onDisk_)
      if (name == onDisk) name = upper;
  return names;
}

}  // namespace kestrune::disc
