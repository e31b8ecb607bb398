// The checks of titles, chapters, program chains and address tables: every
// chapter reaches a PGC and a program, every cell lies in its VOB set and is
// covered by C_ADT, VOBU_ADMAP ascends from 0 and holds every cell's first and
// last VOBU.
#include <algorithm>
#include <set>

#include "big_endian.h"
#include "ifo_fields.h"
#include "time_map_table.h"
#include "verifier.h"

namespace kestrune::verify {

namespace {

std::uint16_t WordAt(const IfoImage& image, std::int64_t pos) {
  return image.Contains(pos, 2) ? GetBigEndian<std::uint16_t>(image.Data() + pos) : 0;
}

std::string Quoted(const std::string& language) { return language.empty() ? "" : " (" + language + ")"; }

}  // namespace

bool Verifier::BadAdmap(const ifo::VobuAdmap* map) const {
  return std::find(badAdmaps_.begin(), badAdmaps_.end(), map) != badAdmaps_.end();
}

std::vector<int> Verifier::TitlesPlaying(const SetData& set, std::int64_t pgcOffset) const {
  std::vector<int> titles;
  const auto& srps = set.vts.vtsPgci.srps;
  const auto& ptts = set.vts.vtsPttSrpt.titles;
  for (std::size_t t = 0; t < ptts.size(); ++t) {
    for (const ifo::Ptt& ptt : ptts[t]) {
      if (ptt.pgcn < 1 || ptt.pgcn > srps.size()) continue;
      const auto& pgc = srps[ptt.pgcn - 1u].pgc;
      if (pgc && pgc->offset == pgcOffset) {
        titles.push_back(static_cast<int>(t + 1));
        break;
      }
    }
  }
  return titles;
}

void Verifier::CheckTitles() {
  if (!vmg_.modelRead || !vmg_.vmg.ttSrpt.table.Present()) return;
  const std::int64_t tt = vmg_.vmg.ttSrpt.table.Start();
  const int counted = vmg_.vmg.mat.titleSetCount;
  std::set<std::pair<int, int>> listed;  // (title set, VTS title) of every TT_SRPT entry
  const auto& titles = vmg_.vmg.ttSrpt.titles;
  for (std::size_t j = 0; j < titles.size(); ++j) {
    const ifo::TitleSearchPointer& t = titles[j];
    const std::int64_t e = tt + ifo::TtSrptEntryAt(static_cast<std::int64_t>(j));
    const std::string title = "title " + Number(static_cast<std::int64_t>(j) + 1) + " ";
    const SetData* set = t.titleSet <= counted ? TitleSet(t.titleSet) : nullptr;
    if (set == nullptr) {
      Add(Severity::kError, vmg_.ifoName, "TT_SRPT", title + "title set number", e + kTtTitleSet, Number(t.titleSet),
          "a title set from 1 to " + Number(counted), "players cannot find the title");
      continue;
    }
    listed.insert({t.titleSet, t.vtsTitle});
    if (!set->modelRead) continue;
    const auto& ptts = set->vts.vtsPttSrpt.titles;
    if (t.vtsTitle < 1 || t.vtsTitle > ptts.size()) {
      Add(Severity::kError, vmg_.ifoName, "TT_SRPT", title + "VTS title number", e + kTtVtsTitle, Number(t.vtsTitle),
          "a title from 1 to " + Number(static_cast<std::int64_t>(ptts.size())) + " of " + set->ifoName + "'s VTS_PTT_SRPT",
          "players cannot find the title's chapters");
      continue;
    }
    const std::size_t chapters = ptts[t.vtsTitle - 1u].size();
    if (t.chapters != chapters)
      Add(Severity::kError, vmg_.ifoName, "TT_SRPT", title + "chapter count", e + kTtChapters, Number(t.chapters),
          Number(static_cast<std::int64_t>(chapters)) + ", the chapters VTS_PTT_SRPT lists for VTS title " +
              Number(t.vtsTitle) + " of " + set->ifoName,
          "a chapter search by number would miss");
  }

  for (const SetData& set : titleSets_) {
    if (!set.modelRead || !set.vts.vtsPttSrpt.table.Present()) continue;
    const ifo::VtsPttSrpt& table = set.vts.vtsPttSrpt;
    const std::int64_t start = table.table.Start();
    const auto& srps = set.vts.vtsPgci.srps;
    for (std::size_t t = 0; t < table.titles.size(); ++t) {
      const std::string title = "VTS title " + Number(static_cast<std::int64_t>(t) + 1) + " ";
      if (set.number <= counted && listed.count({set.number, static_cast<int>(t + 1)}) == 0)
        Add(Severity::kWarning, set.ifoName, "VTS_PTT_SRPT", title, start + kPttFirstTitle + kPttOffsetSize * static_cast<std::int64_t>(t),
            "is in no title of TT_SRPT", "", "players cannot reach it by title");
      for (std::size_t p = 0; p < table.titles[t].size(); ++p) {
        const ifo::Ptt& ptt = table.titles[t][p];
        const std::int64_t at = start + table.offsets[t] + kPttEntrySize * static_cast<std::int64_t>(p);
        const std::string chapter = title + "chapter " + Number(static_cast<std::int64_t>(p) + 1) + " ";
        if (ptt.pgcn < 1 || ptt.pgcn > srps.size()) {
          Add(Severity::kError, set.ifoName, "VTS_PTT_SRPT", chapter + "PGCN", at, Number(ptt.pgcn),
              "a PGC from 1 to " + Number(static_cast<std::int64_t>(srps.size())) + " of VTS_PGCI",
              "the chapter starts in no program chain");
          continue;
        }
        const auto& pgc = srps[ptt.pgcn - 1u].pgc;
        if (!pgc) continue;  // the PGC's own finding says why
        const std::size_t programs = pgc->programMap.size();
        if (ptt.pgn < 1 || ptt.pgn > programs)
          Add(Severity::kError, set.ifoName, "VTS_PTT_SRPT", chapter + "PGN", at + kPttPgn, Number(ptt.pgn),
              "a program from 1 to " + Number(static_cast<std::int64_t>(programs)) + " of PGC " + Number(ptt.pgcn),
              "the chapter starts at no program");
      }
    }
  }
}

std::vector<Domain> Verifier::DomainsOf(const SetData& set) const {
  std::vector<Domain> domains;
  if (!set.modelRead) return domains;
  const auto attributes = [&](std::int64_t at) { return set.image->Contains(at, 1) ? set.image->Data()[at] : 0; };
  const auto menus = [&](Domain::Kind kind, const ifo::PgciUt& ut, const char* table, const VobSet& vobs,
                         const ifo::CAdt& cAdt, const ifo::VobuAdmap& map) {
    Domain d;
    d.kind = kind;
    d.titleSet = set.number;
    d.file = set.ifoName;
    d.table = table;
    d.image = &*set.image;
    d.vobs = &vobs;
    d.cAdt = &cAdt;
    d.vobuAdmap = &map;
    d.videoAttributes = attributes(kMatMenuVideoAttributes);
    if (ut.units.empty()) {
      domains.push_back(d);  // no chains, but the menu VOB set is still checked
      return;
    }
    for (std::size_t u = 0; u < ut.units.size(); ++u) {
      d.unit = "language unit " + Number(static_cast<std::int64_t>(u) + 1) + Quoted(ut.units[u].language) + " ";
      d.pgci = &ut.units[u].pgci;
      domains.push_back(d);
    }
  };
  if (set.number == 0) {
    if (set.vmg.firstPlayPgc) {
      Domain fp;
      fp.kind = Domain::Kind::kFirstPlay;
      fp.file = set.ifoName;
      fp.table = "VMGI_MAT";
      fp.image = &*set.image;
      domains.push_back(fp);
    }
    menus(Domain::Kind::kVmgm, set.vmg.vmgmPgciUt, "VMGM_PGCI_UT", set.menuVobs, set.vmg.vmgmCAdt,
          set.vmg.vmgmVobuAdmap);
    return domains;
  }
  menus(Domain::Kind::kVtsm, set.vts.vtsmPgciUt, "VTSM_PGCI_UT", set.menuVobs, set.vts.vtsmCAdt,
        set.vts.vtsmVobuAdmap);
  Domain titles;
  titles.kind = Domain::Kind::kTitles;
  titles.titleSet = set.number;
  titles.file = set.ifoName;
  titles.table = "VTS_PGCI";
  titles.image = &*set.image;
  titles.pgci = &set.vts.vtsPgci;
  titles.vobs = &set.titleVobs;
  titles.cAdt = &set.vts.vtsCAdt;
  titles.vobuAdmap = &set.vts.vtsVobuAdmap;
  titles.videoAttributes = attributes(kVtsiTitleVideoAttributes);
  domains.push_back(titles);
  return domains;
}

void Verifier::CheckDomain(const Domain& domain) {
  if (domain.kind == Domain::Kind::kFirstPlay) {
    CheckChain(domain, "first-play PGC", *vmg_.vmg.firstPlayPgc);
    return;
  }
  if (domain.pgci == nullptr) return;
  // Several search pointers may lead to one PGC: it is checked once, under
  // the first PGCN that leads to it.
  std::set<std::int64_t> seen;
  for (std::size_t k = 0; k < domain.pgci->srps.size(); ++k) {
    const auto& pgc = domain.pgci->srps[k].pgc;
    if (!pgc || !seen.insert(pgc->offset).second) continue;
    CheckChain(domain, domain.unit + "PGC " + Number(static_cast<std::int64_t>(k) + 1), *pgc);
  }
}

void Verifier::CheckChain(const Domain& domain, const std::string& name, const ifo::ProgramChain& pgc) {
  const IfoImage& image = *domain.image;
  const std::string& file = domain.file;
  const std::string& table = domain.table;
  const std::int64_t p = pgc.offset;
  const std::int64_t programs = static_cast<std::int64_t>(pgc.programMap.size());
  const std::int64_t cells = static_cast<std::int64_t>(pgc.cells.size());

  // Programs: each starts at a cell of its own, in ascending order.
  if (programs == 0 && cells > 0) {
    Add(Severity::kError, file, table, name + " program count", p + kPgcPrograms, "0", "at least 1, as it has cells",
        "players start a chain's cells through its programs");
  } else if (programs > cells) {
    Add(Severity::kError, file, table, name + " program count", p + kPgcPrograms, Number(programs),
        "at most " + Number(cells) + ", its cell count",
        "a program without a cell of its own is invalid, and players may stop or loop on it");
  } else {
    const std::int64_t map = p + WordAt(image, p + kPgcProgramMap);
    for (std::int64_t i = 0; i < programs; ++i) {
      const int entry = pgc.programMap[static_cast<std::size_t>(i)];
      const int least = i == 0 ? 1 : pgc.programMap[static_cast<std::size_t>(i - 1)] + 1;
      const int most = static_cast<int>(cells - (programs - 1 - i));
      if (entry < least || entry > most || (i == 0 && entry != 1)) {
        Add(Severity::kError, file, table, name + " program " + Number(i + 1) + " entry cell", map + i, Number(entry),
            i == 0 ? std::string("1") : "a cell from " + Number(least) + " to " + Number(most),
            "programs start at ascending cells, the first at cell 1");
        break;
      }
    }
  }

  // Links to other chains of the domain.
  if (domain.kind != Domain::Kind::kFirstPlay && domain.pgci != nullptr) {
    const std::int64_t count = static_cast<std::int64_t>(domain.pgci->srps.size());
    for (auto [at, value, what] : {std::tuple{kPgcNextPgcn, pgc.nextPgcn, "next PGCN"},
                                   std::tuple{kPgcPreviousPgcn, pgc.previousPgcn, "previous PGCN"},
                                   std::tuple{kPgcGoUpPgcn, pgc.goUpPgcn, "go-up PGCN"}}) {
      if (value > count)
        Add(Severity::kError, file, table, name + " " + what, p + at, Number(value),
            "0 or a PGC from 1 to " + Number(count), "the chain it names does not exist");
    }
  }

  // Cells: inside the VOB set, covered by C_ADT, starting and ending at VOBUs.
  if (cells > 0 && (domain.vobs == nullptr || !domain.vobs->Present())) {
    Add(Severity::kError, file, table, name + " cell count", p + kPgcCells, Number(cells),
        "0, as the domain has no VOB set", "the cells address video that is not there");
  } else if (cells > 0) {
    const std::int64_t vobSectors = domain.vobs->Sectors();
    const std::int64_t cpbi = p + WordAt(image, p + kPgcCellPlayback);
    const std::int64_t cposi = p + WordAt(image, p + kPgcCellPosition);
    const std::int64_t cellCommands = pgc.commands ? static_cast<std::int64_t>(pgc.commands->cell.size()) : 0;
    const auto& map = domain.vobuAdmap->vobuStartSectors;
    const bool mapSound = !BadAdmap(domain.vobuAdmap);
    const auto isVobu = [&](std::uint32_t s) { return !mapSound || std::binary_search(map.begin(), map.end(), s); };
    for (std::int64_t c = 0; c < cells; ++c) {
      const ifo::Cell& cell = pgc.cells[static_cast<std::size_t>(c)];
      const ifo::CellPlayback& pb = cell.playback;
      const std::string cn = name + " cell " + Number(c + 1) + " ";
      const std::int64_t e = cpbi + kCPbiSize * c;
      if (pb.cellCommand > cellCommands)
        Add(Severity::kError, file, table, cn + "cell command number", e + kCPbiCellCommand, Number(pb.cellCommand),
            "0 or a cell command from 1 to " + Number(cellCommands), "the command it names does not exist");
      if (pb.lastVobuEndSector >= vobSectors) {
        Add(Severity::kError, file, table, cn + "last VOBU end sector", e + kCPbiLastVobuEnd,
            Number(pb.lastVobuEndSector), "at most " + Number(vobSectors - 1) + ", the last sector of " + domain.vobs->name,
            "the cell runs past its VOB set");
        continue;
      }
      if (pb.firstVobuStartSector > pb.lastVobuStartSector || pb.lastVobuStartSector > pb.lastVobuEndSector) {
        Add(Severity::kError, file, table, cn + "last VOBU start sector", e + kCPbiLastVobuStart,
            Number(pb.lastVobuStartSector),
            "a sector from " + Number(pb.firstVobuStartSector) + " to " + Number(pb.lastVobuEndSector),
            "the cell's sectors are out of order");
        continue;
      }
      // C_ADT: the entries of this cell's VOB id and cell id cover it.
      std::int64_t from = -1, to = -1;
      for (const ifo::CellAddress& a : domain.cAdt->cells) {
        if (a.vobId != cell.position.vobId || a.cellId != cell.position.cellId) continue;
        from = from < 0 ? a.startSector : std::min<std::int64_t>(from, a.startSector);
        to = std::max<std::int64_t>(to, a.lastSector);
      }
      if (from < 0) {
        Add(Severity::kError, file, table, cn + "C_POSI", cposi + kCPosiSize * c,
            "VOB " + Number(cell.position.vobId) + " cell " + Number(cell.position.cellId),
            "a VOB id and cell id that C_ADT lists", "players find the cell's sectors in C_ADT");
      } else if (pb.firstVobuStartSector < from || pb.lastVobuEndSector > to) {
        Add(Severity::kError, file, table, cn + "first VOBU start sector", e + kCPbiFirstVobuStart,
            "sectors " + Number(pb.firstVobuStartSector) + " to " + Number(pb.lastVobuEndSector),
            "sectors inside " + Number(from) + " to " + Number(to) + ", where C_ADT places VOB " +
                Number(cell.position.vobId) + " cell " + Number(cell.position.cellId),
            "C_ADT does not cover the cell");
      }
      if (!isVobu(pb.firstVobuStartSector))
        Add(Severity::kError, file, table, cn + "first VOBU start sector", e + kCPbiFirstVobuStart,
            Number(pb.firstVobuStartSector), "a VOBU start sector of the VOBU_ADMAP",
            "the cell must start at a VOBU (a NAV pack)");
      if (!isVobu(pb.lastVobuStartSector))
        Add(Severity::kError, file, table, cn + "last VOBU start sector", e + kCPbiLastVobuStart,
            Number(pb.lastVobuStartSector), "a VOBU start sector of the VOBU_ADMAP",
            "the cell's last VOBU must start at a NAV pack");
    }
  }

  // Navigation commands.
  if (pgc.commands) {
    const std::int64_t first = p + pgc.commands->offset + kCommandTableHeader;
    std::int64_t index = 0;
    for (auto [list, kind] : {std::pair{&pgc.commands->pre, "pre"}, std::pair{&pgc.commands->post, "post"},
                              std::pair{&pgc.commands->cell, "cell"}}) {
      for (std::size_t i = 0; i < list->size(); ++i, ++index)
        CheckCommand(domain, file, table, name + " " + kind + " command " + Number(static_cast<std::int64_t>(i) + 1),
                     first + kNavCommandSize * index, (*list)[i], &pgc);
    }
  }
}

void Verifier::CheckAddressTables(const Domain& domain) {
  if (domain.vobs == nullptr || !domain.vobs->Present() || domain.vobuAdmap == nullptr) return;
  const std::string& file = domain.file;
  const std::int64_t sectors = domain.vobs->Sectors();
  const char* admapName = domain.kind == Domain::Kind::kTitles ? "VTS_VOBU_ADMAP"
                          : domain.kind == Domain::Kind::kVtsm ? "VTSM_VOBU_ADMAP"
                                                               : "VMGM_VOBU_ADMAP";
  const char* cAdtName = domain.kind == Domain::Kind::kTitles ? "VTS_C_ADT"
                         : domain.kind == Domain::Kind::kVtsm ? "VTSM_C_ADT"
                                                              : "VMGM_C_ADT";
  // Without a VOBU_ADMAP (CheckTables names it) nothing is checked against one.
  if (!domain.vobuAdmap->table.Present()) badAdmaps_.push_back(domain.vobuAdmap);
  if (domain.vobuAdmap->table.Present()) {
    const std::int64_t at = domain.vobuAdmap->table.Start() + kVobuAdmapHeader;
    const auto& map = domain.vobuAdmap->vobuStartSectors;
    if (map.empty())
      Add(Severity::kError, file, admapName, "end address", at - kVobuAdmapHeader, "no VOBU", "a VOBU at sector 0",
          "the VOB set " + domain.vobs->name + " has VOBUs");
    const std::size_t before = report_.findings.size();
    for (std::size_t i = 0; i < map.size(); ++i) {
      const std::string field = "VOBU " + Number(static_cast<std::int64_t>(i) + 1) + " start sector";
      const std::int64_t pos = at + kVobuAdmapEntrySize * static_cast<std::int64_t>(i);
      if (i == 0 && map[0] != 0) {
        Add(Severity::kError, file, admapName, field, pos, Number(map[0]), "0",
            "the first VOBU of a VOB set starts at its first sector");
        break;
      }
      if (i > 0 && map[i] <= map[i - 1]) {
        Add(Severity::kError, file, admapName, field, pos, Number(map[i]), "more than " + Number(map[i - 1]),
            "VOBU start sectors ascend");
        break;
      }
      if (map[i] >= sectors) {
        Add(Severity::kError, file, admapName, field, pos, Number(map[i]),
            "less than " + Number(sectors) + ", the sectors of " + domain.vobs->name, "the VOBU lies past its VOB set");
        break;
      }
    }
    if (map.empty() || report_.findings.size() != before) badAdmaps_.push_back(domain.vobuAdmap);
  }
  if (domain.cAdt != nullptr && domain.cAdt->table.Present()) {
    const std::int64_t at = domain.cAdt->table.Start() + kCAdtHeader;
    for (std::size_t i = 0; i < domain.cAdt->cells.size(); ++i) {
      const ifo::CellAddress& a = domain.cAdt->cells[i];
      const std::string entry = "entry " + Number(static_cast<std::int64_t>(i) + 1) + " (VOB " + Number(a.vobId) +
                                " cell " + Number(a.cellId) + ") ";
      const std::int64_t pos = at + kCAdtEntrySize * static_cast<std::int64_t>(i);
      if (a.lastSector >= sectors) {
        Add(Severity::kError, file, cAdtName, entry + "last sector", pos + kCAdtLastSector, Number(a.lastSector),
            "at most " + Number(sectors - 1) + ", the last sector of " + domain.vobs->name,
            "the cell piece lies past its VOB set");
      } else if (a.startSector > a.lastSector) {
        Add(Severity::kError, file, cAdtName, entry + "start sector", pos + kCAdtStartSector, Number(a.startSector),
            "at most " + Number(a.lastSector) + ", its last sector", "the cell piece has no sectors");
      } else if (!BadAdmap(domain.vobuAdmap)) {
        // A cell piece is whole VOBUs: it starts at one and ends where the
        // next one (or the set) begins.
        const auto& map = domain.vobuAdmap->vobuStartSectors;
        if (!std::binary_search(map.begin(), map.end(), a.startSector))
          Add(Severity::kError, file, cAdtName, entry + "start sector", pos + kCAdtStartSector, Number(a.startSector),
              "a VOBU start sector of the VOBU_ADMAP", "a cell starts with a VOBU");
        else if (a.lastSector + 1 != sectors && !std::binary_search(map.begin(), map.end(), a.lastSector + 1))
          Add(Severity::kError, file, cAdtName, entry + "last sector", pos + kCAdtLastSector, Number(a.lastSector),
              "the sector before a VOBU start of the VOBU_ADMAP, or the set's last", "a cell ends with a VOBU");
      }
    }
  }
  if (domain.kind == Domain::Kind::kTitles && !BadAdmap(domain.vobuAdmap)) CheckTimeMaps(domain);
}

void Verifier::CheckTimeMaps(const Domain& domain) {
  const ifo::TableSpan span = ifo::ReadMatLayout(*domain.image, ifo::IfoKind::kVts).Table(ifo::VtsTable::kTmapti);
  if (!span.Present() || span.length == 0) return;
  const auto& map = domain.vobuAdmap->vobuStartSectors;
  try {
    const ifo::TableReader table(*domain.image, domain.file, "VTS_TMAPTI", span.Start(), span.length);
    const ifo::Tmapti tmapti = ifo::ReadTmapti(table);
    for (std::size_t m = 0; m < tmapti.maps.size(); ++m) {
      for (std::size_t e = 0; e < tmapti.maps[m].entries.size(); ++e) {
        const std::uint32_t sector = tmapti.maps[m].entries[e] & kTmapSector;
        if (std::binary_search(map.begin(), map.end(), sector)) continue;
        Add(Severity::kError, domain.file, "VTS_TMAPTI",
            "VTS_TMAP " + Number(static_cast<std::int64_t>(m) + 1) + " entry " + Number(static_cast<std::int64_t>(e) + 1),
            span.Start() + ifo::TimeMapEntryAt(tmapti.maps[m], static_cast<std::int64_t>(e)), Number(sector),
            "a VOBU start sector of the VOBU_ADMAP", "players that jump to a time start playing there");
        break;
      }
    }
  } catch (const ifo::TableError&) {
    // Time maps that cannot be read are not followed: players that jump to
    // a time fall back to the VOBU search, and the table's place is
    // CheckTables' finding.
  }
}

}  // namespace kestrune::verify
