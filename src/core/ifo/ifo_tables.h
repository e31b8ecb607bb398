// The tables of an information file as its MAT describes them: which tables
// VIDEO_TS.IFO (VMGI) and VTS_nn_0.IFO (VTSI) have, in the order they lie in
// the file, where the MAT points at each, where its end address sits and how
// long its header is; and the one reader that takes the MAT's sector fields
// and every table's place and length from an IFO image.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "ifo_fields.h"
#include "ifo_image.h"

namespace kestrune::ifo {

enum class IfoKind { kVmg, kVts };

// One kind of table a MAT points at.
struct TableKind {
  const char* name;           // "VTS_PGCI"
  std::int64_t matPointer;    // MAT offset of its 32-bit start sector (0 = absent)
  std::int64_t endAddressAt;  // offset of its 32-bit end address from its first byte
  std::int64_t headerSize;    // a table shorter than its header cannot be read
};

// The tables of VMGI and of VTSI, in the order they lie in the file; the
// write-out lays them down in this order.
enum class VmgTable { kTtSrpt, kVmgmPgciUt, kPtlMait, kVtsAtrt, kTxtdtMg, kVmgmCAdt, kVmgmVobuAdmap };
enum class VtsTable { kPttSrpt, kPgci, kVtsmPgciUt, kTmapti, kVtsmCAdt, kVtsmVobuAdmap, kCAdt, kVobuAdmap };

inline constexpr std::array<TableKind, 7> kVmgTables{{
    {"TT_SRPT", kVmgiTtSrpt, kListEndAddress, kListFirstPointer},
    {"VMGM_PGCI_UT", kVmgiVmgmPgciUt, kListEndAddress, kListFirstPointer},
    {"VMG_PTL_MAIT", kVmgiPtlMait, kListEndAddress, kListFirstPointer},
    {"VMG_VTS_ATRT", kVmgiVtsAtrt, kListEndAddress, kVtsAtrtFirstOffset},
    {"VMG_TXTDT_MG", kVmgiTxtdtMg, kTxtdtMgEndAddress, kTxtdtMgHeader},
    {"VMGM_C_ADT", kVmgiVmgmCAdt, kCAdtEndAddress, kCAdtHeader},
    {"VMGM_VOBU_ADMAP", kVmgiVmgmVobuAdmap, kVobuAdmapEndAddress, kVobuAdmapHeader},
}};
inline constexpr std::array<TableKind, 8> kVtsTables{{
    {"VTS_PTT_SRPT", kVtsiPttSrpt, kListEndAddress, kPttFirstTitle},
    {"VTS_PGCI", kVtsiPgci, kListEndAddress, kListFirstPointer},
    {"VTSM_PGCI_UT", kVtsiVtsmPgciUt, kListEndAddress, kListFirstPointer},
    {"VTS_TMAPTI", kVtsiTmapti, kListEndAddress, kListFirstPointer},
    {"VTSM_C_ADT", kVtsiVtsmCAdt, kCAdtEndAddress, kCAdtHeader},
    {"VTSM_VOBU_ADMAP", kVtsiVtsmVobuAdmap, kVobuAdmapEndAddress, kVobuAdmapHeader},
    {"VTS_C_ADT", kVtsiCAdt, kCAdtEndAddress, kCAdtHeader},
    {"VTS_VOBU_ADMAP", kVtsiVobuAdmap, kVobuAdmapEndAddress, kVobuAdmapHeader},
}};

constexpr std::span<const TableKind> TablesOf(IfoKind kind) {
  if (kind == IfoKind::kVmg) return kVmgTables;
  return kVtsTables;
}
constexpr const TableKind& KindOf(VmgTable t) { return kVmgTables[static_cast<std::size_t>(t)]; }
constexpr const TableKind& KindOf(VtsTable t) { return kVtsTables[static_cast<std::size_t>(t)]; }

constexpr const char* MatName(IfoKind kind) { return kind == IfoKind::kVmg ? "VMGI_MAT" : "VTSI_MAT"; }
constexpr const char* IdentifierOf(IfoKind kind) { return kind == IfoKind::kVmg ? kVmgIdentifier : kVtsIdentifier; }
constexpr std::int64_t MinMatEnd(IfoKind kind) { return kind == IfoKind::kVmg ? kVmgiMatMinEnd : kVtsiMatMinEnd; }

// Where a table lies in its IFO, as its MAT pointer and end address say.
struct TableSpan {
  std::uint32_t sector = 0;  // start sector; 0 = absent
  std::int64_t length = 0;   // end address + 1; 0 when absent or when the end address lies outside the image
  bool Present() const { return sector != 0; }
  std::int64_t Start() const { return static_cast<std::int64_t>(sector) * kSectorSize; }
};

// The sector fields of a MAT and the place of each of its tables.
struct MatLayout {
  IfoKind kind = IfoKind::kVts;
  std::uint32_t setLastSector = 0;    // 0x0C: last sector of the set (IFO, VOBs, BUP)
  std::uint32_t ifoLastSector = 0;    // 0x1C: last sector of the IFO
  std::uint32_t matEnd = 0;           // 0x80: end address of the MAT
  std::uint32_t menuVobsSector = 0;   // 0xC0: start of the menu VOB set, 0 = none
  std::uint32_t titleVobsSector = 0;  // 0xC4 of VTSI_MAT: start of the title VOB set
  // By VmgTable or VtsTable; a table whose end address lies outside the image
  // has length 0.
  std::array<TableSpan, kVtsTables.size()> tables{};

  const TableSpan& Table(VmgTable t) const { return tables[static_cast<std::size_t>(t)]; }
  const TableSpan& Table(VtsTable t) const { return tables[static_cast<std::size_t>(t)]; }
  // The end of the IFO as its MAT counts it: one past its last sector.
  std::int64_t IfoEnd() const { return (static_cast<std::int64_t>(ifoLastSector) + 1) * kSectorSize; }
};

// Reads the MAT of `image` (VMGI_MAT or VTSI_MAT) and each table's start
// sector and end address. Only reads: whether the places make sense is for
// the caller to judge. Throws InvalidIfo when the image is too short to hold
// the MAT's table pointers.
MatLayout ReadMatLayout(const IfoImage& image, IfoKind kind);

// True when `image` starts with the identifier of `kind` ("DVDVIDEO-VMG",
// "DVDVIDEO-VTS").
bool HasIdentifier(const IfoImage& image, std::int64_t fileBytes, IfoKind kind);

}  // namespace kestrune::ifo
