#include "folder_argument.h"

#include <ostream>

#include "file_layer.h"
#include "status.h"

namespace kestrune::cli {

std::optional<DvdFolder> OpenFolderArgument(const std::string& argument, std::ostream& err) {
  if (!FolderExists(argument)) {
    err << StatusMessage(kStatusPathNotFound) << '\n';
    return std::nullopt;
  }
  return DvdFolder{argument};
}

}  // namespace kestrune::cli
