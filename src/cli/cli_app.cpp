#include "cli_app.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <vector>

#include "commands/commands.h"
#include "folder_argument.h"
#include "old_forms.h"

namespace kestrune {

namespace {

constexpr char kFooter[] =
    "Run \"kestrune-cli COMMAND --help\" for the options of a command, e.g.\n"
    "  kestrune-cli blank --titles 1,3-4 --menus 2 --merge-cells --dry-run /dvd/VIDEO_TS\n"
    "FOLDER is the disc's VIDEO_TS folder, the folder holding it, one of its IFO\n"
    "files, or a disc image (an ISO file).\n"
    "The forms of 0.9.5 (--list DIR, --info DIR, --verify DIR, the blanking\n"
    "options before DIR, --restore DIR, --delete-backups DIR) still work.";

// Help in this command's words: "COMMAND FOLDER", and for an option only
// the kind of value it takes (no "REQUIRED" or "Needs:").
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App* app, std::string name) const override {
    if (app->get_parent() == nullptr) return "Usage: " + name + " COMMAND FOLDER [OPTIONS]\n";
    return CLI::Formatter::make_usage(app, std::move(name));
  }
  std::string make_option_opts(const CLI::Option* option) const override {
    if (option->get_type_size() == 0 || option->get_type_name().empty()) return {};
    return " " + option->get_type_name();
  }
};

// The parser of the subcommands: one CLI::App with a subcommand per entry of
// the table, each with FOLDER and the command's own options.
struct CommandParser {
  CLI::App app{"Shrinks a DVD-Video folder (VIDEO_TS) in place by blanking chosen menus and titles.", "kestrune-cli"};
  std::string folder;
  std::vector<std::unique_ptr<cli::Command>> commands;  // in the order of the table

  CommandParser() {
    app.set_version_flag("--version", std::string(KESTRUNE_VERSION));
    // Options start with "-" on every system: on Windows too, "/DVD" is a
    // folder (on the current drive), not an option. The subcommands take
    // this over from the app.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    // Arguments a command does not take are reported by RunCommand, which
    // names an option that belongs to another command.
    app.allow_extras(true);
    app.formatter(std::make_shared<HelpFormatter>());
    for (const cli::CommandEntry& entry : cli::Commands()) {
      CLI::App* sub = app.add_subcommand(entry.name, entry.summary);
      sub->group("Commands");
      sub->add_option(entry.argument, folder, entry.argumentHelp)->required()->type_name("");
      commands.push_back(entry.make());
      commands.back()->AddOptions(*sub);
    }
    app.footer(kFooter);
  }

  // The command the arguments chose, once they are parsed.
  cli::Command* Chosen() {
    const auto chosen = app.get_subcommands();
    if (chosen.empty()) return nullptr;
    const auto& entries = cli::Commands();
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (chosen.front()->get_name() == entries[i].name) return commands[i].get();
    return nullptr;
  }
};

// kestrune-cli COMMAND ...: `argv[1]` is the name of a subcommand.
int RunCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CommandParser parser;
  const std::string name = argv[1];
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::reverse(args.begin(), args.end());
    parser.app.parse(args);
  } catch (const CLI::CallForHelp&) {
    out << parser.app.help();  // the chosen subcommand's
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << e.what() << "\nRun kestrune-cli " << name << " --help for its options.\n";
    return kExitUsage;
  }
  if (parser.app.remaining_size(true) > 0) {
    std::vector<std::string> extras = parser.app.remaining(true);
    std::erase(extras, "--");  // the mark before arguments that start with "-", not an extra one
    const auto option = std::find_if(extras.begin(), extras.end(), [](const std::string& a) { return a[0] == '-'; });
    if (option != extras.end())
      err << name << " has no option " << *option;
    else
      err << CLI::ExtrasError(extras).what();
    err << "\nRun kestrune-cli " << name << " --help for its options.\n";
    return kExitUsage;
  }
  cli::Command* command = parser.Chosen();
  int status = kExitFailed;
  const auto folder = cli::OpenFolderArgument(parser.folder, err, status);
  if (!folder) return status;
  if (!command->PrintsJson()) cli::SayFolder(*folder, out);
  return command->Run(*folder, out, err);
}

}  // namespace

std::string CommandsHelp() { return CommandParser().app.help(); }

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  if (argc > 1 && cli::FindCommand(argv[1])) return RunCommand(argc, argv, out, err);
  return cli::RunOldForm(argc, argv, out, err);
}

}  // namespace kestrune
