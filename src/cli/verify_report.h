// kestrune-cli --verify DIR [--json]: the verifier's findings as lines of
// text or as JSON, and the one line a blanking run prints about the folder
// it leaves.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "verify.h"

namespace kestrune {

// Top level: "folder", "errors", "warnings", "notes", "ifo_bytes_read",
// "vob_bytes_read", "vob_bytes", "findings" (each with "severity", "file",
// "table", "field", "offset" (a number, or null), "offset_hex", "found",
// "expected", "why", "text").
nlohmann::ordered_json VerifyJson(const verify::Report& report);

// Verifies `dir` and prints the findings, then a summary line. Exit 0 when
// no finding is an error, 1 otherwise.
int VerifyCommand(const std::string& dir, bool json, std::ostream& out);

// "verified: no errors", or the number of errors and how to see them.
std::string VerifiedLine(const std::string& dir);

}  // namespace kestrune
