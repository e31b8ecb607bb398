#include "old_forms.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>

#include "cli_app.h"
#include "commands/commands.h"
#include "file_layer.h"
#include "folder_argument.h"
#include "run_options.h"
#include "title_list.h"
#include "verify_report.h"

namespace kestrune::cli {

namespace {

struct Arguments {
  std::string listDir, restoreDir, deleteDir, blankDir;
  std::string titles, menus;
  BlankOptions blank;
  bool info = false;
  bool verify = false;
};

// A word such as a subcommand's name, which names nothing in the current
// folder: a mistyped subcommand rather than a folder of the blanking form.
bool UnknownCommandWord(const std::string& word) {
  if (word.empty() || word[0] < 'a' || word[0] > 'z') return false;
  for (char c : word)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
  return !FolderExists(word) && !FileExists(word);
}

}  // namespace

int RunOldForm(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  // The parser of 0.9.5, as it was; only --help now shows the subcommands.
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
  app.add_flag("--json", a.blank.json, "With --info, --verify or --dry-run: print it as JSON");
  auto* dryRun = app.add_flag("--dry-run", a.blank.dryRun,
                              "With the blanking form: make every check and the whole rewrite in memory, print what "
                              "the run would change and save, and change nothing");
  auto* titles = app.add_option("--titles", a.titles, "Title sets whose titles are blanked, e.g. 3,5-7")->type_name("LIST");
  auto* menus = app.add_option("--menus", a.menus, "Title sets whose menus are blanked")->type_name("LIST");
  auto* vmg = app.add_flag("--vmg-menu", a.blank.vmgMenu, "Blank the video manager menu (VIDEO_TS.VOB)");
  auto* noBackup = app.add_flag("--no-backup", a.blank.noBackup, "Keep no backups of changed files");
  auto* keepAudio = app.add_flag("--keep-audio-sub", a.blank.keepAudioSub, "Keep audio and sub-picture attributes and mapping");
  auto* keepStops = app.add_flag("--keep-stops", a.blank.keepStops, "Keep the cells' still times");
  auto* mergeProgs = app.add_flag("--merge-programs", a.blank.mergePrograms, "Merge the programs of a blanked chain into one");
  auto* mergeCells = app.add_flag("--merge-cells", a.blank.mergeCells, "Merge the cells of a blanked chain into one");
  auto* replacement = app.add_option("--replacement", a.blank.replacement, "Use this one-frame VOB instead of the built-in one")->type_name("FILE");
  auto* still = app.add_option("--still-time", a.blank.stillTime, "Still time in seconds (0..255) for the replacement VOB's cells")->type_name("N");
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
  } catch (const CLI::CallForHelp&) {
    out << CommandsHelp();
    return kExitOk;
  } catch (const CLI::CallForVersion& e) {
    out << e.what() << '\n';
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    if (argc > 1 && UnknownCommandWord(argv[1])) {
      err << "Unknown command: " << argv[1] << "\nRun with --help for the commands.\n";
      return kExitUsage;
    }
    err << e.what() << "\nRun with --help for the forms of the command.\n";
    return kExitUsage;
  }

  // --json changes how a command reports, not what it does.
  if (a.blank.json && !a.info && !a.verify && !a.blank.dryRun) {
    err << "--json needs --info, --verify or --dry-run\nRun with --help for the forms of the command.\n";
    return kExitUsage;
  }
  // The folder argument is read as the subcommands read it; the folder
  // worked on comes first when it is not the argument itself.
  int status = kExitFailed;
  const auto open = [&](const std::string& argument, bool json) {
    auto folder = OpenFolderArgument(argument, err, status);
    if (folder && !json) SayFolder(*folder, out);
    return folder;
  };
  if (list->count()) {
    const auto folder = open(a.listDir, false);
    if (!folder) return status;
    PrintRows(*folder, out);
    return kExitOk;
  }
  if (restore->count()) {
    const auto folder = open(a.restoreDir, false);
    return folder ? RestoreFolder(*folder, out, err) : status;
  }
  if (info->count()) {
    const auto folder = open(a.blankDir, a.blank.json);
    return folder ? ShowInfo(*folder, a.blank.json, out, err) : status;
  }
  if (verify->count()) {
    const auto folder = open(a.blankDir, a.blank.json);
    return folder ? VerifyDisc(*folder, a.blank.json, out) : status;
  }
  if (del->count()) {
    const auto folder = open(a.deleteDir, false);
    return folder ? DeleteBackupsOf(*folder, err) : status;
  }
  if (!dir->count()) {
    err << "Name a command and a folder: kestrune-cli COMMAND FOLDER.\nRun with --help for the commands.\n";
    return kExitUsage;
  }
  std::optional<std::vector<int>> titleSets = std::vector<int>{}, menuSets = std::vector<int>{};
  if (titles->count()) titleSets = ParseTitleSetList(a.titles);
  if (menus->count()) menuSets = ParseTitleSetList(a.menus);
  if (!titleSets || !menuSets) {
    err << kBadTitleSetList << '\n';
    return kExitUsage;
  }
  a.blank.titles = *titleSets;
  a.blank.menus = *menuSets;
  const auto folder = open(a.blankDir, a.blank.json);
  return folder ? BlankFolder(*folder, a.blank, out, err) : status;
}

}  // namespace kestrune::cli
