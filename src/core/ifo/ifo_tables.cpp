#include "ifo_tables.h"

#include <cstring>

namespace kestrune::ifo {

MatLayout ReadMatLayout(const IfoImage& image, IfoKind kind) {
  MatLayout layout;
  layout.kind = kind;
  layout.setLastSector = image.ReadDWord(kMatLastSector);
  layout.ifoLastSector = image.ReadDWord(kMatIfoLastSector);
  layout.matEnd = image.ReadDWord(kMatEndAddress);
  layout.menuVobsSector = image.ReadDWord(kMatMenuVobsSector);
  if (kind == IfoKind::kVts) layout.titleVobsSector = image.ReadDWord(kVtsiTitleVobsSector);
  const auto kinds = TablesOf(kind);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    TableSpan& span = layout.tables[i];
    span.sector = image.ReadDWord(kinds[i].matPointer);
    const std::int64_t endAt = span.Start() + kinds[i].endAddressAt;
    if (span.Present() && image.Contains(endAt, 4)) span.length = static_cast<std::int64_t>(image.ReadDWord(endAt)) + 1;
  }
  return layout;
}

bool HasIdentifier(const IfoImage& image, std::int64_t fileBytes, IfoKind kind) {
  return fileBytes >= kIdentifierLength && image.Size() >= kIdentifierLength &&
         std::memcmp(image.Data(), IdentifierOf(kind), kIdentifierLength) == 0;
}

}  // namespace kestrune::ifo
