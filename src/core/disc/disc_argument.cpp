#include "disc_argument.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "file_layer.h"
#include "folder_access.h"
#include "sector.h"

namespace kestrune::disc {

namespace {

constexpr std::int64_t kFirstVolumeDescriptor = 16;  // sectors 0 to 15 are the system area
constexpr std::int64_t kVolumeDescriptorsRead = 16;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool HoldsDvdFiles(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    if (IsDvdFileName(FoldedName(name))) return true;
  return false;
}

// The disc's root folder names its VIDEO_TS folder in any case: the folder
// the commands work on, "" when there is none, or the reason to refuse.
std::string VideoTsIn(const std::string& dir, const std::vector<std::string>& names, std::string& problem) {
  std::vector<std::string> found;
  for (const std::string& name : names)
    if (FoldedName(name) == "VIDEO_TS" && FolderExists(dir + name)) found.push_back(name);
  std::sort(found.begin(), found.end());
  if (found.size() > 1) {
    problem = Quoted(dir) + " holds " + found[0] + " and " + found[1] +
              ": two VIDEO_TS folders, and which of them is the disc cannot be told.";
    return {};
  }
  return found.empty() ? std::string() : WithTrailingDelimiter(dir + found.front());
}

bool IsIfoName(const std::string& name) {
  const std::string upper = FoldedName(name);
  return IsDvdFileName(upper) && upper.compare(upper.size() - 4, 4, ".IFO") == 0;
}

}  // namespace

bool DiscArgument::Resolved() const { return kind == Kind::kFolder && WithTrailingDelimiter(argument) != folder; }

ImageSignature ReadImageSignature(const std::string& path) {
  ImageSignature signature;
  std::vector<std::uint8_t> bytes;
  std::error_code error;
  if (!ReadFileRange(path, SectorStart(kFirstVolumeDescriptor), SectorStart(kVolumeDescriptorsRead), bytes, error))
    return signature;
  for (std::size_t at = 0; at + 6 <= bytes.size(); at += kSectorSize) {
    const std::string id(bytes.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                         bytes.begin() + static_cast<std::ptrdiff_t>(at) + 6);
    if (id == "CD001") signature.iso9660 = true;
    if (id == "NSR02" || id == "NSR03") signature.udf = true;
  }
  return signature;
}

DiscArgument NameDisc(const std::string& argument) {
  DiscArgument disc;
  disc.argument = argument;
  if (argument.empty()) return disc;
  if (FolderExists(argument)) {
    disc.kind = DiscArgument::Kind::kFolder;
    disc.folder = WithTrailingDelimiter(argument);
    const std::vector<std::string> names = ListFolder(disc.folder).value_or(std::vector<std::string>{});
    if (!HoldsDvdFiles(names)) {
      const std::string videoTs = VideoTsIn(disc.folder, names, disc.problem);
      if (!disc.problem.empty()) {
        disc.kind = DiscArgument::Kind::kRefused;
        return disc;
      }
      if (!videoTs.empty()) disc.folder = videoTs;
    }
  } else if (FileExists(argument)) {
    const std::string folder = FolderPartOf(argument);
    if (IsIfoName(argument.substr(folder.size()))) {
      disc.kind = DiscArgument::Kind::kFolder;
      disc.folder = folder.empty() ? WithTrailingDelimiter(".") : folder;
    } else if (ReadImageSignature(argument).Any()) {
      disc.kind = DiscArgument::Kind::kImage;
      disc.image = argument;
      return disc;
    } else {
      disc.kind = DiscArgument::Kind::kRefused;
      disc.problem = Quoted(argument) +
                     " is no DVD-Video folder, IFO file or DVD image: name the disc's folder (the one holding "
                     "VIDEO_TS, or VIDEO_TS itself), one of its IFO files, or an image file.";
      return disc;
    }
  } else {
    return disc;  // not found
  }
  disc.spelling = SpellingOf(disc.folder);
  if (!disc.spelling.twice.empty()) {
    const auto& [one, other] = disc.spelling.twice.front();
    disc.kind = DiscArgument::Kind::kRefused;
    disc.problem = Quoted(disc.folder) + " holds " + one + " and " + other +
                   ": one DVD file name in two cases, and which of them belongs to the disc cannot be told. Move "
                   "one of them out of the folder.";
  }
  return disc;
}

std::string ReadOnlyRefusal(const DiscArgument& disc) {
  std::error_code why;
  if (disc.kind != DiscArgument::Kind::kFolder || FolderIsWritable(disc.folder, why)) return {};
  return Quoted(disc.folder) + " is read-only (" + why.message() +
         "), so nothing in it can be changed. Copy the disc to a folder you can write, or extract its image "
         "there, and run the command on the copy.";
}

std::string RefusalToBlank(const DiscArgument& disc, bool dryRun, const std::string& renameCommand) {
  if (!dryRun) {
    if (std::string readOnly = ReadOnlyRefusal(disc); !readOnly.empty()) return readOnly;
  }
  if (disc.spelling.respelt.empty()) return {};
  std::string names;
  for (const FolderSpelling::Respelt& r : disc.spelling.respelt) names += (names.empty() ? "" : ", ") + r.onDisk;
  return "The DVD files of " + Quoted(disc.folder) + " are named in lower or mixed case (" + names +
         "). A run writes and backs up a disc's files under their upper-case names only, so it changes "
         "nothing here. Give them their upper-case names first (no file is replaced):\n  " +
         renameCommand;
}

}  // namespace kestrune::disc
