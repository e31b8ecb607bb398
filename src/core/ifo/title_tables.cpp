#include "title_tables.h"

#include <string>

#include "ifo_fields.h"

namespace kestrune::ifo {

namespace {

// A disc holds at most 99 titles, and so does a title set.
constexpr std::int64_t kMaxTitles = 99;

// The entries that fit: a count beyond the table's room or beyond 99 titles
// is a problem, and only the entries inside the table are read.
std::int64_t EntriesThatFit(const TableReader& table, std::int64_t entrySize, Problems& problems) {
  const std::int64_t count = table.Word(kListCount, "title count");
  const std::int64_t room = (table.Length() - kTtSrptFirstEntry) / entrySize;
  std::int64_t usable = count;
  std::string why;
  if (count > kMaxTitles) {
    why = "more than the " + std::to_string(kMaxTitles) + " titles a DVD may have";
    usable = kMaxTitles;
  }
  if (usable > room) {
    why = "more than its " + std::to_string(table.Length()) + " bytes have room for";
    usable = room;
  }
  if (!why.empty()) Note(problems, table.File(), table.Table(), "title count", std::to_string(count) + " is " + why);
  return usable < 0 ? 0 : usable;
}

}  // namespace

std::vector<std::uint32_t> ReadPttOffsets(const TableReader& table, std::int64_t count) {
  std::vector<std::uint32_t> offsets;
  for (std::int64_t t = 0; t < count; ++t)
    offsets.push_back(table.DWord(kPttFirstTitle + kPttOffsetSize * t, "PTT list offset"));
  return offsets;
}

std::uint32_t VtsAtrOffset(const TableReader& table, int n) {
  return table.DWord(kVtsAtrtFirstOffset + 4 * (static_cast<std::int64_t>(n) - 1),
                     ("VTS_ATR " + std::to_string(n) + " offset").c_str());
}

TableReader VtsAtrRecord(const TableReader& table, std::int64_t offset, int n) {
  const std::string name = "VTS_ATR " + std::to_string(n);
  const TableReader header = table.Part(offset, kVtsAtrEndAddress + 4, name, name + " offset");
  const std::int64_t length = static_cast<std::int64_t>(header.DWord(kVtsAtrEndAddress, "end address")) + 1;
  return table.Part(offset, length, name, name + " end address");
}

TtSrpt ReadTtSrpt(const TableReader& table, Problems& problems) {
  TtSrpt tt;
  tt.table.length = table.Length();
  const std::int64_t count = EntriesThatFit(table, kTtSrptEntrySize, problems);
  for (std::int64_t j = 0; j < count; ++j) {
    const std::int64_t e = TtSrptEntryAt(j);
    TitleSearchPointer t;
    t.playbackType = table.Byte(e + kTtPlaybackType, "title playback type");
    t.angles = table.Byte(e + kTtAngles, "angle count");
    t.chapters = table.Word(e + kTtChapters, "chapter count");
    t.parentalMask = table.Word(e + kTtParentalMask, "parental management mask");
    t.titleSet = table.Byte(e + kTtTitleSet, "title set number");
    t.vtsTitle = table.Byte(e + kTtVtsTitle, "VTS title number");
    t.titleSetSector = table.DWord(e + kTtTitleSetSector, "title set start sector");
    tt.titles.push_back(t);
  }
  return tt;
}

VtsPttSrpt ReadVtsPttSrpt(const TableReader& table, Problems& problems) {
  VtsPttSrpt ptt;
  ptt.table.length = table.Length();
  const std::int64_t count = EntriesThatFit(table, kPttOffsetSize, problems);
  ptt.offsets = ReadPttOffsets(table, count);
  for (std::int64_t t = 0; t < count; ++t) {
    const std::int64_t from = ptt.offsets[static_cast<std::size_t>(t)];
    // A title's chapters run to the next title's list, the last one's to the
    // table's end.
    const std::int64_t to = t + 1 < count ? ptt.offsets[static_cast<std::size_t>(t + 1)] : table.Length();
    const std::string title = "VTS title " + std::to_string(t + 1);
    std::vector<Ptt> chapters;
    try {
      if (from < kPttFirstTitle + kPttOffsetSize * count || to < from)
        table.Fail(title + " PTT list offset", Hex(static_cast<std::uint64_t>(from)) +
                                                   " does not lie after the offsets and before the next title's");
      // The list's own length bounds its PTTs.
      const TableReader list = table.Part(from, to - from, title, title + " PTT list offset");
      for (std::int64_t p = 0; p + kPttEntrySize <= list.Length(); p += kPttEntrySize)
        chapters.push_back({list.Word(p + kPttPgcn, "PGCN"), list.Word(p + kPttPgn, "PGN")});
    } catch (const TableError& e) {
      problems.push_back(e.AsProblem());
    }
    ptt.titles.push_back(std::move(chapters));
  }
  return ptt;
}

void LowerTitleSetSectors(IfoImage& image, std::int64_t ttSrpt, int afterTitleSet, std::uint32_t sectors) {
  const std::int64_t titles = image.ReadWord(ttSrpt + kListCount);
  for (std::int64_t t = 0; t < titles; ++t) {
    const std::int64_t entry = ttSrpt + TtSrptEntryAt(t);
    if (afterTitleSet >= 0 && image.ReadByte(entry + kTtTitleSet) <= afterTitleSet) continue;
    const std::int64_t field = entry + kTtTitleSetSector;
    image.WriteDWord(field, image.ReadDWord(field) - sectors);
  }
}

}  // namespace kestrune::ifo
