// The title set IFO rewrite: the chains of the blanked domains are blanked and
// packed, the tables that describe the removed video are rebuilt or dropped,
// every later table moves down by the whole sectors freed before it, and the
// VTSI_MAT sector fields describe the shrunk set.
#include <algorithm>

#include "blank_vob.h"
#include "ifo_fields.h"
#include "ifo_tables.h"
#include "program_chain.h"
#include "title_set.h"
#include "title_tables.h"

namespace kestrune {

namespace {

// End addresses and offsets are unsigned 32-bit fields.
std::int64_t U32At(const TTitleSet& ts, std::int64_t pos) {
  return static_cast<std::uint32_t>(ts.ReadDWord(pos));
}

ifo::TableReader TableOf(const TTitleSet& ts, ifo::VtsTable table, std::int32_t sector, std::int32_t size) {
  return TableOf(ts, ifo::KindOf(table).name, SectorStart(sector), size);
}

// The first offset of the title PTT lists; the lists run from there to the
// table's end. Throws when an offset points into the header or off the table.
std::int64_t FirstPttList(const TTitleSet& ts) {
  const ifo::TableReader table = TableOf(ts, ifo::VtsTable::kPttSrpt, ts.FVtsPttSrptSector, ts.FVtsPttSrptSize);
  const std::int64_t titles = table.Word(kListCount, "title count");
  const std::int64_t listsStart = kPttFirstTitle + kPttOffsetSize * titles;
  if (listsStart > ts.FVtsPttSrptSize)
    throw InvalidIfo("VTS_PTT_SRPT lists " + std::to_string(titles) + " titles but is too short for them");
  const std::vector<std::uint32_t> offsets = ifo::ReadPttOffsets(table, titles);
  std::int64_t first = ts.FVtsPttSrptSize;
  for (std::size_t t = 0; t < offsets.size(); ++t) {
    if (offsets[t] < listsStart || offsets[t] > static_cast<std::int64_t>(ts.FVtsPttSrptSize))
      throw InvalidIfo("The PTT list of title " + std::to_string(t + 1) + " lies outside VTS_PTT_SRPT");
    first = std::min<std::int64_t>(first, offsets[t]);
  }
  for (std::size_t t = 0; t < offsets.size(); ++t) {
    if ((offsets[t] - first) % kPttEntrySize != 0)
      throw InvalidIfo("The PTT list of title " + std::to_string(t + 1) + " does not start on a PTT entry");
  }
  return first;
}

// Everything the rewrite will follow, checked before any byte changes.
void CheckVtsRewrite(const TTitleSet& ts) {
  const std::int32_t L = ts.FVtsiLastSector;
  const std::int32_t M = ts.FVtsmVobsSector;
  const std::int32_t T = ts.FVtsttVobsSector;
  // The new 0xC4 and 0x0C count from the VOB sets' starts; without the set
  // there is nothing they could describe.
  if (ts.FBlankMenus && M <= 0) throw InvalidIfo("VTSI_MAT describes no menu VOB set (VTSM_VOBS) to blank");
  if (ts.FBlankVideos && T <= 0) throw InvalidIfo("VTSI_MAT describes no title VOB set (VTSTT_VOBS) to blank");
  if (M > 0 && M <= L) throw InvalidIfo("VTSM_VOBS starts inside the IFO");
  if (T > 0 && T <= L) throw InvalidIfo("VTSTT_VOBS starts inside the IFO");
  if (M > 0 && T > 0 && T < M) throw InvalidIfo("VTSTT_VOBS starts before VTSM_VOBS");

  if (ts.FBlankVideos && MergesPrograms(ts) && ts.FVtsPttSrptSector > 0) FirstPttList(ts);
  if (ts.FBlankVideos && ts.FVtsPgciSector > 0)
    CheckChainListPacking(ts, TableOf(ts, ifo::VtsTable::kPgci, ts.FVtsPgciSector, ts.FVtsPgciSize));
  if (ts.FBlankMenus && ts.FVtsmPgciUtSector > 0) {
    for (const ifo::TableReader& unit :
         ReadLanguageUnits(TableOf(ts, ifo::VtsTable::kVtsmPgciUt, ts.FVtsmPgciUtSector, ts.FVtsmPgciUtSize)))
      CheckChainListPacking(ts, unit);
  }
}

// A table that keeps its content moves down by whole sectors.
void MoveTableDown(TTitleSet& ts, std::int64_t oldSector, std::int64_t newSector, const ifo::TableKind& kind) {
  const std::int32_t end = ts.ReadDWord(SectorStart(oldSector) + kind.endAddressAt);
  if (end >= 0) ImageOf(ts).MoveDown(SectorStart(oldSector), SectorStart(newSector), static_cast<std::int64_t>(end) + 1);
}

// A packed chain table frees the whole sectors it no longer fills.
void AccountChainTable(TTitleSet& ts, std::int32_t& sizeField, std::int64_t newSize) {
  const std::int64_t before = SectorsOf(sizeField);
  const std::int64_t after = SectorsOf(newSize);
  if (before > after) ts.FSectorShift += static_cast<std::int32_t>(before - after);
  sizeField = static_cast<std::int32_t>(newSize);
}

// VTSM_C_ADT or VTS_C_ADT: moved down, or rebuilt at its new place so that
// every cell of the blanked VOB set is sectors 0 to 4 of VOB id 1, cell id 1.
void RewriteCellAddressTable(TTitleSet& ts, ifo::VtsTable table, std::int32_t& sectorField, std::int32_t& sizeField,
                             bool blanked) {
  const ifo::TableKind& kind = ifo::KindOf(table);
  const std::int32_t C = sectorField;
  if (C <= 0) return;
  const std::int64_t newSector = C - ts.FSectorShift;
  ts.WriteDWord(kind.matPointer, static_cast<std::uint32_t>(newSector));
  if (blanked) {
    const std::int64_t oldEnd = U32At(ts, SectorStart(C) + kCAdtEndAddress);  // read before the new table lands on it
    if (ts.FMergeCells) {
      // One cell is left in every chain: one entry, and the table's other sectors are freed.
      WriteBlankCAdt(ts, SectorStart(newSector), 1, static_cast<std::uint32_t>(BlankCAdtSize(1) - 1));
      ts.FSectorShift += static_cast<std::int32_t>(SectorsOf(sizeField) - 1);
    } else {
      // The chains keep their cell count, so the table keeps its entries,
      // each now the blank cell. Only whole entries inside the table are written.
      WriteBlankCAdt(ts, SectorStart(newSector), (oldEnd + 1 - kCAdtHeader) / kCAdtEntrySize,
                     static_cast<std::uint32_t>(oldEnd));
    }
  } else {
    MoveTableDown(ts, C, newSector, kind);
  }
  sectorField = ts.ReadDWord(kind.matPointer);
  sizeField = static_cast<std::int32_t>(U32At(ts, SectorStart(sectorField) + kCAdtEndAddress) + 1);
}

// VTSM_VOBU_ADMAP or VTS_VOBU_ADMAP: moved down, or rebuilt at its new place
// as the blank VOB's one VOBU at sector 0.
void RewriteVobuAddressMap(TTitleSet& ts, ifo::VtsTable table, std::int32_t& sectorField, std::int32_t& sizeField,
                           bool blanked) {
  const ifo::TableKind& kind = ifo::KindOf(table);
  const std::int32_t A = sectorField;
  if (A <= 0) return;
  const std::int64_t newSector = A - ts.FSectorShift;
  ts.WriteDWord(kind.matPointer, static_cast<std::uint32_t>(newSector));
  if (blanked) {
    WriteBlankVobuAdmap(ts, SectorStart(newSector));
    ts.FSectorShift += static_cast<std::int32_t>(SectorsOf(sizeField) - 1);
  } else {
    MoveTableDown(ts, A, newSector, kind);
  }
  sectorField = ts.ReadDWord(kind.matPointer);
  sizeField = static_cast<std::int32_t>(U32At(ts, SectorStart(sectorField) + kVobuAdmapEndAddress) + 1);
}

}  // namespace

void TTitleSet::RewriteVtsIfo() {
  CheckVtsRewrite(*this);
  // Sector fields as loaded, widened: a damaged IFO may hold any 32-bit value.
  const std::int64_t E = FVtsLastSector;
  const std::int64_t L = FVtsiLastSector;
  const std::int64_t M = FVtsmVobsSector;
  const std::int64_t T = FVtsttVobsSector;

  FSectorShift = 0;

  // Stream attributes of a blanked domain: the one-frame VOB has no audio or
  // sub-pictures.
  if (FRemoveAudioSubMapping) {
    if (FBlankMenus) ImageOf(*this).Fill(kMatMenuStreamsFirst, kMatMenuStreamsLast - kMatMenuStreamsFirst + 1, 0);
    if (FBlankVideos) ImageOf(*this).Fill(kVtsiTitleStreamsFirst, kVtsiTitleStreamsLast - kVtsiTitleStreamsFirst + 1, 0);
  }

  // With merged programs (Merge Programs, or Merge Cells) every chapter of
  // every title is program 1 of its PGC.
  if (FBlankVideos && MergesPrograms(*this) && FVtsPttSrptSector > 0) {
    const std::int64_t table = SectorStart(FVtsPttSrptSector);
    if (ReadWord(table + kListCount) > 0) {
      for (std::int64_t off = FirstPttList(*this) + kPttPgn; off + 2 <= FVtsPttSrptSize; off += kPttEntrySize)
        WriteWord(table + off, 1);
    }
  }

  // VTS_PGCI: packed in place; it is the first table that can shrink.
  if (FVtsPgciSector > 0 && FBlankVideos) {
    if (PackChainList(TableOf(*this, ifo::VtsTable::kPgci, FVtsPgciSector, FVtsPgciSize), FVtsPal))
      AccountChainTable(*this, FVtsPgciSize, U32At(*this, SectorStart(FVtsPgciSector) + kListEndAddress) + 1);
  }

  // VTSM_PGCI_UT: each language unit packed where it stands, then the table moves.
  if (FVtsmPgciUtSector > 0) {
    const std::int32_t U = FVtsmPgciUtSector;
    const std::int32_t s0 = FSectorShift;
    const ifo::TableKind& kind = ifo::KindOf(ifo::VtsTable::kVtsmPgciUt);
    WriteDWord(kind.matPointer, static_cast<std::uint32_t>(U - s0));
    if (FBlankMenus) {
      const std::int64_t table = SectorStart(U);
      const std::vector<ifo::TableReader> units =
          ReadLanguageUnits(TableOf(*this, ifo::VtsTable::kVtsmPgciUt, U, FVtsmPgciUtSize));
      for (const ifo::TableReader& unit : units) PackChainList(unit, FVtsmPal);
      if (!units.empty()) {
        // The table now ends where its last stored unit ends, whether or not
        // that unit holds chains; space freed inside earlier units stays.
        const std::int64_t last = units.back().Start();
        const std::int64_t end = last - table + U32At(*this, last + kListEndAddress);
        WriteDWord(table + kListEndAddress, static_cast<std::uint32_t>(end));
        AccountChainTable(*this, FVtsmPgciUtSize, end + 1);
      }
    }
    MoveTableDown(*this, U, U - s0, kind);
    FVtsmPgciUtSector = ReadDWord(kind.matPointer);
    FVtsmPgciUtSize = static_cast<std::int32_t>(U32At(*this, SectorStart(FVtsmPgciUtSector) + kListEndAddress) + 1);
  }

  // VTS_TMAPTI: the time maps point into title video that is gone.
  if (FVtsTmaptiSector > 0) {
    const std::int32_t P = FVtsTmaptiSector;
    if (FBlankVideos) {
      WriteDWord(kVtsiTmapti, 0);
      FSectorShift += static_cast<std::int32_t>(SectorsOf(FVtsTmaptiSize));
      FVtsTmaptiSize = 0;
    } else {
      WriteDWord(kVtsiTmapti, static_cast<std::uint32_t>(P - FSectorShift));
      MoveTableDown(*this, P, P - FSectorShift, ifo::KindOf(ifo::VtsTable::kTmapti));
      FVtsTmaptiSector = P - FSectorShift;
    }
  }

  RewriteCellAddressTable(*this, ifo::VtsTable::kVtsmCAdt, FVtsmCAdtSector, FVtsmCAdtSize, FBlankMenus);
  RewriteVobuAddressMap(*this, ifo::VtsTable::kVtsmVobuAdmap, FVtsmVobuAdmapSector, FVtsmVobuAdmapSize, FBlankMenus);
  RewriteCellAddressTable(*this, ifo::VtsTable::kCAdt, FVtsCAdtSector, FVtsCAdtSize, FBlankVideos);
  RewriteVobuAddressMap(*this, ifo::VtsTable::kVobuAdmap, FVtsVobuAdmapSector, FVtsVobuAdmapSize, FBlankVideos);

  // Sector fields. The set is laid out IFO, menu VOBs, title VOBs, BUP (as
  // long as the IFO); a blanked VOB set is the five-sector blank VOB.
  const std::int64_t S = FSectorShift;
  std::int64_t menuSectors = M > 0 ? std::max<std::int64_t>(T - M, 0) : 0;
  // The BUP is as long as the IFO, so E = (start of the title VOBs) + title sectors + L.
  const std::int64_t titlesStart = M > 0 ? M + menuSectors : T;
  std::int64_t titleSectors = T > 0 ? std::max<std::int64_t>(E - L - titlesStart, 0) : 0;
  const std::int64_t newIfoLast = L - S;
  WriteDWord(kMatIfoLastSector, static_cast<std::uint32_t>(newIfoLast));
  if (M > 0) WriteDWord(kMatMenuVobsSector, static_cast<std::uint32_t>(M - S));
  if (T > 0) {
    // With the menus blanked the titles follow the five-sector blank menu VOB
    // (a set without menu VOBs never gets here with its menus blanked).
    const std::int64_t titles = (FBlankVideos && !FBlankMenus) ? T - S : M - S + kBlankVobSectors;
    WriteDWord(kVtsiTitleVobsSector, static_cast<std::uint32_t>(titles));
  }
  if (FBlankVideos) titleSectors = kBlankVobSectors;
  if (FBlankMenus) menuSectors = kBlankVobSectors;
  // Without a menu VOB set only the titles can be blanked (checked above), so
  // the titles start at T - S: IFO, title VOBs, BUP, which without free
  // sectors is 2 x (new 0x1C) + 6.
  const std::int64_t newSetLast = M > 0 ? newIfoLast + (M - S) + menuSectors + titleSectors
                                        : newIfoLast + (T - S) + titleSectors;
  WriteDWord(kMatLastSector, static_cast<std::uint32_t>(newSetLast));
  FSectorShift = static_cast<std::int32_t>(E - newSetLast);
}

}  // namespace kestrune
