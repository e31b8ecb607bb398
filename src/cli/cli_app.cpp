#include "cli_app.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "backup_commands.h"
#include "disc.h"
#include "disc_info_json.h"
#include "disc_info_text.h"
#include "file_layer.h"
#include "folder_scan.h"
#include "run_options.h"
#include "run_plan_report.h"
#include "status.h"
#include "title_list.h"
#include "title_set.h"
#include "verify_report.h"

namespace kestrune {

namespace {

struct Arguments {
  std::string listDir, restoreDir, deleteDir, blankDir;
  std::string titles, menus, replacement, stillTime;
  bool vmgMenu = false, noBackup = false, keepAudioSub = false, keepStops = false;
  bool mergePrograms = false, mergeCells = false;
  bool info = false, json = false, dryRun = false;
  bool verify = false;
};

void PrintRows(const std::string& dir, std::ostream& out) {
  const ScanRows rows = FindTitleSetRows(dir, "", false);
  for (const auto* list : {&rows.vmg, &rows.videos, &rows.menus})
    for (const ScanRow& row : *list) out << row.text << '\n';
}

int Fail(const std::string& message, std::ostream& err) {
  err << message << '\n';
  return kExitFailed;
}

bool FolderMissing(const std::string& dir, std::ostream& err) {
  if (FolderExists(dir)) return false;
  Fail(StatusMessage(kStatusPathNotFound), err);
  return true;
}

// --info: the disc model of the folder, read from its IFOs and the sizes of
// its files. Exit 0 when it was read without a problem; 1 when VIDEO_TS.IFO
// could not be read or a table is damaged, with each problem on `err` after
// whatever could be read.
int Info(const std::string& dir, bool json, std::ostream& out, std::ostream& err) {
  const disc::Disc model = disc::ReadDisc(dir);
  if (json) {
    out << DiscInfoJson(model).dump(2) << '\n';
  } else {
    PrintDiscInfo(model, FindTitleSetRows(dir, "", false), out);
  }
  for (const ifo::Problem& problem : model.problems) err << problem.text << '\n';
  return model.vmg.read && model.problems.empty() ? kExitOk : kExitFailed;
}

int ReportPassedOver(const BackupResult& result, std::ostream& err) {
  if (result.folderBusy) return Fail(StatusMessage(kStatusFolderBusy), err);
  for (const std::string& entry : result.passedOver) err << "Passed over " << entry << '\n';
  if (!result.flushError.empty()) {
    err << result.flushError << '\n';
    return kExitFileError;
  }
  return result.passedOver.empty() ? kExitOk : kExitFailed;
}

// Fills the engine as the window's "Blank!" does.
void FillRun(TTitleSet& run, const Arguments& a, const std::vector<int>& titles, const std::vector<int>& menus) {
  run.FBackup = !a.noBackup;
  run.FMergePrograms = a.mergePrograms;
  run.FMergeCells = a.mergeCells;
  run.FRemoveStops = !a.keepStops;
  run.FReplacementVobPath = a.replacement;
  run.FUseReplacementVob = !a.replacement.empty();
  // The manual still time belongs to the replacement VOB, as in the window.
  run.FUseManualStillTime = !a.stillTime.empty();
  run.FRemoveAudioSubMapping = !a.keepAudioSub;
  if (run.FUseManualStillTime) {
    bool reset = false;
    run.FManualStillTime = StillTimeForRun(a.stillTime, reset);
  }
  run.FBlankVmgMenu = a.vmgMenu;
  for (int n : titles) run.FVideoList.push_back(std::to_string(n));
  for (int n : menus) run.FMenuList.push_back(std::to_string(n));
}

// A refused run: its status message, then what it found and where.
int Refused(const TTitleSet& run, std::ostream& err) {
  std::string message = StatusMessage(run.FStatus);
  if (!run.FStatusDetail.empty()) message += "\n" + run.FStatusDetail;
  return Fail(message, err);
}

// The blanking form: runs the engine, then lists the folder as it now is.
// With --dry-run the same run is made against a plan of the folder only, and
// what it would change is printed instead.
int Blank(const Arguments& a, const std::vector<int>& titles, const std::vector<int>& menus, std::ostream& out,
          std::ostream& err) {
  TTitleSet run(a.blankDir);
  if (run.FStatus != kStatusOk) return Fail(StatusMessage(run.FStatus), err);
  FillRun(run, a, titles, menus);
  try {
    if (a.dryRun) {
      PlannedFolder plan(run.FDvdDir);
      if (run.ProcessPlanned(plan) != kStatusOk) return Refused(run, err);
      const RunPlan changes = DescribePlan(plan, run.FDvdDir);
      if (a.json)
        out << RunPlanJson(changes).dump(2) << '\n';
      else
        PrintRunPlan(changes, out);
      return kExitOk;
    }
    run.Process();
  } catch (const FileError& e) {
    err << e.what() << '\n';
    return kExitFileError;
  }
  if (run.FStatus != kStatusOk) return Refused(run, err);
  PrintRows(a.blankDir, out);
  out << VerifiedLine(a.blankDir) << '\n';
  return kExitOk;
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Shrinks a DVD-Video folder (VIDEO_TS) in place by blanking chosen menus and titles."};
  app.set_version_flag("--version", std::string(KESTRUNE_VERSION));
  // Options start with "-" on every system: on Windows too, "/DVD" is a
  // folder (on the current drive), not an option.
  app.allow_windows_style_options(false);
  Arguments a;
  auto* list = app.add_option("--list", a.listDir, "Show the blankable VOB sets of DIR with their sizes")->type_name("DIR");
  auto* restore = app.add_option("--restore", a.restoreDir, "Restore every backup (NAME~) in DIR, then list it")->type_name("DIR");
  auto* del = app.add_option("--delete-backups", a.deleteDir, "Delete every backup (NAME~) in DIR")->type_name("DIR");
  auto* info = app.add_flag("--info", a.info, "Show the titles, chapters, lengths, languages and menus of DIR");
  auto* verify = app.add_flag("--verify", a.verify, "Check that DIR is a sound DVD-Video folder; exit 1 on an error");
  app.add_flag("--json", a.json, "With --info, --verify or --dry-run: print it as JSON");
  auto* dryRun = app.add_flag("--dry-run", a.dryRun,
                              "With the blanking form: make every check and the whole rewrite in memory, print what "
                              "the run would change and save, and change nothing");
  auto* titles = app.add_option("--titles", a.titles, "Title sets whose titles are blanked, e.g. 3,5-7")->type_name("LIST");
  auto* menus = app.add_option("--menus", a.menus, "Title sets whose menus are blanked")->type_name("LIST");
  auto* vmg = app.add_flag("--vmg-menu", a.vmgMenu, "Blank the video manager menu (VIDEO_TS.VOB)");
  auto* noBackup = app.add_flag("--no-backup", a.noBackup, "Keep no backups of changed files");
  auto* keepAudio = app.add_flag("--keep-audio-sub", a.keepAudioSub, "Keep audio and sub-picture attributes and mapping");
  auto* keepStops = app.add_flag("--keep-stops", a.keepStops, "Keep the cells' still times");
  auto* mergeProgs = app.add_flag("--merge-programs", a.mergePrograms, "Merge the programs of a blanked chain into one");
  auto* mergeCells = app.add_flag("--merge-cells", a.mergeCells, "Merge the cells of a blanked chain into one");
  auto* replacement = app.add_option("--replacement", a.replacement, "Use this one-frame VOB instead of the built-in one")->type_name("FILE");
  auto* still = app.add_option("--still-time", a.stillTime, "Still time in seconds (0..255) for the replacement VOB's cells")->type_name("N");
  auto* dir = app.add_option("DIR", a.blankDir, "The VIDEO_TS folder to blank (or, with --info, to show)");
  still->check([](const std::string& text) { return ParseWholeNumber(text) ? std::string() : "not a whole number"; });

  // The four forms exclude one another; the blanking options need DIR.
  for (auto* command : {list, restore, del}) {
    for (auto* other : {list, restore, del, dir, titles, menus, replacement, still}) {
      if (other != command) command->excludes(other);
    }
    for (auto* flag : {vmg, noBackup, keepAudio, keepStops, mergeProgs, mergeCells}) command->excludes(flag);
  }
  for (auto* option : {titles, menus, vmg, noBackup, keepAudio, keepStops, mergeProgs, mergeCells, replacement, still})
    option->needs(dir);
  // --info DIR reads the folder that the blanking form would change, and
  // excludes every other form and every blanking option.
  for (auto* other : {list, restore, del, titles, menus, replacement, still}) info->excludes(other);
  for (auto* flag : {vmg, noBackup, keepAudio, keepStops, mergeProgs, mergeCells, dryRun}) info->excludes(flag);
  info->needs(dir);
  // --verify DIR reads the folder too, and is a form of its own.
  for (auto* other : {info, list, restore, del, titles, menus, replacement, still}) verify->excludes(other);
  for (auto* flag : {vmg, noBackup, keepAudio, keepStops, mergeProgs, mergeCells, dryRun}) verify->excludes(flag);
  verify->needs(dir);
  // --dry-run belongs to the blanking form.
  for (auto* command : {list, restore, del}) dryRun->excludes(command);
  dryRun->needs(dir);

  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::reverse(args.begin(), args.end());
    app.parse(args);
  } catch (const CLI::CallForHelp& e) {
    out << app.help();
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << e.what() << "\nRun with --help for the forms of the command.\n";
    return kExitUsage;
  }

  // --json changes how a command reports, not what it does.
  if (a.json && !a.info && !a.verify && !a.dryRun) {
    err << "--json needs --info, --verify or --dry-run\nRun with --help for the forms of the command.\n";
    return kExitUsage;
  }
  if (list->count()) {
    if (FolderMissing(a.listDir, err)) return kExitFailed;
    PrintRows(a.listDir, out);
    return kExitOk;
  }
  if (restore->count()) {
    if (FolderMissing(a.restoreDir, err)) return kExitFailed;
    const int code = ReportPassedOver(RestoreBackups(a.restoreDir), err);
    PrintRows(a.restoreDir, out);
    return code;
  }
  if (info->count()) {
    if (FolderMissing(a.blankDir, err)) return kExitFailed;
    return Info(a.blankDir, a.json, out, err);
  }
  if (verify->count()) {
    if (FolderMissing(a.blankDir, err)) return kExitFailed;
    return VerifyCommand(a.blankDir, a.json, out);
  }
  if (del->count()) {
    if (FolderMissing(a.deleteDir, err)) return kExitFailed;
    return ReportPassedOver(DeleteBackups(a.deleteDir), err);
  }
  if (!dir->count()) {
    err << "Name a folder: kestrune-cli --list DIR, or the blanking form with DIR.\nRun with --help for the forms of the command.\n";
    return kExitUsage;
  }
  std::optional<std::vector<int>> titleSets = std::vector<int>{}, menuSets = std::vector<int>{};
  if (titles->count()) titleSets = ParseTitleSetList(a.titles);
  if (menus->count()) menuSets = ParseTitleSetList(a.menus);
  if (!titleSets || !menuSets) {
    err << "A title set list is numbers and ranges from 1 to 99, such as 3,5-7.\n";
    return kExitUsage;
  }
  return Blank(a, *titleSets, *menuSets, out, err);
}

}  // namespace kestrune
