// Disc images of the authored folders, mastered in the test itself with
// genisoimage, as a disc backup or an authoring tool makes them (not with
// kestrune-cli master, so that reading an image is tested apart from making
// one). Linux only, as the image commands are.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kestrune::test {

// Masters the VIDEO_TS folder `videoTs` into the image `iso` with genisoimage
// and `options` ("-dvd-video -udf" makes a DVD-Video image), from a folder of
// links beside the image. Returns genisoimage's exit status.
inline int MasterWithGenisoimage(const std::filesystem::path& videoTs, const std::filesystem::path& iso,
                                 const std::string& options = "-dvd-video -udf") {
  namespace fs = std::filesystem;
  const fs::path root = iso.parent_path() / (iso.filename().string() + ".root");
  fs::remove_all(root);
  fs::create_directories(root / "VIDEO_TS");
  fs::create_directories(root / "AUDIO_TS");
  for (const fs::directory_entry& entry : fs::directory_iterator(videoTs))
    if (entry.is_regular_file())
      fs::create_symlink(fs::absolute(entry.path()), root / "VIDEO_TS" / entry.path().filename());
  const std::string command = "genisoimage -quiet -f " + options + " -o '" + iso.string() + "' '" + root.string() + "'";
  const int status = std::system(command.c_str());
  fs::remove_all(root);
  return status;
}

}  // namespace kestrune::test
