#include "video_manager.h"

#include <algorithm>

#include "ifo_fields.h"
#include "ifo_file.h"

namespace kestrune::disc {

namespace {

constexpr char kFile[] = "VIDEO_TS.IFO";

// A menu domain has room for one audio and one sub-picture stream's
// attributes; libdvdread, like players, takes no more.
constexpr int kMaxMenuAudio = 1;
constexpr int kMaxMenuSubpictures = 1;
// A disc holds at most 99 title sets (VTS_01 .. VTS_99).
constexpr std::uint16_t kMaxTitleSets = 99;

std::string ProviderId(const TableReader& mat) {
  std::string id;
  for (std::int64_t i = 0; i < kVmgiProviderIdLength; ++i)
    id += static_cast<char>(mat.Byte(kVmgiProviderId + i, "provider id"));
  while (!id.empty() && (id.back() == '\0' || id.back() == ' ')) id.pop_back();
  return id;
}

}  // namespace

TableSpan& SpanOf(VideoManager& vmg, VmgTable t) {
  switch (t) {
    case VmgTable::kTtSrpt: return vmg.ttSrpt.table;
    case VmgTable::kVmgmPgciUt: return vmg.vmgmPgciUt.table;
    case VmgTable::kPtlMait: return vmg.ptlMait;
    case VmgTable::kVtsAtrt: return vmg.vtsAtrt;
    case VmgTable::kTxtdtMg: return vmg.txtdtMg;
    case VmgTable::kVmgmCAdt: return vmg.vmgmCAdt.table;
    case VmgTable::kVmgmVobuAdmap: break;
  }
  return vmg.vmgmVobuAdmap.table;
}

const TableSpan& SpanOf(const VideoManager& vmg, VmgTable t) { return SpanOf(const_cast<VideoManager&>(vmg), t); }

VideoManager ReadVideoManager(const IfoImage& image, Problems& problems) {
  VideoManager vmg;
  // Every MAT field read lies in the first sector, which a read image holds.
  const TableReader mat(image, kFile, "VMGI_MAT", 0, std::min<std::int64_t>(image.Size(), kSectorSize));
  const MatLayout layout = ReadMatLayout(image, IfoKind::kVmg);
  VmgiMat& m = vmg.mat;
  m.vmgLastSector = layout.setLastSector;
  m.vmgiLastSector = layout.ifoLastSector;
  m.version = mat.Byte(kMatVersion, "version");
  m.category = mat.DWord(kMatCategory, "category");
  m.volumeCount = mat.Word(kVmgiVolumeCount, "volume count");
  m.volumeNumber = mat.Word(kVmgiVolumeNumber, "volume number");
  m.side = mat.Byte(kVmgiSide, "side");
  m.titleSetCount = mat.Word(kVmgiTitleSetCount, "title set count");
  m.providerId = ProviderId(mat);
  m.matEndAddress = layout.matEnd;
  m.firstPlayPgcOffset = mat.DWord(kVmgiFirstPlayPgc, "first-play PGC offset");
  m.vmgmVobsSector = layout.menuVobsSector;
  vmg.read = true;
  if (m.titleSetCount > kMaxTitleSets) {
    Note(problems, kFile, "VMGI_MAT", "title set count",
         std::to_string(m.titleSetCount) + " is more than the " + std::to_string(kMaxTitleSets) + " a disc may have");
    m.titleSetCount = kMaxTitleSets;
  }
  if (m.matEndAddress < kVmgiMatMinEnd || !image.Contains(0, static_cast<std::int64_t>(m.matEndAddress) + 1))
    Note(problems, kFile, "VMGI_MAT", "end address", Hex(m.matEndAddress) + " does not fit the file");
  ReadGuarded(problems, [&] {
    m.menu = ReadStreamAttributes(mat, kMatMenuVideoAttributes, kMaxMenuAudio, kMaxMenuSubpictures, "menu", problems);
  });

  ForEachTable<VmgTable>(image, kFile, layout, problems, [&](VmgTable t, const std::optional<TableReader>& reader) {
    SpanOf(vmg, t) = layout.Table(t);
    switch (t) {
      case VmgTable::kTtSrpt:
        ReadTableInto(reader, vmg.ttSrpt, problems, [&](const TableReader& r) { return ReadTtSrpt(r, problems); });
        break;
      case VmgTable::kVmgmPgciUt:
        ReadTableInto(reader, vmg.vmgmPgciUt, problems,
                      [&](const TableReader& r) { return ReadPgciUt(r, MenuDomain::kVmgm, problems); });
        break;
      case VmgTable::kVmgmCAdt: ReadTableInto(reader, vmg.vmgmCAdt, problems, ReadCAdt); break;
      case VmgTable::kVmgmVobuAdmap: ReadTableInto(reader, vmg.vmgmVobuAdmap, problems, ReadVobuAdmap); break;
      case VmgTable::kPtlMait:
      case VmgTable::kVtsAtrt:
      case VmgTable::kTxtdtMg: break;  // kept as where they lie
    }
  });

  if (m.firstPlayPgcOffset != 0) {
    ReadGuarded(problems, [&] {
      // dvdauthor puts the first-play PGC at 0x400 inside the MAT's end
      // address; other tools put it after the MAT. Either way it lies before
      // the first table, which bounds it.
      std::int64_t limit = image.Size();
      for (const TableSpan& span : layout.tables)
        if (span.Present()) limit = std::min(limit, span.Start());
      const std::int64_t offset = m.firstPlayPgcOffset;
      if (offset >= limit)
        mat.Fail("first-play PGC offset", Hex(m.firstPlayPgcOffset) + " lies past the start of the first table");
      vmg.firstPlayPgc = ReadProgramChain(TableReader(image, kFile, "first-play PGC", offset, limit - offset));
    });
  }
  return vmg;
}

}  // namespace kestrune::disc
