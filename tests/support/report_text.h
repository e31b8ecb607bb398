// Test helpers: the disc model's problems and the verifier's findings as one
// text, a line each, so a failed expectation shows all of them.
#pragma once

#include <string>

#include "disc.h"
#include "verify.h"

namespace kestrune::test {

inline std::string Texts(const ifo::Problems& problems) {
  std::string text;
  for (const ifo::Problem& p : problems) text += p.text + "\n";
  return text;
}

inline std::string Findings(const verify::Report& report) {
  std::string text;
  for (const verify::Finding& f : report.findings) text += verify::Describe(f) + "\n";
  return text;
}

}  // namespace kestrune::test
