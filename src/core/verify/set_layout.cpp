// The checks of files and sector arithmetic: each IFO against its BUP, the
// tables inside the IFO, the MAT's sector fields against the files of the
// set, the sets laid out in disc order against TT_SRPT, and VMG_VTS_ATRT.
#include <algorithm>
#include <type_traits>

#include "dvd_files.h"
#include "file_layer.h"
#include "ifo_fields.h"
#include "title_tables.h"
#include "verifier.h"

namespace kestrune::verify {

namespace {

constexpr int kMaxTitleSets = 99;

struct TableAt {
  const ifo::TableKind* kind;
  const ifo::TableSpan* span;
};

// The tables of a set's IFO in file order, with where the model keeps their places.
std::vector<TableAt> TablesOf(const SetData& set) {
  std::vector<TableAt> tables;
  if (set.number == 0) {
    for (std::size_t i = 0; i < ifo::kVmgTables.size(); ++i)
      tables.push_back({&ifo::kVmgTables[i], &disc::SpanOf(set.vmg, static_cast<ifo::VmgTable>(i))});
  } else {
    for (std::size_t i = 0; i < ifo::kVtsTables.size(); ++i)
      tables.push_back({&ifo::kVtsTables[i], &disc::SpanOf(set.vts, static_cast<ifo::VtsTable>(i))});
  }
  return tables;
}

// The MAT field or table that holds byte `offset` of an IFO, for findings
// about bytes that differ; `offset` becomes the MAT field's first byte.
std::pair<std::string, std::string> FieldAt(const SetData& set, std::int64_t& offset) {
  struct MatField {
    std::int64_t from, to;
    const char* name;
  };
  // The sector fields from 0xC4 on, of either MAT: the table start sectors
  // (and VTSI_MAT's VTSTT_VOBS start).
  constexpr std::int64_t firstPointer = kVmgiTtSrpt, lastPointer = kVtsiVobuAdmap;
  const MatField fields[] = {
      {0, kIdentifierLength - 1, "identifier"},
      {kMatLastSector, kMatLastSector + 3, "last sector"},
      {kMatIfoLastSector, kMatIfoLastSector + 3, "IFO last sector"},
      {kMatVersion - 1, kMatVersion, "version"},
      {kMatCategory, kMatCategory + 3, "category"},
      {kVmgiTitleSetCount, kVmgiTitleSetCount + 1, "title set count"},
      {kMatEndAddress, kMatEndAddress + 3, "end address"},
      {kVmgiFirstPlayPgc, kVmgiFirstPlayPgc + 3, "first-play PGC offset"},
      {kMatMenuVobsSector, kMatMenuVobsSector + 3, "menu VOB start sector"},
      {firstPointer, lastPointer + 3, "table start sectors"},
      {kMatMenuVideoAttributes, kVtsiTitleVideoAttributes - 1, "menu attributes"},
      {kVtsiTitleVideoAttributes, 0x3FF, "title attributes"}};
  const std::int64_t matEnd = set.number == 0 ? set.vmg.mat.matEndAddress : set.vts.mat.matEndAddress;
  if (offset <= std::max<std::int64_t>(matEnd, kMatMenuVideoAttributes - 1)) {
    for (const MatField& f : fields) {
      if (offset >= f.from && offset <= f.to) {
        if (set.number == 0 && f.from == kVtsiTitleVideoAttributes) break;
        // The table start sectors are 4-byte fields of their own.
        offset = f.from == firstPointer ? offset - (offset - f.from) % 4 : f.from;
        return {set.MatName(), f.name};
      }
    }
    return {set.MatName(), ""};
  }
  if (set.modelRead) {
    for (const TableAt& t : TablesOf(set)) {
      const std::int64_t start = t.span->Start();
      if (t.span->Present() && offset >= start && offset < start + std::max<std::int64_t>(t.span->length, 1))
        return {t.kind->name, ""};
    }
  }
  return {"", ""};
}

std::string SetName(const SetData& set) {
  return set.number == 0 ? std::string("the video manager set") : "title set " + Number(set.number);
}

}  // namespace

void Verifier::CheckFiles(SetData& set) {
  if (set.ifoBytes >= 0 && set.ifoBytes % kSectorSize != 0)
    Add(Severity::kWarning, set.ifoName, "", "", -1, Number(set.ifoBytes) + " bytes, not a whole number of sectors",
        Number(SectorsOf(set.ifoBytes) * kSectorSize) + " bytes",
        "a mastering tool pads the last sector, so the sectors after it still match");
  for (const VobSet* vobs : {&set.menuVobs, &set.titleVobs}) {
    for (const VobSet::File& f : vobs->files) {
      if (f.bytes % kSectorSize != 0)
        Add(Severity::kError, f.name, "", "", -1, Number(f.bytes) + " bytes, not a whole number of sectors",
            Number(SectorsOf(f.bytes) * kSectorSize) + " bytes",
            "every later sector of the VOB set would be read from the wrong place");
    }
  }

  // The BUP: a byte-for-byte copy, read by players when the IFO is unreadable.
  if (set.bupBytes < 0) {
    Add(Severity::kError, set.bupName, "", "", -1, "is missing", "a copy of " + set.ifoName,
        "players fall back on it when the IFO cannot be read, and the set's sector count includes it");
    return;
  }
  if (!set.image) return;  // the IFO's own finding says why
  if (set.bupBytes != set.ifoBytes) {
    Add(Severity::kError, set.bupName, "", "", -1, Number(set.bupBytes) + " bytes",
        Number(set.ifoBytes) + " bytes, as " + set.ifoName, "the BUP must be an exact copy of its IFO");
    return;
  }
  std::vector<std::uint8_t> bup;
  bool tooBig = false;
  std::error_code error;
  if (!ReadWholeFile(report_.folder + set.bupName, kMaxIfoSectors * kSectorSize, bup, tooBig, error) || tooBig) {
    Add(Severity::kError, set.bupName, "", "", -1, tooBig ? "is too large" : "cannot be read: " + error.message(), "",
        "");
    return;
  }
  report_.ifoBytesRead += static_cast<std::int64_t>(bup.size());
  const std::vector<std::uint8_t>& ifo = set.image->Bytes();
  for (std::size_t i = 0; i < bup.size(); ++i) {
    if (i >= ifo.size() || bup[i] == ifo[i]) continue;
    std::int64_t at = static_cast<std::int64_t>(i);
    const auto [table, field] = FieldAt(set, at);
    Add(Severity::kError, set.bupName, table, field, at,
        "byte " + ifo::Hex(i) + " is " + ifo::Hex(bup[i]),
        ifo::Hex(ifo[i]) + " as in " + set.ifoName, "the BUP must be an exact copy of its IFO");
    return;
  }
}

void Verifier::CheckTables(const SetData& set) {
  const std::int64_t matEnd = set.number == 0 ? set.vmg.mat.matEndAddress : set.vts.mat.matEndAddress;
  const std::int64_t ifoEnd = (static_cast<std::int64_t>(set.IfoLastSector()) + 1) * kSectorSize;
  struct Placed {
    std::string name;
    std::int64_t pointer;     // MAT offset of its start sector (or PGC offset)
    std::int64_t start, end;  // end: one past the last byte
    std::int64_t endAt;       // image offset of its end address; -1 for the first-play PGC
  };
  std::vector<Placed> placed;
  bool insideMat = false;
  for (const TableAt& t : TablesOf(set)) {
    if (!t.span->Present()) continue;
    const char* name = t.kind->name;
    const std::string field = std::string(name) + " start sector";
    const std::int64_t start = static_cast<std::int64_t>(t.span->sector) * kSectorSize;
    if (start <= matEnd) {
      insideMat = true;
      continue;
    }
    if (start >= ifoEnd) {
      if (!Has(set.ifoName, name, "start sector"))
        Add(Severity::kError, set.ifoName, set.MatName(), field, t.kind->matPointer, Number(t.span->sector),
            "a sector up to the IFO's last sector " + Number(set.IfoLastSector()), "the table lies outside the IFO");
      continue;
    }
    if (t.span->length <= 0) continue;  // its header could not be read: noted
    if (start + t.span->length > ifoEnd && !Has(set.ifoName, name, "end address"))
      Add(Severity::kError, set.ifoName, name, "end address", start + t.kind->endAddressAt,
          ifo::Hex(static_cast<std::uint64_t>(t.span->length - 1)),
          "at most " + ifo::Hex(static_cast<std::uint64_t>(ifoEnd - start - 1)),
          "the table runs past the IFO's last sector (0x1C = " + Number(set.IfoLastSector()) + ")");
    placed.push_back({name, t.kind->matPointer, start, start + t.span->length, start + t.kind->endAddressAt});
  }
  // A table inside the MAT: the MAT's end address, not every table, is what
  // is most likely wrong.
  if (insideMat) {
    std::int64_t first = ifoEnd;
    for (const TableAt& t : TablesOf(set))
      if (t.span->Present()) first = std::min<std::int64_t>(first, t.span->Start());
    Add(Severity::kError, set.ifoName, set.MatName(), "end address", kMatEndAddress, ifo::Hex(static_cast<std::uint64_t>(matEnd)),
        "less than " + ifo::Hex(static_cast<std::uint64_t>(first)) + ", where the first table starts",
        "the MAT and its tables would overlap");
  }
  if (set.number == 0 && set.vmg.firstPlayPgc) {
    const ifo::ProgramChain& fp = *set.vmg.firstPlayPgc;
    placed.push_back({"first-play PGC", kVmgiFirstPlayPgc, fp.offset, fp.offset + fp.length, -1});
  }
  std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.start < b.start; });
  for (std::size_t i = 1; i < placed.size(); ++i) {
    const Placed& before = placed[i - 1];
    const Placed& t = placed[i];
    if (t.start >= before.end) continue;
    // The end address of the table that runs into the next one, unless that
    // is the first-play PGC, whose length comes from its own sub-tables.
    if (before.endAt >= 0)
      Add(Severity::kError, set.ifoName, before.name, "end address", before.endAt,
          ifo::Hex(static_cast<std::uint64_t>(before.end - before.start - 1)),
          "less than " + ifo::Hex(static_cast<std::uint64_t>(t.start - before.start)) + ", where " + t.name +
              " starts",
          "the two tables overlap");
    else
      Add(Severity::kError, set.ifoName, set.MatName(), t.name + " start sector", t.pointer,
          Number(t.start / kSectorSize), "a sector after the first-play PGC, which ends at byte " +
              ifo::Hex(static_cast<std::uint64_t>(before.end - 1)), "the table overlaps the first-play PGC");
  }

  // The tables every set needs for what it holds.
  const auto require = [&](auto table, const char* why) {
    const ifo::TableKind& kind = ifo::KindOf(table);
    bool present = false;
    if constexpr (std::is_same_v<decltype(table), ifo::VmgTable>)
      present = disc::SpanOf(set.vmg, table).Present();
    else
      present = disc::SpanOf(set.vts, table).Present();
    if (!present)
      Add(Severity::kError, set.ifoName, set.MatName(), std::string(kind.name) + " start sector", kind.matPointer,
          "0", "a table", why);
  };
  using ifo::VmgTable;
  using ifo::VtsTable;
  if (set.number == 0) {
    require(VmgTable::kTtSrpt, "players find every title through it");
    require(VmgTable::kVtsAtrt, "players read each title set's attributes from it");
    if (set.vmg.mat.vmgmVobsSector != 0) {
      require(VmgTable::kVmgmCAdt, "the menu VOB set needs its cell addresses");
      require(VmgTable::kVmgmVobuAdmap, "the menu VOB set needs its VOBU addresses");
    }
  } else {
    require(VtsTable::kPttSrpt, "players find every chapter through it");
    require(VtsTable::kCAdt, "the title VOB set needs its cell addresses");
    require(VtsTable::kVobuAdmap, "the title VOB set needs its VOBU addresses");
    if (!set.vts.vtsTmapti.Present() && set.vts.vtsPgciTable.Present())
      Add(Severity::kNote, set.ifoName, set.MatName(), "VTS_TMAPTI start sector", kVtsiTmapti, "0", "",
          "without time maps players cannot jump to a time in its titles (a blanked title set needs none)");
    if (set.vts.mat.vtsmVobsSector != 0) {
      require(VtsTable::kVtsmCAdt, "the menu VOB set needs its cell addresses");
      require(VtsTable::kVtsmVobuAdmap, "the menu VOB set needs its VOBU addresses");
    }
  }
}

void Verifier::CheckSetSizes(SetData& set) {
  const std::string& file = set.ifoName;
  const char* mat = set.MatName();
  const std::int64_t ifoMat = static_cast<std::int64_t>(set.IfoLastSector()) + 1;
  const std::int64_t ifoFile = SectorsOf(std::max<std::int64_t>(set.ifoBytes, 0));
  const std::int64_t bupFile = SectorsOf(std::max<std::int64_t>(set.bupBytes, 0));
  if (ifoFile < ifoMat)
    Add(Severity::kError, file, mat, "IFO last sector", kMatIfoLastSector, Number(ifoMat - 1),
        Number(ifoFile - 1) + " (the file holds " + Number(ifoFile) + " sectors)",
        "the sectors it counts past the file's end are not there, and the BUP is looked for after them");
  else if (ifoFile > ifoMat)
    Add(Severity::kWarning, file, mat, "IFO last sector", kMatIfoLastSector, Number(ifoMat - 1),
        Number(ifoFile - 1) + " (the file holds " + Number(ifoFile) + " sectors)",
        "the file is padded after its last table, as discs of other authoring tools are; the MAT's sizes describe "
        "the set, and it plays");
  // Where the VOB sets may start: right after the IFO as its MAT counts it,
  // or after the padded file.
  const auto afterIfo = [&](std::int64_t sector) { return sector == ifoMat || sector == ifoFile; };

  const std::int64_t M = set.number == 0 ? set.vmg.mat.vmgmVobsSector : set.vts.mat.vtsmVobsSector;
  const VobSet& menu = set.menuVobs;
  std::int64_t partsEnd = ifoMat;  // one past the last sector of the IFO and the VOB sets
  if (M != 0 && !menu.Present()) {
    Add(Severity::kError, file, mat, "menu VOB start sector", kMatMenuVobsSector, Number(M),
        "0, as there is no " + menu.name, "players look for menu video that is not there");
  } else if (M == 0 && menu.Present()) {
    Add(Severity::kError, file, mat, "menu VOB start sector", kMatMenuVobsSector, "0",
        Number(ifoMat) + ", as " + menu.name + " is there",
        "its sectors are counted nowhere, so every later sector of the set is misplaced");
    partsEnd = ifoMat + menu.Sectors();
  } else if (M != 0) {
    if (!afterIfo(M))
      Add(Severity::kError, file, mat, "menu VOB start sector", kMatMenuVobsSector, Number(M),
          Number(ifoMat) + " (the sector after the IFO)", "the menu VOB set starts right after the IFO");
    partsEnd = (afterIfo(M) ? M : ifoMat) + menu.Sectors();
  }

  if (set.number != 0) {
    const std::int64_t T = set.vts.mat.vtsttVobsSector;
    const VobSet& titles = set.titleVobs;
    const std::string first = VtsPrefix(set.number) + "1.VOB";
    const bool titlesAfterPaddedIfo = !menu.Present() && afterIfo(T);
    if (!titles.Present() || titles.files.front().name != first) {
      Add(Severity::kError, first, "", "", -1, "is missing", "the first file of the title VOB set",
          "a title set's titles play from VTSTT_VOBS");
    } else if (T != partsEnd && !titlesAfterPaddedIfo) {
      Add(Severity::kError, file, mat, "title VOB start sector", kVtsiTitleVobsSector, Number(T),
          Number(partsEnd) + (menu.Present() ? " (after the menu VOB set)" : " (the sector after the IFO)"),
          "the title VOB set follows the IFO and the menu VOB set");
    }
    if (titlesAfterPaddedIfo) partsEnd = T;
    partsEnd += titles.Sectors();
  }

  // 0x0C: the set is the IFO, the VOB sets and the BUP (as long as the IFO).
  const std::int64_t setSectors = static_cast<std::int64_t>(set.LastSector()) + 1;
  const std::int64_t withBupFile = partsEnd + bupFile;
  if (setSectors == withBupFile || setSectors == partsEnd + ifoMat) {
    set.extent = setSectors;
    return;
  }
  set.extent = withBupFile;
  const std::string expected = Number(withBupFile - 1) + " (IFO, VOBs and BUP take " + Number(withBupFile) + " sectors)";
  // dvdauthor gives a disc without a video manager menu a VMGI_MAT 0x0C that
  // counts more sectors than VIDEO_TS.IFO and VIDEO_TS.BUP (32 for 6 on
  // pal_split), and TT_SRPT puts title set 1 after all of them. libdvdread
  // reads the files by name and says nothing. DVD-Video mastering follows the
  // MAT: genisoimage -dvd-video puts VIDEO_TS.BUP at 0x0C - 0x1C and
  // VTS_01_0.IFO at 0x0C + 1, padding the sectors between, so the mastered
  // disc is consistent and plays; a plain copy of the files would not be.
  // Hence a warning, and the layout of the sets below follows the MAT.
  // Anything else that miscounts a set is an error: players find the BUP
  // and the next set by it.
  if (set.number == 0 && !menu.Present() && setSectors > withBupFile) {
    set.extent = setSectors;
    set.extentPadded = true;
    Add(Severity::kWarning, file, mat, "last sector", kMatLastSector, Number(setSectors - 1), expected,
        "it counts " + Number(setSectors - withBupFile) +
            " free sectors before the BUP's end, as dvdauthor writes for a disc without a video manager menu; "
            "DVD-Video mastering pads them (a plain copy of the files does not), and title set 1 starts after them");
    return;
  }
  Add(Severity::kError, file, mat, "last sector", kMatLastSector, Number(setSectors - 1), expected,
      "players find the BUP and the end of " + SetName(set) + " by it");
}

void Verifier::CheckDiscLayout() {
  if (!vmg_.modelRead) return;
  const int counted = vmg_.vmg.mat.titleSetCount;
  if (counted == 0)
    Add(Severity::kError, vmg_.ifoName, "VMGI_MAT", "title set count", kVmgiTitleSetCount, "0", "at least 1",
        "a disc holds at least one title set");
  for (const SetData& set : titleSets_) {
    if (set.number > counted)
      Add(Severity::kWarning, vmg_.ifoName, "VMGI_MAT", "title set count", kVmgiTitleSetCount, Number(counted),
          Number(set.number) + ", as " + set.ifoName + " is there",
          "players see no title set after " + Number(counted) + ", so " + set.ifoName + " and its files are left over");
  }
  if (!vmg_.vmg.ttSrpt.table.Present()) return;

  // The sets in disc order: the video manager, then title sets 1, 2, ...
  // Each starts where TT_SRPT says, which must not lie inside the set before.
  const std::int64_t tt = vmg_.vmg.ttSrpt.table.Start();
  const auto& titles = vmg_.vmg.ttSrpt.titles;
  std::int64_t previousStart = 0;
  std::int64_t previousExtent = vmg_.extent;
  std::string previousName = "the video manager set";
  for (const SetData& set : titleSets_) {
    if (set.number > counted) break;
    std::int64_t start = -1;
    for (std::size_t j = 0; j < titles.size(); ++j) {
      if (titles[j].titleSet != set.number) continue;
      const std::int64_t at = tt + ifo::TtSrptEntryAt(static_cast<std::int64_t>(j)) + kTtTitleSetSector;
      const std::string field = "title " + Number(static_cast<std::int64_t>(j) + 1) + " title set start sector";
      const std::int64_t sector = titles[j].titleSetSector;
      if (start >= 0) {
        if (sector != start)
          Add(Severity::kError, vmg_.ifoName, "TT_SRPT", field, at, Number(sector),
              Number(start) + ", as the title set's first title says", "one title set has one start sector");
        continue;
      }
      start = sector;
      const std::int64_t expected = previousStart + previousExtent;
      if (sector < expected) {
        Add(Severity::kError, vmg_.ifoName, "TT_SRPT", field, at, Number(sector), Number(expected),
            "title set " + Number(set.number) + " would start inside " + previousName + " (sectors " +
                Number(previousStart) + " to " + Number(expected - 1) + ")");
      } else if (sector > expected) {
        Add(Severity::kWarning, vmg_.ifoName, "TT_SRPT", field, at, Number(sector), Number(expected),
            "it leaves " + Number(sector - expected) + " free sectors after " + previousName +
                "; discs from several authoring tools align their sets like this and play, as long as mastering "
                "keeps the gap");
      }
    }
    if (start < 0) {
      if (set.modelRead)
        Add(Severity::kWarning, vmg_.ifoName, "TT_SRPT", "", tt, "no title in title set " + Number(set.number), "",
            "players find a title set only through its titles' start sector, so its titles cannot be played");
      start = previousStart + previousExtent;
    }
    previousStart = start;
    previousExtent = set.modelRead && set.extent > 0 ? set.extent
                                                     : SectorsOf(std::max<std::int64_t>(set.ifoBytes, 0)) * 2 +
                                                           set.menuVobs.Sectors() + set.titleVobs.Sectors();
    previousName = "title set " + Number(set.number);
  }
}

void Verifier::CheckVtsAtrt() {
  if (!vmg_.modelRead || !vmg_.vmg.vtsAtrt.Present() || vmg_.vmg.vtsAtrt.length <= 0) return;
  const std::int64_t start = vmg_.vmg.vtsAtrt.Start();
  const IfoImage& image = *vmg_.image;
  const std::int64_t length = std::min(vmg_.vmg.vtsAtrt.length, image.Size() - start);
  if (length < kVtsAtrtFirstOffset) return;
  const ifo::TableReader atrt(image, vmg_.ifoName, "VMG_VTS_ATRT", start, length);
  const auto byteAt = [&](std::int64_t off) { return image.Data()[start + off]; };
  const std::int64_t records = atrt.Word(kListCount, "record count");
  const int counted = vmg_.vmg.mat.titleSetCount;
  if (records != counted)
    Add(Severity::kError, vmg_.ifoName, "VMG_VTS_ATRT", "record count", start, Number(records),
        Number(counted) + ", the title set count of VMGI_MAT 0x3E", "players read each title set's attributes here");
  // The records of the title sets VMGI_MAT counts (a wrong record count is
  // named above, once).
  for (std::int64_t n = 1; n <= std::min<std::int64_t>({records, counted, kMaxTitleSets}); ++n) {
    const std::string rec = "VTS_ATR " + Number(n);
    const std::int64_t pointer = kVtsAtrtFirstOffset + 4 * (n - 1);
    if (length - pointer < 4) {
      Add(Severity::kError, vmg_.ifoName, "VMG_VTS_ATRT", rec + " offset", start + pointer, "past the table's end",
          "inside the table");
      break;
    }
    const std::int64_t at = ifo::VtsAtrOffset(atrt, static_cast<int>(n));
    if (at < pointer + 4 || at > length - kVtsAtrAttributes) {
      Add(Severity::kError, vmg_.ifoName, "VMG_VTS_ATRT", rec + " offset", start + pointer,
          ifo::Hex(static_cast<std::uint64_t>(at)), "an offset inside the table, after the offsets");
      continue;
    }
    const SetData* set = TitleSet(static_cast<int>(n));
    if (set == nullptr || !set->image) continue;  // its IFO's finding says why
    const std::int64_t end =
        std::min<std::int64_t>(atrt.DWord(at + kVtsAtrEndAddress, "end address"), length - at - 1);
    const IfoImage& vts = *set->image;
    for (std::int64_t k = kVtsAtrCategory; k <= end; ++k) {
      const std::int64_t matPos =
          k < kVtsAtrAttributes ? kMatCategory + (k - kVtsAtrCategory) : kVtsAtrMirrorBase + k;
      if (!vts.Contains(matPos, 1)) break;
      if (byteAt(at + k) == vts.Data()[matPos]) continue;
      Add(Severity::kError, vmg_.ifoName, "VMG_VTS_ATRT",
          rec + (k < kVtsAtrAttributes ? " category" : " attributes") + " byte " +
              ifo::Hex(static_cast<std::uint64_t>(k)),
          start + at + k, ifo::Hex(byteAt(at + k)),
          ifo::Hex(vts.Data()[matPos]) + " as at VTSI_MAT " + ifo::Hex(static_cast<std::uint64_t>(matPos)) + " of " +
              set->ifoName,
          "players take a title set's video, audio and sub-picture attributes from here");
      break;
    }
  }
}

}  // namespace kestrune::verify
