#include "disc_image.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/dvd_udf.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "disc_argument.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "sector.h"

namespace kestrune::image {

namespace {

constexpr int kTitleSets = 99;
// The first UDF anchor lies at sector 256: an image that ends before it has
// no file system to read.
constexpr std::int64_t kAnchorSector = 256;

// What libdvdread says while the image is opened, kept for the messages
// instead of going to standard error.
struct LibraryLog {
  std::vector<std::string> errors;

  static void Log(void* self, dvd_logger_level_t level, const char* format, va_list args) {
    if (level != DVD_LOGGER_LEVEL_ERROR) return;  // its notes (no CSS library, ...) say nothing of the image
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    static_cast<LibraryLog*>(self)->errors.emplace_back(text);
  }
  std::string Said() const { return errors.empty() ? std::string() : " (libdvdread: " + errors.back() + ")"; }
};

const dvd_logger_cb kLogger{&LibraryLog::Log};

// Closes the reader when it goes out of scope.
struct Reader {
  dvd_reader_t* dvd = nullptr;
  ~Reader() {
    if (dvd != nullptr) DVDClose(dvd);
  }
};

std::vector<std::string> DvdFileNames() {
  std::vector<std::string> names{"VIDEO_TS.IFO", "VIDEO_TS.BUP", "VIDEO_TS.VOB"};
  for (int n = 1; n <= kTitleSets; ++n) {
    const std::string prefix = VtsPrefix(n);
    for (const char* part : {"0.IFO", "0.BUP", "0.VOB"}) names.push_back(prefix + part);
    for (char k = '1'; k <= '9'; ++k) names.push_back(prefix + k + ".VOB");
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

DiscImage::~DiscImage() = default;

std::unique_ptr<DiscImage> DiscImage::Open(const std::string& path, std::string& problem) {
  const std::string quoted = "\"" + path + "\"";
  const auto size = ReadableFileSize(path);
  if (!size) {
    problem = quoted + " cannot be read" + (FolderExists(path) ? ": it is a folder, not an image file." : ".");
    return nullptr;
  }
  const disc::ImageSignature signature = disc::ReadImageSignature(path);
  if (!signature.Any()) {
    problem = quoted + " is not a disc image: it has neither the UDF nor the ISO 9660 file system of one.";
    return nullptr;
  }
  LibraryLog log;
  Reader reader;
  reader.dvd = DVDOpen2(&log, &kLogger, path.c_str());
  if (reader.dvd == nullptr) {
    problem = quoted + " cannot be opened as a disc image" + log.Said() + ".";
    return nullptr;
  }
  char volume[33] = {};
  if (DVDUDFVolumeInfo(reader.dvd, volume, sizeof volume, nullptr, 0) != 0) {
    if (*size < (kAnchorSector + 1) * kSectorSize || signature.udf)
      problem = quoted + " is truncated or damaged: its UDF file system cannot be read (the image holds " +
                std::to_string(*size) + " bytes).";
    else
      problem = quoted +
                " is an ISO 9660 image without the UDF file system that DVD players read. Master the "
                "folder again with UDF (kestrune-cli master, or genisoimage -dvd-video -udf).";
    return nullptr;
  }
  std::unique_ptr<DiscImage> image(new DiscImage());
  image->path_ = path;
  image->bytes_ = *size;
  for (const std::string& name : DvdFileNames()) {
    std::uint32_t bytes = 0;
    const std::uint32_t sector = UDFFindFile(reader.dvd, ("/VIDEO_TS/" + name).c_str(), &bytes);
    if (sector != 0) image->files_.push_back({name, sector, bytes});
  }
  if (!image->Find("VIDEO_TS.IFO")) {
    std::uint32_t bytes = 0;
    const bool videoTs = UDFFindFile(reader.dvd, "/VIDEO_TS", &bytes) != 0;
    problem = quoted + (videoTs ? " holds a VIDEO_TS folder without VIDEO_TS.IFO: it is no DVD-Video image."
                                : " holds no VIDEO_TS folder: it is no DVD-Video image.");
    return nullptr;
  }
  for (const ImageFile& file : image->files_) {
    const std::int64_t end = SectorStart(file.firstSector) + file.bytes;
    if (end > *size) {
      problem = quoted + " is truncated: " + file.name + " ends at byte " + std::to_string(end) +
                ", after the image's end at byte " + std::to_string(*size) + ".";
      return nullptr;
    }
  }
  return image;
}

const ImageFile* DiscImage::Find(const std::string& name) const {
  for (const ImageFile& file : files_)
    if (file.name == name) return &file;
  return nullptr;
}

verify::ImageLayout DiscImage::Layout() const {
  verify::ImageLayout layout;
  for (const ImageFile& file : files_) layout[file.name] = {file.firstSector, file.bytes};
  return layout;
}

bool DiscImage::Read(const ImageFile& file, std::int64_t offset, std::int64_t length, std::vector<std::uint8_t>& bytes,
                     std::error_code& error) const {
  if (offset < 0 || length < 0) {
    error = std::make_error_code(std::errc::invalid_argument);
    return false;
  }
  const std::int64_t available = std::max<std::int64_t>(file.bytes - offset, 0);
  return ReadFileRange(path_, SectorStart(file.firstSector) + std::min(offset, file.bytes), std::min(length, available),
                       bytes, error);
}

}  // namespace kestrune::image
