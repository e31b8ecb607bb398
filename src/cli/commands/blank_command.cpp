// kestrune-cli blank FOLDER [--titles LIST] [--menus LIST] [--vmg-menu]
// [options] [--dry-run [--json]]: the window's "Blank!" on the chosen title
// sets, then the folder's rows and the line about the folder it leaves.
// kestrune-cli blank IMAGE --output NEW-IMAGE [...]: the same on a disc
// image's files, mastered into a new image.
#include <ostream>

#include "cli_app.h"
#include "commands.h"
#include "file_layer.h"
#include "planned_folder.h"
#include "run_choices.h"
#include "run_options.h"
#include "run_plan_report.h"
#include "status.h"
#include "title_list.h"
#include "title_set.h"
#include "verify_report.h"

namespace kestrune::cli {

const char kBadTitleSetList[] = "A title set list is numbers and ranges from 1 to 99, such as 3,5-7.";

namespace {

int Fail(const std::string& message, std::ostream& err) {
  err << message << '\n';
  return kExitFailed;
}

// The options as the engine takes them: three of them turn off what the
// window has on from the start, and a replacement VOB or a still time given
// turns it on.
RunChoices ChoicesOf(const BlankOptions& o) {
  RunChoices choices;
  choices.backup = !o.noBackup;
  choices.removeAudioSubMapping = !o.keepAudioSub;
  choices.removeStops = !o.keepStops;
  choices.mergePrograms = o.mergePrograms;
  choices.mergeCells = o.mergeCells;
  choices.replacementVobPath = o.replacement;
  choices.useReplacementVob = !o.replacement.empty();
  // The manual still time belongs to the replacement VOB, as in the window.
  choices.useManualStillTime = !o.stillTime.empty();
  choices.stillTimeText = o.stillTime;
  choices.blankVmgMenu = o.vmgMenu;
  choices.titleSets = o.titles;
  choices.menuSets = o.menus;
  return choices;
}

// A refused run: its status message, then what it found and where.
std::string RefusalOf(const TTitleSet& run) {
  std::string message = StatusMessage(run.FStatus);
  if (!run.FStatusDetail.empty()) message += "\n" + run.FStatusDetail;
  return message;
}

int Refused(const TTitleSet& run, std::ostream& err) { return Fail(RefusalOf(run), err); }

// The whole run against a plan of the folder, and what it would change.
int PlanRun(const std::string& dir, const BlankOptions& options, std::ostream& out, std::ostream& err) {
  TTitleSet run(dir);
  if (run.FStatus != kStatusOk) return Fail(StatusMessage(run.FStatus), err);
  FillRun(run, ChoicesOf(options));
  try {
    PlannedFolder plan(run.FDvdDir);
    if (run.ProcessPlanned(plan) != kStatusOk) return Refused(run, err);
    const RunPlan changes = DescribePlan(plan, run.FDvdDir);
    if (options.json)
      out << RunPlanJson(changes).dump(2) << '\n';
    else
      PrintRunPlan(changes, out);
  } catch (const FileError& e) {
    err << e.what() << '\n';
    return kExitFileError;
  }
  return kExitOk;
}

#if KESTRUNE_IMAGES
int BlankImage(const DvdFolder& folder, BlankOptions options, std::ostream& out, std::ostream& err) {
  options.noBackup = true;
  return ChangeImage(
      folder, options.output, options.dryRun, [&] { return PlanRun(folder.dir, options, out, err); },
      [&](const std::string& videoTs) -> std::string {
        TTitleSet run(videoTs);
        if (run.FStatus != kStatusOk) return StatusMessage(run.FStatus);
        FillRun(run, ChoicesOf(options));
        run.Process();
        return run.FStatus == kStatusOk ? std::string() : RefusalOf(run);
      },
      "blank", out, err);
}
#endif

}  // namespace

int BlankFolder(const DvdFolder& folder, const BlankOptions& options, std::ostream& out, std::ostream& err) {
#if KESTRUNE_IMAGES
  if (folder.IsImage()) return BlankImage(folder, options, out, err);
#endif
  if (!options.output.empty()) {
    err << "--output names the new image a disc image is blanked into; a folder is blanked in place.\n";
    return kExitUsage;
  }
  const std::string rename = "kestrune-cli rename-upper \"" + folder.dir + "\"";
  if (std::string refusal = disc::RefusalToBlank(folder.named, options.dryRun, rename); !refusal.empty())
    return Fail(refusal, err);
  // The still time was checked as a whole number when the options were read.
  if (options.dryRun) return PlanRun(folder.dir, options, out, err);
  TTitleSet run(folder.dir);
  if (run.FStatus != kStatusOk) return Fail(StatusMessage(run.FStatus), err);
  FillRun(run, ChoicesOf(options));
  try {
    run.Process();
  } catch (const FileError& e) {
    err << e.what() << '\n';
    return kExitFileError;
  }
  if (run.FStatus != kStatusOk) return Refused(run, err);
  PrintRows(folder, out);
  out << VerifiedLine(verify::VerifyFolder(folder.dir), folder.named.argument) << '\n';
  return kExitOk;
}

namespace {

std::string CheckTitleSetList(const std::string& text) { return ParseTitleSetList(text) ? "" : kBadTitleSetList; }
std::string CheckWholeNumber(const std::string& text) { return ParseWholeNumber(text) ? "" : "not a whole number"; }

class BlankCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override {
    BlankOptions& o = options_;
    app.add_option("--titles", titles_, "Title sets whose titles are blanked, e.g. 3,5-7")
        ->type_name("LIST")
        ->check(CheckTitleSetList);
    app.add_option("--menus", menus_, "Title sets whose menus are blanked")
        ->type_name("LIST")
        ->check(CheckTitleSetList);
    app.add_flag("--vmg-menu", o.vmgMenu, "Blank the video manager menu (VIDEO_TS.VOB)");
    app.add_flag("--no-backup", o.noBackup, "Keep no backups (NAME~) of changed files");
    app.add_flag("--keep-audio-sub", o.keepAudioSub, "Keep audio and sub-picture attributes and mapping");
    app.add_flag("--keep-stops", o.keepStops, "Keep the cells' still times");
    app.add_flag("--merge-programs", o.mergePrograms, "Merge the programs of a blanked chain into one");
    app.add_flag("--merge-cells", o.mergeCells, "Merge the cells of a blanked chain into one (and its programs)");
    app.add_option("--replacement", o.replacement, "Use this five-sector one-frame VOB instead of the built-in one")
        ->type_name("FILE");
    app.add_option("--still-time", o.stillTime, "Still time in seconds (0..255) for the replacement VOB's cells")
        ->type_name("N")
        ->check(CheckWholeNumber);
    auto* dryRun = app.add_flag("--dry-run", o.dryRun, "Print what the run would change and save; change nothing");
    app.add_flag("--json", o.json, "With --dry-run: print it as JSON")->needs(dryRun);
    app.add_option("--output", o.output, "Of a disc image: the new image it is blanked into (it is never changed)")
        ->type_name("NEW-IMAGE");
    app.footer("Without options a run keeps backups, removes the audio and sub-picture mapping\n"
               "and the cells' still times. Exit status: 0 done, 1 refused or failed, 2 usage\n"
               "error, 3 a file could not be written.");
  }

  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
    // The lists were checked when the options were read.
    if (!titles_.empty()) options_.titles = *ParseTitleSetList(titles_);
    if (!menus_.empty()) options_.menus = *ParseTitleSetList(menus_);
    return BlankFolder(folder, options_, out, err);
  }
  bool PrintsJson() const override { return options_.json; }

 private:
  BlankOptions options_;
  std::string titles_, menus_;
};

}  // namespace

std::unique_ptr<Command> MakeBlankCommand() { return std::make_unique<BlankCommand>(); }

}  // namespace kestrune::cli
