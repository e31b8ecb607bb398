// What a strip run reports: per title set, each stream number with its
// language, format, physical streams and bytes, what is dropped and what it
// saves; as text or as JSON (with the dry run's file changes).
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <vector>

#include "run_plan.h"
#include "strip_run.h"

namespace kestrune {

// The streams of each title set and what the run drops of them.
void PrintStripReport(const std::vector<strip::TitleSetReport>& sets, std::ostream& out);
// "title_sets": [{"number", "title_vob_bytes_before", "title_vob_bytes_after", "bytes_saved", "files_before",
// "files_after", "streams": [{"kind" ("audio", "sub-picture"), "number", "language", "format", "packs_of"
// (["0x80", ...]), "bytes", "dropped"}]}], after the dry run's keys (run_plan_report.h).
nlohmann::ordered_json StripReportJson(const std::vector<strip::TitleSetReport>& sets, const RunPlan& plan);

}  // namespace kestrune
