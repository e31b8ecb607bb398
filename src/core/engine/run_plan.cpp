#include "run_plan.h"

#include <set>

#include "file_layer.h"

namespace kestrune {

namespace {

bool IsBackup(const std::string& name) { return name.size() > 1 && name.back() == '~'; }

bool IsInformationFile(const std::string& name) {
  const std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
  return ext == ".IFO" || ext == ".BUP";
}

}  // namespace

RunPlan DescribePlan(const PlannedFolder& plan, const std::string& dir) {
  RunPlan result;
  result.folder = dir;
  for (const std::string& name : ListFolder(dir).value_or(std::vector<std::string>{}))
    if (FileExists(dir + name)) result.folderBytesBefore += EntrySize(dir + name).value_or(0);

  std::set<std::string> renamedToBackup, seen;
  std::vector<std::string> order;
  for (const PlannedChange& change : plan.Changes()) {
    const bool backup = change.kind == PlannedChange::Kind::kBackupCopy ||
                        change.kind == PlannedChange::Kind::kBackupRename;
    if (change.kind == PlannedChange::Kind::kBackupRename) renamedToBackup.insert(change.path);
    for (const std::string& path : backup ? std::vector<std::string>{change.path + "~", change.path}
                                          : std::vector<std::string>{change.path}) {
      // A copy leaves its original as it is.
      if (change.kind == PlannedChange::Kind::kBackupCopy && path == change.path) continue;
      if (seen.insert(path).second) order.push_back(path);
    }
  }

  std::int64_t change = 0;
  for (const std::string& path : order) {
    FileChange file;
    file.name = path.substr(dir.size());
    file.bytesBefore = FileExists(path) ? EntrySize(path).value_or(0) : 0;
    const auto after = plan.EntrySize(path);
    file.bytesAfter = after.value_or(0);
    if (IsBackup(file.name))
      file.action = "backup";
    else if (!after)
      file.action = renamedToBackup.count(path) ? "renamed to backup" : "removed";
    else
      file.action = IsInformationFile(file.name) ? "rewritten" : "replaced";
    change += file.bytesAfter - file.bytesBefore;
    if (IsBackup(file.name))
      result.newBackupBytes += file.bytesAfter;
    else
      result.bytesSaved += file.bytesBefore - file.bytesAfter;
    result.files.push_back(std::move(file));
  }
  result.folderBytesAfter = result.folderBytesBefore + change;
  return result;
}

}  // namespace kestrune
