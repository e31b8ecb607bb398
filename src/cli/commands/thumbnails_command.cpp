// kestrune-cli thumbnails FOLDER OUTDIR: a PNG of every title and of every
// menu chain with video, written to OUTDIR (picture_commands.h).
#include <ostream>

#include "commands.h"
#include "picture_commands.h"

namespace kestrune::cli {

namespace {

class ThumbnailsCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override {
    app.add_option("OUTDIR", outDir_, "The folder the pictures are written to (made when it is not there)")
        ->required()->type_name("");
  }
  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
    const auto reading = folder.ReadThrough();  // an image, or files named in lower case
    return WriteThumbnails(folder.dir, outDir_, out, err);
  }

 private:
  std::string outDir_;
};

}  // namespace

std::unique_ptr<Command> MakeThumbnailsCommand() { return std::make_unique<ThumbnailsCommand>(); }

}  // namespace kestrune::cli
