#include "upper_case_names.h"

#include <cerrno>
#include <cstring>

#include "dvd_files.h"
#include "file_layer.h"

namespace kestrune {

RenameResult RenameToUpperCase(const std::string& folderText) {
  RenameResult result;
  const std::string d = WithTrailingDelimiter(folderText);
  const FolderLock lock(d);
  if (!lock.Held()) {
    result.folderBusy = true;
    return result;
  }
  const FolderSpelling spelling = SpellingOf(d);
  if (!spelling.listed) {
    result.refused = "\"" + d + "\" cannot be listed";
    return result;
  }
  if (!spelling.twice.empty()) {
    const auto& [one, other] = spelling.twice.front();
    result.refused = "\"" + d + "\" holds " + one + " and " + other +
                     ": one DVD file name in two cases; move one of them out of the folder first";
    return result;
  }
  for (const FolderSpelling::Respelt& r : spelling.respelt) {
    if (RenameNoReplace(d + r.onDisk, d + r.name))
      result.renamed.push_back(r.onDisk + " -> " + r.name);
    else
      result.passedOver.push_back(r.onDisk + ": cannot rename it to " + r.name + ": " + std::strerror(errno));
  }
  if (!result.renamed.empty()) {
    try {
      FlushFolder(d);
    } catch (const FileError& e) {
      result.flushError = e.what();
    }
  }
  return result;
}

}  // namespace kestrune
