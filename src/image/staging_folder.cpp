#include "staging_folder.h"

#include <filesystem>
#include <system_error>

#include "file_layer.h"

namespace kestrune::image {

namespace fs = std::filesystem;

namespace {

constexpr char kStagingSuffix[] = ".kestrune-stage";

void Check(const std::error_code& error, const fs::path& path, const char* action) {
  if (error) throw FileError(path.string(), action, error);
}

}  // namespace

std::string StagingFolderFor(const std::string& imagePath) {
  const fs::path image(imagePath);
  return (image.parent_path() / ("." + image.filename().string() + kStagingSuffix)).string();
}

StagingFolder::StagingFolder(const std::string& videoTs, const FolderSpelling& spelling, const std::string& root)
    : root_(root) {
  std::error_code error;
  fs::remove_all(root_, error);
  Check(error, root_, "remove the leftover folder");
  const fs::path videoTsLinks = fs::path(root_) / "VIDEO_TS";
  fs::create_directories(videoTsLinks, error);
  Check(error, videoTsLinks, "create");
  fs::create_directory(fs::path(root_) / "AUDIO_TS", error);
  Check(error, fs::path(root_) / "AUDIO_TS", "create");

  const std::string from = WithTrailingDelimiter(videoTs);
  for (const std::string& entry : ListFolder(from).value_or(std::vector<std::string>{})) {
    std::string name = entry;
    for (const FolderSpelling::Respelt& r : spelling.respelt)
      if (r.onDisk == entry) name = r.name;
    if (!IsDvdFileName(name) || !FileExists(from + entry)) continue;
    const fs::path target = fs::absolute(from + entry, error);
    Check(error, from + entry, "find");
    fs::create_symlink(target, videoTsLinks / name, error);
    Check(error, videoTsLinks / name, "link");
    bytes_ += EntrySize(from + entry).value_or(0);
    ++files_;
  }
}

StagingFolder::~StagingFolder() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

}  // namespace kestrune::image
