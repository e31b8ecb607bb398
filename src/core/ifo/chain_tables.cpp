#include "chain_tables.h"

#include "stream_attributes.h"

namespace kestrune::ifo {

namespace {

// PGCI and PGCI_UT share one header: a 16-bit count at +0, the end address at
// +4, then 8-byte search pointers from +8 whose +4 holds an offset from the
// table's first byte.
constexpr std::int64_t kCount = 0;
constexpr std::int64_t kEndAddress = 4;
constexpr std::int64_t kFirstPointer = 8;
constexpr std::int64_t kPointerSize = 8;
constexpr std::int64_t kPointerOffset = 4;
// PGCI_LU_SRP: language code, code extension, existing menus.
constexpr std::int64_t kLanguageCode = 0;
constexpr std::int64_t kLanguageExtension = 2;
constexpr std::int64_t kExistingMenus = 3;

// The search pointers must fit the table: the 16-bit count is checked
// against the table's own length, so no count makes the reader leave it.
std::int64_t PointerCount(const TableReader& table, const char* what) {
  const std::int64_t count = table.Word(kCount, "count");
  if (kFirstPointer + kPointerSize * count > table.Length())
    table.Fail("count", std::to_string(count) + " " + what + " do not fit in " + std::to_string(table.Length()) +
                            " bytes");
  return count;
}

}  // namespace

Pgci ReadPgci(const TableReader& list, Problems& problems) {
  Pgci pgci;
  pgci.offset = list.Start();
  pgci.length = list.Length();
  const std::int64_t count = PointerCount(list, "search pointers");
  for (std::int64_t i = 0; i < count; ++i) {
    PgciSrp srp;
    const std::int64_t at = kFirstPointer + kPointerSize * i;
    srp.category = list.DWord(at, "PGC category");
    srp.offset = list.DWord(at + kPointerOffset, "PGC offset");
    const std::string pgcn = "PGC " + std::to_string(i + 1);
    try {
      if (srp.offset < kFirstPointer + kPointerSize * count)
        list.Fail(pgcn + " offset", Hex(srp.offset) + " lies among the search pointers");
      if (srp.offset >= list.Length())
        list.Fail(pgcn + " offset",
                  Hex(srp.offset) + " lies past the end of the table (" + std::to_string(list.Length()) + " bytes)");
      srp.pgc = ReadProgramChain(list.Part(srp.offset, list.Length() - srp.offset, pgcn, pgcn + " offset"));
    } catch (const TableError& e) {
      problems.push_back(e.AsProblem());
    }
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
  const std::int64_t count = PointerCount(table, "language units");
  for (std::int64_t i = 0; i < count; ++i) {
    MenuLanguageUnit unit;
    const std::int64_t at = kFirstPointer + kPointerSize * i;
    const std::uint8_t first = table.Byte(at + kLanguageCode, "language code");
    const std::uint8_t second = table.Byte(at + kLanguageCode + 1, "language code");
    unit.language = LanguageLetters(first, second);
    unit.languageExtension = table.Byte(at + kLanguageExtension, "language code extension");
    unit.menus = DecodeExistingMenus(table.Byte(at + kExistingMenus, "existing menus"), domain);
    unit.offset = table.DWord(at + kPointerOffset, "PGCI_LU offset");
    const std::string name = "language unit " + std::to_string(i + 1);
    try {
      if (unit.offset < kFirstPointer + kPointerSize * count)
        table.Fail(name + " PGCI_LU offset", Hex(unit.offset) + " lies among the search pointers");
      const TableReader header = table.Part(unit.offset, kFirstPointer, name, name + " PGCI_LU offset");
      const std::int64_t length = static_cast<std::int64_t>(header.DWord(kEndAddress, "end address")) + 1;
      unit.pgci = ReadPgci(table.Part(unit.offset, length, name, name + " PGCI_LU end address"), problems);
    } catch (const TableError& e) {
      problems.push_back(e.AsProblem());
    }
    ut.units.push_back(std::move(unit));
  }
  return ut;
}

}  // namespace kestrune::ifo
