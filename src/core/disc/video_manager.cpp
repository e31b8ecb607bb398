#include "video_manager.h"

#include <algorithm>

#include "ifo_fields.h"
#include "ifo_file.h"

namespace kestrune::disc {

namespace {

constexpr char kFile[] = "VIDEO_TS.IFO";

constexpr std::int64_t kProviderIdLength = 32;
// The MAT must at least hold the table pointers, up to 0xDF.
constexpr std::uint32_t kMinMatEnd = 0xDF;
// A menu domain has room for one audio and one sub-picture stream's
// attributes; libdvdread, like players, takes no more.
constexpr int kMaxMenuAudio = 1;
constexpr int kMaxMenuSubpictures = 1;
// A disc holds at most 99 title sets (VTS_01 .. VTS_99).
constexpr std::uint16_t kMaxTitleSets = 99;

// End address offsets and smallest lengths (their headers) of the tables.
constexpr std::int64_t kEndAt = 4;
constexpr std::int64_t kTxtdtMgEndAt = 16;
constexpr std::int64_t kVobuAdmapEndAt = 0;
constexpr std::int64_t kListHeader = 8;
constexpr std::int64_t kTxtdtMgHeader = 20;

std::string ProviderId(const TableReader& mat) {
  std::string id;
  for (std::int64_t i = 0; i < kProviderIdLength; ++i) id += static_cast<char>(mat.Byte(kVmgiProviderId + i, "provider id"));
  while (!id.empty() && (id.back() == '\0' || id.back() == ' ')) id.pop_back();
  return id;
}

}  // namespace

VideoManager ReadVideoManager(const IfoImage& image, Problems& problems) {
  VideoManager vmg;
  // Every MAT field read lies in the first sector, which a read image holds.
  const TableReader mat(image, kFile, "VMGI_MAT", 0, std::min<std::int64_t>(image.Size(), kSectorSize));
  VmgiMat& m = vmg.mat;
  m.vmgLastSector = mat.DWord(kMatLastSector, "last sector");
  m.vmgiLastSector = mat.DWord(kMatIfoLastSector, "IFO last sector");
  m.version = mat.Byte(kMatVersion, "version");
  m.category = mat.DWord(kMatCategory, "category");
  m.volumeCount = mat.Word(kVmgiVolumeCount, "volume count");
  m.volumeNumber = mat.Word(kVmgiVolumeNumber, "volume number");
  m.side = mat.Byte(kVmgiSide, "side");
  m.titleSetCount = mat.Word(kVmgiTitleSetCount, "title set count");
  m.providerId = ProviderId(mat);
  m.matEndAddress = mat.DWord(kMatEndAddress, "end address");
  m.firstPlayPgcOffset = mat.DWord(kVmgiFirstPlayPgc, "first-play PGC offset");
  m.vmgmVobsSector = mat.DWord(kMatMenuVobsSector, "VMGM_VOBS start sector");
  vmg.read = true;
  if (m.titleSetCount > kMaxTitleSets) {
    Note(problems, kFile, "VMGI_MAT", "title set count",
         std::to_string(m.titleSetCount) + " is more than the " + std::to_string(kMaxTitleSets) + " a disc may have");
    m.titleSetCount = kMaxTitleSets;
  }
  if (m.matEndAddress < kMinMatEnd || !image.Contains(0, static_cast<std::int64_t>(m.matEndAddress) + 1))
    Note(problems, kFile, "VMGI_MAT", "end address", Hex(m.matEndAddress) + " does not fit the file");
  ReadGuarded(problems, [&] {
    m.menu = ReadStreamAttributes(mat, kMatMenuVideoAttributes, kMaxMenuAudio, kMaxMenuSubpictures, "menu", problems);
  });

  vmg.ttSrpt.table.sector = mat.DWord(kVmgiTtSrpt, "TT_SRPT start sector");
  vmg.vmgmPgciUt.table.sector = mat.DWord(kVmgiVmgmPgciUt, "VMGM_PGCI_UT start sector");
  vmg.ptlMait.sector = mat.DWord(kVmgiPtlMait, "VMG_PTL_MAIT start sector");
  vmg.vtsAtrt.sector = mat.DWord(kVmgiVtsAtrt, "VMG_VTS_ATRT start sector");
  vmg.txtdtMg.sector = mat.DWord(kVmgiTxtdtMg, "VMG_TXTDT_MG start sector");
  vmg.vmgmCAdt.table.sector = mat.DWord(kVmgiVmgmCAdt, "VMGM_C_ADT start sector");
  vmg.vmgmVobuAdmap.table.sector = mat.DWord(kVmgiVmgmVobuAdmap, "VMGM_VOBU_ADMAP start sector");

  const auto open = [&](const char* name, TableSpan& span, std::int64_t endAt, std::int64_t header) {
    return OpenTable(image, kFile, name, span, endAt, header, m.vmgiLastSector, problems);
  };
  if (auto t = open("TT_SRPT", vmg.ttSrpt.table, kEndAt, kListHeader)) {
    ReadGuarded(problems, [&] {
      const TableSpan span = vmg.ttSrpt.table;
      vmg.ttSrpt = ReadTtSrpt(*t, problems);
      vmg.ttSrpt.table = span;
    });
  }
  if (auto t = open("VMGM_PGCI_UT", vmg.vmgmPgciUt.table, kEndAt, kListHeader)) {
    ReadGuarded(problems, [&] {
      const TableSpan span = vmg.vmgmPgciUt.table;
      vmg.vmgmPgciUt = ReadPgciUt(*t, MenuDomain::kVmgm, problems);
      vmg.vmgmPgciUt.table = span;
    });
  }
  open("VMG_PTL_MAIT", vmg.ptlMait, kEndAt, kListHeader);
  open("VMG_VTS_ATRT", vmg.vtsAtrt, kEndAt, kListHeader);
  open("VMG_TXTDT_MG", vmg.txtdtMg, kTxtdtMgEndAt, kTxtdtMgHeader);
  if (auto t = open("VMGM_C_ADT", vmg.vmgmCAdt.table, kEndAt, kListHeader)) {
    ReadGuarded(problems, [&] {
      const TableSpan span = vmg.vmgmCAdt.table;
      vmg.vmgmCAdt = ReadCAdt(*t);
      vmg.vmgmCAdt.table = span;
    });
  }
  if (auto t = open("VMGM_VOBU_ADMAP", vmg.vmgmVobuAdmap.table, kVobuAdmapEndAt, kVobuAdmapHeader)) {
    ReadGuarded(problems, [&] {
      const TableSpan span = vmg.vmgmVobuAdmap.table;
      vmg.vmgmVobuAdmap = ReadVobuAdmap(*t);
      vmg.vmgmVobuAdmap.table = span;
    });
  }

  if (m.firstPlayPgcOffset != 0) {
    ReadGuarded(problems, [&] {
      // dvdauthor puts the first-play PGC at 0x400 inside the MAT's end
      // address; other tools put it after the MAT. Either way it lies before
      // the first table, which bounds it.
      std::int64_t limit = image.Size();
      for (const TableSpan* span : {&vmg.ttSrpt.table, &vmg.vmgmPgciUt.table, &vmg.ptlMait, &vmg.vtsAtrt,
                                    &vmg.txtdtMg, &vmg.vmgmCAdt.table, &vmg.vmgmVobuAdmap.table}) {
        if (span->Present()) limit = std::min(limit, static_cast<std::int64_t>(span->sector) * kSectorSize);
      }
      const std::int64_t offset = m.firstPlayPgcOffset;
      if (offset >= limit)
        mat.Fail("first-play PGC offset", Hex(m.firstPlayPgcOffset) + " lies past the start of the first table");
      vmg.firstPlayPgc = ReadProgramChain(TableReader(image, kFile, "first-play PGC", offset, limit - offset));
    });
  }
  return vmg;
}

}  // namespace kestrune::disc
