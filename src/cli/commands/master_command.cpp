// kestrune-cli master FOLDER IMAGE: a DVD-Video disc image of the folder,
// mastered with genisoimage, verified, and never replacing a file.
#include <ostream>

#include "cli_app.h"
#include "commands.h"
#include "verify_report.h"
#if KESTRUNE_IMAGES
#include "progress_bar.h"
#endif

namespace kestrune::cli {

#if KESTRUNE_IMAGES
int ReportNewImage(const image::MasterResult& result, const std::string& imagePath, std::ostream& out,
                   std::ostream& err) {
  using Outcome = image::MasterResult::Outcome;
  if (result.outcome != Outcome::kDone) {
    err << result.message << '\n';
    return result.outcome == Outcome::kNotWritten ? kExitFileError : kExitFailed;
  }
  out << "Image: " << imagePath << '\n';
  int status = kExitOk;
  if (const auto made = OpenFolderArgument(imagePath, err, status)) PrintRows(*made, out);
  out << VerifiedLine(result.report, imagePath) << '\n';
  return kExitOk;
}

int ChangeImage(const DvdFolder& folder, const std::string& output, bool dryRun, const std::function<int()>& plan,
                const image::FolderRun& run, const std::string& verb, std::ostream& out, std::ostream& err) {
  if (!output.empty()) {
    if (std::string refusal = image::NewImageRefusal(output); !refusal.empty()) {
      err << refusal << '\n';
      return kExitFailed;
    }
  }
  if (dryRun) {
    const auto reading = folder.ReadThrough();
    return plan();
  }
  if (output.empty()) {
    err << RefusalToChange(folder, "name the new image to " + verb + " it into with --output NEW-IMAGE.") << '\n';
    return kExitUsage;
  }
  ProgressBar bar(err, IsTerminal(err));
  return ReportNewImage(image::RunIntoNewImage(*folder.image, output, run, &bar), output, out, err);
}
#endif

namespace {

class MasterCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override {
    app.add_option("IMAGE", image_, "The new image file (an existing file is never replaced)")
        ->required()
        ->type_name("");
    app.footer(
        "The image holds the DVD files of FOLDER under their upper-case names and an\n"
        "empty AUDIO_TS; backups (NAME~) and other files stay out. It is verified\n"
        "before it takes its name, and removed if its files do not lie where the IFOs\n"
        "say. Exit status: 0 done, 1 refused or failed, 3 the image could not be written.");
  }

  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
#if KESTRUNE_IMAGES
    if (folder.IsImage()) {
      err << "\"" << folder.named.image << "\" is a disc image already: master takes a VIDEO_TS folder.\n";
      return kExitFailed;
    }
    ProgressBar bar(err, IsTerminal(err));
    return ReportNewImage(image::MasterFolder(folder.dir, folder.named.spelling, image_, &bar), image_, out, err);
#else
    (void)folder;
    (void)out;
    err << kNoImagesInThisBuild << '\n';
    return kExitUsage;
#endif
  }

 private:
  std::string image_;
};

}  // namespace

std::unique_ptr<Command> MakeMasterCommand() { return std::make_unique<MasterCommand>(); }

}  // namespace kestrune::cli
