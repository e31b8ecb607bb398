#include "dvd_files.h"

#include "file_layer.h"
#include "sector.h"

namespace kestrune {

std::string VtsPrefix(int titleSet) {
  return (titleSet < 10 ? "VTS_0" : "VTS_") + std::to_string(titleSet) + "_";
}

std::string WithTrailingDelimiter(const std::string& dir) {
  if (!dir.empty() && dir.back() == kPathDelimiter) return dir;
  return dir + kPathDelimiter;
}

std::string FolderPartOf(const std::string& path) {
#if defined(_WIN32)
  const auto end = path.find_last_of("\\:");
#else
  const auto end = path.rfind(kPathDelimiter);
#endif
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::string FoldedName(const std::string& name) {
  std::string folded;
  folded.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
    if (c >= 'a' && c <= 'z') {
      folded += static_cast<char>(c - 'a' + 'A');
    } else if (c == 0xC4 && next == 0xB1) {  // U+0131 ı
      folded += 'I';
      ++i;
    } else if (c == 0xC5 && next == 0xBF) {  // U+017F ſ
      folded += 'S';
      ++i;
    } else {
      folded += static_cast<char>(c);
    }
  }
  return folded;
}

std::int64_t GetFileSize64(const std::string& path) { return EntrySize(path).value_or(-1); }

std::int64_t GetVobSetSize(const std::string& prefix) {
  std::int64_t total = 0;
  for (int k = 1; k <= 9; ++k) {
    const std::int64_t size = GetFileSize64(prefix + std::to_string(k) + ".VOB");
    if (size > 0) total += size;
  }
  return total;
}

void PadToSector(std::vector<std::uint8_t>& out) {
  const auto rem = static_cast<std::int64_t>(out.size()) % kSectorSize;
  if (rem != 0) out.resize(out.size() + static_cast<std::size_t>(kSectorSize - rem), 0);
}

}  // namespace kestrune
