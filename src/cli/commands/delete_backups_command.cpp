// kestrune-cli delete-backups FOLDER: deletes every backup (NAME~); names on
// standard error what it passed over.
#include <ostream>

#include "backup_commands.h"
#include "cli_app.h"
#include "commands.h"

namespace kestrune::cli {

int DeleteBackupsOf(const DvdFolder& folder, std::ostream& err) {
  if (std::string refusal = RefusalToChange(folder, "it holds no backups (NAME~), which runs make in folders.");
      !refusal.empty()) {
    err << refusal << '\n';
    return kExitFailed;
  }
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
