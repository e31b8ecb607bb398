#include "backup_commands.h"

#include <cerrno>
#include <cstring>
#include <set>

#include "dvd_files.h"
#include "file_layer.h"

namespace kestrune {

namespace {

bool IsBackupName(const std::string& name) { return name.size() > 1 && name.back() == '~'; }

// Runs `handle` on every backup of the folder until none is left that has not
// been tried. Entries are read afresh after each pass, and an entry that could
// not be handled is not tried again, so the loop always ends.
template <typename Handle>
BackupResult ForEachBackup(const std::string& folderText, Handle handle, bool removeTemporaryFiles) {
  BackupResult result;
  const std::string d = WithTrailingDelimiter(folderText);
  if (!FolderExists(d)) return result;
  const FolderLock lock(d);
  if (!lock.Held()) {
    result.folderBusy = true;
    return result;
  }
  bool changed = false;
  if (removeTemporaryFiles) {
    // No run holds the folder (the lock says so): such a file is a crash's leftover.
    for (const std::string& name : ListFolder(d).value_or(std::vector<std::string>{}))
      if (IsTemporaryName(name) && FileExists(d + name)) changed |= DeleteFile(d + name);
  }
  std::set<std::string> tried;
  for (;;) {
    const auto names = ListFolder(d);
    if (!names) break;
    bool any = false;
    for (const std::string& name : *names) {
      if (!IsBackupName(name) || !tried.insert(name).second) continue;
      any = true;
      std::string reason = handle(d, name);
      if (reason.empty())
        ++result.handled;
      else
        result.passedOver.push_back(name + ": " + reason);
    }
    if (!any) break;
  }
  // Renames and deletions only: one flush of the folder puts them all on the
  // disk (a restored name could still hold a passed-over file's deletion).
  if (changed || !tried.empty()) {
    try {
      FlushFolder(d);
    } catch (const FileError& e) {
      result.flushError = e.what();
    }
  }
  return result;
}

}  // namespace

BackupResult RestoreBackups(const std::string& folderText) {
  return ForEachBackup(folderText, [](const std::string& d, const std::string& backup) -> std::string {
    const std::string original = backup.substr(0, backup.size() - 1);
    // The file the backup stands for goes first: the rename never replaces.
    if (FileExists(d + original) && !DeleteFile(d + original))
      return std::string("cannot delete ") + original + ": " + std::strerror(errno);
    if (!RenameNoReplace(d + backup, d + original))
      return std::string("cannot rename it to ") + original + ": " +
             (FolderExists(d + original) ? "a folder has that name" : std::strerror(errno));
    return {};
  }, true);
}

BackupResult DeleteBackups(const std::string& folderText) {
  return ForEachBackup(folderText, [](const std::string& d, const std::string& backup) -> std::string {
    if (FolderExists(d + backup)) return "it is a folder";
    if (!DeleteFile(d + backup)) return std::string("cannot delete it: ") + std::strerror(errno);
    return {};
  }, false);
}

}  // namespace kestrune
