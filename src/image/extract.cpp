#include "extract.h"

#include <algorithm>

#include "dvd_files.h"
#include "file_layer.h"
#include "folder_access.h"

namespace kestrune::image {

namespace {

constexpr std::int64_t kChunkBytes = std::int64_t{1} << 20;  // read and written at a time

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The entry of `d` that is a folder named VIDEO_TS in any case; "" when none.
std::string VideoTsNameIn(const std::string& d) {
  for (const std::string& name : ListFolder(d).value_or(std::vector<std::string>{}))
    if (FoldedName(name) == "VIDEO_TS" && FolderExists(d + name)) return name;
  return {};
}

// A DVD file, or the backup of one, in any case.
bool HoldsDvdFiles(const std::string& d) {
  for (std::string name : ListFolder(d).value_or(std::vector<std::string>{})) {
    name = FoldedName(name);
    if (!name.empty() && name.back() == '~') name.pop_back();
    if (IsDvdFileName(name)) return true;
  }
  return false;
}

std::string WithoutTrailingDelimiter(std::string path) {
  while (path.size() > 1 && path.back() == kPathDelimiter) path.pop_back();
  return path;
}

// The folders an extraction made, removed again (they are empty by then)
// unless it is kept.
class MadeFolders {
 public:
  ~MadeFolders() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveEmptyFolder(*it);
  }
  // Makes `dir` and the folders above it that are missing.
  void Make(const std::string& dir) {
    const std::string path = WithoutTrailingDelimiter(dir);
    if (path.empty() || FolderExists(path)) return;
    const std::string parent = WithoutTrailingDelimiter(FolderPartOf(path));
    if (!parent.empty() && parent != path) Make(parent);
    MakeFolder(path);
    made_.push_back(path);
  }
  // Puts the new folders' names on the disk: each is an entry of its parent.
  void FlushParents() const {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      const std::string parent = FolderPartOf(*it);
      FlushFolder(parent.empty() ? "." : parent);
    }
  }
  void Keep() { made_.clear(); }

 private:
  std::vector<std::string> made_;
};

}  // namespace

std::string ExtractRefusal(const std::string& dir) {
  if (FileExists(dir)) return Quoted(dir) + " is a file: name a folder to extract the image into.";
  std::error_code why;
  if (!FolderExists(dir)) {
    // Made when extracting, in the nearest folder above it that is there.
    std::string above = FolderPartOf(WithoutTrailingDelimiter(dir));
    while (!above.empty() && !FolderExists(above)) above = FolderPartOf(WithoutTrailingDelimiter(above));
    if (!FolderIsWritable(above.empty() ? "." : above, why))
      return Quoted(above) + " is read-only (" + why.message() + "): " + Quoted(dir) + " cannot be made there.";
    return {};
  }
  const std::string d = WithTrailingDelimiter(dir);
  if (HoldsDvdFiles(d)) return Quoted(dir) + " holds DVD files already: extract into a new or empty folder.";
  const std::string videoTs = VideoTsNameIn(d);
  if (!videoTs.empty() && HoldsDvdFiles(WithTrailingDelimiter(d + videoTs)))
    return Quoted(d + videoTs) + " holds DVD files already: extract into a new or empty folder.";
  const std::string into = videoTs.empty() ? d : d + videoTs;
  if (!FolderIsWritable(into, why)) return Quoted(into) + " is read-only (" + why.message() + ").";
  return {};
}

std::string ExtractImage(const DiscImage& image, const std::string& dir, Progress* progress) {
  MadeFolders made;
  const std::string d = WithTrailingDelimiter(dir);
  made.Make(d);
  std::string videoTs = VideoTsNameIn(d);
  if (videoTs.empty()) {
    videoTs = "VIDEO_TS";
    made.Make(d + videoTs);
  }
  const std::string target = WithTrailingDelimiter(d + videoTs);

  // In the order they lie in the image, so that it is read from start to end.
  std::vector<ImageFile> files = image.Files();
  std::sort(files.begin(), files.end(),
            [](const ImageFile& a, const ImageFile& b) { return a.firstSector < b.firstSector; });
  std::int64_t total = 0;
  for (const ImageFile& file : files) total += file.bytes;
  const std::string name = image.Path().substr(FolderPartOf(image.Path()).size());

  std::vector<std::unique_ptr<FileWriter>> written;
  std::size_t committed = 0;
  try {
    ProgressReport report(progress, "Extracting " + name, total);
    std::int64_t done = 0;
    std::vector<std::uint8_t> chunk;
    for (const ImageFile& file : files) {
      written.push_back(std::make_unique<FileWriter>(target + file.name));
      for (std::int64_t offset = 0; offset < file.bytes; offset += kChunkBytes) {
        const std::int64_t length = std::min(kChunkBytes, file.bytes - offset);
        std::error_code error;
        if (!image.Read(file, offset, length, chunk, error)) throw FileError(image.Path(), "read", error);
        if (static_cast<std::int64_t>(chunk.size()) != length)
          throw FileError(image.Path(), "read", std::make_error_code(std::errc::io_error));
        written.back()->Write(chunk);
        done += length;
        report.Update(done);
      }
      // Flushed and closed: complete under its temporary name.
      written.back()->Finish();
    }
    for (; committed < written.size(); ++committed) written[committed]->Commit();
    // The new names, then the folders made for them, on the disk.
    FlushFolder(target);
    made.FlushParents();
  } catch (...) {
    // Nothing half done stays: the files renamed so far go, and the
    // temporary ones go with their writers.
    for (std::size_t i = 0; i < committed; ++i) DeleteFile(target + files[i].name);
    written.clear();
    throw;
  }
  made.Keep();
  return target;
}

}  // namespace kestrune::image
