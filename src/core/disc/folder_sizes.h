// The sizes of a folder's files from one listing of it, so the disc model
// measures VOB sets without opening a VOB.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace kestrune::disc {

class FolderSizes {
 public:
  explicit FolderSizes(const std::string& dir);
  // Size of the entry `name` (a folder counts 0), -1 when there is none.
  // A listed name spelt in another case is asked of the file system, which
  // finds it where it compares names without case (Windows, vfat), as the
  // engine's own opening of the file does.
  std::int64_t Size(const std::string& name) const;
  // Every entry's size summed; 0 when the folder cannot be listed.
  std::int64_t Total() const { return total_; }

 private:
  std::string dir_;
  bool listed_ = false;
  std::unordered_map<std::string, std::int64_t> sizes_;
  std::unordered_set<std::string> folded_;  // every listed name, FoldedName
  std::int64_t total_ = 0;
};

}  // namespace kestrune::disc
