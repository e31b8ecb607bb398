// The folder genisoimage masters from: ROOT/VIDEO_TS with a link to each DVD
// file of the disc under its upper-case name, so that nothing is copied and
// nothing else of the folder (backups NAME~, a run's temporary files, other
// files) reaches the image, and an empty ROOT/AUDIO_TS, as a DVD-Video disc
// has. A scratch folder beside the image, removed with its links when it goes.
#pragma once

#include <cstdint>
#include <string>

#include "dvd_files.h"

namespace kestrune::image {

class StagingFolder {
 public:
  // Links the DVD files of `videoTs` (spelt as `spelling` says) into a new
  // folder named `root`; a folder left there by an earlier crash goes first.
  // Throws FileError when it cannot be made.
  StagingFolder(const std::string& videoTs, const FolderSpelling& spelling, const std::string& root);
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  const std::string& Root() const { return root_; }
  std::int64_t Bytes() const { return bytes_; }  // what the linked files hold
  int Files() const { return files_; }

 private:
  std::string root_;
  std::int64_t bytes_ = 0;
  int files_ = 0;
};

// Where the staging folder of an image goes: beside it, hidden, named for it
// (".NAME.kestrune-stage"), so that a crash's leftover is known by its name.
std::string StagingFolderFor(const std::string& imagePath);

}  // namespace kestrune::image
