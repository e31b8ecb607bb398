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

// Verifies `dir` (the VIDEO_TS of a disc image whose files lie as `image`
// says, when given) and prints the findings, then a summary line. Exit 0
// when no finding is an error, 1 otherwise.
int VerifyCommand(const std::string& dir, bool json, std::ostream& out, const verify::ImageLayout* image = nullptr);

// "verified: no errors", or the number of errors and how to see them.
std::string VerifiedLine(const std::string& dir);
// The same for a report made already; `argument` is what to verify again.
std::string VerifiedLine(const verify::Report& report, const std::string& argument);

}  // namespace kestrune
