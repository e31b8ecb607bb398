// kestrune-cli info FOLDER [--json]: the disc model of the folder, read from
// its IFOs and the sizes of its files.
#include <ostream>

#include "cli_app.h"
#include "commands.h"
#include "disc.h"
#include "disc_info_json.h"
#include "disc_info_text.h"
#include "folder_scan.h"

namespace kestrune::cli {

// Exit 0 when it was read without a problem; 1 when VIDEO_TS.IFO could not
// be read or a table is damaged, with each problem on `err` after whatever
// could be read.
int ShowInfo(const DvdFolder& folder, bool json, std::ostream& out, std::ostream& err) {
  const auto reading = folder.ReadThrough();
  const disc::Disc model = disc::ReadDisc(folder.dir);
  if (json) {
    out << DiscInfoJson(model).dump(2) << '\n';
  } else {
    PrintDiscInfo(model, FindTitleSetRows(folder.dir, "", false), out);
  }
  for (const ifo::Problem& problem : model.problems) err << problem.text << '\n';
  return model.vmg.read && model.problems.empty() ? kExitOk : kExitFailed;
}

namespace {

class InfoCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override { app.add_flag("--json", json_, "Print it as JSON"); }
  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
    return ShowInfo(folder, json_, out, err);
  }
  bool PrintsJson() const override { return json_; }

 private:
  bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeInfoCommand() { return std::make_unique<InfoCommand>(); }

}  // namespace kestrune::cli
