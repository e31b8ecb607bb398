// The check of a disc image's layout: every file of its VIDEO_TS where the
// MATs and TT_SRPT put it. A player reads VIDEO_TS.IFO by name, then finds
// each title set at the start sector TT_SRPT gives (counted from
// VIDEO_TS.IFO's first sector) and the parts of a set at the sectors of its
// MAT: the menu VOB set at 0xC0, the title VOB set at 0xC4 (its files one run
// of sectors), the BUP, a copy of the IFO, in the IFO's sectors (0x1C) up to
// the set's last sector (0x0C).
#include <algorithm>

#include "dvd_files.h"
#include "ifo_fields.h"
#include "verifier.h"

namespace kestrune::verify {

void Verifier::CheckImageLayout(const ImageLayout& image) {
  const auto vmgIfo = image.find(vmg_.ifoName);
  if (vmgIfo == image.end() || !vmg_.modelRead) return;  // nothing to count from
  const std::int64_t origin = vmgIfo->second.firstSector;

  // Checks that `name` lies at `expected` (counted from VIDEO_TS.IFO); `where`
  // says what puts it there.
  const auto expect = [&](const std::string& name, std::int64_t expected, const std::string& where) {
    const auto placed = image.find(name);
    if (placed == image.end()) return;
    const std::int64_t found = placed->second.firstSector - origin;
    if (found == expected) return;
    Add(Severity::kError, name, "image", "first sector", -1,
        "sector " + Number(placed->second.firstSector) + " of the image (" + Number(found) + " from VIDEO_TS.IFO)",
        "sector " + Number(origin + expected) + " (" + Number(expected) + " from VIDEO_TS.IFO), " + where,
        "players find the file by the sectors the IFOs give, not by its name");
  };
  const auto sectorsOf = [&](const std::string& name) {
    const auto placed = image.find(name);
    return placed == image.end() ? std::int64_t{0} : SectorsOf(placed->second.bytes);
  };

  const auto& titles = vmg_.vmg.ttSrpt.titles;
  std::int64_t nextStart = 0;  // where the next set starts when TT_SRPT does not say
  for (const SetData* set : [&] {
         std::vector<const SetData*> all{&vmg_};
         for (const SetData& s : titleSets_) all.push_back(&s);
         return all;
       }()) {
    if (!set->modelRead) break;  // the sets after it cannot be placed
    std::int64_t start = 0;
    std::string setWhere = "the video manager set's first sector";
    if (set->number != 0) {
      const auto title = std::find_if(titles.begin(), titles.end(),
                                      [&](const ifo::TitleSearchPointer& t) { return t.titleSet == set->number; });
      start = title != titles.end() ? static_cast<std::int64_t>(title->titleSetSector) : nextStart;
      setWhere = title != titles.end()
                     ? "where TT_SRPT starts title set " + Number(set->number)
                     : "after the set before it, as no title of TT_SRPT is in title set " + Number(set->number);
      expect(set->ifoName, start, setWhere);
    }
    const std::uint32_t menuSector = set->number == 0 ? set->vmg.mat.vmgmVobsSector : set->vts.mat.vtsmVobsSector;
    if (menuSector != 0 && set->menuVobs.Present())
      expect(set->menuVobs.files.front().name, start + menuSector,
             "the set's start and its " + std::string(set->MatName()) + " menu VOB start sector " + Number(menuSector));
    if (set->number != 0 && set->titleVobs.Present()) {
      std::int64_t at = start + set->vts.mat.vtsttVobsSector;
      std::string where =
          "the set's start and its VTSI_MAT title VOB start sector " + Number(set->vts.mat.vtsttVobsSector);
      for (const VobSet::File& file : set->titleVobs.files) {
        expect(file.name, at, where);
        at += sectorsOf(file.name);
        where = "right after " + file.name + ": the title VOB set is one run of sectors";
      }
    }
    const std::int64_t last = set->LastSector(), ifoLast = set->IfoLastSector();
    expect(set->bupName, start + last - ifoLast,
           "the set's last sector less the IFO's (" + std::string(set->MatName()) + " 0x0C - 0x1C: " + Number(last) +
               " - " + Number(ifoLast) + ")");
    nextStart = start + last + 1;
  }
}

}  // namespace kestrune::verify
