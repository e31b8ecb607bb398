#include "image_files.h"

#include "dvd_files.h"

namespace kestrune::image {

namespace {

std::error_code ReadOnly() { return std::make_error_code(std::errc::read_only_file_system); }

}  // namespace

std::string ImageFiles::FolderFor(const std::string& imagePath) {
  return WithTrailingDelimiter(imagePath) + "VIDEO_TS" + kPathDelimiter;
}

ImageFiles::ImageFiles(const DiscImage& image)
    : image_(image), folder_(FolderFor(image.Path())), rest_(CurrentFileSystem()), inUse_(*this) {}

bool ImageFiles::IsFolder(const std::string& path) const { return path == folder_ || path + kPathDelimiter == folder_; }

bool ImageFiles::InFolder(const std::string& path) const {
  return path.size() > folder_.size() && path.compare(0, folder_.size(), folder_) == 0;
}

const ImageFile* ImageFiles::FileAt(const std::string& path) const {
  return InFolder(path) ? image_.Find(path.substr(folder_.size())) : nullptr;
}

bool ImageFiles::FileExists(const std::string& path) {
  if (InFolder(path)) return FileAt(path) != nullptr;
  return rest_.FileExists(path);
}

bool ImageFiles::FolderExists(const std::string& path) {
  return IsFolder(path) || (!InFolder(path) && rest_.FolderExists(path));
}

std::optional<std::int64_t> ImageFiles::EntrySize(const std::string& path) {
  if (IsFolder(path)) return 0;
  if (!InFolder(path)) return rest_.EntrySize(path);
  if (const ImageFile* file = FileAt(path)) return file->bytes;
  return std::nullopt;
}

bool ImageFiles::CanOpenForReading(const std::string& path) {
  return InFolder(path) ? FileAt(path) != nullptr : rest_.CanOpenForReading(path);
}

bool ImageFiles::ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                               bool& tooBig, std::error_code& error) {
  if (!InFolder(path)) return rest_.ReadWholeFile(path, maxBytes, bytes, tooBig, error);
  tooBig = false;
  bytes.clear();
  const ImageFile* file = FileAt(path);
  if (file == nullptr) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return false;
  }
  if (file->bytes > maxBytes) {
    tooBig = true;
    return true;
  }
  return image_.Read(*file, 0, file->bytes, bytes, error);
}

bool ImageFiles::ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                               std::vector<std::uint8_t>& bytes, std::error_code& error) {
  if (!InFolder(path)) return rest_.ReadFileRange(path, offset, length, bytes, error);
  bytes.clear();
  const ImageFile* file = FileAt(path);
  if (file == nullptr) {
    error = std::make_error_code(std::errc::no_such_file_or_directory);
    return false;
  }
  return image_.Read(*file, offset, length, bytes, error);
}

std::optional<std::vector<std::string>> ImageFiles::ListFolder(const std::string& dir) {
  if (!IsFolder(dir)) return InFolder(dir) ? std::nullopt : rest_.ListFolder(dir);
  std::vector<std::string> names;
  for (const ImageFile& file : image_.Files()) names.push_back(file.name);
  return names;
}

std::optional<std::int64_t> ImageFiles::ReadableFileSize(const std::string& path) {
  if (!InFolder(path)) return rest_.ReadableFileSize(path);
  if (const ImageFile* file = FileAt(path)) return file->bytes;
  return std::nullopt;
}

std::optional<std::int64_t> ImageFiles::FreeBytes(const std::string& dir) {
  if (!InFolder(dir)) return rest_.FreeBytes(dir);
  return 0;  // nothing is ever written into an image
}

std::unique_ptr<NewFile> ImageFiles::CreateNew(const std::string& path, std::error_code& error) {
  if (!InFolder(path)) return rest_.CreateNew(path, error);
  error = ReadOnly();
  return nullptr;
}

std::error_code ImageFiles::FlushFile(const std::string& path) {
  return InFolder(path) ? ReadOnly() : rest_.FlushFile(path);
}

void ImageFiles::StartFlush(const std::string& path) {
  if (!InFolder(path)) rest_.StartFlush(path);
}

std::error_code ImageFiles::FlushFolder(const std::string& dir) {
  return IsFolder(dir) || InFolder(dir) ? ReadOnly() : rest_.FlushFolder(dir);
}

std::error_code ImageFiles::Rename(const std::string& from, const std::string& to) {
  return InFolder(from) || InFolder(to) ? ReadOnly() : rest_.Rename(from, to);
}

std::error_code ImageFiles::RenameNoReplace(const std::string& from, const std::string& to) {
  return InFolder(from) || InFolder(to) ? ReadOnly() : rest_.RenameNoReplace(from, to);
}

std::error_code ImageFiles::Delete(const std::string& path) { return InFolder(path) ? ReadOnly() : rest_.Delete(path); }

void ImageFiles::Discard(const std::string& path) {
  if (!InFolder(path)) rest_.Discard(path);
}

std::error_code ImageFiles::CreateFolder(const std::string& dir) {
  return IsFolder(dir) || InFolder(dir) ? ReadOnly() : rest_.CreateFolder(dir);
}

void ImageFiles::DiscardFolder(const std::string& dir) {
  if (!IsFolder(dir) && !InFolder(dir)) rest_.DiscardFolder(dir);
}

bool ImageFiles::Unchangeable(const std::string& dir) { return IsFolder(dir) || rest_.Unchangeable(dir); }

verify::Report VerifyImage(const DiscImage& image) {
  const ImageFiles files(image);
  const verify::ImageLayout layout = image.Layout();
  return verify::VerifyFolder(files.Folder(), &layout);
}

}  // namespace kestrune::image
