// The video manager IFO rewrite for a blanked VIDEO_TS.VOB: the menu chains
// play the one-frame VOB where they stand, VMGM_C_ADT and VMGM_VOBU_ADMAP
// become one-entry tables, the set shrinks, and every title of TT_SRPT starts
// that many sectors earlier.
#include "blank_vob.h"
#include "ifo_fields.h"
#include "ifo_tables.h"
#include "program_chain.h"
#include "title_set.h"
#include "title_tables.h"

namespace kestrune {

namespace {

// Every distinct menu chain of VMGM_PGCI_UT, checked before any is changed.
// A chain shared by several search pointers or language units is listed once.
std::vector<PgcLayout> ReadMenuChains(const TTitleSet& ts) {
  std::vector<PgcLayout> chains;
  if (ts.FVmgmPgciUtSector <= 0) return chains;
  const ifo::TableReader table = TableOf(ts, ifo::KindOf(ifo::VmgTable::kVmgmPgciUt).name,
                                         SectorStart(ts.FVmgmPgciUtSector), ts.FVmgmPgciUtSize);
  for (const ifo::TableReader& unit : ReadLanguageUnits(table)) {
    const ChainList list = ReadChainList(unit);
    for (std::size_t i = 0; i < list.storedOffsets.size(); ++i) chains.push_back(LocateStoredChain(unit, list, i));
  }
  return chains;
}

}  // namespace

void TTitleSet::RewriteVmgIfo() {
  // The new set size counts the blank VOB from the menu VOB set's start.
  if (FVmgmVobsSector <= 0) throw InvalidIfo("VMGI_MAT describes no menu VOB set (VMGM_VOBS) to blank");
  if (FVmgmVobsSector <= FVmgiLastSector) throw InvalidIfo("VMGM_VOBS starts inside the IFO");
  const std::vector<PgcLayout> chains = ReadMenuChains(*this);

  FSectorShift = 0;
  // The one-frame VOB has no audio or sub-pictures.
  if (FRemoveAudioSubMapping) ImageOf(*this).Fill(kMatMenuStreamsFirst, kMatMenuStreamsLast - kMatMenuStreamsFirst + 1, 0);

  // Menu chains keep their place and size: nothing in VMGM_PGCI_UT moves.
  for (const PgcLayout& chain : chains) BlankMenuPgc(*this, chain, FVmgmPal);

  // VMGM_C_ADT: the blank VOB's one cell, VOB id 1, cell id 1, sectors 0 to 4.
  if (FVmgmCAdtSector > 0) {
    WriteBlankCAdt(*this, SectorStart(FVmgmCAdtSector), 1, static_cast<std::uint32_t>(BlankCAdtSize(1) - 1));
    FSectorShift += static_cast<std::int32_t>(SectorsOf(FVmgmCAdtSize) - 1);
    FVmgmCAdtSize = static_cast<std::int32_t>(BlankCAdtSize(1));
  }

  // VMGM_VOBU_ADMAP: one VOBU at sector 0, built straight at its new place.
  if (FVmgmVobuAdmapSector > 0) {
    const std::int64_t moved = static_cast<std::int64_t>(FVmgmVobuAdmapSector) - FSectorShift;
    WriteDWord(kVmgiVmgmVobuAdmap, static_cast<std::uint32_t>(moved));
    WriteBlankVobuAdmap(*this, SectorStart(moved));
    FSectorShift += static_cast<std::int32_t>(SectorsOf(FVmgmVobuAdmapSize) - 1);
    FVmgmVobuAdmapSector = static_cast<std::int32_t>(moved);
    FVmgmVobuAdmapSize = static_cast<std::int32_t>(kBlankVobuAdmapSize);
  }

  // IFO, menu VOB (the five-sector blank VOB) and the BUP, as long as the IFO.
  const std::int64_t newIfoLast = static_cast<std::int64_t>(FVmgiLastSector) - FSectorShift;
  const std::int64_t newMenuVobs = static_cast<std::int64_t>(FVmgmVobsSector) - FSectorShift;
  const std::int64_t newSetLast = newIfoLast + newMenuVobs + kBlankVobSectors;
  WriteDWord(kMatIfoLastSector, static_cast<std::uint32_t>(newIfoLast));
  WriteDWord(kMatMenuVobsSector, static_cast<std::uint32_t>(newMenuVobs));
  WriteDWord(kMatLastSector, static_cast<std::uint32_t>(newSetLast));
  FSectorShift = static_cast<std::int32_t>(FVmgLastSector - newSetLast);

  // Every title set lies after the video manager set, so all of them move.
  LowerTitleSetSectors(-1, static_cast<std::uint32_t>(FSectorShift));
}

void TTitleSet::LowerTitleSetSectors(int afterTitleSet, std::uint32_t sectors) {
  if (FTtSrptSector <= 0) return;
  ifo::LowerTitleSetSectors(Image(), SectorStart(FTtSrptSector), afterTitleSet, sectors);
}

}  // namespace kestrune
