#include "title_tables.h"

#include <string>

#include "ifo_fields.h"

namespace kestrune::ifo {

namespace {

constexpr std::int64_t kCount = 0;
constexpr std::int64_t kFirstEntry = 8;

// A disc holds at most 99 titles, and so does a title set.
constexpr std::int64_t kMaxTitles = 99;

// VTS_PTT_SRPT: 4-byte offsets of the titles' PTT lists, each PTT 4 bytes.
constexpr std::int64_t kOffsetSize = 4;
constexpr std::int64_t kPttSize = 4;

// The entries that fit: a count beyond the table's room or beyond 99 titles
// is a problem, and only the entries inside the table are read.
std::int64_t EntriesThatFit(const TableReader& table, std::int64_t entrySize, Problems& problems) {
  const std::int64_t count = table.Word(kCount, "title count");
  const std::int64_t room = (table.Length() - kFirstEntry) / entrySize;
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

TtSrpt ReadTtSrpt(const TableReader& table, Problems& problems) {
  TtSrpt tt;
  tt.table.length = table.Length();
  const std::int64_t count = EntriesThatFit(table, kTtSrptEntrySize, problems);
  for (std::int64_t j = 0; j < count; ++j) {
    const std::int64_t e = kFirstEntry + kTtSrptEntrySize * j;
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
  const std::int64_t count = EntriesThatFit(table, kOffsetSize, problems);
  for (std::int64_t t = 0; t < count; ++t)
    ptt.offsets.push_back(table.DWord(kFirstEntry + kOffsetSize * t, "PTT list offset"));
  for (std::int64_t t = 0; t < count; ++t) {
    const std::int64_t from = ptt.offsets[static_cast<std::size_t>(t)];
    // A title's chapters run to the next title's list, the last one's to the
    // table's end.
    const std::int64_t to = t + 1 < count ? ptt.offsets[static_cast<std::size_t>(t + 1)] : table.Length();
    const std::string title = "VTS title " + std::to_string(t + 1);
    std::vector<Ptt> chapters;
    try {
      if (from < kFirstEntry + kOffsetSize * count || to < from)
        table.Fail(title + " PTT list offset", Hex(static_cast<std::uint64_t>(from)) +
                                                   " does not lie after the offsets and before the next title's");
      // The list's own length bounds its PTTs.
      const TableReader list = table.Part(from, to - from, title, title + " PTT list offset");
      for (std::int64_t p = 0; p + kPttSize <= list.Length(); p += kPttSize)
        chapters.push_back({list.Word(p, "PGCN"), list.Word(p + 2, "PGN")});
    } catch (const TableError& e) {
      problems.push_back(e.AsProblem());
    }
    ptt.titles.push_back(std::move(chapters));
  }
  return ptt;
}

}  // namespace kestrune::ifo
