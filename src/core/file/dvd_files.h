// DVD-Video file naming and the small measuring routines shared by the folder
// scan and the engine.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrune {

// The system's path delimiter, appended to a folder text that does not end
// in it.
#if defined(_WIN32)
constexpr char kPathDelimiter = '\\';
#else
constexpr char kPathDelimiter = '/';
#endif

// "VTS_" + the title set number in two digits + "_": VTS_07_, VTS_42_.
std::string VtsPrefix(int titleSet);
// `dir` with the path delimiter appended unless it already ends in one
// (an empty text becomes the root folder).
std::string WithTrailingDelimiter(const std::string& dir);
// The folder part of a path: everything up to and including its last
// delimiter (on Windows its last "\" or ":", as in "C:VIDEO_TS.IFO"); empty
// when it has none.
std::string FolderPartOf(const std::string& path);
// `name` as a case-insensitive file system (Windows, vfat) compares it:
// ASCII letters in upper case, and the dotless "ı" and the long "ſ" as the I
// and S that such a file system takes them for. Names that fold alike may
// name one entry there.
std::string FoldedName(const std::string& name);
// True for the name of a file of a VIDEO_TS folder, spelt as the disc model,
// the engine and the backups spell it, in upper case: VIDEO_TS.IFO, .BUP and
// .VOB, VTS_nn_0.IFO, .BUP and .VOB, VTS_nn_k.VOB (nn from 01 to 99, k from
// 1 to 9).
bool IsDvdFileName(const std::string& name);

// How the DVD files of a folder (and their backups, NAME~) are spelt there.
// A name spelt in lower or mixed case (video_ts.ifo, Vts_01_1.VOB) is
// "respelt" only where the file system tells cases apart, so that opening
// the upper-case name does not find it; on Windows and vfat it is the same
// name and nothing is respelt.
struct FolderSpelling {
  struct Respelt {
    std::string name;    // "VTS_01_0.IFO", "VTS_01_0.IFO~"
    std::string onDisk;  // "vts_01_0.ifo", "vts_01_0.ifo~"
  };
  std::vector<Respelt> respelt;  // in the order of the names
  // One name spelt two ways, both in the folder (VTS_01_0.IFO and
  // vts_01_0.ifo): which of them is the disc's file cannot be told.
  std::vector<std::pair<std::string, std::string>> twice;
  bool listed = false;  // the folder could be listed; nothing is known otherwise

  bool Clean() const { return respelt.empty() && twice.empty(); }
};
// Reads the folder's listing once.
FolderSpelling SpellingOf(const std::string& dir);

// Size in bytes of the entry named `path` (a folder counts, with size 0), or -1.
std::int64_t GetFileSize64(const std::string& path);
// Summed size of the title video files prefix + "1.VOB" .. prefix + "9.VOB".
std::int64_t GetVobSetSize(const std::string& prefix);
// Appends zero bytes until the length is a whole number of sectors.
void PadToSector(std::vector<std::uint8_t>& out);

}  // namespace kestrune
