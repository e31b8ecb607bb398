#include "folder_argument.h"

#include <ostream>

#include "cli_app.h"
#include "dvd_files.h"
#include "respelt_folder.h"
#include "status.h"
#if KESTRUNE_IMAGES
#include "disc_image.h"
#include "image_files.h"
#endif

namespace kestrune::cli {

const char kNoImagesInThisBuild[] =
    "This build of kestrune-cli cannot read or write disc images (it has no libdvdread). Mount the image as a "
    "drive and name its folder instead.";

std::unique_ptr<FileSystem> DvdFolder::ReadThrough() const {
#if KESTRUNE_IMAGES
  if (image) return std::make_unique<image::ImageFiles>(*image);
#endif
  if (!named.spelling.respelt.empty()) return std::make_unique<disc::RespeltFolder>(dir, named.spelling);
  return nullptr;
}

std::optional<DvdFolder> OpenFolderArgument(const std::string& argument, std::ostream& err, int& status) {
  status = kExitFailed;
  DvdFolder folder;
  folder.named = disc::NameDisc(argument);
  switch (folder.named.kind) {
    case disc::DiscArgument::Kind::kNotFound:
      err << StatusMessage(kStatusPathNotFound) << '\n';
      return std::nullopt;
    case disc::DiscArgument::Kind::kRefused:
      err << folder.named.problem << '\n';
      return std::nullopt;
    case disc::DiscArgument::Kind::kFolder:
      folder.dir = folder.named.folder;
      return folder;
    case disc::DiscArgument::Kind::kImage:
      break;
  }
#if KESTRUNE_IMAGES
  std::string problem;
  folder.image = image::DiscImage::Open(argument, problem);
  if (!folder.image) {
    err << problem << '\n';
    return std::nullopt;
  }
  folder.dir = image::ImageFiles::FolderFor(argument);
  return folder;
#else
  err << kNoImagesInThisBuild << '\n';
  status = kExitUsage;
  return std::nullopt;
#endif
}

void SayFolder(const DvdFolder& folder, std::ostream& out) {
  if (folder.named.Resolved()) out << "Folder: " << folder.dir << '\n';
}

std::string RefusalToChange(const DvdFolder& folder, const std::string& how) {
  if (folder.IsImage()) return "\"" + folder.named.image + "\" is a disc image, which is never changed: " + how;
  return disc::ReadOnlyRefusal(folder.named);
}

}  // namespace kestrune::cli
