// Naming a disc the way people do. The command line's disc argument may be a
// VIDEO_TS folder, the disc's root folder that holds one (a mounted disc, a
// folder a backup made; VIDEO_TS in any case), one of its IFO files, or a DVD
// image file; NameDisc turns it into what the commands work on. The window
// keeps taking its folder text as it stands.
//
//   const disc::DiscArgument d = disc::NameDisc("/media/user/MOVIE");
//   d.kind == kFolder, d.folder == "/media/user/MOVIE/VIDEO_TS/", d.Resolved()
#pragma once

#include <string>

#include "dvd_files.h"

namespace kestrune::disc {

struct DiscArgument {
  enum class Kind {
    kFolder,    // a VIDEO_TS folder: `folder`
    kImage,     // a file with the volume descriptors of a disc image: `image`
    kNotFound,  // nothing is there
    kRefused,   // something is there, but no disc the commands can work on: `problem` says why
  };
  Kind kind = Kind::kNotFound;
  std::string argument;     // as given
  std::string folder;       // the VIDEO_TS folder, ending in its delimiter
  std::string image;        // the image file, as given
  FolderSpelling spelling;  // how the DVD files of `folder` are spelt
  std::string problem;

  // The folder is not the argument itself (the disc's root folder or an IFO
  // file was named): a command says first which folder it works on.
  bool Resolved() const;
};

DiscArgument NameDisc(const std::string& argument);

// What the volume descriptors from sector 16 of a file say it is: the file
// system a DVD image carries (UDF, with ISO 9660 beside it on most images).
struct ImageSignature {
  bool iso9660 = false;  // "CD001"
  bool udf = false;      // "NSR02" or "NSR03" in the volume recognition sequence
  bool Any() const { return iso9660 || udf; }
};
ImageSignature ReadImageSignature(const std::string& path);

// Why a command that changes the folder of `disc` must be refused before its
// first change, or empty when it may go on: the folder is read-only for this
// user (the message suggests copying the disc or extracting its image first).
std::string ReadOnlyRefusal(const DiscArgument& disc);
// The same for a blanking run, which writes and backs up the DVD files under
// their upper-case names: a read-only folder (unless `dryRun`: a plan changes
// nothing), or DVD files spelt in lower or mixed case, which the message names
// together with `renameCommand`, the command that renames them.
std::string RefusalToBlank(const DiscArgument& disc, bool dryRun, const std::string& renameCommand);

}  // namespace kestrune::disc
