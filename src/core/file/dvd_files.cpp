#include "dvd_files.h"

#include <algorithm>
#include <map>

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

bool IsDvdFileName(const std::string& name) {
  if (name == "VIDEO_TS.IFO" || name == "VIDEO_TS.BUP" || name == "VIDEO_TS.VOB") return true;
  // VTS_nn_k.EXT
  const auto digit = [&](std::size_t i) { return name[i] >= '0' && name[i] <= '9'; };
  if (name.size() != 12 || name.compare(0, 4, "VTS_") != 0 || !digit(4) || !digit(5) || name[6] != '_' ||
      !digit(7) || name[8] != '.')
    return false;
  if (name[4] == '0' && name[5] == '0') return false;
  const std::string ext = name.substr(9);
  if (name[7] == '0') return ext == "IFO" || ext == "BUP" || ext == "VOB";
  return ext == "VOB";
}

FolderSpelling SpellingOf(const std::string& dir) {
  FolderSpelling spelling;
  const std::string d = WithTrailingDelimiter(dir);
  auto names = ListFolder(d);
  if (!names) return spelling;
  spelling.listed = true;
  std::sort(names->begin(), names->end());
  std::map<std::string, std::string> byName;  // a DVD name (or its backup's) -> the first spelling of it
  for (const std::string& entry : *names) {
    const std::string upper = FoldedName(entry);
    const bool backup = !upper.empty() && upper.back() == '~';
    if (!IsDvdFileName(backup ? upper.substr(0, upper.size() - 1) : upper)) continue;
    const auto [first, inserted] = byName.emplace(upper, entry);
    if (!inserted) {
      spelling.twice.emplace_back(first->second, entry);
      continue;
    }
    // Another spelling that opening the upper-case name finds is that name.
    if (entry != upper && !EntrySize(d + upper)) spelling.respelt.push_back({upper, entry});
  }
  // A name spelt twice is not respelt: it is refused for itself.
  std::erase_if(spelling.respelt, [&](const FolderSpelling::Respelt& r) {
    return std::any_of(spelling.twice.begin(), spelling.twice.end(), [&](const auto& pair) {
      return FoldedName(pair.first) == r.name;
    });
  });
  return spelling;
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
