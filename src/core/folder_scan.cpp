#include "folder_scan.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "dvd_files.h"
#include "file_layer.h"

namespace kestrune {

namespace {

constexpr std::int64_t kKilobyte = 1024;

// The folder's names, read once per scan, so that only files that are there
// are opened. When the folder cannot be listed every name is looked up.
class FolderNames {
 public:
  explicit FolderNames(const std::string& dir) {
    if (auto names = ListFolder(dir)) {
      listed_ = true;
      names_.insert(names->begin(), names->end());
    }
  }
  bool MayHave(const std::string& name) const { return !listed_ || names_.count(name) != 0; }

 private:
  bool listed_ = false;
  std::unordered_set<std::string> names_;
};

std::string SizeText(std::int64_t bytes) { return std::to_string(bytes / kKilobyte) + "KB"; }

}  // namespace

ScanRows FindTitleSetRows(const std::string& folderText, const std::string& dialogFileName, bool autoCheck) {
  const std::string d = WithTrailingDelimiter(folderText);
  const FolderNames names(d);
  ScanRows rows;
  auto checkedFor = [&](const std::string& ifoPath) { return autoCheck && ifoPath == dialogFileName; };
  auto readableSize = [&](const std::string& name) -> std::optional<std::int64_t> {
    if (!names.MayHave(name)) return std::nullopt;
    return ReadableFileSize(d + name);
  };

  if (auto size = readableSize("VIDEO_TS.VOB"); size && *size >= kKilobyte)
    rows.vmg.push_back({"VIDEO_TS.VOB  " + SizeText(*size), checkedFor(d + "VIDEO_TS.IFO")});

  for (int n = 1; n <= 99; ++n) {
    const std::string x = VtsPrefix(n);
    const std::string ifoPath = d + x + "0.IFO";
    // The IFO is opened only to prove it can be read.
    if (readableSize(x + "0.IFO")) {
      std::int64_t total = 0;
      for (int k = 1; k <= 9; ++k) {
        const std::string vob = x + std::to_string(k) + ".VOB";
        if (names.MayHave(vob)) total += std::max<std::int64_t>(GetFileSize64(d + vob), 0);
      }
      if (total >= kKilobyte) rows.videos.push_back({x + "*.VOB  " + SizeText(total), checkedFor(ifoPath)});
    }
    // The menu row checks against the IFO too, not against the menu file.
    if (auto size = readableSize(x + "0.VOB"); size && *size >= kKilobyte)
      rows.menus.push_back({x + "0.VOB  " + SizeText(*size), checkedFor(ifoPath)});
  }
  return rows;
}

}  // namespace kestrune
