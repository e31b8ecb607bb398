// The tables of program chains: a chain list, PGCI (VTS_PGCI, or the PGCI_LU
// of one menu language unit), and the PGCI_UT of a menu domain
// (VMGM_PGCI_UT, VTSM_PGCI_UT), which holds one PGCI_LU per menu language.
//
// The locating functions find a list's search pointers, the PGC a pointer
// leads to and the PGCI_LU of a language unit, each bounds-checked and
// throwing TableError for a place that cannot be: the engine's rewrite,
// which then changes the image in place, and the disc model, which then
// reads every field, both find the chains through them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ifo_problem.h"
#include "ifo_tables.h"
#include "program_chain_info.h"
#include "table_reader.h"

namespace kestrune::ifo {

// --- locating -------------------------------------------------------------------

// The count of search pointers of a chain list or PGCI_UT, checked against
// the table's own length, so that no count makes a reader leave the table.
// `what` names the pointers in the message ("search pointers").
std::int64_t SearchPointerCount(const TableReader& table, const char* what);
// The byte offset of search pointer `k` (from 0).
constexpr std::int64_t SearchPointerAt(std::int64_t k) { return kListFirstPointer + kSearchPointerSize * k; }

// The chain list whose header starts at `offset` of `within`, as long as its
// end address says. Throws TableError naming `name` and the field that gave
// the offset (`offsetField`) or the length (`endField`) when the header or
// the list runs past `within`, or the list is shorter than its header.
TableReader ChainListAt(const TableReader& within, std::int64_t offset, const std::string& name,
                        const std::string& offsetField, const std::string& endField);

// The PGC that search pointer `k` of `list` (which has `count` pointers)
// leads to, as a window from its first byte to the list's end. Throws
// TableError when the offset lies among the search pointers or so late in
// the list that the PGC's fixed part does not fit.
TableReader PgcOfPointer(const TableReader& list, std::int64_t k, std::int64_t count);

// The PGCI_LU of language unit `k` of the PGCI_UT `table` (which has `count`
// units). Throws TableError when its offset lies among the search pointers
// or the unit does not lie inside the table.
TableReader LanguageUnitList(const TableReader& table, std::int64_t k, std::int64_t count);

// --- the chains as the disc model reads them --------------------------------------

// A PGCI_SRP search pointer and the PGC it leads to. PGC numbers (PGCN) count
// these pointers from 1; several pointers may lead to one PGC.
struct PgciSrp {
  std::uint32_t category = 0;  // byte 0: bit 7 entry PGC, then the VTS title number or (menus) the menu type
  std::uint32_t offset = 0;    // from the PGCI's first byte
  std::optional<ProgramChain> pgc;  // none when the chain could not be read

  bool IsEntry() const { return (category & 0x80000000u) != 0; }
  int VtsTitle() const { return static_cast<int>(category >> 24 & 0x7F); }
  int MenuType() const { return static_cast<int>(category >> 24 & 0x0F); }  // 2 title, 3 root, 4 sub-picture, 5 audio, 6 angle, 7 chapter
};

struct Pgci {
  std::int64_t offset = 0;  // image offset
  std::int64_t length = 0;  // end address + 1
  std::vector<PgciSrp> srps;
};

// Which menus a language unit holds, from its PGCI_LU_SRP byte 3: in the
// video manager bit 7 is the title menu; in a title set bit 7 is the root
// menu, then the sub-picture, audio, angle and chapter (PTT) menus.
struct ExistingMenus {
  std::uint8_t raw = 0;
  bool title = false, root = false, subpicture = false, audio = false, angle = false, chapter = false;
};

enum class MenuDomain { kVmgm, kVtsm };

struct MenuLanguageUnit {
  std::string language;  // two letters, "" when the code field holds none
  std::uint8_t languageExtension = 0;
  ExistingMenus menus;
  std::uint32_t offset = 0;  // of its PGCI_LU from the PGCI_UT's first byte
  Pgci pgci;                 // empty when the PGCI_LU could not be read
};

struct PgciUt {
  TableSpan table;
  std::vector<MenuLanguageUnit> units;
};

// Reads the PGCI in `list`: a damaged search pointer list throws TableError;
// a PGC that cannot be read is left out (its pointer stays) and noted in
// `problems`.
Pgci ReadPgci(const TableReader& list, Problems& problems);

// Reads the PGCI_UT in `table`; a language unit whose PGCI_LU cannot be read
// keeps its code and menus and is noted in `problems`.
PgciUt ReadPgciUt(const TableReader& table, MenuDomain domain, Problems& problems);

ExistingMenus DecodeExistingMenus(std::uint8_t raw, MenuDomain domain);

}  // namespace kestrune::ifo
