// The disc argument every command of kestrune-cli takes, turned in one place
// into what the command works on (the rule, which is core's disc::NameDisc,
// and the disc image opened): a VIDEO_TS folder named itself, by the disc's
// root folder or by one of its IFO files, or a disc image.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "disc_argument.h"
#include "file_system.h"

namespace kestrune::image {
class DiscImage;
}

namespace kestrune::cli {

// The disc a command works on.
struct DvdFolder {
  std::string dir;                                // the VIDEO_TS folder; of an image, IMAGE/VIDEO_TS/, read through it
  disc::DiscArgument named;                       // what the argument named
  std::shared_ptr<const image::DiscImage> image;  // the image, opened; null for a folder

  bool IsImage() const { return image != nullptr; }
  // While what it returns lives, the disc's files are read as the disc model
  // reads a VIDEO_TS folder: through the image, or, for files named in lower
  // or mixed case, under their upper-case names. For reading only.
  std::unique_ptr<FileSystem> ReadThrough() const;
};

// The disc `argument` names. Otherwise the reason goes to `err` and nothing
// comes back, with the exit status in `status`: 1, or 2 for an image given to
// a build that cannot read images.
std::optional<DvdFolder> OpenFolderArgument(const std::string& argument, std::ostream& err, int& status);

// The first line of a command's text: which folder it works on, when the
// argument named it some other way (its root folder, an IFO file).
void SayFolder(const DvdFolder& folder, std::ostream& out);

// The refusals of the commands that change a folder: an image (which is never
// changed; `how` says what to do instead) and a read-only folder.
std::string RefusalToChange(const DvdFolder& folder, const std::string& how);

// What a build without disc images says when given one (exit status 2).
extern const char kNoImagesInThisBuild[];

}  // namespace kestrune::cli
