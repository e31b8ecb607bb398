// Mastering a VIDEO_TS folder into a DVD-Video disc image with genisoimage,
// from a staging folder of links (staging_folder.h), written to a temporary
// name beside the image and flushed, its layout verified, and only then
// renamed to the image's name (never replacing a file) and the folder
// flushed. An image whose files do not lie where the IFOs put them is removed
// and the findings say why.
#pragma once

#include <string>

#include "dvd_files.h"
#include "progress.h"
#include "verify.h"

namespace kestrune::image {

struct MasterResult {
  enum class Outcome {
    kDone,
    kRefused,     // before anything was written: `message` says why
    kFailed,      // genisoimage failed, or the image came out wrong: removed
    kNotWritten,  // the image could not be written or flushed (a full disk): removed
  };
  Outcome outcome = Outcome::kRefused;
  std::string message;
  verify::Report report;  // of the new image, when done
};

// Why a new image cannot be written to `imagePath`, before anything is: the
// name is taken (a file is never replaced), its folder is missing or
// read-only. Empty when it can.
std::string NewImageRefusal(const std::string& imagePath);

// Masters the VIDEO_TS folder `videoTs`, whose DVD files are spelt as
// `spelling` says (lower-case names get their upper-case ones in the image),
// into the new file `imagePath`.
MasterResult MasterFolder(const std::string& videoTs, const FolderSpelling& spelling, const std::string& imagePath,
                          Progress* progress);

}  // namespace kestrune::image
