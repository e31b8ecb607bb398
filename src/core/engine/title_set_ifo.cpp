// The IFO image of a run: loading and checking an information file, its
// layout fields, the big-endian accessors and the table-by-table write-out.
#include <iterator>
#include <new>
#include <span>

#include "dvd_files.h"
#include "file_layer.h"
#include "ifo_fields.h"
#include "ifo_tables.h"
#include "program_chain.h"
#include "title_set.h"
#include "title_tables.h"

namespace kestrune {

namespace {

using ifo::IfoKind;

// The layout fields that keep one table's start sector and size, for each
// table of VMGI and of VTSI in the IFO layer's order.
struct LayoutFields {
  std::int32_t TTitleSet::*sector;
  std::int32_t TTitleSet::*size;
};
constexpr LayoutFields kVmgFields[] = {
    {&TTitleSet::FTtSrptSector, &TTitleSet::FTtSrptSize},
    {&TTitleSet::FVmgmPgciUtSector, &TTitleSet::FVmgmPgciUtSize},
    {&TTitleSet::FVmgPtlMaitSector, &TTitleSet::FVmgPtlMaitSize},
    {&TTitleSet::FVmgVtsAtrtSector, &TTitleSet::FVmgVtsAtrtSize},
    {&TTitleSet::FVmgTxtdtMgSector, &TTitleSet::FVmgTxtdtMgSize},
    {&TTitleSet::FVmgmCAdtSector, &TTitleSet::FVmgmCAdtSize},
    {&TTitleSet::FVmgmVobuAdmapSector, &TTitleSet::FVmgmVobuAdmapSize},
};
constexpr LayoutFields kVtsFields[] = {
    {&TTitleSet::FVtsPttSrptSector, &TTitleSet::FVtsPttSrptSize},
    {&TTitleSet::FVtsPgciSector, &TTitleSet::FVtsPgciSize},
    {&TTitleSet::FVtsmPgciUtSector, &TTitleSet::FVtsmPgciUtSize},
    {&TTitleSet::FVtsTmaptiSector, &TTitleSet::FVtsTmaptiSize},
    {&TTitleSet::FVtsmCAdtSector, &TTitleSet::FVtsmCAdtSize},
    {&TTitleSet::FVtsmVobuAdmapSector, &TTitleSet::FVtsmVobuAdmapSize},
    {&TTitleSet::FVtsCAdtSector, &TTitleSet::FVtsCAdtSize},
    {&TTitleSet::FVtsVobuAdmapSector, &TTitleSet::FVtsVobuAdmapSize},
};
static_assert(std::size(kVmgFields) == ifo::kVmgTables.size() && std::size(kVtsFields) == ifo::kVtsTables.size());

std::span<const LayoutFields> FieldsOf(IfoKind kind) {
  if (kind == IfoKind::kVmg) return kVmgFields;
  return kVtsFields;
}

// Takes every table's start sector and size from `layout` into the layout
// fields: a start sector that does not read as a positive 32-bit number is no
// table; a size is the end address + 1, wrapping as the 32-bit field does (the
// checks refuse anything that is not a positive length inside the image).
void TakeTableLayout(TTitleSet& ts, const ifo::MatLayout& layout) {
  const auto kinds = ifo::TablesOf(layout.kind);
  const auto fields = FieldsOf(layout.kind);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const ifo::TableSpan& span = layout.tables[i];
    const auto sector = static_cast<std::int32_t>(span.sector);
    ts.*fields[i].sector = sector;
    ts.*fields[i].size = 0;
    if (sector <= 0) continue;
    if (span.length == 0)
      throw InvalidIfo(std::string(kinds[i].name) + " at sector " + std::to_string(sector) +
                       ": its end address lies outside the IFO");
    ts.*fields[i].size = static_cast<std::int32_t>(static_cast<std::uint32_t>(span.length));
  }
}

// Refuses MAT end addresses, table start sectors and end addresses that point
// outside the image, tables that overlap or lie out of their fixed order, and
// tables that run past the IFO's last sector.
void CheckTableLayout(const TTitleSet& ts, const IfoImage& image, IfoKind kind, std::int32_t matEnd,
                      std::int32_t ifoLastSector) {
  const std::string mat = ifo::MatName(kind);
  if (matEnd < ifo::MinMatEnd(kind) || !image.Contains(0, static_cast<std::int64_t>(matEnd) + 1))
    throw InvalidIfo(mat + " end address " + std::to_string(matEnd) + " does not fit the file");
  if (ifoLastSector < 0) throw InvalidIfo(mat + " gives a negative last sector of the IFO");
  // The write-out pads the IFO to this last sector: a larger one would make a
  // file of up to 4 TiB that no run could load again.
  if (ifoLastSector >= kMaxIfoSectors)
    throw InvalidIfo(mat + " gives the IFO " + std::to_string(ifoLastSector + 1LL) + " sectors, more than " +
                     std::to_string(kMaxIfoSectors));
  const std::int64_t ifoEnd = (static_cast<std::int64_t>(ifoLastSector) + 1) * kSectorSize;
  std::int64_t used = static_cast<std::int64_t>(matEnd) + 1;
  // The write-out lays the MAT down first: one that runs past the last sector
  // would fail only there, after a title set of the run was already written.
  if (used > ifoEnd) throw InvalidIfo(mat + " runs past the last sector of the IFO (" + std::to_string(ifoLastSector) + ")");
  const auto kinds = ifo::TablesOf(kind);
  const auto fields = FieldsOf(kind);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const std::int32_t sector = ts.*fields[i].sector;
    if (sector <= 0) continue;
    const std::int64_t pos = SectorStart(sector);
    const std::int32_t size = ts.*fields[i].size;
    const std::string name = kinds[i].name;
    if (pos < RoundUpToSector(used))
      throw InvalidIfo(name + " at sector " + std::to_string(sector) + " overlaps the table before it");
    // An end address read as negative (or the wrap of 0xFFFFFFFF to size 0)
    // gives no table at all.
    if (size < 1) throw InvalidIfo(name + " has an impossible end address");
    image.Require(pos, size, kinds[i].name);
    if (pos + size > ifoEnd)
      throw InvalidIfo(name + " runs past the last sector of the IFO (" + std::to_string(ifoLastSector) + ")");
    used = pos + size;
  }
}

std::vector<std::uint8_t> LayDownTables(const TTitleSet& ts, const IfoImage& image, IfoKind kind, std::int32_t matEnd) {
  image.Require(0, static_cast<std::int64_t>(matEnd) + 1, "The MAT");
  std::vector<std::uint8_t> out(image.Data(), image.Data() + matEnd + 1);
  PadToSector(out);
  const auto kinds = ifo::TablesOf(kind);
  const auto fields = FieldsOf(kind);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const std::int64_t size = ts.*fields[i].size;
    if (size <= 0) continue;
    const std::int64_t pos = SectorStart(ts.*fields[i].sector);
    image.Require(pos, size, kinds[i].name);
    // Each table goes to its own start sector; on a file whose tables follow
    // one another without free sectors this is just where the previous one
    // ended, and on any other it keeps the pointers true.
    if (static_cast<std::int64_t>(out.size()) > pos)
      throw InvalidIfo(std::string(kinds[i].name) + " overlaps the table before it");
    out.resize(static_cast<std::size_t>(pos), 0);
    out.insert(out.end(), image.Data() + pos, image.Data() + pos + size);
    PadToSector(out);
  }
  // Free sectors after the last table still belong to the IFO (0x1C).
  const std::int64_t ifoEnd = (static_cast<std::int64_t>(image.ReadDWord(kMatIfoLastSector)) + 1) * kSectorSize;
  if (static_cast<std::int64_t>(out.size()) > ifoEnd)
    throw InvalidIfo("The tables run past the last sector of the IFO");
  out.resize(static_cast<std::size_t>(ifoEnd), 0);
  return out;
}

// The blank images differ by TV system and aspect ratio, as the domain's
// video attributes give them.
void TakeVideoSystem(const IfoImage& image, std::int64_t attributes, bool& pal, bool& wide) {
  const std::uint8_t first = image.ReadByte(attributes);
  pal = (first & kVideoPalBit) != 0;
  wide = (first & kVideoWideBit) != 0;
}

}  // namespace

IfoImage& TTitleSet::Image() {
  if (!FBuffer) throw InvalidIfo("No IFO is loaded");
  return *FBuffer;
}

const IfoImage& TTitleSet::Image() const {
  if (!FBuffer) throw InvalidIfo("No IFO is loaded");
  return *FBuffer;
}

std::uint16_t TTitleSet::ReadWord(std::int64_t pos) const { return Image().ReadWord(pos); }
std::int32_t TTitleSet::ReadDWord(std::int64_t pos) const {
  return static_cast<std::int32_t>(Image().ReadDWord(pos));
}
void TTitleSet::WriteWord(std::int64_t pos, std::uint32_t value) {
  Image().WriteWord(pos, static_cast<std::uint16_t>(value & 0xFFFF));
}
void TTitleSet::WriteDWord(std::int64_t pos, std::uint32_t value) { Image().WriteDWord(pos, value); }
std::uint8_t TTitleSet::ReadByte(std::int64_t pos) const { return Image().ReadByte(pos); }
void TTitleSet::WriteByte(std::int64_t pos, std::uint8_t value) { Image().WriteByte(pos, value); }

void TTitleSet::LoadIfo(std::uint8_t n) {
  FStatus = kStatusCantOpenIfo;
  FStatusDetail.clear();
  FVtsNumber = n;
  std::string path;
  if (n == 0) {
    FVtsPrefix.clear();
    FVtsBasePath.clear();
    FVtsIfoPath.clear();
    FVtsBupPath.clear();
    path = FVmgIfoPath;
  } else {
    FVtsPrefix = VtsPrefix(n);
    FVtsBasePath = FDvdDir + FVtsPrefix;
    FVtsIfoPath = FVtsBasePath + "0.IFO";
    FVtsBupPath = FVtsBasePath + "0.BUP";
    path = FVtsIfoPath;
  }
  FreeBuffer();
  if (!Folder().FileExists(path)) {
    Refuse(kStatusIfoNotFound, path);
    return;
  }
  FStatus = kStatusOk;
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  try {
    if (!Folder().ReadWholeFile(path, kMaxIfoSectors * kSectorSize, bytes, tooBig, error)) {
      Refuse(kStatusIfoUnreadable, path + ": " + error.message());
      return;
    }
    if (tooBig) {
      Refuse(kStatusIfoTooBig, path);
      return;
    }
    FFileSize = static_cast<std::int32_t>(bytes.size());
    FBuffer.emplace(std::move(bytes));
  } catch (const std::bad_alloc&) {
    FBuffer.reset();
    Refuse(kStatusNoBuffer, path);
    return;
  }
  FSectorCount = static_cast<std::int32_t>(FBuffer->SectorCount());
  FBufferSize = static_cast<std::int32_t>(FBuffer->Size());

  const IfoKind kind = n == 0 ? IfoKind::kVmg : IfoKind::kVts;
  if (!ifo::HasIdentifier(*FBuffer, FFileSize, kind)) {
    Refuse(kStatusIfoInvalid, path + ": the file does not start with " + ifo::IdentifierOf(kind));
    return;
  }
  try {
    if (n == 0) {
      ReadVmgLayout();
      CheckVmgLayout();
    } else {
      ReadVtsLayout();
      CheckVtsLayout();
    }
  } catch (const InvalidIfo& e) {
    Refuse(kStatusIfoInvalid, path + ": " + e.what());
  }
}

void TTitleSet::ReadVmgLayout() {
  const ifo::MatLayout layout = ifo::ReadMatLayout(Image(), IfoKind::kVmg);
  TakeVideoSystem(Image(), kMatMenuVideoAttributes, FVmgmPal, FVmgmWide);
  FVmgLastSector = static_cast<std::int32_t>(layout.setLastSector);
  FVmgiLastSector = static_cast<std::int32_t>(layout.ifoLastSector);
  FVmgiMatEnd = static_cast<std::int32_t>(layout.matEnd);
  FVmgmVobsSector = static_cast<std::int32_t>(layout.menuVobsSector);
  TakeTableLayout(*this, layout);
}

void TTitleSet::ReadVtsLayout() {
  const ifo::MatLayout layout = ifo::ReadMatLayout(Image(), IfoKind::kVts);
  TakeVideoSystem(Image(), kMatMenuVideoAttributes, FVtsmPal, FVtsmWide);
  TakeVideoSystem(Image(), kVtsiTitleVideoAttributes, FVtsPal, FVtsWide);
  FVtsLastSector = static_cast<std::int32_t>(layout.setLastSector);
  FVtsiLastSector = static_cast<std::int32_t>(layout.ifoLastSector);
  FVtsiMatEnd = static_cast<std::int32_t>(layout.matEnd);
  FVtsmVobsSector = static_cast<std::int32_t>(layout.menuVobsSector);
  FVtsttVobsSector = static_cast<std::int32_t>(layout.titleVobsSector);
  TakeTableLayout(*this, layout);
}

void TTitleSet::CheckVmgLayout() {
  CheckTableLayout(*this, Image(), IfoKind::kVmg, FVmgiMatEnd, FVmgiLastSector);
  if (FTtSrptSector > 0) {
    const std::int64_t count = ReadWord(SectorStart(FTtSrptSector));
    if (ifo::TtSrptEntryAt(count) > FTtSrptSize)
      throw InvalidIfo("TT_SRPT lists " + std::to_string(count) + " titles but has room for fewer");
  }
}

void TTitleSet::CheckVtsLayout() { CheckTableLayout(*this, Image(), IfoKind::kVts, FVtsiMatEnd, FVtsiLastSector); }

ifo::TableReader TTitleSet::VtsAtrtTable() const {
  return TableOf(*this, ifo::KindOf(ifo::VmgTable::kVtsAtrt).name, SectorStart(FVmgVtsAtrtSector), FVmgVtsAtrtSize);
}

ifo::TableReader TTitleSet::VtsAtrOf(std::uint8_t vtsNumber) const {
  const ifo::TableReader atrt = VtsAtrtTable();
  return ifo::VtsAtrRecord(atrt, ifo::VtsAtrOffset(atrt, vtsNumber), vtsNumber);
}

void TTitleSet::CheckVmgFor(std::uint8_t vtsNumber) {
  if (FStatus != kStatusOk || !FRemoveAudioSubMapping || FVmgVtsAtrtSector <= 0) return;
  try {
    const std::int64_t count = VtsAtrtTable().Word(kListCount, "title set count");
    if (vtsNumber > count)
      throw InvalidIfo("VMG_VTS_ATRT lists " + std::to_string(count) + " title sets, not title set " +
                       std::to_string(vtsNumber));
    // The run clears the stream attributes that the record mirrors, up to
    // the menus' at least.
    const ifo::TableReader record = VtsAtrOf(vtsNumber);
    if (record.Length() - 1 < VtsAtrByteOf(kMatMenuStreamsLast))
      throw InvalidIfo("The VTS_ATR of title set " + std::to_string(vtsNumber) + " has an impossible end address");
  } catch (const InvalidIfo& e) {
    Refuse(kStatusIfoInvalid, FVmgIfoPath + ": " + e.what());
  }
}

std::vector<std::uint8_t> TTitleSet::BuildIfoFile() const {
  if (FVtsNumber == 0) return LayDownTables(*this, Image(), IfoKind::kVmg, FVmgiMatEnd);
  return LayDownTables(*this, Image(), IfoKind::kVts, FVtsiMatEnd);
}

void TTitleSet::WriteIfoAndBup() {
  std::vector<std::uint8_t> file = BuildIfoFile();
  const std::string& ifo = FVtsNumber == 0 ? FVmgIfoPath : FVtsIfoPath;
  const std::string& bup = FVtsNumber == 0 ? FVmgBupPath : FVtsBupPath;
  Folder().Replace(ifo, file);
  // The BUP is the player's fallback when the IFO cannot be read: a stale one
  // would describe video that is gone, so a failed copy ends the run too.
  Folder().Replace(bup, file);
}

}  // namespace kestrune
