// The two backup commands: restore every backup ("NAME~") of a folder, or
// delete them all. Both stay inside the named folder and always come to an end.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

struct BackupResult {
  bool folderBusy = false;              // another run or command holds the folder: nothing done
  int handled = 0;                      // backups restored or deleted
  std::vector<std::string> passedOver;  // names that could not be restored or deleted, with the reason
  std::string flushError;               // the folder could not be flushed: what is done may not be on the disk
};

// For every entry ending in "~": deletes the file it backs up (if that is a
// file) and renames the backup to that name, never replacing an entry. The
// temporary files a crashed run may have left (".NAME.kestrune-part") go too,
// so that the folder is the original again. What it did is on the disk when
// it returns, unless `flushError` says otherwise.
BackupResult RestoreBackups(const std::string& folderText);
// Deletes every file ending in "~", on the disk when it returns.
BackupResult DeleteBackups(const std::string& folderText);

}  // namespace kestrune
