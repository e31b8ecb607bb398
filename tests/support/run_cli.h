// Runs kestrune-cli's code in the test process, as the program would with
// these arguments, and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli_app.h"

namespace kestrune::test {

struct CliResult {
  int code;
  std::string out, err;
};

inline CliResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "kestrune-cli");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int code = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

}  // namespace kestrune::test
