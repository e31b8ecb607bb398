#include "commands.h"

#include <ostream>

#include "backup_commands.h"
#include "cli_app.h"
#include "status.h"

namespace kestrune::cli {

const char kFolderHelp[] =
    "The disc: its VIDEO_TS folder, the folder holding VIDEO_TS, one of its IFO files, or a disc image";

// Each is defined in its own file, NAME_command.cpp.
std::unique_ptr<Command> MakeListCommand();
std::unique_ptr<Command> MakeInfoCommand();
std::unique_ptr<Command> MakeVerifyCommand();
std::unique_ptr<Command> MakeBlankCommand();
std::unique_ptr<Command> MakeStripCommand();
std::unique_ptr<Command> MakeRestoreCommand();
std::unique_ptr<Command> MakeDeleteBackupsCommand();
std::unique_ptr<Command> MakeThumbnailsCommand();
std::unique_ptr<Command> MakeReportCommand();
std::unique_ptr<Command> MakeRenameUpperCommand();
std::unique_ptr<Command> MakeExtractCommand();
std::unique_ptr<Command> MakeMasterCommand();

const std::vector<CommandEntry>& Commands() {
  static const std::vector<CommandEntry> commands = {
      {"list", "Show what can be blanked in FOLDER, with sizes", MakeListCommand},
      {"info", "Show the titles, chapters, lengths, languages and menus of FOLDER", MakeInfoCommand},
      {"verify", "Check that FOLDER is a sound DVD-Video folder; exit 1 on an error", MakeVerifyCommand},
      {"blank", "Blank chosen menus and titles of FOLDER", MakeBlankCommand},
      {"strip", "Drop chosen audio and sub-picture streams from the title video of FOLDER", MakeStripCommand},
      {"restore", "Restore every backup (NAME~) in FOLDER, then list it", MakeRestoreCommand},
      {"delete-backups", "Delete every backup (NAME~) in FOLDER", MakeDeleteBackupsCommand},
      {"thumbnails", "Write a PNG of every title and menu of FOLDER into OUTDIR", MakeThumbnailsCommand},
      {"report", "Write one HTML page of FOLDER's titles, menus and sizes, with their pictures", MakeReportCommand},
      {"rename-upper", "Give the DVD files of FOLDER named in lower case their upper-case names",
       MakeRenameUpperCommand},
      {"extract", "Copy the VIDEO_TS of a disc image into DIR/VIDEO_TS", MakeExtractCommand, "IMAGE",
       "The disc image (an ISO file of a DVD-Video)"},
      {"master", "Make a DVD-Video disc image of FOLDER (with genisoimage)", MakeMasterCommand},
  };
  return commands;
}

const CommandEntry* FindCommand(const std::string& name) {
  for (const CommandEntry& entry : Commands())
    if (name == entry.name) return &entry;
  return nullptr;
}

int ReportBackupResult(const BackupResult& result, std::ostream& err) {
  if (result.folderBusy) {
    err << StatusMessage(kStatusFolderBusy) << '\n';
    return kExitFailed;
  }
  for (const std::string& entry : result.passedOver) err << "Passed over " << entry << '\n';
  if (!result.flushError.empty()) {
    err << result.flushError << '\n';
    return kExitFileError;
  }
  return result.passedOver.empty() ? kExitOk : kExitFailed;
}

}  // namespace kestrune::cli
