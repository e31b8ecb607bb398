#include "chain_tables.h"

#include "stream_attributes.h"

namespace kestrune::ifo {

namespace {

std::string Pointer(std::int64_t k, const char* what) { return std::string(what) + " " + std::to_string(k + 1); }

// The offset that search pointer `k` of `table` holds, checked to lie after
// the `count` pointers; `part` names what it leads to.
std::uint32_t OffsetAfterPointers(const TableReader& table, std::int64_t k, std::int64_t count,
                                  const std::string& field) {
  const std::uint32_t offset = table.DWord(SearchPointerAt(k) + kSearchPointerOffset, field.c_str());
  if (offset < SearchPointerAt(count)) table.Fail(field, Hex(offset) + " lies among the search pointers");
  return offset;
}

}  // namespace

std::int64_t SearchPointerCount(const TableReader& table, const char* what) {
  const std::int64_t count = table.Word(kListCount, "count");
  if (table.Length() - kListFirstPointer < kSearchPointerSize * count)
    table.Fail("count", std::to_string(count) + " " + what + " do not fit in " + std::to_string(table.Length()) +
                            " bytes");
  return count;
}

TableReader ChainListAt(const TableReader& within, std::int64_t offset, const std::string& name,
                        const std::string& offsetField, const std::string& endField) {
  const TableReader header = within.Part(offset, kListFirstPointer, name, offsetField);
  const std::int64_t length = static_cast<std::int64_t>(header.DWord(kListEndAddress, "end address")) + 1;
  if (length < kListFirstPointer)
    header.Fail("end address", Hex(static_cast<std::uint64_t>(length - 1)) + " is shorter than the list's header");
  return within.Part(offset, length, name, endField);
}

TableReader PgcOfPointer(const TableReader& list, std::int64_t k, std::int64_t count) {
  const std::string pgcn = Pointer(k, "PGC");
  const std::string field = pgcn + " offset";
  const std::uint32_t offset = OffsetAfterPointers(list, k, count, field);
  if (offset >= list.Length())
    list.Fail(field, Hex(offset) + " lies past the end of the table (" + std::to_string(list.Length()) + " bytes)");
  const TableReader pgc = list.Part(offset, list.Length() - offset, pgcn, field);
  if (!pgc.Contains(0, kPgcFixedSize))
    pgc.Fail("", "is cut off: its fixed part of " + std::to_string(kPgcFixedSize) + " bytes runs past the table");
  return pgc;
}

TableReader LanguageUnitList(const TableReader& table, std::int64_t k, std::int64_t count) {
  const std::string name = Pointer(k, "language unit");
  const std::uint32_t offset = OffsetAfterPointers(table, k, count, name + " PGCI_LU offset");
  return ChainListAt(table, offset, name, name + " PGCI_LU offset", name + " PGCI_LU end address");
}


Pgci ReadPgci(const TableReader& list, Problems& problems) {
  Pgci pgci;
  pgci.offset = list.Start();
  pgci.length = list.Length();
  const std::int64_t count = SearchPointerCount(list, "search pointers");
  for (std::int64_t i = 0; i < count; ++i) {
    PgciSrp srp;
    srp.category = list.DWord(SearchPointerAt(i) + kSearchPointerCategory, "PGC category");
    srp.offset = list.DWord(SearchPointerAt(i) + kSearchPointerOffset, "PGC offset");
    ReadGuarded(problems, [&] { srp.pgc = ReadProgramChain(PgcOfPointer(list, i, count)); });
    pgci.srps.push_back(std::move(srp));
  }
  return pgci;
}

ExistingMenus DecodeExistingMenus(std::uint8_t raw, MenuDomain domain) {
  ExistingMenus m;
  m.raw = raw;
  if (domain == MenuDomain::kVmgm) {
    m.title = (raw & 0x80) != 0;
  } else {
    m.root = (raw & 0x80) != 0;
    m.subpicture = (raw & 0x40) != 0;
    m.audio = (raw & 0x20) != 0;
    m.angle = (raw & 0x10) != 0;
    m.chapter = (raw & 0x08) != 0;
  }
  return m;
}

PgciUt ReadPgciUt(const TableReader& table, MenuDomain domain, Problems& problems) {
  PgciUt ut;
  ut.table.length = table.Length();
  const std::int64_t count = SearchPointerCount(table, "language units");
  for (std::int64_t i = 0; i < count; ++i) {
    MenuLanguageUnit unit;
    const std::int64_t at = SearchPointerAt(i);
    const std::uint8_t first = table.Byte(at + kSearchPointerLanguage, "language code");
    const std::uint8_t second = table.Byte(at + kSearchPointerLanguage + 1, "language code");
    unit.language = LanguageLetters(first, second);
    unit.languageExtension = table.Byte(at + kSearchPointerLanguageExtension, "language code extension");
    unit.menus = DecodeExistingMenus(table.Byte(at + kSearchPointerExistingMenus, "existing menus"), domain);
    unit.offset = table.DWord(at + kSearchPointerOffset, "PGCI_LU offset");
    ReadGuarded(problems, [&] { unit.pgci = ReadPgci(LanguageUnitList(table, i, count), problems); });
    ut.units.push_back(std::move(unit));
  }
  return ut;
}

}  // namespace kestrune::ifo
