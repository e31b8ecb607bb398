#include "folder_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "dvd_files.h"
#include "folder_listing.h"

namespace kestrune {

namespace {

constexpr std::int64_t kKilobyte = 1024;
constexpr int kTitleSets = 99;
constexpr int kTitleVobs = 9;  // VTS_nn_1.VOB to VTS_nn_9.VOB

// How a DVD file name stands in the folder's listing. The scan opens or
// measures only names that the listing holds, so it costs one read of the
// folder plus one open per file that can make a row.
enum class Listed : std::uint8_t {
  kAbsent,  // no entry goes by this name: nothing to look up
  kFile,    // listed under exactly this name as a regular file
  kFolder,  // listed under exactly this name as a folder
  kLookUp,  // only the file itself can tell: a link, an entry whose kind the
            // file system does not give, or another spelling that a
            // case-insensitive file system takes for this name
};

// The DVD file names that the folder holds, as far as its listing shows.
struct ListedDvdNames {
  struct TitleSet {
    Listed ifo = Listed::kAbsent;                   // VTS_nn_0.IFO
    Listed menuVob = Listed::kAbsent;               // VTS_nn_0.VOB
    std::array<Listed, kTitleVobs + 1> titleVob{};  // [k]: VTS_nn_k.VOB, k = 1..9
  };
  Listed vmgVob = Listed::kAbsent;                   // VIDEO_TS.VOB
  std::array<TitleSet, kTitleSets + 1> titleSets{};  // [n]: title set n, n = 1..99

  // The folder cannot be listed: every name is looked up, as by full path.
  void LookUpEveryName() {
    vmgVob = Listed::kLookUp;
    for (TitleSet& set : titleSets) {
      set.ifo = set.menuVob = Listed::kLookUp;
      set.titleVob.fill(Listed::kLookUp);
    }
  }

  // Notes one listed entry if it goes by a DVD file name the scan asks for.
  void Note(std::string_view name, EntryKind kind) {
    bool exact = true;
    std::array<char, 12> upper{};
    if (!FoldToDvdName(name, upper, exact)) return;
    const std::string_view u(upper.data(), upper.size());
    Listed* slot = nullptr;
    if (u == "VIDEO_TS.VOB") {
      slot = &vmgVob;
    } else if (u.substr(0, 4) == "VTS_" && IsDigit(u[4]) && IsDigit(u[5]) && u[6] == '_' && IsDigit(u[7]) &&
               u[8] == '.') {
      const int n = (u[4] - '0') * 10 + (u[5] - '0');
      const int k = u[7] - '0';
      const std::string_view ext = u.substr(9);
      if (n < 1) return;
      TitleSet& set = titleSets[static_cast<std::size_t>(n)];
      if (ext == "IFO" && k == 0) slot = &set.ifo;
      else if (ext == "VOB" && k == 0) slot = &set.menuVob;
      else if (ext == "VOB") slot = &set.titleVob[static_cast<std::size_t>(k)];
    }
    if (slot == nullptr) return;
    if (exact) {
      // The entry under the exact name is the one every lookup of it finds.
      *slot = kind == EntryKind::kFile ? Listed::kFile : kind == EntryKind::kFolder ? Listed::kFolder : Listed::kLookUp;
    } else if (*slot == Listed::kAbsent) {
      *slot = Listed::kLookUp;
    }
  }

 private:
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  // Upper-cases `name` into the twelve characters of a DVD file name. Besides
  // the ASCII letters, a case-insensitive file system may take the Turkish
  // dotless "ı" (U+0131) for I and the long "ſ" (U+017F) for S, because their
  // upper case is I and S; these are the only non-ASCII letters whose upper
  // case is one of the letters of a DVD file name. `exact` is cleared when
  // the name had to be changed.
  static bool FoldToDvdName(std::string_view name, std::array<char, 12>& upper, bool& exact) {
    if (name.size() < upper.size() || name.size() > upper.size() + 2) return false;
    std::size_t out = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (out == upper.size()) return false;
      const auto c = static_cast<unsigned char>(name[i]);
      char folded;
      if (c < 0x80) {
        folded = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
      } else if (i + 1 < name.size() && c == 0xC4 && static_cast<unsigned char>(name[i + 1]) == 0xB1) {
        folded = 'I';
        ++i;
      } else if (i + 1 < name.size() && c == 0xC5 && static_cast<unsigned char>(name[i + 1]) == 0xBF) {
        folded = 'S';
        ++i;
      } else {
        return false;
      }
      if (folded != name[i] || c >= 0x80) exact = false;
      upper[out++] = folded;
    }
    return out == upper.size();
  }
};

bool MayBeThere(Listed listed) { return listed != Listed::kAbsent && listed != Listed::kFolder; }

std::string SizeText(std::int64_t bytes) { return std::to_string(bytes / kKilobyte) + "KB"; }

}  // namespace

ScanRows FindTitleSetRows(const std::string& folderText, const std::string& dialogFileName, bool autoCheck) {
  ScanRows rows;
  const std::string d = WithTrailingDelimiter(folderText);
  const FolderHandle folder(d);
  if (!folder.IsOpen()) return rows;  // no file of a folder that cannot be reached can be opened

  ListedDvdNames names;
  const bool listed =
      folder.ReadEntries([&](std::string_view name, EntryKind kind) { names.Note(name, kind); });
  if (!listed) names.LookUpEveryName();

  auto checkedFor = [&](const std::string& ifoName) { return autoCheck && d + ifoName == dialogFileName; };
  auto readableSize = [&](Listed state, const std::string& name) -> std::optional<std::int64_t> {
    if (!MayBeThere(state)) return std::nullopt;
    return folder.ReadableFileSize(name.c_str());
  };

  if (auto size = readableSize(names.vmgVob, "VIDEO_TS.VOB"); size && *size >= kKilobyte)
    rows.vmg.push_back({"VIDEO_TS.VOB  " + SizeText(*size), checkedFor("VIDEO_TS.IFO")});

  for (int n = 1; n <= kTitleSets; ++n) {
    const ListedDvdNames::TitleSet& set = names.titleSets[static_cast<std::size_t>(n)];
    const std::string x = VtsPrefix(n);
    const std::string ifo = x + "0.IFO";
    // The IFO is opened only to prove it can be read; an entry listed as a
    // regular file needs no further look to tell it from a folder.
    if (MayBeThere(set.ifo) &&
        folder.IsReadableFile(ifo.c_str(), set.ifo == Listed::kFile ? EntryKind::kFile : EntryKind::kOther)) {
      std::int64_t total = 0;
      for (int k = 1; k <= kTitleVobs; ++k) {
        if (!MayBeThere(set.titleVob[static_cast<std::size_t>(k)])) continue;
        const std::string vob = x + static_cast<char>('0' + k) + ".VOB";
        total += std::max<std::int64_t>(folder.EntrySize(vob.c_str()).value_or(0), 0);
      }
      if (total >= kKilobyte) rows.videos.push_back({x + "*.VOB  " + SizeText(total), checkedFor(ifo)});
    }
    // The menu row checks against the IFO too, not against the menu file.
    if (auto size = readableSize(set.menuVob, x + "0.VOB"); size && *size >= kKilobyte)
      rows.menus.push_back({x + "0.VOB  " + SizeText(*size), checkedFor(ifo)});
  }
  return rows;
}

}  // namespace kestrune
