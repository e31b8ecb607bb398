// A DVD-Video disc image (an ISO file with the UDF file system players read),
// opened with libdvdread: where each file of its VIDEO_TS lies, and its
// bytes. libdvdread reads the UDF file system and finds the files; their
// bytes are read from the image at the sectors it gives, as players read them
// (a DVD-Video file lies in one run of sectors). Nothing of the library
// reaches standard output or standard error: what it says is collected.
//
//   std::string problem;
//   auto image = image::DiscImage::Open("movie.iso", problem);
//   if (!image) { std::cerr << problem; ... }
//   for (const image::ImageFile& f : image->Files()) ... f.name, f.firstSector, f.bytes
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "verify.h"

namespace kestrune::image {

// One file of the image's VIDEO_TS, by its upper-case DVD file name.
struct ImageFile {
  std::string name;              // "VTS_01_1.VOB"
  std::int64_t firstSector = 0;  // from the start of the image
  std::int64_t bytes = 0;
};

class DiscImage {
 public:
  // Opens `path`. Nothing, with the reason in `problem` (a sentence naming the
  // file), when it is not a file with a UDF file system, holds no VIDEO_TS
  // with a VIDEO_TS.IFO, or ends before one of its files does (a truncated
  // image).
  static std::unique_ptr<DiscImage> Open(const std::string& path, std::string& problem);
  ~DiscImage();
  DiscImage(const DiscImage&) = delete;
  DiscImage& operator=(const DiscImage&) = delete;

  const std::string& Path() const { return path_; }
  std::int64_t Bytes() const { return bytes_; }  // of the image file
  // Every DVD file of its VIDEO_TS, in the order of their names.
  const std::vector<ImageFile>& Files() const { return files_; }
  const ImageFile* Find(const std::string& name) const;
  // The files' places, for the verifier.
  verify::ImageLayout Layout() const;
  // Reads up to `length` bytes of `file` from byte `offset` on (fewer where
  // the file ends first). False with `error` set when the image cannot be read.
  bool Read(const ImageFile& file, std::int64_t offset, std::int64_t length, std::vector<std::uint8_t>& bytes,
            std::error_code& error) const;

 private:
  DiscImage() = default;
  std::string path_;
  std::int64_t bytes_ = 0;
  std::vector<ImageFile> files_;
};

}  // namespace kestrune::image
