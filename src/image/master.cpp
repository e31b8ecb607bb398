#include "master.h"

#include <cerrno>
#include <cstring>

#include "disc_image.h"
#include "file_layer.h"
#include "folder_access.h"
#include "genisoimage.h"
#include "image_files.h"
#include "staging_folder.h"

namespace kestrune::image {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

MasterResult Result(MasterResult::Outcome outcome, std::string message) {
  MasterResult result;
  result.outcome = outcome;
  result.message = std::move(message);
  return result;
}

bool HasVideoManager(const std::string& videoTs, const FolderSpelling& spelling) {
  if (FileExists(WithTrailingDelimiter(videoTs) + "VIDEO_TS.IFO")) return true;
  for (const FolderSpelling::Respelt& r : spelling.respelt)
    if (r.name == "VIDEO_TS.IFO") return true;
  return false;
}

}  // namespace

std::string NewImageRefusal(const std::string& imagePath) {
  if (EntrySize(imagePath)) return Quoted(imagePath) + " exists already: name a new image file (it is never replaced).";
  const std::string folder = FolderPartOf(imagePath).empty() ? "." : FolderPartOf(imagePath);
  if (!FolderExists(folder)) return "There is no folder " + Quoted(folder) + " to write the image into.";
  std::error_code why;
  if (!FolderIsWritable(folder, why))
    return Quoted(folder) + " is read-only (" + why.message() + "): the image cannot be written there.";
  return {};
}

MasterResult MasterFolder(const std::string& videoTs, const FolderSpelling& spelling, const std::string& imagePath,
                          Progress* progress) {
  using Outcome = MasterResult::Outcome;
  if (std::string refusal = NewImageRefusal(imagePath); !refusal.empty()) return Result(Outcome::kRefused, refusal);
  const std::string folder = FolderPartOf(imagePath).empty() ? "." : FolderPartOf(imagePath);
  if (!HasVideoManager(videoTs, spelling))
    return Result(Outcome::kRefused, Quoted(videoTs) + " holds no VIDEO_TS.IFO: it is no DVD-Video folder to master.");

  const StagingFolder staging(videoTs, spelling, StagingFolderFor(imagePath));
  const std::string temporary = TemporaryNameFor(imagePath);
  DeleteFile(temporary);  // a crash's leftover
  const MasteringRun run =
      RunGenisoimage(staging.Root(), temporary, VolumeNameFor(imagePath), staging.Bytes(), progress);
  const auto removed = [&](Outcome outcome, const std::string& message) {
    DeleteFile(temporary);
    return Result(outcome, message);
  };
  if (!run.started) return removed(Outcome::kFailed, "Cannot master the image: " + run.said);
  if (run.exitStatus != 0)
    return removed(run.writeFailed ? Outcome::kNotWritten : Outcome::kFailed,
                   "genisoimage could not master " + Quoted(videoTs) + " into " + Quoted(imagePath) + ":\n" + run.said);
  try {
    FlushFile(temporary);
  } catch (const FileError& e) {
    return removed(Outcome::kNotWritten, e.what());
  }

  // Verified before it takes its name: an image whose layout players would
  // not find their way on never stands under the name the user gave.
  std::string problem;
  const auto made = DiscImage::Open(temporary, problem);
  if (!made)
    return removed(Outcome::kFailed, "The image genisoimage made cannot be read, so it was removed: " + problem);
  MasterResult result;
  result.report = VerifyImage(*made);
  std::string misplaced;
  for (const verify::Finding& f : result.report.findings)
    if (f.table == "image") misplaced += "\n" + verify::Describe(f);
  if (!misplaced.empty())
    return removed(Outcome::kFailed,
                   "The image's files do not lie where the IFOs put them, so it was removed:" + misplaced);
  if (!RenameNoReplace(temporary, imagePath))
    return removed(Outcome::kNotWritten,
                   "Can't rename the image to " + Quoted(imagePath) + ": " + std::strerror(errno));
  try {
    FlushFolder(folder);
  } catch (const FileError& e) {
    return Result(Outcome::kNotWritten, e.what());
  }
  result.outcome = Outcome::kDone;
  result.report.folder = WithTrailingDelimiter(imagePath) + "VIDEO_TS" + kPathDelimiter;
  return result;
}

}  // namespace kestrune::image
