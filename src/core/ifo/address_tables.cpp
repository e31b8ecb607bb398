#include "address_tables.h"

#include "ifo_fields.h"

namespace kestrune::ifo {

CAdt ReadCAdt(const TableReader& table) {
  CAdt adt;
  adt.table.length = table.Length();
  adt.vobCount = table.Word(kCAdtVobCount, "VOB count");
  // The table's length, at most an IFO's 512 KiB, bounds the entries.
  for (std::int64_t e = kCAdtHeader; table.Length() - e >= kCAdtEntrySize; e += kCAdtEntrySize) {
    CellAddress a;
    a.vobId = table.Word(e + kCAdtVobId, "VOB id");
    a.cellId = table.Byte(e + kCAdtCellId, "cell id");
    a.startSector = table.DWord(e + kCAdtStartSector, "cell start sector");
    a.lastSector = table.DWord(e + kCAdtLastSector, "cell last sector");
    adt.cells.push_back(a);
  }
  return adt;
}

VobuAdmap ReadVobuAdmap(const TableReader& table) {
  VobuAdmap map;
  map.table.length = table.Length();
  for (std::int64_t e = kVobuAdmapHeader; table.Length() - e >= kVobuAdmapEntrySize; e += kVobuAdmapEntrySize)
    map.vobuStartSectors.push_back(table.DWord(e, "VOBU start sector"));
  return map;
}

}  // namespace kestrune::ifo
