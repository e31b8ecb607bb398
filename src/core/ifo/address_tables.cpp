#include "address_tables.h"

#include "ifo_fields.h"

namespace kestrune::ifo {

namespace {

// C_ADT: VOB count at +0, end address at +4, entries from +8.
constexpr std::int64_t kVobCount = 0;
// VOBU_ADMAP: end address at +0, 4-byte start sectors from +4.
constexpr std::int64_t kVobuEntrySize = 4;

}  // namespace

CAdt ReadCAdt(const TableReader& table) {
  CAdt adt;
  adt.table.length = table.Length();
  adt.vobCount = table.Word(kVobCount, "VOB count");
  // The table's length, at most an IFO's 512 KiB, bounds the entries.
  for (std::int64_t e = kCAdtHeader; table.Length() - e >= kCAdtEntrySize; e += kCAdtEntrySize) {
    CellAddress a;
    a.vobId = table.Word(e, "VOB id");
    a.cellId = table.Byte(e + 2, "cell id");
    a.startSector = table.DWord(e + 4, "cell start sector");
    a.lastSector = table.DWord(e + 8, "cell last sector");
    adt.cells.push_back(a);
  }
  return adt;
}

VobuAdmap ReadVobuAdmap(const TableReader& table) {
  VobuAdmap map;
  map.table.length = table.Length();
  for (std::int64_t e = kVobuAdmapHeader; table.Length() - e >= kVobuEntrySize; e += kVobuEntrySize)
    map.vobuStartSectors.push_back(table.DWord(e, "VOBU start sector"));
  return map;
}

}  // namespace kestrune::ifo
