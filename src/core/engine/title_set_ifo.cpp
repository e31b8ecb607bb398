// The IFO image of a run: loading and checking an information file, its
// layout fields, the big-endian accessors and the table-by-table write-out.
#include <cstring>
#include <new>

#include "dvd_files.h"
#include "file_layer.h"
#include "ifo_fields.h"
#include "title_set.h"

namespace kestrune {

namespace {

constexpr char kVmgId[] = "DVDVIDEO-VMG";
constexpr char kVtsId[] = "DVDVIDEO-VTS";
constexpr std::int64_t kIdLength = 12;

// The MAT must at least hold the table pointers (up to 0xE7) and the menu
// video attributes that are read from it.
constexpr std::int32_t kMinMatEnd = 0xFF;

constexpr std::uint8_t kAttrPal = 0x10;   // TV system 625/50
constexpr std::uint8_t kAttrWide = 0x08;  // aspect ratio 16:9

// One table of an information file: its MAT pointer, where its end address
// sits inside it, and its layout fields.
struct TableField {
  const char* name;
  std::int64_t matPointer;
  std::int64_t endAddressAt;
  std::int32_t TTitleSet::*sector;
  std::int32_t TTitleSet::*size;
};

// In the order the tables lie in the file and are written.
constexpr TableField kVmgTables[] = {
    {"TT_SRPT", kVmgiTtSrpt, 4, &TTitleSet::FTtSrptSector, &TTitleSet::FTtSrptSize},
    {"VMGM_PGCI_UT", kVmgiVmgmPgciUt, 4, &TTitleSet::FVmgmPgciUtSector, &TTitleSet::FVmgmPgciUtSize},
    {"VMG_PTL_MAIT", kVmgiPtlMait, 4, &TTitleSet::FVmgPtlMaitSector, &TTitleSet::FVmgPtlMaitSize},
    {"VMG_VTS_ATRT", kVmgiVtsAtrt, 4, &TTitleSet::FVmgVtsAtrtSector, &TTitleSet::FVmgVtsAtrtSize},
    {"VMG_TXTDT_MG", kVmgiTxtdtMg, 16, &TTitleSet::FVmgTxtdtMgSector, &TTitleSet::FVmgTxtdtMgSize},
    {"VMGM_C_ADT", kVmgiVmgmCAdt, 4, &TTitleSet::FVmgmCAdtSector, &TTitleSet::FVmgmCAdtSize},
    {"VMGM_VOBU_ADMAP", kVmgiVmgmVobuAdmap, 0, &TTitleSet::FVmgmVobuAdmapSector, &TTitleSet::FVmgmVobuAdmapSize},
};

constexpr TableField kVtsTables[] = {
    {"VTS_PTT_SRPT", kVtsiPttSrpt, 4, &TTitleSet::FVtsPttSrptSector, &TTitleSet::FVtsPttSrptSize},
    {"VTS_PGCI", kVtsiPgci, 4, &TTitleSet::FVtsPgciSector, &TTitleSet::FVtsPgciSize},
    {"VTSM_PGCI_UT", kVtsiVtsmPgciUt, 4, &TTitleSet::FVtsmPgciUtSector, &TTitleSet::FVtsmPgciUtSize},
    {"VTS_TMAPTI", kVtsiTmapti, 4, &TTitleSet::FVtsTmaptiSector, &TTitleSet::FVtsTmaptiSize},
    {"VTSM_C_ADT", kVtsiVtsmCAdt, 4, &TTitleSet::FVtsmCAdtSector, &TTitleSet::FVtsmCAdtSize},
    {"VTSM_VOBU_ADMAP", kVtsiVtsmVobuAdmap, 0, &TTitleSet::FVtsmVobuAdmapSector, &TTitleSet::FVtsmVobuAdmapSize},
    {"VTS_C_ADT", kVtsiCAdt, 4, &TTitleSet::FVtsCAdtSector, &TTitleSet::FVtsCAdtSize},
    {"VTS_VOBU_ADMAP", kVtsiVobuAdmap, 0, &TTitleSet::FVtsVobuAdmapSector, &TTitleSet::FVtsVobuAdmapSize},
};

template <std::size_t N>
void ReadTableLayout(TTitleSet& ts, const TableField (&tables)[N]) {
  for (const TableField& t : tables) {
    ts.*t.sector = ts.ReadDWord(t.matPointer);
    ts.*t.size = 0;
  }
  for (const TableField& t : tables) {
    const std::int32_t s = ts.*t.sector;
    if (s <= 0) continue;
    // End address + 1, wrapping as the 32-bit field does; the checks refuse
    // anything that is not a positive length inside the image.
    const std::int64_t end = ts.ReadDWord(static_cast<std::int64_t>(s) * kSectorSize + t.endAddressAt);
    ts.*t.size = static_cast<std::int32_t>(static_cast<std::uint32_t>(end + 1));
  }
}

// Refuses MAT end addresses, table start sectors and end addresses that point
// outside the image, tables that overlap or lie out of their fixed order, and
// tables that run past the IFO's last sector.
template <std::size_t N>
void CheckTableLayout(const TTitleSet& ts, const IfoImage& image, const char* mat, std::int32_t matEnd,
                      std::int32_t ifoLastSector, const TableField (&tables)[N]) {
  if (matEnd < kMinMatEnd || !image.Contains(0, static_cast<std::int64_t>(matEnd) + 1))
    throw InvalidIfo(std::string(mat) + " end address " + std::to_string(matEnd) + " does not fit the file");
  if (ifoLastSector < 0) throw InvalidIfo(std::string(mat) + " gives a negative last sector of the IFO");
  // The write-out pads the IFO to this last sector: a larger one would make a
  // file of up to 4 TiB that no run could load again.
  if (ifoLastSector >= kMaxIfoSectors)
    throw InvalidIfo(std::string(mat) + " gives the IFO " + std::to_string(ifoLastSector + 1LL) +
                     " sectors, more than " + std::to_string(kMaxIfoSectors));
  const std::int64_t ifoEnd = (static_cast<std::int64_t>(ifoLastSector) + 1) * kSectorSize;
  std::int64_t used = static_cast<std::int64_t>(matEnd) + 1;
  // The write-out lays the MAT down first: one that runs past the last sector
  // would fail only there, after a title set of the run was already written.
  if (used > ifoEnd)
    throw InvalidIfo(std::string(mat) + " runs past the last sector of the IFO (" + std::to_string(ifoLastSector) + ")");
  for (const TableField& t : tables) {
    const std::int32_t sector = ts.*t.sector;
    if (sector <= 0) continue;
    const std::int64_t pos = static_cast<std::int64_t>(sector) * kSectorSize;
    const std::int32_t size = ts.*t.size;
    const std::string name = t.name;
    if (pos < RoundUpToSector(used))
      throw InvalidIfo(name + " at sector " + std::to_string(sector) + " overlaps the table before it");
    // An end address read as negative (or the wrap of 0xFFFFFFFF to size 0)
    // gives no table at all.
    if (size < 1) throw InvalidIfo(name + " has an impossible end address");
    image.Require(pos, size, t.name);
    if (pos + size > ifoEnd)
      throw InvalidIfo(name + " runs past the last sector of the IFO (" + std::to_string(ifoLastSector) + ")");
    used = pos + size;
  }
}

template <std::size_t N>
std::vector<std::uint8_t> LayDownTables(const TTitleSet& ts, const IfoImage& image, std::int32_t matEnd,
                                        const TableField (&tables)[N]) {
  image.Require(0, static_cast<std::int64_t>(matEnd) + 1, "The MAT");
  std::vector<std::uint8_t> out(image.Data(), image.Data() + matEnd + 1);
  PadToSector(out);
  for (const TableField& t : tables) {
    const std::int64_t size = ts.*t.size;
    if (size <= 0) continue;
    const std::int64_t pos = static_cast<std::int64_t>(ts.*t.sector) * kSectorSize;
    image.Require(pos, size, t.name);
    // Each table goes to its own start sector; on a file whose tables follow
    // one another without free sectors this is just where the previous one
    // ended, and on any other it keeps the pointers true.
    if (static_cast<std::int64_t>(out.size()) > pos)
      throw InvalidIfo(std::string(t.name) + " overlaps the table before it");
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

  const char* id = n == 0 ? kVmgId : kVtsId;
  if (FFileSize < kIdLength || std::memcmp(FBuffer->Data(), id, kIdLength) != 0) {
    Refuse(kStatusIfoInvalid, path + ": the file does not start with " + id);
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
  const std::uint8_t attr = ReadByte(kMatMenuVideoAttributes);
  FVmgmPal = (attr & kAttrPal) != 0;
  FVmgmWide = (attr & kAttrWide) != 0;
  FVmgLastSector = ReadDWord(kMatLastSector);
  FVmgiLastSector = ReadDWord(kMatIfoLastSector);
  FVmgiMatEnd = ReadDWord(kMatEndAddress);
  FVmgmVobsSector = ReadDWord(kMatMenuVobsSector);
  ReadTableLayout(*this, kVmgTables);
}

void TTitleSet::ReadVtsLayout() {
  const std::uint8_t menuAttr = ReadByte(kMatMenuVideoAttributes);
  const std::uint8_t titleAttr = ReadByte(kVtsiTitleVideoAttributes);
  FVtsmPal = (menuAttr & kAttrPal) != 0;
  FVtsmWide = (menuAttr & kAttrWide) != 0;
  FVtsPal = (titleAttr & kAttrPal) != 0;
  FVtsWide = (titleAttr & kAttrWide) != 0;
  FVtsLastSector = ReadDWord(kMatLastSector);
  FVtsiLastSector = ReadDWord(kMatIfoLastSector);
  FVtsiMatEnd = ReadDWord(kMatEndAddress);
  FVtsmVobsSector = ReadDWord(kMatMenuVobsSector);
  FVtsttVobsSector = ReadDWord(kVtsiTitleVobsSector);
  ReadTableLayout(*this, kVtsTables);
}

void TTitleSet::CheckVmgLayout() {
  CheckTableLayout(*this, Image(), "VMGI_MAT", FVmgiMatEnd, FVmgiLastSector, kVmgTables);
  if (FTtSrptSector > 0) {
    const std::int64_t count = ReadWord(static_cast<std::int64_t>(FTtSrptSector) * kSectorSize);
    if (8 + 12 * count > FTtSrptSize)
      throw InvalidIfo("TT_SRPT lists " + std::to_string(count) + " titles but has room for fewer");
  }
}

void TTitleSet::CheckVtsLayout() {
  CheckTableLayout(*this, Image(), "VTSI_MAT", FVtsiMatEnd, FVtsiLastSector, kVtsTables);
}

void TTitleSet::CheckVmgFor(std::uint8_t vtsNumber) {
  if (FStatus != kStatusOk || !FRemoveAudioSubMapping || FVmgVtsAtrtSector <= 0) return;
  try {
    // VMG_VTS_ATRT: title set count at +0, then one offset per title set from
    // +8 to its VTS_ATR record; a record's end address is at its +0.
    const std::int64_t a = static_cast<std::int64_t>(FVmgVtsAtrtSector) * kSectorSize;
    const std::int64_t count = ReadWord(a);
    if (vtsNumber > count)
      throw InvalidIfo("VMG_VTS_ATRT lists " + std::to_string(count) + " title sets, not title set " +
                       std::to_string(vtsNumber));
    const std::int64_t slot = 8 + 4 * (static_cast<std::int64_t>(vtsNumber) - 1);
    if (slot + 4 > FVmgVtsAtrtSize) throw InvalidIfo("VMG_VTS_ATRT is too short for its title sets");
    const std::int64_t offset = static_cast<std::uint32_t>(ReadDWord(a + slot));
    if (offset + 4 > FVmgVtsAtrtSize)
      throw InvalidIfo("The VTS_ATR of title set " + std::to_string(vtsNumber) + " lies outside VMG_VTS_ATRT");
    const std::int64_t end = static_cast<std::uint32_t>(ReadDWord(a + offset));
    if (offset + end + 1 > FVmgVtsAtrtSize || end < 99)
      throw InvalidIfo("The VTS_ATR of title set " + std::to_string(vtsNumber) + " has an impossible end address");
  } catch (const InvalidIfo& e) {
    Refuse(kStatusIfoInvalid, FVmgIfoPath + ": " + e.what());
  }
}

std::vector<std::uint8_t> TTitleSet::BuildIfoFile() const {
  if (FVtsNumber == 0) return LayDownTables(*this, Image(), FVmgiMatEnd, kVmgTables);
  return LayDownTables(*this, Image(), FVtsiMatEnd, kVtsTables);
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
