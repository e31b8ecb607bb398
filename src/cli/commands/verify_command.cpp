// kestrune-cli verify FOLDER [--json]: is the folder a sound DVD-Video? The
// findings, then a summary line; exit 1 when one is an error.
#include "commands.h"
#include "verify_report.h"

namespace kestrune::cli {

namespace {

class VerifyFolderCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override { app.add_flag("--json", json_, "Print the findings as JSON"); }
  int Run(const DvdFolder& folder, std::ostream& out, std::ostream&) override {
    return VerifyCommand(folder.dir, json_, out);
  }

 private:
  bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeVerifyCommand() { return std::make_unique<VerifyFolderCommand>(); }

}  // namespace kestrune::cli
