#include "title_set_relocation.h"

#include <functional>
#include <set>

#include "address_tables.h"
#include "chain_tables.h"
#include "ifo_fields.h"
#include "ifo_tables.h"
#include "time_map_table.h"

namespace kestrune::strip {

namespace {

using ifo::TableReader;

std::optional<TableReader> Table(const IfoImage& image, const std::string& file, ifo::VtsTable t) {
  const ifo::TableSpan span = ifo::ReadMatLayout(image, ifo::IfoKind::kVts).Table(t);
  if (!span.Present()) return std::nullopt;
  return TableReader(image, file, ifo::KindOf(t).name, span.Start(), span.length);
}

// Calls `visit` with each distinct title chain (several search pointers may
// lead to one PGC) and where its sub-tables lie.
void ForEachTitleChain(const IfoImage& image, const std::string& file,
                       const std::function<void(const ifo::PgcLayout&, int pgcn)>& visit) {
  const auto list = Table(image, file, ifo::VtsTable::kPgci);
  if (!list) return;
  const std::int64_t count = ifo::SearchPointerCount(*list, "search pointers");
  std::set<std::int64_t> seen;
  for (std::int64_t k = 0; k < count; ++k) {
    const TableReader pgc = ifo::PgcOfPointer(*list, k, count);
    if (seen.insert(pgc.Start()).second) visit(ifo::LocatePgc(pgc), static_cast<int>(k + 1));
  }
}

// Runs `change`; a damaged table becomes a refusal naming it.
template <typename Change>
void Guarded(const std::string& file, Change&& change) {
  try {
    change();
  } catch (const Refusal&) {
    throw;
  } catch (const InvalidIfo& e) {
    throw Refusal(file + ": " + e.what());
  }
}

class Relocator {
 public:
  Relocator(IfoImage& image, const std::string& file, const SectorMap& map) : image_(image), file_(file), map_(map) {}

  // A field at image offset `at` that names the start of a VOBU or a cell.
  void Start(std::int64_t at, const std::string& field, std::uint32_t flags = 0) {
    const std::uint32_t value = image_.ReadDWord(at);
    const std::int64_t old = value & ~flags;
    const auto moved = old < map_.OldSectors() ? map_.Map(old) : std::nullopt;
    if (!moved)
      throw Refusal(file_ + " " + field + " (offset " + ifo::Hex(at) + ") names sector " + std::to_string(old) +
                    (old < map_.OldSectors() ? ", which is not a NAV pack" : ", past the title VOB set of " +
                                                                               std::to_string(map_.OldSectors()) +
                                                                               " sectors") +
                    "; the IFO disagrees with its VOBs.");
    image_.WriteDWord(at, static_cast<std::uint32_t>(*moved) | (value & flags));
  }
  // A field that names where something ends.
  void End(std::int64_t at, const std::string& field) {
    const std::int64_t old = image_.ReadDWord(at);
    if (old >= map_.OldSectors())
      throw Refusal(file_ + " " + field + " (offset " + ifo::Hex(at) + ") ends at sector " + std::to_string(old) +
                    ", past the title VOB set of " + std::to_string(map_.OldSectors()) +
                    " sectors; the IFO disagrees with its VOBs.");
    image_.WriteDWord(at, static_cast<std::uint32_t>(map_.MapLast(old).value_or(0)));
  }

 private:
  IfoImage& image_;
  const std::string& file_;
  const SectorMap& map_;
};

}  // namespace

void RefuseInterleavedCells(const IfoImage& image, const std::string& file) {
  Guarded(file, [&] {
    ForEachTitleChain(image, file, [&](const ifo::PgcLayout& pgc, int pgcn) {
      for (int c = 0; c < pgc.cells; ++c) {
        const std::uint8_t category = image.ReadByte(pgc.pgc + pgc.cellPlayback + kCPbiSize * c + kCPbiCategory);
        if (category & (kCellBlockType | kCellInterleaved))
          throw Refusal(file + " VTS_PGCI PGC " + std::to_string(pgcn) + " cell " + std::to_string(c + 1) +
                        " lies in an " + ((category & kCellBlockType) ? "angle block" : "interleaved block") +
                        ". Dropping streams from interleaved blocks (angles, seamless branching) is not "
                        "supported; nothing was changed.");
      }
    });
  });
}

void RelocateTitleVobs(IfoImage& image, const std::string& file, const SectorMap& map) {
  Guarded(file, [&] {
    Relocator r(image, file, map);
    image.WriteDWord(kMatLastSector,
                     image.ReadDWord(kMatLastSector) - static_cast<std::uint32_t>(map.RemovedSectors()));
    if (const auto t = Table(image, file, ifo::VtsTable::kCAdt)) {
      const ifo::CAdt adt = ifo::ReadCAdt(*t);
      for (std::size_t k = 0; k < adt.cells.size(); ++k) {
        const std::int64_t e = t->Start() + kCAdtHeader + kCAdtEntrySize * static_cast<std::int64_t>(k);
        const std::string name = "VTS_C_ADT entry " + std::to_string(k + 1);
        r.Start(e + kCAdtStartSector, name + " start sector");
        r.End(e + kCAdtLastSector, name + " last sector");
      }
    }
    if (const auto t = Table(image, file, ifo::VtsTable::kVobuAdmap)) {
      const ifo::VobuAdmap admap = ifo::ReadVobuAdmap(*t);
      for (std::size_t k = 0; k < admap.vobuStartSectors.size(); ++k)
        r.Start(t->Start() + kVobuAdmapHeader + kVobuAdmapEntrySize * static_cast<std::int64_t>(k),
                "VTS_VOBU_ADMAP entry " + std::to_string(k + 1));
    }
    if (const auto t = Table(image, file, ifo::VtsTable::kTmapti)) {
      const ifo::Tmapti tmapti = ifo::ReadTmapti(*t);
      for (std::size_t m = 0; m < tmapti.maps.size(); ++m) {
        for (std::size_t e = 0; e < tmapti.maps[m].entries.size(); ++e)
          r.Start(t->Start() + ifo::TimeMapEntryAt(tmapti.maps[m], static_cast<std::int64_t>(e)),
                  "VTS_TMAP " + std::to_string(m + 1) + " entry " + std::to_string(e + 1), kTmapDiscontinuity);
      }
    }
    ForEachTitleChain(image, file, [&](const ifo::PgcLayout& pgc, int pgcn) {
      for (int c = 0; c < pgc.cells; ++c) {
        const std::int64_t e = pgc.pgc + pgc.cellPlayback + kCPbiSize * c;
        const std::string name = "VTS_PGCI PGC " + std::to_string(pgcn) + " cell " + std::to_string(c + 1);
        r.Start(e + kCPbiFirstVobuStart, name + " first VOBU start sector");
        if (image.ReadDWord(e + kCPbiFirstIlvuEnd) != 0) r.End(e + kCPbiFirstIlvuEnd, name + " first ILVU end sector");
        r.Start(e + kCPbiLastVobuStart, name + " last VOBU start sector");
        r.End(e + kCPbiLastVobuEnd, name + " last sector");
      }
    });
  });
}

void MarkStreamsUnavailable(IfoImage& image, const std::string& file, const DroppedStreams& dropped) {
  // An entry not available is all zero, as authoring tools leave the
  // entries of streams a chain lacks (libdvdread checks it): the stream
  // numbers it held mean nothing without the "available" bit.
  Guarded(file, [&] {
    ForEachTitleChain(image, file, [&](const ifo::PgcLayout& pgc, int) {
      for (std::size_t i = 0; i < dropped.audio.size() && i < kPgcAudioStreams; ++i) {
        if (!dropped.audio[i]) continue;
        image.WriteWord(pgc.pgc + kPgcStreamControl + 2 * static_cast<std::int64_t>(i), 0);
      }
      for (std::size_t i = 0; i < dropped.subpictures.size() && i < kPgcSubpictureStreams; ++i) {
        if (!dropped.subpictures[i]) continue;
        image.WriteDWord(pgc.pgc + kPgcSubpictureControl + 4 * static_cast<std::int64_t>(i), 0);
      }
    });
  });
}

}  // namespace kestrune::strip
