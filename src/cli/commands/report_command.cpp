// kestrune-cli report FOLDER FILE: one self-contained HTML page of the disc,
// its pictures inlined (picture_commands.h, report_page.h).
#include <ostream>

#include "commands.h"
#include "picture_commands.h"

namespace kestrune::cli {

namespace {

class ReportCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override {
    app.add_option("FILE", file_, "The page to write, such as report.html")->required()->type_name("");
  }
  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
    const auto reading = folder.ReadThrough();  // an image, or files named in lower case
    return WriteReport(folder.dir, file_, out, err);
  }

 private:
  std::string file_;
};

}  // namespace

std::unique_ptr<Command> MakeReportCommand() { return std::make_unique<ReportCommand>(); }

}  // namespace kestrune::cli
