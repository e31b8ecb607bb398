// The title VOB set of a title set (VTS_nn_1.VOB .. VTS_nn_9.VOB) as one run
// of sectors across its files, read in chunks: a strip run never holds a
// VOB file, only a few MiB of it at a time.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrune::strip {

// Sectors read at a time: 2 MiB, so memory stays small whatever the set's size.
constexpr std::int64_t kChunkSectors = 1024;

struct VobFile {
  std::string name;  // "VTS_01_2.VOB", for messages
  std::string path;  // where its bytes are read: the file, or its backup once renamed
  std::int64_t bytes = 0;
};

class TitleVobs {
 public:
  TitleVobs() = default;
  explicit TitleVobs(std::vector<VobFile> files) : files_(std::move(files)) {}

  const std::vector<VobFile>& Files() const { return files_; }
  std::vector<VobFile>& Files() { return files_; }
  std::int64_t Bytes() const;
  std::int64_t Sectors() const;
  // The file holding sector `sector` of the set and the sector's byte offset in it.
  std::pair<std::string, std::int64_t> Place(std::int64_t sector) const;
  // "VTS_01_2.VOB sector 17 (sector 4113 of the title VOB set)": where a pack is, for messages.
  std::string Where(std::int64_t sector) const;
  // Reads sectors `first` .. `first` + `count` - 1 into `out`. Throws
  // FileError when a file cannot be read or ends early.
  void Read(std::int64_t first, std::int64_t count, std::vector<std::uint8_t>& out) const;

 private:
  std::vector<VobFile> files_;
};

}  // namespace kestrune::strip
