// kestrune-cli strip FOLDER --title-sets LIST [--drop-audio LIST]
// [--drop-subpictures LIST] [--keep-audio-languages CODES]
// [--keep-subpicture-languages CODES] [--no-backup] [--dry-run [--json]]:
// drops audio and sub-picture streams from the title video of the chosen
// title sets, then prints what it saved and the line about the folder it
// leaves.
#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>

#include "cli_app.h"
#include "commands.h"
#include "disc_argument.h"
#include "file_layer.h"
#include "planned_folder.h"
#include "progress_bar.h"
#include "run_plan_report.h"
#include "strip_report.h"
#include "strip_run.h"
#include "title_list.h"
#include "verify_report.h"

namespace kestrune::cli {

namespace {

constexpr char kBadStreamList[] = "A stream list is numbers and ranges from 1, such as 2,3 or 3-12.";
constexpr char kBadLanguages[] = "Languages are two-letter codes separated by commas, such as en,fr.";

std::string CheckList(const std::string& text) { return ParseTitleSetList(text) ? "" : kBadStreamList; }

// "en,FR" -> {"en", "fr"}; nothing for anything but two-letter codes.
std::optional<std::set<std::string>> ParseLanguages(const std::string& text) {
  std::set<std::string> codes;
  std::stringstream in(text);
  for (std::string code; std::getline(in, code, ',');) {
    if (code.size() != 2 || !std::isalpha(static_cast<unsigned char>(code[0])) ||
        !std::isalpha(static_cast<unsigned char>(code[1])))
      return std::nullopt;
    std::transform(code.begin(), code.end(), code.begin(), [](unsigned char c) { return std::tolower(c); });
    codes.insert(code);
  }
  if (codes.empty()) return std::nullopt;
  return codes;
}
std::string CheckLanguages(const std::string& text) { return ParseLanguages(text) ? "" : kBadLanguages; }

std::set<int> Numbers(const std::string& text) {
  if (text.empty()) return {};
  const auto list = ParseTitleSetList(text);
  return {list->begin(), list->end()};
}

class StripCommand final : public Command {
 public:
  void AddOptions(CLI::App& app) override {
    app.add_option("--title-sets", titleSets_, "Title sets whose title video loses streams, e.g. 1,5")
        ->type_name("LIST")
        ->required()
        ->check([](const std::string& t) { return ParseTitleSetList(t) ? "" : kBadTitleSetList; });
    app.add_option("--drop-audio", dropAudio_, "Audio streams to drop, numbered as info shows them, e.g. 2,3")
        ->type_name("LIST")
        ->check(CheckList);
    app.add_option("--drop-subpictures", dropSubpictures_, "Sub-picture streams to drop, e.g. 3-12")
        ->type_name("LIST")
        ->check(CheckList);
    app.add_option("--keep-audio-languages", keepAudio_,
                   "Keep the audio streams in these languages, drop the others that name one")
        ->type_name("CODES")
        ->check(CheckLanguages);
    app.add_option("--keep-subpicture-languages", keepSubpictures_,
                   "Keep the sub-picture streams in these languages, drop the others that name one")
        ->type_name("CODES")
        ->check(CheckLanguages);
    app.add_flag("--no-backup", noBackup_, "Keep no backups (NAME~) of changed files");
    auto* dryRun = app.add_flag("--dry-run", dryRun_,
                                "Read the title VOBs and print each stream, what would be dropped and saved; "
                                "change nothing");
    app.add_flag("--json", json_, "With --dry-run: print it as JSON")->needs(dryRun);
    app.add_option("--output", output_, "Of a disc image: the new image it is changed into (it is never changed)")
        ->type_name("NEW-IMAGE");
    app.footer("A stream without a language code is kept unless named by number. Menus are\n"
               "left alone. Exit status: 0 done, 1 refused or failed, 2 usage error, 3 a file\n"
               "could not be written.");
  }

  int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) override {
    strip::StripOptions options;
    const auto sets = ParseTitleSetList(titleSets_);
    options.titleSets.assign(sets->begin(), sets->end());
    options.choice.dropAudio = Numbers(dropAudio_);
    options.choice.dropSubpictures = Numbers(dropSubpictures_);
    if (!keepAudio_.empty()) options.choice.keepAudioLanguages = ParseLanguages(keepAudio_);
    if (!keepSubpictures_.empty()) options.choice.keepSubpictureLanguages = ParseLanguages(keepSubpictures_);
    options.backup = !noBackup_;
    // The run's steps ("Reading VTS_01_*.VOB") one after another on one line.
    ProgressBar bar(err, IsTerminal(err));
    std::string step;
    options.progress = [&](const std::string& what, std::int64_t done, std::int64_t total) {
      if (what != step) bar.Start(what, total * kSectorSize);
      step = what;
      bar.Update(done * kSectorSize);
    };
#if KESTRUNE_IMAGES
    if (folder.IsImage()) {
      options.backup = false;  // the image is the backup: it is never changed
      return ChangeImage(
          folder, output_, dryRun_, [&] { return DryRun(folder, options, bar, out, err); },
          [&](const std::string& videoTs) -> std::string {
            strip::StripRun run(videoTs, options);
            try {
              const auto report = run.Process();
              bar.Finish();
              PrintStripReport(report, out);
            } catch (const strip::Refusal& e) {
              return e.what();
            }
            return {};
          },
          "strip", out, err);
    }
#endif
    if (!output_.empty()) {
      err << "--output names the new image a disc image is changed into; a folder is changed in place.\n";
      return kExitUsage;
    }
    const std::string rename = "kestrune-cli rename-upper \"" + folder.dir + "\"";
    if (std::string refusal = disc::RefusalToBlank(folder.named, dryRun_, rename); !refusal.empty()) {
      err << refusal << '\n';
      return kExitFailed;
    }
    if (dryRun_) return DryRun(folder, options, bar, out, err);
    return Guarded(bar, err, [&] {
      const auto report = strip::StripRun(folder.dir, options).Process();
      bar.Finish();
      PrintStripReport(report, out);
      out << VerifiedLine(verify::VerifyFolder(folder.dir), folder.named.argument) << '\n';
      return kExitOk;
    });
  }
  bool PrintsJson() const override { return json_; }

 private:
  // The run planned on the folder (of an image, read through it): each
  // stream, what would be dropped and saved, and the files it would change.
  int DryRun(const DvdFolder& folder, const strip::StripOptions& options, ProgressBar& bar, std::ostream& out,
             std::ostream& err) const {
    return Guarded(bar, err, [&] {
      strip::StripRun run(folder.dir, options);
      PlannedFolder plan(run.Dir());
      const auto report = run.ProcessPlanned(plan);
      bar.Finish();
      const RunPlan changes = DescribePlan(plan, run.Dir());
      if (json_) {
        out << StripReportJson(report, changes).dump(2) << '\n';
      } else {
        out << "Read every title VOB of the chosen title sets to find each stream's packs.\n";
        PrintStripReport(report, out);
        PrintRunPlan(changes, out);
      }
      return kExitOk;
    });
  }

  // `work`'s exit status; a refusal (1) or a file that could not be written
  // (3) ends it with its message after the progress line.
  static int Guarded(ProgressBar& bar, std::ostream& err, const std::function<int()>& work) {
    try {
      return work();
    } catch (const strip::Refusal& e) {
      bar.Finish();
      err << e.what() << '\n';
      return kExitFailed;
    } catch (const FileError& e) {
      bar.Finish();
      err << e.what() << '\n';
      return kExitFileError;
    }
  }

  std::string titleSets_, dropAudio_, dropSubpictures_, keepAudio_, keepSubpictures_, output_;
  bool noBackup_ = false, dryRun_ = false, json_ = false;
};

}  // namespace

std::unique_ptr<Command> MakeStripCommand() { return std::make_unique<StripCommand>(); }

}  // namespace kestrune::cli
