// The forms of kestrune-cli 0.9.5, which scripts may still use: "--list DIR",
// "--info [--json] DIR", "--verify [--json] DIR", the blanking form
// "[--titles L] [--menus L] [--vmg-menu] [options] [--dry-run [--json]] DIR",
// "--restore DIR", "--delete-backups DIR" and "--version". They print, refuse
// and exit as they always did, through the same code as the subcommands, and
// --help shows the subcommands instead of them.
#pragma once

#include <iosfwd>

namespace kestrune::cli {

int RunOldForm(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kestrune::cli
