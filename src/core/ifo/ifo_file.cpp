#include "ifo_file.h"

#include <cstring>
#include <new>
#include <system_error>
#include <vector>

#include "dvd_files.h"
#include "file_layer.h"

namespace kestrune::ifo {

namespace {
constexpr std::size_t kIdentifierLength = 12;
}  // namespace

std::optional<IfoImage> ReadIfoFile(const std::string& dir, const std::string& name, const char* identifier,
                                    Problems& problems) {
  const std::string path = WithTrailingDelimiter(dir) + name;
  if (!FileExists(path)) {
    Note(problems, name, "", "", "is missing");
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  try {
    if (!ReadWholeFile(path, kMaxIfoSectors * kSectorSize, bytes, tooBig, error)) {
      Note(problems, name, "", "", "cannot be read: " + error.message());
      return std::nullopt;
    }
  } catch (const std::bad_alloc&) {
    Note(problems, name, "", "", "cannot be read: out of memory");
    return std::nullopt;
  }
  if (tooBig) {
    Note(problems, name, "", "", "is larger than " + std::to_string(kMaxIfoSectors) + " sectors");
    return std::nullopt;
  }
  if (bytes.size() < kIdentifierLength || std::memcmp(bytes.data(), identifier, kIdentifierLength) != 0) {
    Note(problems, name, "", "identifier", std::string("is not ") + identifier);
    return std::nullopt;
  }
  return IfoImage(std::move(bytes));
}

std::optional<TableReader> OpenTable(const IfoImage& image, const std::string& file, const char* name,
                                     TableSpan& span, std::int64_t endAt, std::int64_t headerSize,
                                     std::uint32_t ifoLastSector, Problems& problems) {
  if (!span.Present()) return std::nullopt;
  const std::int64_t start = static_cast<std::int64_t>(span.sector) * kSectorSize;
  if (!image.Contains(start, endAt + 4)) {
    Note(problems, file, name, "start sector",
         std::to_string(span.sector) + " lies outside the file (" + std::to_string(image.SectorCount()) + " sectors)");
    return std::nullopt;
  }
  const TableReader header(image, file, name, start, endAt + 4);
  span.length = static_cast<std::int64_t>(header.DWord(endAt, "end address")) + 1;
  if (span.length < headerSize) {
    Note(problems, file, name, "end address",
         Hex(static_cast<std::uint64_t>(span.length - 1)) + " is shorter than the table's header");
    return std::nullopt;
  }
  std::int64_t length = span.length;
  if (!image.Contains(start, length)) {
    Note(problems, file, name, "end address",
         Hex(static_cast<std::uint64_t>(span.length - 1)) + " runs past the end of the file (" +
             std::to_string(image.Size()) + " bytes)");
    length = image.Size() - start;
  } else if (start + length > (static_cast<std::int64_t>(ifoLastSector) + 1) * kSectorSize) {
    Note(problems, file, name, "end address",
         Hex(static_cast<std::uint64_t>(span.length - 1)) + " runs past the IFO's last sector (" +
             std::to_string(ifoLastSector) + ")");
  }
  return TableReader(image, file, name, start, length);
}

}  // namespace kestrune::ifo
