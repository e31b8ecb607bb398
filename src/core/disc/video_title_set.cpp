#include "video_title_set.h"

#include <algorithm>

#include "dvd_files.h"
#include "ifo_file.h"

namespace kestrune::disc {

namespace {

// VTSI_MAT fields.
constexpr std::int64_t kLastSector = 0x0C;
constexpr std::int64_t kIfoLastSector = 0x1C;
constexpr std::int64_t kVersion = 0x21;
constexpr std::int64_t kCategory = 0x22;
constexpr std::int64_t kMatEnd = 0x80;
constexpr std::int64_t kMenuVobs = 0xC0;
constexpr std::int64_t kTitleVobs = 0xC4;
constexpr std::int64_t kVtsPttSrpt = 0xC8;
constexpr std::int64_t kVtsPgci = 0xCC;
constexpr std::int64_t kVtsmPgciUt = 0xD0;
constexpr std::int64_t kVtsTmapti = 0xD4;
constexpr std::int64_t kVtsmCAdt = 0xD8;
constexpr std::int64_t kVtsmVobuAdmap = 0xDC;
constexpr std::int64_t kVtsCAdt = 0xE0;
constexpr std::int64_t kVtsVobuAdmap = 0xE4;
constexpr std::int64_t kMenuAttributes = 0x100;
constexpr std::int64_t kTitleAttributes = 0x200;
// The MAT must at least hold the table pointers, up to 0xE7.
constexpr std::uint32_t kMinMatEnd = 0xE7;
// A menu domain has room for one audio and one sub-picture stream's
// attributes; the titles for 8 audio and 32 sub-picture streams, the most a
// title set may have.
constexpr int kMaxMenuAudio = 1;
constexpr int kMaxMenuSubpictures = 1;
constexpr int kMaxTitleAudio = 8;
constexpr int kMaxTitleSubpictures = 32;

constexpr std::int64_t kEndAt = 4;
constexpr std::int64_t kVobuAdmapEndAt = 0;
constexpr std::int64_t kListHeader = 8;
constexpr std::int64_t kAdmapHeader = 4;

// Reads table `T` with `read` into `target`, keeping the span OpenTable filled.
template <typename T, typename Read>
void ReadInto(const std::optional<TableReader>& reader, T& target, Problems& problems, Read&& read) {
  if (!reader) return;
  ReadGuarded(problems, [&] {
    const TableSpan span = target.table;
    target = read(*reader);
    target.table = span;
  });
}

}  // namespace

std::int64_t VideoTitleSet::TitleVobBytes() const {
  std::int64_t total = 0;
  for (std::size_t k = 1; k < titleVobBytes.size(); ++k) total += std::max<std::int64_t>(titleVobBytes[k], 0);
  return total;
}

VideoTitleSet ReadVideoTitleSet(int number, const IfoImage& image, Problems& problems) {
  VideoTitleSet vts;
  vts.number = number;
  vts.file = VtsPrefix(number) + "0.IFO";
  const std::string& file = vts.file;
  const TableReader mat(image, file, "VTSI_MAT", 0, std::min<std::int64_t>(image.Size(), kSectorSize));
  VtsiMat& m = vts.mat;
  m.vtsLastSector = mat.DWord(kLastSector, "last sector");
  m.vtsiLastSector = mat.DWord(kIfoLastSector, "IFO last sector");
  m.version = mat.Byte(kVersion, "version");
  m.category = mat.DWord(kCategory, "category");
  m.matEndAddress = mat.DWord(kMatEnd, "end address");
  m.vtsmVobsSector = mat.DWord(kMenuVobs, "VTSM_VOBS start sector");
  m.vtsttVobsSector = mat.DWord(kTitleVobs, "VTSTT_VOBS start sector");
  vts.read = true;
  if (m.matEndAddress < kMinMatEnd || !image.Contains(0, static_cast<std::int64_t>(m.matEndAddress) + 1))
    Note(problems, file, "VTSI_MAT", "end address", Hex(m.matEndAddress) + " does not fit the file");
  ReadGuarded(problems, [&] {
    m.menu = ReadStreamAttributes(mat, kMenuAttributes, kMaxMenuAudio, kMaxMenuSubpictures, "menu", problems);
  });
  ReadGuarded(problems, [&] {
    m.titles = ReadStreamAttributes(mat, kTitleAttributes, kMaxTitleAudio, kMaxTitleSubpictures, "title", problems);
  });

  vts.vtsPttSrpt.table.sector = mat.DWord(kVtsPttSrpt, "VTS_PTT_SRPT start sector");
  vts.vtsPgciTable.sector = mat.DWord(kVtsPgci, "VTS_PGCI start sector");
  vts.vtsmPgciUt.table.sector = mat.DWord(kVtsmPgciUt, "VTSM_PGCI_UT start sector");
  vts.vtsTmapti.sector = mat.DWord(kVtsTmapti, "VTS_TMAPTI start sector");
  vts.vtsmCAdt.table.sector = mat.DWord(kVtsmCAdt, "VTSM_C_ADT start sector");
  vts.vtsmVobuAdmap.table.sector = mat.DWord(kVtsmVobuAdmap, "VTSM_VOBU_ADMAP start sector");
  vts.vtsCAdt.table.sector = mat.DWord(kVtsCAdt, "VTS_C_ADT start sector");
  vts.vtsVobuAdmap.table.sector = mat.DWord(kVtsVobuAdmap, "VTS_VOBU_ADMAP start sector");

  const auto open = [&](const char* name, TableSpan& span, std::int64_t endAt, std::int64_t header) {
    return OpenTable(image, file, name, span, endAt, header, m.vtsiLastSector, problems);
  };
  ReadInto(open("VTS_PTT_SRPT", vts.vtsPttSrpt.table, kEndAt, kListHeader), vts.vtsPttSrpt, problems,
           [&](const TableReader& t) { return ReadVtsPttSrpt(t, problems); });
  if (auto t = open("VTS_PGCI", vts.vtsPgciTable, kEndAt, kListHeader))
    ReadGuarded(problems, [&] { vts.vtsPgci = ReadPgci(*t, problems); });
  ReadInto(open("VTSM_PGCI_UT", vts.vtsmPgciUt.table, kEndAt, kListHeader), vts.vtsmPgciUt, problems,
           [&](const TableReader& t) { return ReadPgciUt(t, MenuDomain::kVtsm, problems); });
  open("VTS_TMAPTI", vts.vtsTmapti, kEndAt, kListHeader);
  ReadInto(open("VTSM_C_ADT", vts.vtsmCAdt.table, kEndAt, kListHeader), vts.vtsmCAdt, problems, ReadCAdt);
  ReadInto(open("VTSM_VOBU_ADMAP", vts.vtsmVobuAdmap.table, kVobuAdmapEndAt, kAdmapHeader), vts.vtsmVobuAdmap,
           problems, ReadVobuAdmap);
  ReadInto(open("VTS_C_ADT", vts.vtsCAdt.table, kEndAt, kListHeader), vts.vtsCAdt, problems, ReadCAdt);
  ReadInto(open("VTS_VOBU_ADMAP", vts.vtsVobuAdmap.table, kVobuAdmapEndAt, kAdmapHeader), vts.vtsVobuAdmap,
           problems, ReadVobuAdmap);
  if (!vts.vtsPgciTable.Present()) Note(problems, file, "VTSI_MAT", "VTS_PGCI start sector", "is 0: the title set has no title chains");
  return vts;
}

}  // namespace kestrune::disc
