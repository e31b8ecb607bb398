// The VIDEO_TS of a disc image as a folder the disc model, the folder scan,
// the verifier and a planned run read like any other: a file system
// (file_system.h) that shows the image's files, read-only, in the folder
// IMAGE/VIDEO_TS/ (a path no real folder can have, as IMAGE is a file), and
// passes every other path on to the file system in use before it. In use for
// as long as it lives.
//
//   image::ImageFiles files(*image);
//   const disc::Disc d = disc::ReadDisc(files.Folder());
#pragma once

#include <string>

#include "disc_image.h"
#include "file_system.h"

namespace kestrune::image {

class ImageFiles final : public FileSystem {
 public:
  explicit ImageFiles(const DiscImage& image);
  ImageFiles(const ImageFiles&) = delete;
  ImageFiles& operator=(const ImageFiles&) = delete;

  // "IMAGE/VIDEO_TS/": the folder the image's files are read in.
  const std::string& Folder() const { return folder_; }
  static std::string FolderFor(const std::string& imagePath);

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::int64_t> EntrySize(const std::string& path) override;
  bool CanOpenForReading(const std::string& path) override;
  bool ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes, bool& tooBig,
                     std::error_code& error) override;
  bool ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                     std::vector<std::uint8_t>& bytes, std::error_code& error) override;
  std::optional<std::vector<std::string>> ListFolder(const std::string& dir) override;
  std::optional<std::int64_t> ReadableFileSize(const std::string& path) override;
  std::optional<std::int64_t> FreeBytes(const std::string& dir) override;

  // Nothing in the image's folder can be changed (read_only_file_system).
  std::unique_ptr<NewFile> CreateNew(const std::string& path, std::error_code& error) override;
  std::error_code FlushFile(const std::string& path) override;
  void StartFlush(const std::string& path) override;
  std::error_code FlushFolder(const std::string& dir) override;
  std::error_code Rename(const std::string& from, const std::string& to) override;
  std::error_code RenameNoReplace(const std::string& from, const std::string& to) override;
  std::error_code Delete(const std::string& path) override;
  void Discard(const std::string& path) override;
  std::error_code CreateFolder(const std::string& dir) override;
  void DiscardFolder(const std::string& dir) override;
  // The image's folder: a run can only be planned on it.
  bool Unchangeable(const std::string& dir) override;

 private:
  // The image's file at `path`, if `path` names one in Folder().
  const ImageFile* FileAt(const std::string& path) const;
  bool InFolder(const std::string& path) const;
  bool IsFolder(const std::string& path) const;

  const DiscImage& image_;
  std::string folder_;
  FileSystem& rest_;     // the file system in use before
  UseFileSystem inUse_;  // last: in use once the rest is made
};

// The verifier over the image's VIDEO_TS, with the check of where its files
// lie in the image (verify.h): what "kestrune-cli verify IMAGE" reports.
verify::Report VerifyImage(const DiscImage& image);

}  // namespace kestrune::image
