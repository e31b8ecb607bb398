// The folder scan: which VOB sets of a VIDEO_TS folder can be blanked, as the
// rows of the three check lists (video manager menu, title videos, title
// menus), each with its size in kilobytes.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

struct ScanRow {
  std::string text;  // "VIDEO_TS.VOB  152KB", "VTS_01_*.VOB  3969546KB", "VTS_01_0.VOB  2048KB"
  bool checked = false;
};

struct ScanRows {
  std::vector<ScanRow> vmg;     // at most one row: VIDEO_TS.VOB
  std::vector<ScanRow> videos;  // one per title set with a readable IFO and >= 1 KB of title video
  std::vector<ScanRow> menus;   // one per title set with a readable menu VOB of >= 1 KB
};

// Scans the folder named by `folderText` (a trailing "/" is added when
// missing). With `autoCheck`, the rows belonging to the information file
// `dialogFileName` (compared exactly, case-sensitive) come up checked.
// Looks at the folder afresh on every call; never changes a file.
ScanRows FindTitleSetRows(const std::string& folderText, const std::string& dialogFileName, bool autoCheck);

}  // namespace kestrune
