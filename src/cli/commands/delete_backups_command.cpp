// kestrune-cli delete-backups FOLDER: deletes every backup (NAME~); names on
// standard error what it passed over.
#include "backup_commands.h"
#include "commands.h"

namespace kestrune::cli {

int DeleteBackupsOf(const DvdFolder& folder, std::ostream& err) {
  return ReportBackupResult(DeleteBackups(folder.dir), err);
}

namespace {

class DeleteBackupsCommand final : public Command {
 public:
  void AddOptions(CLI::App&) override {}
  int Run(const DvdFolder& folder, std::ostream&, std::ostream& err) override { return DeleteBackupsOf(folder, err); }
};

}  // namespace

std::unique_ptr<Command> MakeDeleteBackupsCommand() { return std::make_unique<DeleteBackupsCommand>(); }

}  // namespace kestrune::cli
