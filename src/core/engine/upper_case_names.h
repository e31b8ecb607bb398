// The command that gives a folder's DVD files their upper-case names, for a
// disc copied with its names in lower or mixed case (video_ts.ifo), which a
// blanking run refuses: it writes and backs up files under the upper-case
// names only.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

struct RenameResult {
  bool folderBusy = false;              // another run or command holds the folder: nothing done
  std::string refused;                  // why nothing was renamed; empty when the renames were made
  std::vector<std::string> renamed;     // "vts_01_0.ifo -> VTS_01_0.IFO", in the order made
  std::vector<std::string> passedOver;  // names that could not be renamed, with the reason
  std::string flushError;               // the folder could not be flushed: the renames may not be on the disk
};

// Renames every DVD file of the folder, and every backup of one (NAME~),
// whose name is spelt in another case where the file system tells cases
// apart. Refused before any rename when a name is there in two spellings or
// the folder cannot be listed; a rename never replaces an entry. The renames
// are on the disk when it returns, unless `flushError` says otherwise.
RenameResult RenameToUpperCase(const std::string& folderText);

}  // namespace kestrune
