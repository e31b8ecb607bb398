// Mastering with genisoimage: a DVD-Video image (-dvd-video: the files of
// VIDEO_TS laid out in the order and at the sectors the IFOs give, with the
// UDF file system players read, -udf) of a folder holding VIDEO_TS and
// AUDIO_TS, whose files may be links (-f follows them).
#pragma once

#include <cstdint>
#include <string>

#include "progress.h"

namespace kestrune::image {

struct MasteringRun {
  bool started = false;      // genisoimage could be run at all
  int exitStatus = -1;       // its exit status; 0 when it made the image
  bool writeFailed = false;  // it could not write the image (a full disk, an I/O error)
  std::string said;          // what it wrote on standard error, its last lines
};

// Runs genisoimage on `root` into `output`, with the volume name `volume`.
// `expectedBytes` (what the files hold) measures the progress, reported as
// `output` grows.
MasteringRun RunGenisoimage(const std::string& root, const std::string& output, const std::string& volume,
                            std::int64_t expectedBytes, Progress* progress);

// The volume name for an image file: its name without the folder and the
// extension, in the letters a DVD volume name may hold (A-Z, 0-9, _), at most
// 32 of them; "DVD_VIDEO" when nothing is left.
std::string VolumeNameFor(const std::string& imagePath);

}  // namespace kestrune::image
