// A run that changes a disc (blanking, dropping streams) on a disc image, into
// a new one: the image's files extracted into a working folder beside the new
// image, changed there without backups (the image itself is the backup: it is
// only ever read), mastered into the new image and verified, and the working
// folder removed, whether all of this succeeded or not.
#pragma once

#include <functional>
#include <string>

#include "disc_image.h"
#include "master.h"
#include "progress.h"

namespace kestrune::image {

// Changes the VIDEO_TS folder it is given, without backups: empty when done,
// otherwise why it was refused or failed. May throw FileError.
using FolderRun = std::function<std::string(const std::string& videoTs)>;

// Changes `image` into the new file `output` with `run`. The outcome is
// master's (master.h), or kRefused with the refusal of the run or of
// `output` (a file that exists, a folder that is read-only), or kNotWritten
// when the working folder could not be written.
MasterResult RunIntoNewImage(const DiscImage& image, const std::string& output, const FolderRun& run,
                             Progress* progress);

// The working folder for `output`: beside it, hidden, named for it
// (".NAME.kestrune-work"), so that a crash's leftover is known by its name.
std::string WorkingFolderFor(const std::string& output);

}  // namespace kestrune::image
