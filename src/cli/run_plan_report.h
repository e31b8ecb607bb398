// kestrune-cli --dry-run: what a blanking run would change, file by file, as
// text or as JSON with stable keys ("folder", "files": [{"name", "action",
// "bytes_before", "bytes_after"}], "bytes_saved", "new_backup_bytes",
// "folder_bytes_before", "folder_bytes_after").
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "run_plan.h"

namespace kestrune {

void PrintRunPlan(const RunPlan& plan, std::ostream& out);
nlohmann::ordered_json RunPlanJson(const RunPlan& plan);

}  // namespace kestrune
