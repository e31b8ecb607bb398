// The title set IFO rewrite: the chains of the blanked domains are blanked and
// packed, the tables that describe the removed video are rebuilt or dropped,
// every later table moves down by the whole sectors freed before it, and the
// VTSI_MAT sector fields describe the shrunk set.
#include <algorithm>

#include "blank_vob.h"
#include "ifo_fields.h"
#include "program_chain.h"
#include "title_set.h"

namespace kestrune {

namespace {

// VTS_PTT_SRPT: title count at +0, then one 32-bit offset per title from +8
// to its list of 4-byte PTT entries (PGC number, program number).
constexpr std::int64_t kPttFirstTitle = 8;
constexpr std::int64_t kPttEntrySize = 4;
constexpr std::int64_t kPttProgram = 2;

// A C_ADT of one VOB and one cell.
constexpr std::uint32_t kCAdtOneVobId = 0x00010000;
constexpr std::uint32_t kCAdtBlankCell = 0x00010100;  // VOB id 1, cell id 1
constexpr std::uint32_t kCAdtOneEntryEnd = 0x13;      // a 20-byte table
// VOBU_ADMAP: end address at +0, then one start sector per VOBU.
constexpr std::uint32_t kVobuAdmapOneEntryEnd = 7;

constexpr std::uint32_t kBlankLastSector = kBlankVobSectors - 1;

// End addresses and offsets are unsigned 32-bit fields.
std::int64_t U32At(const TTitleSet& ts, std::int64_t pos) {
  return static_cast<std::uint32_t>(ts.ReadDWord(pos));
}

// The first offset of the title PTT lists; the lists run from there to the
// table's end. Throws when an offset points into the header or off the table.
std::int64_t FirstPttList(const TTitleSet& ts) {
  const std::int64_t table = SectorStart(ts.FVtsPttSrptSector);
  const std::int64_t titles = ts.ReadWord(table);
  const std::int64_t listsStart = kPttFirstTitle + 4 * titles;
  if (listsStart > ts.FVtsPttSrptSize)
    throw InvalidIfo("VTS_PTT_SRPT lists " + std::to_string(titles) + " titles but is too short for them");
  std::int64_t first = ts.FVtsPttSrptSize;
  for (std::int64_t t = 0; t < titles; ++t) {
    const std::int64_t offset = U32At(ts, table + kPttFirstTitle + 4 * t);
    if (offset < listsStart || offset > ts.FVtsPttSrptSize)
      throw InvalidIfo("The PTT list of title " + std::to_string(t + 1) + " lies outside VTS_PTT_SRPT");
    first = std::min(first, offset);
  }
  for (std::int64_t t = 0; t < titles; ++t) {
    if ((U32At(ts, table + kPttFirstTitle + 4 * t) - first) % kPttEntrySize != 0)
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
  if (ts.FBlankVideos && ts.FVtsPgciSector > 0) CheckChainListPacking(ts, SectorStart(ts.FVtsPgciSector), ts.FVtsPgciSize);
  if (ts.FBlankMenus && ts.FVtsmPgciUtSector > 0) {
    const std::int64_t table = SectorStart(ts.FVtsmPgciUtSector);
    for (const std::int64_t unit : ReadLanguageUnits(ts, table, ts.FVtsmPgciUtSize))
      CheckChainListPacking(ts, table + unit, ts.FVtsmPgciUtSize - unit);
  }
}

// A table that keeps its content moves down by whole sectors.
void MoveTableDown(TTitleSet& ts, std::int64_t oldSector, std::int64_t newSector, std::int64_t endAddressAt) {
  const std::int32_t end = ts.ReadDWord(SectorStart(oldSector) + endAddressAt);
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
void RewriteCellAddressTable(TTitleSet& ts, std::int64_t matPointer, std::int32_t& sectorField,
                             std::int32_t& sizeField, bool blanked) {
  const std::int32_t C = sectorField;
  if (C <= 0) return;
  const std::int64_t newSector = C - ts.FSectorShift;
  ts.WriteDWord(matPointer, static_cast<std::uint32_t>(newSector));
  if (blanked) {
    const std::int64_t oldEnd = U32At(ts, SectorStart(C) + 4);  // read before the new table lands on it
    const std::int64_t b = SectorStart(newSector);
    ts.WriteDWord(b, kCAdtOneVobId);
    if (ts.FMergeCells) {
      // One cell is left in every chain: one entry, and the table's other sectors are freed.
      ts.WriteDWord(b + 4, kCAdtOneEntryEnd);
      ts.WriteDWord(b + 8, kCAdtBlankCell);
      ts.WriteDWord(b + 12, 0);
      ts.WriteDWord(b + 16, kBlankLastSector);
      ts.FSectorShift += static_cast<std::int32_t>(SectorsOf(sizeField) - 1);
    } else {
      // The chains keep their cell count, so the table keeps its entries,
      // each now the blank cell. Only whole entries inside the table are written.
      ts.WriteDWord(b + 4, static_cast<std::uint32_t>(oldEnd));
      const std::int64_t entries = (oldEnd + 1 - kCAdtHeader) / kCAdtEntrySize;
      for (std::int64_t k = 0; k < entries; ++k) {
        const std::int64_t entry = b + kCAdtHeader + kCAdtEntrySize * k;
        ts.WriteDWord(entry, kCAdtBlankCell);
        ts.WriteDWord(entry + 4, 0);
        ts.WriteDWord(entry + 8, kBlankLastSector);
      }
    }
  } else {
    MoveTableDown(ts, C, newSector, 4);
  }
  sectorField = ts.ReadDWord(matPointer);
  sizeField = static_cast<std::int32_t>(U32At(ts, SectorStart(sectorField) + 4) + 1);
}

// VTSM_VOBU_ADMAP or VTS_VOBU_ADMAP: moved down, or rebuilt at its new place
// as the blank VOB's one VOBU at sector 0.
void RewriteVobuAddressMap(TTitleSet& ts, std::int64_t matPointer, std::int32_t& sectorField,
                           std::int32_t& sizeField, bool blanked) {
  const std::int32_t A = sectorField;
  if (A <= 0) return;
  const std::int64_t newSector = A - ts.FSectorShift;
  ts.WriteDWord(matPointer, static_cast<std::uint32_t>(newSector));
  if (blanked) {
    ts.WriteDWord(SectorStart(newSector), kVobuAdmapOneEntryEnd);
    ts.WriteDWord(SectorStart(newSector) + 4, 0);
    ts.FSectorShift += static_cast<std::int32_t>(SectorsOf(sizeField) - 1);
  } else {
    MoveTableDown(ts, A, newSector, 0);
  }
  sectorField = ts.ReadDWord(matPointer);
  sizeField = static_cast<std::int32_t>(U32At(ts, SectorStart(sectorField)) + 1);
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
    if (ReadWord(table) > 0) {
      for (std::int64_t off = FirstPttList(*this) + kPttProgram; off + 2 <= FVtsPttSrptSize; off += kPttEntrySize)
        WriteWord(table + off, 1);
    }
  }

  // VTS_PGCI: packed in place; it is the first table that can shrink.
  if (FVtsPgciSector > 0 && FBlankVideos) {
    const std::int64_t table = SectorStart(FVtsPgciSector);
    if (PackChainList(table, FVtsPal)) AccountChainTable(*this, FVtsPgciSize, U32At(*this, table + 4) + 1);
  }

  // VTSM_PGCI_UT: each language unit packed where it stands, then the table moves.
  if (FVtsmPgciUtSector > 0) {
    const std::int32_t U = FVtsmPgciUtSector;
    const std::int32_t s0 = FSectorShift;
    WriteDWord(kVtsiVtsmPgciUt, static_cast<std::uint32_t>(U - s0));
    if (FBlankMenus) {
      const std::int64_t table = SectorStart(U);
      const std::vector<std::int64_t> units = ReadLanguageUnits(*this, table, FVtsmPgciUtSize);
      for (const std::int64_t unit : units) PackChainList(table + unit, FVtsmPal);
      if (!units.empty()) {
        // The table now ends where its last stored unit ends, whether or not
        // that unit holds chains; space freed inside earlier units stays.
        const std::int64_t last = units.back();
        const std::int64_t end = last + U32At(*this, table + last + 4);
        WriteDWord(table + 4, static_cast<std::uint32_t>(end));
        AccountChainTable(*this, FVtsmPgciUtSize, end + 1);
      }
    }
    MoveTableDown(*this, U, U - s0, 4);
    FVtsmPgciUtSector = ReadDWord(kVtsiVtsmPgciUt);
    FVtsmPgciUtSize = static_cast<std::int32_t>(U32At(*this, SectorStart(FVtsmPgciUtSector) + 4) + 1);
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
      MoveTableDown(*this, P, P - FSectorShift, 4);
      FVtsTmaptiSector = P - FSectorShift;
    }
  }

  RewriteCellAddressTable(*this, kVtsiVtsmCAdt, FVtsmCAdtSector, FVtsmCAdtSize, FBlankMenus);
  RewriteVobuAddressMap(*this, kVtsiVtsmVobuAdmap, FVtsmVobuAdmapSector, FVtsmVobuAdmapSize, FBlankMenus);
  RewriteCellAddressTable(*this, kVtsiCAdt, FVtsCAdtSector, FVtsCAdtSize, FBlankVideos);
  RewriteVobuAddressMap(*this, kVtsiVobuAdmap, FVtsVobuAdmapSector, FVtsVobuAdmapSize, FBlankVideos);

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
