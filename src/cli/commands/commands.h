// The subcommands of kestrune-cli ("kestrune-cli list FOLDER", ...). Each has
// a file of its own in this folder, which defines its options and what it
// runs, and one line in the table of commands.cpp; the parser (cli_app.cpp)
// gives every one its disc argument (FOLDER, or IMAGE for extract), its
// --help and its usage errors. A command only calls the core and the image
// layer: the rules are there.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "folder_argument.h"
#if KESTRUNE_IMAGES
#include "image_run.h"
#include "master.h"
#endif

namespace kestrune {
struct BackupResult;
}

namespace kestrune::cli {

class Command {
 public:
  virtual ~Command() = default;
  // Adds the command's own options to `app`, which holds FOLDER already.
  virtual void AddOptions(CLI::App& app) = 0;
  // Runs the command on `folder` once its options are parsed; returns the
  // exit status (kExitOk, kExitFailed, kExitUsage, kExitFileError).
  virtual int Run(const DvdFolder& folder, std::ostream& out, std::ostream& err) = 0;
  // True when it was asked for JSON: the folder it works on is said there,
  // not on a first line of text.
  virtual bool PrintsJson() const { return false; }
};

// The help of the disc argument of most commands.
extern const char kFolderHelp[];

struct CommandEntry {
  const char* name;     // as typed: "delete-backups"
  const char* summary;  // its line in kestrune-cli --help
  std::unique_ptr<Command> (*make)();
  const char* argument = "FOLDER";       // the disc argument, as its help names it
  const char* argumentHelp = kFolderHelp;
};

// Every subcommand, in the order kestrune-cli --help lists them.
const std::vector<CommandEntry>& Commands();
// The subcommand called `name`, or null.
const CommandEntry* FindCommand(const std::string& name);

// --- what the subcommands share with the forms of 0.9.5 (old_forms.cpp) ----

// The rows the window's three lists would show, one a line.
void PrintRows(const DvdFolder& folder, std::ostream& out);
// The verifier's findings (of an image, with where its files lie); exit 1
// when one is an error.
int VerifyDisc(const DvdFolder& folder, bool json, std::ostream& out);
// The disc model as text or JSON; exit 1 when a table is damaged.
int ShowInfo(const DvdFolder& folder, bool json, std::ostream& out, std::ostream& err);
int RestoreFolder(const DvdFolder& folder, std::ostream& out, std::ostream& err);
int DeleteBackupsOf(const DvdFolder& folder, std::ostream& err);
// What a backup command passed over, on `err`, and its exit status.
int ReportBackupResult(const BackupResult& result, std::ostream& err);

// The blanking options, as both forms take them.
struct BlankOptions {
  std::vector<int> titles, menus;  // title sets, from --titles and --menus
  bool vmgMenu = false, noBackup = false, keepAudioSub = false, keepStops = false;
  bool mergePrograms = false, mergeCells = false;
  std::string replacement;  // --replacement FILE: empty when not given
  std::string stillTime;    // --still-time N: empty when not given
  bool dryRun = false, json = false;
  std::string output;       // --output NEW-IMAGE, for a disc image: empty when not given
};
// Runs the engine, then lists the folder as it now is; with dryRun, makes the
// same run against a plan of the folder and prints what it would change. A
// disc image is blanked into the new image `output` (the image itself is
// never changed); its dry run plans on the image's files.
int BlankFolder(const DvdFolder& folder, const BlankOptions& options, std::ostream& out, std::ostream& err);

// The message of a title set list that is none (exit status 2).
extern const char kBadTitleSetList[];

#if KESTRUNE_IMAGES
// A new image mastered (master, blank IMAGE --output): its rows and the line
// about what it holds, or why it is not there; the exit status (0, 1, or 3
// when it could not be written).
int ReportNewImage(const image::MasterResult& result, const std::string& imagePath, std::ostream& out,
                   std::ostream& err);
// A command that changes a disc (`verb`: "blank", "strip") given a disc
// image: `run` on a working copy of its files, mastered into the new image
// `output` (image::RunIntoNewImage), with the progress on a terminal. With
// `dryRun`, `plan` on the image's files, read through it; nothing is written.
// An image is never changed: without `output` it is refused (exit 2).
int ChangeImage(const DvdFolder& folder, const std::string& output, bool dryRun, const std::function<int()>& plan,
                const image::FolderRun& run, const std::string& verb, std::ostream& out, std::ostream& err);
#endif

}  // namespace kestrune::cli
