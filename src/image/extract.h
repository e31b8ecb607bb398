// Extracting a disc image: the files of its VIDEO_TS copied byte for byte
// into DIR/VIDEO_TS (the title VOB set as its files), durably: each written
// to a temporary name and flushed, then all renamed to their names, never
// replacing one, then the folders flushed. The image is only read.
#pragma once

#include <string>

#include "disc_image.h"
#include "progress.h"

namespace kestrune::image {

// Why `dir` cannot take the image's files, before anything is written: it is
// a file, it (or a VIDEO_TS folder in it, in any case) holds DVD files
// already, or it cannot be written. Empty when it can.
std::string ExtractRefusal(const std::string& dir);

// Extracts `image` into `dir`, made if need be, with its VIDEO_TS folder;
// returns that folder (ending in its delimiter). Call ExtractRefusal first.
// Throws FileError when a file or folder cannot be written or flushed; then
// nothing it wrote is left: no file under a DVD name, no temporary file, no
// folder it made.
std::string ExtractImage(const DiscImage& image, const std::string& dir, Progress* progress);

}  // namespace kestrune::image
