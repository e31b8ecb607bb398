#include "run_plan_report.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace kestrune {

namespace {

std::string Mebibytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

void PrintRunPlan(const RunPlan& plan, std::ostream& out) {
  out << "Dry run: nothing was changed. The run would make these changes, in this order:\n";
  std::size_t nameWidth = 4, actionWidth = 6;
  for (const FileChange& file : plan.files) {
    nameWidth = std::max(nameWidth, file.name.size());
    actionWidth = std::max(actionWidth, file.action.size());
  }
  out << "  " << Padded("File", nameWidth) << "  " << Padded("Change", actionWidth) << "  Bytes before -> after\n";
  for (const FileChange& file : plan.files)
    out << "  " << Padded(file.name, nameWidth) << "  " << Padded(file.action, actionWidth) << "  "
        << file.bytesBefore << " -> " << file.bytesAfter << '\n';
  out << "Saved by the DVD files: " << plan.bytesSaved << " bytes (" << Mebibytes(plan.bytesSaved) << ")\n";
  if (plan.newBackupBytes > 0)
    out << "Held by the new backups: " << plan.newBackupBytes << " bytes (" << Mebibytes(plan.newBackupBytes)
        << "), freed by --delete-backups\n";
  out << "Folder: " << plan.folderBytesBefore << " bytes before, " << plan.folderBytesAfter << " bytes after\n";
}

nlohmann::ordered_json RunPlanJson(const RunPlan& plan) {
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  for (const FileChange& file : plan.files)
    files.push_back({{"name", file.name},
                     {"action", file.action},
                     {"bytes_before", file.bytesBefore},
                     {"bytes_after", file.bytesAfter}});
  return {{"dry_run", true},
          {"folder", plan.folder},
          {"files", std::move(files)},
          {"bytes_saved", plan.bytesSaved},
          {"new_backup_bytes", plan.newBackupBytes},
          {"folder_bytes_before", plan.folderBytesBefore},
          {"folder_bytes_after", plan.folderBytesAfter}};
}

}  // namespace kestrune
