#include "time_map_table.h"

#include "ifo_fields.h"

namespace kestrune::ifo {

Tmapti ReadTmapti(const TableReader& table) {
  Tmapti t;
  t.table.length = table.Length();
  const std::int64_t count = table.Word(kTmaptiCount, "time map count");
  if ((table.Length() - kTmaptiFirstOffset) / kTmaptiOffsetSize < count)
    table.Fail("time map count", std::to_string(count) + " offsets do not fit in " + std::to_string(table.Length()) +
                                     " bytes");
  for (std::int64_t m = 0; m < count; ++m) {
    const std::string name = "VTS_TMAP " + std::to_string(m + 1);
    const std::int64_t offset = table.DWord(kTmaptiFirstOffset + kTmaptiOffsetSize * m, (name + " offset").c_str());
    const TableReader head = table.Part(offset, kTmapFirstEntry, name, name + " offset");
    TimeMap map;
    map.offset = offset;
    map.timeUnit = head.Byte(kTmapTimeUnit, "time unit");
    const std::int64_t entries = head.Word(kTmapEntryCount, "entry count");
    const TableReader body = table.Part(offset, kTmapFirstEntry + kTmapEntrySize * entries, name, "entry count");
    for (std::int64_t e = 0; e < entries; ++e)
      map.entries.push_back(body.DWord(kTmapFirstEntry + kTmapEntrySize * e, "entry"));
    t.maps.push_back(std::move(map));
  }
  return t;
}

}  // namespace kestrune::ifo
