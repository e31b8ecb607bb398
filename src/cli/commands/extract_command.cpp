// kestrune-cli extract IMAGE DIR: the VIDEO_TS of a disc image copied into
// DIR/VIDEO_TS byte for byte, durably; the image is only read.
#include <ostream>

#include "cli_app.h"
#include "commands.h"
#include "file_layer.h"
#if KESTRUNE_IMAGES
#include "disc_image.h"
#include "extract.h"
#include "progress_bar.h"
#endif

namespace kestrune::cli {

namespace {

class ExtractCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override {
    app.add_option("DIR", dir_, "The folder to extract into, made if need be (it holds no DVD files)")
        ->required()
        ->type_name("");
    app.footer(
        "DIR is then a FOLDER for the other commands; kestrune-cli master FOLDER IMAGE\n"
        "makes an image of it again. Exit status: 0 done, 1 refused or failed, 3 a file\n"
        "could not be written (then nothing of the extraction is left).");
  }

  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
#if KESTRUNE_IMAGES
    if (!folder.IsImage()) {
      err << "\"" << folder.named.argument << "\" is a folder, not a disc image: extract takes an image file.\n";
      return kExitFailed;
    }
    if (std::string refusal = image::ExtractRefusal(dir_); !refusal.empty()) {
      err << refusal << '\n';
      return kExitFailed;
    }
    ProgressBar bar(err, IsTerminal(err));
    try {
      const std::string videoTs = image::ExtractImage(*folder.image, dir_, &bar);
      std::int64_t bytes = 0;
      for (const image::ImageFile& file : folder.image->Files()) bytes += file.bytes;
      out << "Extracted " << folder.image->Files().size() << " files, " << bytes << " bytes, into " << videoTs << '\n';
    } catch (const FileError& e) {
      err << e.what() << "\nNothing of the extraction is left.\n";
      return kExitFileError;
    }
    return kExitOk;
#else
    (void)folder;
    (void)out;
    err << kNoImagesInThisBuild << '\n';
    return kExitUsage;
#endif
  }

 private:
  std::string dir_;
};

}  // namespace

std::unique_ptr<Command> MakeExtractCommand() { return std::make_unique<ExtractCommand>(); }

}  // namespace kestrune::cli
