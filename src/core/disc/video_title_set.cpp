#include "video_title_set.h"

#include <algorithm>

#include "dvd_files.h"
#include "ifo_fields.h"
#include "ifo_file.h"

namespace kestrune::disc {

namespace {

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
  m.vtsLastSector = mat.DWord(kMatLastSector, "last sector");
  m.vtsiLastSector = mat.DWord(kMatIfoLastSector, "IFO last sector");
  m.version = mat.Byte(kMatVersion, "version");
  m.category = mat.DWord(kMatCategory, "category");
  m.matEndAddress = mat.DWord(kMatEndAddress, "end address");
  m.vtsmVobsSector = mat.DWord(kMatMenuVobsSector, "VTSM_VOBS start sector");
  m.vtsttVobsSector = mat.DWord(kVtsiTitleVobsSector, "VTSTT_VOBS start sector");
  vts.read = true;
  if (m.matEndAddress < kMinMatEnd || !image.Contains(0, static_cast<std::int64_t>(m.matEndAddress) + 1))
    Note(problems, file, "VTSI_MAT", "end address", Hex(m.matEndAddress) + " does not fit the file");
  ReadGuarded(problems, [&] {
    m.menu = ReadStreamAttributes(mat, kMatMenuVideoAttributes, kMaxMenuAudio, kMaxMenuSubpictures, "menu", problems);
  });
  ReadGuarded(problems, [&] {
    m.titles = ReadStreamAttributes(mat, kVtsiTitleVideoAttributes, kMaxTitleAudio, kMaxTitleSubpictures, "title", problems);
  });

  vts.vtsPttSrpt.table.sector = mat.DWord(kVtsiPttSrpt, "VTS_PTT_SRPT start sector");
  vts.vtsPgciTable.sector = mat.DWord(kVtsiPgci, "VTS_PGCI start sector");
  vts.vtsmPgciUt.table.sector = mat.DWord(kVtsiVtsmPgciUt, "VTSM_PGCI_UT start sector");
  vts.vtsTmapti.sector = mat.DWord(kVtsiTmapti, "VTS_TMAPTI start sector");
  vts.vtsmCAdt.table.sector = mat.DWord(kVtsiVtsmCAdt, "VTSM_C_ADT start sector");
  vts.vtsmVobuAdmap.table.sector = mat.DWord(kVtsiVtsmVobuAdmap, "VTSM_VOBU_ADMAP start sector");
  vts.vtsCAdt.table.sector = mat.DWord(kVtsiCAdt, "VTS_C_ADT start sector");
  vts.vtsVobuAdmap.table.sector = mat.DWord(kVtsiVobuAdmap, "VTS_VOBU_ADMAP start sector");

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
  ReadInto(open("VTSM_VOBU_ADMAP", vts.vtsmVobuAdmap.table, kVobuAdmapEndAt, kVobuAdmapHeader), vts.vtsmVobuAdmap,
           problems, ReadVobuAdmap);
  ReadInto(open("VTS_C_ADT", vts.vtsCAdt.table, kEndAt, kListHeader), vts.vtsCAdt, problems, ReadCAdt);
  ReadInto(open("VTS_VOBU_ADMAP", vts.vtsVobuAdmap.table, kVobuAdmapEndAt, kVobuAdmapHeader), vts.vtsVobuAdmap,
           problems, ReadVobuAdmap);
  if (!vts.vtsPgciTable.Present()) Note(problems, file, "VTSI_MAT", "VTS_PGCI start sector", "is 0: the title set has no title chains");
  return vts;
}

}  // namespace kestrune::disc
