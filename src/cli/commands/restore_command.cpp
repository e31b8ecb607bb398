// kestrune-cli restore FOLDER: puts every backup (NAME~) back, then lists the
// folder; names on standard error what it passed over.
#include <ostream>

#include "backup_commands.h"
#include "cli_app.h"
#include "commands.h"

namespace kestrune::cli {

int RestoreFolder(const DvdFolder& folder, std::ostream& out, std::ostream& err) {
  if (std::string refusal = RefusalToChange(folder, "it holds no backups (NAME~), which runs make in folders.");
      !refusal.empty()) {
    err << refusal << '\n';
    return kExitFailed;
  }
  const int code = ReportBackupResult(RestoreBackups(folder.dir), err);
  PrintRows(folder, out);
  return code;
}

namespace {

class RestoreCommand final : public Command {
 public:
  void AddOptions(CLI::App&) override {}
  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
    return RestoreFolder(folder, out, err);
  }
};

}  // namespace

std::unique_ptr<Command> MakeRestoreCommand() { return std::make_unique<RestoreCommand>(); }

}  // namespace kestrune::cli
