#include "video_manager.h"

#include <algorithm>

#include "ifo_file.h"

namespace kestrune::disc {

namespace {

constexpr char kFile[] = "VIDEO_TS.IFO";

// VMGI_MAT fields.
constexpr std::int64_t kLastSector = 0x0C;
constexpr std::int64_t kIfoLastSector = 0x1C;
constexpr std::int64_t kVersion = 0x21;
constexpr std::int64_t kCategory = 0x22;
constexpr std::int64_t kVolumeCount = 0x26;
constexpr std::int64_t kVolumeNumber = 0x28;
constexpr std::int64_t kSide = 0x2A;
constexpr std::int64_t kTitleSetCount = 0x3E;
constexpr std::int64_t kProviderId = 0x40;
constexpr std::int64_t kProviderIdLength = 32;
constexpr std::int64_t kMatEnd = 0x80;
constexpr std::int64_t kFirstPlayPgc = 0x84;
constexpr std::int64_t kMenuVobs = 0xC0;
constexpr std::int64_t kTtSrpt = 0xC4;
constexpr std::int64_t kVmgmPgciUt = 0xC8;
constexpr std::int64_t kPtlMait = 0xCC;
constexpr std::int64_t kVtsAtrt = 0xD0;
constexpr std::int64_t kTxtdtMg = 0xD4;
constexpr std::int64_t kVmgmCAdt = 0xD8;
constexpr std::int64_t kVmgmVobuAdmap = 0xDC;
constexpr std::int64_t kMenuAttributes = 0x100;
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
constexpr std::int64_t kAdmapHeader = 4;
constexpr std::int64_t kTxtdtMgHeader = 20;

std::string ProviderId(const TableReader& mat) {
  std::string id;
  for (std::int64_t i = 0; i < kProviderIdLength; ++i) id += static_cast<char>(mat.Byte(kProviderId + i, "provider id"));
  while (!id.empty() && (id.back() == '\0' || id.back() == ' ')) id.pop_back();
  return id;
}

}  // namespace

VideoManager ReadVideoManager(const IfoImage& image, Problems& problems) {
  VideoManager vmg;
  // Every MAT field read lies in the first sector, which a read image holds.
  const TableReader mat(image, kFile, "VMGI_MAT", 0, std::min<std::int64_t>(image.Size(), kSectorSize));
  VmgiMat& m = vmg.mat;
  m.vmgLastSector = mat.DWord(kLastSector, "last sector");
  m.vmgiLastSector = mat.DWord(kIfoLastSector, "IFO last sector");
  m.version = mat.Byte(kVersion, "version");
  m.category = mat.DWord(kCategory, "category");
  m.volumeCount = mat.Word(kVolumeCount, "volume count");
  m.volumeNumber = mat.Word(kVolumeNumber, "volume number");
  m.side = mat.Byte(kSide, "side");
  m.titleSetCount = mat.Word(kTitleSetCount, "title set count");
  m.providerId = ProviderId(mat);
  m.matEndAddress = mat.DWord(kMatEnd, "end address");
  m.firstPlayPgcOffset = mat.DWord(kFirstPlayPgc, "first-play PGC offset");
  m.vmgmVobsSector = mat.DWord(kMenuVobs, "VMGM_VOBS start sector");
  vmg.read = true;
  if (m.titleSetCount > kMaxTitleSets) {
    Note(problems, kFile, "VMGI_MAT", "title set count",
         std::to_string(m.titleSetCount) + " is more than the " + std::to_string(kMaxTitleSets) + " a disc may have");
    m.titleSetCount = kMaxTitleSets;
  }
  if (m.matEndAddress < kMinMatEnd || !image.Contains(0, static_cast<std::int64_t>(m.matEndAddress) + 1))
    Note(problems, kFile, "VMGI_MAT", "end address", Hex(m.matEndAddress) + " does not fit the file");
  ReadGuarded(problems, [&] {
    m.menu = ReadStreamAttributes(mat, kMenuAttributes, kMaxMenuAudio, kMaxMenuSubpictures, "menu", problems);
  });

  vmg.ttSrpt.table.sector = mat.DWord(kTtSrpt, "TT_SRPT start sector");
  vmg.vmgmPgciUt.table.sector = mat.DWord(kVmgmPgciUt, "VMGM_PGCI_UT start sector");
  vmg.ptlMait.sector = mat.DWord(kPtlMait, "VMG_PTL_MAIT start sector");
  vmg.vtsAtrt.sector = mat.DWord(kVtsAtrt, "VMG_VTS_ATRT start sector");
  vmg.txtdtMg.sector = mat.DWord(kTxtdtMg, "VMG_TXTDT_MG start sector");
  vmg.vmgmCAdt.table.sector = mat.DWord(kVmgmCAdt, "VMGM_C_ADT start sector");
  vmg.vmgmVobuAdmap.table.sector = mat.DWord(kVmgmVobuAdmap, "VMGM_VOBU_ADMAP start sector");

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
  if (auto t = open("VMGM_VOBU_ADMAP", vmg.vmgmVobuAdmap.table, kVobuAdmapEndAt, kAdmapHeader)) {
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
