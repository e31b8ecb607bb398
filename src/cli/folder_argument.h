// The FOLDER argument every form of kestrune-cli takes, turned in one place
// into the folder a command works on.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace kestrune::cli {

// The folder a command works on.
struct DvdFolder {
  std::string dir;  // the VIDEO_TS folder, as the user named it
};

// The folder that `argument` names: today a folder that exists. Otherwise
// the reason ("Can't find the given path!") goes to `err` and nothing comes
// back; the command then ends with exit status 1.
std::optional<DvdFolder> OpenFolderArgument(const std::string& argument, std::ostream& err);

}  // namespace kestrune::cli
