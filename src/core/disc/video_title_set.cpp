#include "video_title_set.h"

#include <algorithm>

#include "dvd_files.h"
#include "ifo_fields.h"
#include "ifo_file.h"

namespace kestrune::disc {

namespace {

// A menu domain has room for one audio and one sub-picture stream's
// attributes; the titles for 8 audio and 32 sub-picture streams, the most a
// title set may have.
constexpr int kMaxMenuAudio = 1;
constexpr int kMaxMenuSubpictures = 1;
constexpr int kMaxTitleAudio = 8;
constexpr int kMaxTitleSubpictures = 32;

}  // namespace

TableSpan& SpanOf(VideoTitleSet& vts, VtsTable t) {
  switch (t) {
    case VtsTable::kPttSrpt: return vts.vtsPttSrpt.table;
    case VtsTable::kPgci: return vts.vtsPgciTable;
    case VtsTable::kVtsmPgciUt: return vts.vtsmPgciUt.table;
    case VtsTable::kTmapti: return vts.vtsTmapti;
    case VtsTable::kVtsmCAdt: return vts.vtsmCAdt.table;
    case VtsTable::kVtsmVobuAdmap: return vts.vtsmVobuAdmap.table;
    case VtsTable::kCAdt: return vts.vtsCAdt.table;
    case VtsTable::kVobuAdmap: break;
  }
  return vts.vtsVobuAdmap.table;
}

const TableSpan& SpanOf(const VideoTitleSet& vts, VtsTable t) { return SpanOf(const_cast<VideoTitleSet&>(vts), t); }

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
  const MatLayout layout = ReadMatLayout(image, IfoKind::kVts);
  VtsiMat& m = vts.mat;
  m.vtsLastSector = layout.setLastSector;
  m.vtsiLastSector = layout.ifoLastSector;
  m.version = mat.Byte(kMatVersion, "version");
  m.category = mat.DWord(kMatCategory, "category");
  m.matEndAddress = layout.matEnd;
  m.vtsmVobsSector = layout.menuVobsSector;
  m.vtsttVobsSector = layout.titleVobsSector;
  vts.read = true;
  if (m.matEndAddress < kVtsiMatMinEnd || !image.Contains(0, static_cast<std::int64_t>(m.matEndAddress) + 1))
    Note(problems, file, "VTSI_MAT", "end address", Hex(m.matEndAddress) + " does not fit the file");
  ReadGuarded(problems, [&] {
    m.menu = ReadStreamAttributes(mat, kMatMenuVideoAttributes, kMaxMenuAudio, kMaxMenuSubpictures, "menu", problems);
  });
  ReadGuarded(problems, [&] {
    m.titles = ReadStreamAttributes(mat, kVtsiTitleVideoAttributes, kMaxTitleAudio, kMaxTitleSubpictures, "title", problems);
  });

  ForEachTable<VtsTable>(image, file, layout, problems, [&](VtsTable t, const std::optional<TableReader>& reader) {
    SpanOf(vts, t) = layout.Table(t);
    switch (t) {
      case VtsTable::kPttSrpt:
        ReadTableInto(reader, vts.vtsPttSrpt, problems, [&](const TableReader& r) { return ReadVtsPttSrpt(r, problems); });
        break;
      case VtsTable::kPgci:
        if (reader) ReadGuarded(problems, [&] { vts.vtsPgci = ReadPgci(*reader, problems); });
        break;
      case VtsTable::kVtsmPgciUt:
        ReadTableInto(reader, vts.vtsmPgciUt, problems,
                      [&](const TableReader& r) { return ReadPgciUt(r, MenuDomain::kVtsm, problems); });
        break;
      case VtsTable::kTmapti: break;  // kept as where it lies
      case VtsTable::kVtsmCAdt: ReadTableInto(reader, vts.vtsmCAdt, problems, ReadCAdt); break;
      case VtsTable::kVtsmVobuAdmap: ReadTableInto(reader, vts.vtsmVobuAdmap, problems, ReadVobuAdmap); break;
      case VtsTable::kCAdt: ReadTableInto(reader, vts.vtsCAdt, problems, ReadCAdt); break;
      case VtsTable::kVobuAdmap: ReadTableInto(reader, vts.vtsVobuAdmap, problems, ReadVobuAdmap); break;
    }
  });
  if (!vts.vtsPgciTable.Present()) Note(problems, file, "VTSI_MAT", "VTS_PGCI start sector", "is 0: the title set has no title chains");
  return vts;
}

}  // namespace kestrune::disc
