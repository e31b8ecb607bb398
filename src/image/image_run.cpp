#include "image_run.h"

#include <filesystem>

#include "dvd_files.h"
#include "extract.h"
#include "file_layer.h"

namespace kestrune::image {

namespace {

constexpr char kWorkingSuffix[] = ".kestrune-work";

// Removes the working folder, with all it holds, when it goes.
class WorkingFolder {
 public:
  explicit WorkingFolder(std::string path) : path_(std::move(path)) { Remove(); }  // a crash's leftover first
  ~WorkingFolder() { Remove(); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  void Remove() const {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
  }
  std::string path_;
};

MasterResult Refused(MasterResult::Outcome outcome, std::string message) {
  MasterResult result;
  result.outcome = outcome;
  result.message = std::move(message);
  return result;
}

}  // namespace

std::string WorkingFolderFor(const std::string& output) {
  const std::string folder = FolderPartOf(output);
  return folder + "." + output.substr(folder.size()) + kWorkingSuffix;
}

MasterResult RunIntoNewImage(const DiscImage& image, const std::string& output, const FolderRun& run,
                             Progress* progress) {
  using Outcome = MasterResult::Outcome;
  // Refused before anything is written, as master would refuse it after.
  if (std::string refusal = NewImageRefusal(output); !refusal.empty()) return Refused(Outcome::kRefused, refusal);
  const WorkingFolder work(WorkingFolderFor(output));
  if (std::string refusal = ExtractRefusal(work.Path()); !refusal.empty()) return Refused(Outcome::kRefused, refusal);
  std::string videoTs;
  try {
    videoTs = ExtractImage(image, work.Path(), progress);
    if (std::string why = run(videoTs); !why.empty()) return Refused(Outcome::kRefused, why);
  } catch (const FileError& e) {
    return Refused(Outcome::kNotWritten, e.what());
  }
  return MasterFolder(videoTs, SpellingOf(videoTs), output, progress);
}

}  // namespace kestrune::image
