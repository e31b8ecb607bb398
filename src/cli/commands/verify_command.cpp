// kestrune-cli verify FOLDER [--json]: is the folder a sound DVD-Video? The
// findings, then a summary line; exit 1 when one is an error. Of a disc
// image, also where its files lie in it.
#include "commands.h"
#include "verify_report.h"
#if KESTRUNE_IMAGES
#include "disc_image.h"
#endif

namespace kestrune::cli {

int VerifyDisc(const DvdFolder& folder, bool json, std::ostream& out) {
  const auto reading = folder.ReadThrough();
#if KESTRUNE_IMAGES
  if (folder.IsImage()) {
    const verify::ImageLayout layout = folder.image->Layout();
    return VerifyCommand(folder.dir, json, out, &layout);
  }
#endif
  return VerifyCommand(folder.dir, json, out);
}

namespace {

class VerifyFolderCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override { app.add_flag("--json", json_, "Print the findings as JSON"); }
  int Run(const DvdFolder& folder, std::ostream& out, std::ostream&) override { return VerifyDisc(folder, json_, out); }
  bool PrintsJson() const override { return json_; }

 private:
  bool json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeVerifyCommand() { return std::make_unique<VerifyFolderCommand>(); }

}  // namespace kestrune::cli
