// kestrune-cli: lists, blanks and restores a VIDEO_TS folder from the command
// line, through the same engine calls as the window.
#pragma once

#include <iosfwd>

namespace kestrune {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;   // the run or command failed; the message is on stderr
constexpr int kExitUsage = 2;    // the arguments make no command
constexpr int kExitFileError = 3;  // a file could not be written while the folder was changing

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kestrune
