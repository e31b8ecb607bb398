// kestrune-cli: lists, shows, verifies, blanks and restores a VIDEO_TS folder
// from the command line, through the same engine calls as the window.
//
//   kestrune-cli COMMAND FOLDER [OPTIONS]    (list, info, verify, blank, restore, delete-backups)
//
// The forms of 0.9.5 ("--list DIR", the blanking form "--titles 1 DIR", ...)
// still work as they did (old_forms.h).
#pragma once

#include <iosfwd>
#include <string>

namespace kestrune {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;   // the run or command failed; the message is on stderr
constexpr int kExitUsage = 2;    // the arguments make no command
constexpr int kExitFileError = 3;  // a file could not be written while the folder was changing

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// What kestrune-cli --help prints: the subcommands, one a line.
std::string CommandsHelp();

}  // namespace kestrune
