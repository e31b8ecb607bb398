#include "title_vobs.h"

#include <algorithm>

#include "file_layer.h"
#include "sector.h"

namespace kestrune::strip {

std::int64_t TitleVobs::Bytes() const {
  std::int64_t bytes = 0;
  for (const VobFile& f : files_) bytes += f.bytes;
  return bytes;
}

std::int64_t TitleVobs::Sectors() const { return Bytes() / kSectorSize; }

std::pair<std::string, std::int64_t> TitleVobs::Place(std::int64_t sector) const {
  std::int64_t at = SectorStart(sector);
  for (const VobFile& f : files_) {
    if (at < f.bytes) return {f.name, at};
    at -= f.bytes;
  }
  return {files_.empty() ? std::string() : files_.back().name, at + (files_.empty() ? 0 : files_.back().bytes)};
}

std::string TitleVobs::Where(std::int64_t sector) const {
  const auto [name, offset] = Place(sector);
  return name + " sector " + std::to_string(offset / kSectorSize) + " (sector " + std::to_string(sector) +
         " of the title VOB set)";
}

void TitleVobs::Read(std::int64_t first, std::int64_t count, std::vector<std::uint8_t>& out) const {
  out.resize(static_cast<std::size_t>(count * kSectorSize));
  std::int64_t at = SectorStart(first), done = 0, fileStart = 0;
  std::vector<std::uint8_t> part;
  for (const VobFile& f : files_) {
    const std::int64_t fileEnd = fileStart + f.bytes;
    if (done < static_cast<std::int64_t>(out.size()) && at < fileEnd) {
      const std::int64_t length = std::min<std::int64_t>(fileEnd - at, static_cast<std::int64_t>(out.size()) - done);
      std::error_code error;
      if (!ReadFileRange(f.path, at - fileStart, length, part, error)) throw FileError(f.path, "read", error);
      if (static_cast<std::int64_t>(part.size()) != length)
        throw FileError(f.path, "read", std::make_error_code(std::errc::io_error));
      std::copy(part.begin(), part.end(), out.begin() + done);
      done += length;
      at += length;
    }
    fileStart = fileEnd;
  }
  if (done != static_cast<std::int64_t>(out.size()))
    throw FileError(files_.empty() ? std::string("title VOB set") : files_.back().path, "read",
                    std::make_error_code(std::errc::io_error));
}

}  // namespace kestrune::strip
