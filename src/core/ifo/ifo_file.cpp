#include "ifo_file.h"

#include <new>
#include <system_error>
#include <vector>

#include "dvd_files.h"
#include "file_layer.h"

namespace kestrune::ifo {

std::optional<IfoImage> ReadIfoFile(const std::string& dir, const std::string& name, IfoKind kind,
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
  const auto fileBytes = static_cast<std::int64_t>(bytes.size());
  IfoImage image(std::move(bytes));
  if (!HasIdentifier(image, fileBytes, kind)) {
    Note(problems, name, "", "identifier", std::string("is not ") + IdentifierOf(kind));
    return std::nullopt;
  }
  return image;
}

std::optional<TableReader> OpenTable(const IfoImage& image, const std::string& file, const TableKind& kind,
                                     const TableSpan& span, std::uint32_t ifoLastSector, Problems& problems) {
  if (!span.Present()) return std::nullopt;
  const std::int64_t start = span.Start();
  if (!image.Contains(start, kind.endAddressAt + 4)) {
    Note(problems, file, kind.name, "start sector",
         std::to_string(span.sector) + " lies outside the file (" + std::to_string(image.SectorCount()) + " sectors)");
    return std::nullopt;
  }
  if (span.length < kind.headerSize) {
    Note(problems, file, kind.name, "end address",
         Hex(static_cast<std::uint64_t>(span.length - 1)) + " is shorter than the table's header");
    return std::nullopt;
  }
  std::int64_t length = span.length;
  if (!image.Contains(start, length)) {
    Note(problems, file, kind.name, "end address",
         Hex(static_cast<std::uint64_t>(span.length - 1)) + " runs past the end of the file (" +
             std::to_string(image.Size()) + " bytes)");
    length = image.Size() - start;
  } else if (start + length > (static_cast<std::int64_t>(ifoLastSector) + 1) * kSectorSize) {
    Note(problems, file, kind.name, "end address",
         Hex(static_cast<std::uint64_t>(span.length - 1)) + " runs past the IFO's last sector (" +
             std::to_string(ifoLastSector) + ")");
  }
  return TableReader(image, file, kind.name, start, length);
}

}  // namespace kestrune::ifo
