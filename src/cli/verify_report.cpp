#include "verify_report.h"

#include <ostream>

#include "cli_app.h"

namespace kestrune {

namespace {

std::string Plural(int n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

std::string Kib(std::int64_t bytes) { return std::to_string((bytes + 1023) / 1024) + " KiB"; }

}  // namespace

nlohmann::ordered_json VerifyJson(const verify::Report& report) {
  using Json = nlohmann::ordered_json;
  Json findings = Json::array();
  for (const verify::Finding& f : report.findings) {
    findings.push_back({{"severity", verify::SeverityName(f.severity)},
                        {"file", f.file},
                        {"table", f.table},
                        {"field", f.field},
                        {"offset", f.offset >= 0 ? Json(f.offset) : Json(nullptr)},
                        {"offset_hex", f.offset >= 0 ? verify::HexOffset(f.offset) : ""},
                        {"found", f.found},
                        {"expected", f.expected},
                        {"why", f.why},
                        {"text", verify::Describe(f)}});
  }
  return {{"folder", report.folder},
          {"errors", report.Errors()},
          {"warnings", report.Warnings()},
          {"notes", report.Notes()},
          {"ifo_bytes_read", report.ifoBytesRead},
          {"vob_bytes_read", report.vobBytesRead},
          {"vob_bytes", report.vobBytes},
          {"findings", findings}};
}

int VerifyCommand(const std::string& dir, bool json, std::ostream& out, const verify::ImageLayout* image) {
  const verify::Report report = verify::VerifyFolder(dir, image);
  if (json) {
    out << VerifyJson(report).dump(2) << '\n';
  } else {
    for (const verify::Finding& f : report.findings) out << verify::Describe(f) << '\n';
    out << report.folder << ": " << Plural(report.Errors(), "error") << ", " << Plural(report.Warnings(), "warning")
        << ", " << Plural(report.Notes(), "note") << " (read " << Kib(report.ifoBytesRead) << " of IFOs and BUPs, "
        << Kib(report.vobBytesRead) << " of " << Kib(report.vobBytes) << " of VOBs)\n";
  }
  return report.Errors() == 0 ? kExitOk : kExitFailed;
}

std::string VerifiedLine(const std::string& dir) { return VerifiedLine(verify::VerifyFolder(dir), dir); }

std::string VerifiedLine(const verify::Report& report, const std::string& argument) {
  if (report.Errors() == 0) return "verified: no errors";
  return "verified: " + Plural(report.Errors(), "error") + " (see kestrune-cli --verify " + argument + ")";
}

}  // namespace kestrune
