// kestrune-cli rename-upper FOLDER: gives the DVD files of the folder (and
// their backups) named in lower or mixed case their upper-case names, which a
// blanking run needs; never replaces a file.
#include <ostream>

#include "cli_app.h"
#include "commands.h"
#include "status.h"
#include "upper_case_names.h"

namespace kestrune::cli {

namespace {

class RenameUpperCommand final : public Command {
 public:
  void AddOptions(CLI::App&) override {}

  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
    if (std::string refusal = RefusalToChange(folder, "its files have their names already."); !refusal.empty()) {
      err << refusal << '\n';
      return kExitFailed;
    }
    const RenameResult result = RenameToUpperCase(folder.dir);
    if (result.folderBusy) {
      err << StatusMessage(kStatusFolderBusy) << '\n';
      return kExitFailed;
    }
    if (!result.refused.empty()) {
      err << result.refused << '\n';
      return kExitFailed;
    }
    for (const std::string& renamed : result.renamed) out << "Renamed " << renamed << '\n';
    if (result.renamed.empty() && result.passedOver.empty()) out << "Every DVD file has its upper-case name.\n";
    for (const std::string& entry : result.passedOver) err << "Passed over " << entry << '\n';
    if (!result.flushError.empty()) {
      err << result.flushError << '\n';
      return kExitFileError;
    }
    return result.passedOver.empty() ? kExitOk : kExitFailed;
  }
};

}  // namespace

std::unique_ptr<Command> MakeRenameUpperCommand() { return std::make_unique<RenameUpperCommand>(); }

}  // namespace kestrune::cli
