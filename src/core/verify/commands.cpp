// The check of navigation commands: a link, jump or call (in a PGC's pre,
// post or cell commands, or in a button of a NAV pack) must name a title,
// chapter, program chain, program, cell, menu or title set that exists.
#include "verifier.h"

namespace kestrune::verify {

namespace {

// Menu types of an entry PGC (PGCI_SRP category, low nibble of byte 0).
constexpr int kTitleMenu = 2;
constexpr int kFirstVtsMenu = 3;  // root; then sub-picture, audio, angle, chapter (PTT)
constexpr int kLastVtsMenu = 7;

const char* MenuName(int type) {
  switch (type) {
    case 2: return "title menu";
    case 3: return "root menu";
    case 4: return "sub-picture menu";
    case 5: return "audio menu";
    case 6: return "angle menu";
    case 7: return "chapter menu";
    default: return "menu";
  }
}

// Which language units of `ut` lack an entry PGC of menu type `type`: ""
// when none does. A player plays the unit of its menu language.
struct Missing {
  std::string text;
  bool everyUnit = false;  // no unit has it
};
Missing MissingMenu(const ifo::PgciUt& ut, int type, const std::string& domain) {
  if (ut.units.empty()) return {domain + " has no menus", true};
  Missing missing;
  std::size_t lacking = 0;
  for (std::size_t u = 0; u < ut.units.size(); ++u) {
    bool found = false;
    for (const ifo::PgciSrp& srp : ut.units[u].pgci.srps) found = found || (srp.IsEntry() && srp.MenuType() == type);
    if (found) continue;
    ++lacking;
    if (missing.text.empty()) {
      const std::string& language = ut.units[u].language;
      missing.text = domain + " language unit " + Number(static_cast<std::int64_t>(u) + 1) +
                     (language.empty() ? "" : " (" + language + ")") + " has no " + MenuName(type);
    }
  }
  missing.everyUnit = lacking == ut.units.size();
  if (!missing.text.empty() && !missing.everyUnit) missing.text += "; players set to that menu language fail";
  return missing;
}

// "" when every language unit of `ut` has PGC `pgcn`.
std::string MissingPgc(const ifo::PgciUt& ut, int pgcn, const std::string& domain) {
  if (ut.units.empty()) return domain + " has no menus";
  for (std::size_t u = 0; u < ut.units.size(); ++u) {
    if (pgcn < 1 || static_cast<std::size_t>(pgcn) > ut.units[u].pgci.srps.size())
      return domain + " language unit " + Number(static_cast<std::int64_t>(u) + 1) + " has " +
             Number(static_cast<std::int64_t>(ut.units[u].pgci.srps.size())) + " PGCs";
  }
  return "";
}

}  // namespace

void Verifier::CheckCommand(const Domain& domain, const std::string& file, const std::string& table,
                            const std::string& where,
                            std::int64_t offset, const NavCommandBytes& command, const ifo::ProgramChain* pgc) {
  const NavLink link = DecodeNavLink(command);
  if (link.target == NavTarget::kNone) return;
  std::string bytes;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (const std::uint8_t b : command) {
    if (!bytes.empty()) bytes += ' ';
    bytes += kDigits[b >> 4];
    bytes += kDigits[b & 0xF];
  }
  const std::string found = std::string(NavTargetName(link.target)) + " " + Number(link.number) + " (" + bytes + ")";
  const auto fail = [&](const std::string& expected, const std::string& why) {
    Add(Severity::kError, file, table, where, offset, found, expected, why);
  };
  // A menu some language units lack fails only players set to those
  // languages: a warning; one that no unit has, an error.
  const auto menuMissing = [&](const Missing& missing) {
    if (missing.text.empty()) return;
    Add(missing.everyUnit ? Severity::kError : Severity::kWarning, file, table, where, offset, found,
        "a menu that exists", missing.text);
  };
  const bool inTitleSet = domain.kind == Domain::Kind::kTitles || domain.kind == Domain::Kind::kVtsm;
  const SetData* own = inTitleSet ? TitleSet(domain.titleSet) : nullptr;
  const int titles = vmg_.modelRead ? static_cast<int>(vmg_.vmg.ttSrpt.titles.size()) : 0;
  const int titleSets = vmg_.modelRead ? vmg_.vmg.mat.titleSetCount : 0;
  const auto vtsTitles = [](const SetData& set) { return static_cast<int>(set.vts.vtsPttSrpt.titles.size()); };

  switch (link.target) {
    case NavTarget::kNone: break;
    case NavTarget::kLinkPgcn:
      if (domain.pgci == nullptr)
        fail("a command of a domain with program chains", "first play has no PGCs to link to");
      else if (link.number < 1 || static_cast<std::size_t>(link.number) > domain.pgci->srps.size())
        fail("a PGC from 1 to " + Number(static_cast<std::int64_t>(domain.pgci->srps.size())),
             "the program chain it names does not exist");
      break;
    case NavTarget::kLinkPtt: {
      if (domain.kind != Domain::Kind::kTitles || own == nullptr) {
        fail("a command of a title", "only a title has chapters to link to");
        break;
      }
      if (pgc == nullptr) break;
      for (const int t : TitlesPlaying(*own, pgc->offset)) {
        const std::size_t chapters = own->vts.vtsPttSrpt.titles[static_cast<std::size_t>(t - 1)].size();
        if (link.number < 1 || static_cast<std::size_t>(link.number) > chapters) {
          fail("a chapter from 1 to " + Number(static_cast<std::int64_t>(chapters)) + " of VTS title " + Number(t),
               "the chapter it names does not exist");
          break;
        }
      }
      break;
    }
    case NavTarget::kLinkPgn:
      if (pgc != nullptr && (link.number < 1 || static_cast<std::size_t>(link.number) > pgc->programMap.size()))
        fail("a program from 1 to " + Number(static_cast<std::int64_t>(pgc->programMap.size())) + " of its PGC",
             "the program it names does not exist; players loop or stop on it");
      break;
    case NavTarget::kLinkCn:
      if (pgc != nullptr && (link.number < 1 || static_cast<std::size_t>(link.number) > pgc->cells.size()))
        fail("a cell from 1 to " + Number(static_cast<std::int64_t>(pgc->cells.size())) + " of its PGC",
             "the cell it names does not exist; players loop or stop on it");
      break;
    case NavTarget::kJumpTt:
      if (link.number < 1 || link.number > titles)
        fail("a title from 1 to " + Number(titles) + " of TT_SRPT", "the title it names does not exist");
      break;
    case NavTarget::kJumpVtsTt:
    case NavTarget::kJumpVtsPtt: {
      if (own == nullptr) {
        fail("a command of a title set", "the video manager has no VTS titles of its own");
        break;
      }
      if (!own->modelRead) break;
      const int count = vtsTitles(*own);
      if (link.number < 1 || link.number > count) {
        fail("a VTS title from 1 to " + Number(count) + " of " + own->ifoName, "the title it names does not exist");
        break;
      }
      const std::size_t chapters = own->vts.vtsPttSrpt.titles[static_cast<std::size_t>(link.number - 1)].size();
      if (link.target == NavTarget::kJumpVtsPtt &&
          (link.chapter < 1 || static_cast<std::size_t>(link.chapter) > chapters))
        Add(Severity::kError, file, table, where, offset,
            "JumpVTS_PTT " + Number(link.number) + " chapter " + Number(link.chapter) + " (" + bytes + ")",
            "a chapter from 1 to " + Number(static_cast<std::int64_t>(chapters)), "the chapter it names does not exist");
      break;
    }
    case NavTarget::kJumpFirstPlay:
    case NavTarget::kCallFirstPlay:
      if (vmg_.modelRead && !vmg_.vmg.firstPlayPgc)
        fail("a first-play PGC in VMGI_MAT", "the disc has no first-play PGC");
      break;
    case NavTarget::kJumpVmgmMenu:
    case NavTarget::kCallVmgmMenu:
      if (!vmg_.modelRead) break;
      if (link.number != kTitleMenu) {
        fail("menu type 2 (the title menu)", "the video manager has only a title menu");
      } else {
        menuMissing(MissingMenu(vmg_.vmg.vmgmPgciUt, link.number, "VMGM"));
      }
      break;
    case NavTarget::kJumpVmgmPgc:
    case NavTarget::kCallVmgmPgc:
      if (!vmg_.modelRead) break;
      if (const std::string missing = MissingPgc(vmg_.vmg.vmgmPgciUt, link.number, "VMGM"); !missing.empty())
        fail("a VMGM PGC that exists", missing);
      break;
    case NavTarget::kJumpVtsm:
    case NavTarget::kCallVtsm: {
      const int number = link.target == NavTarget::kJumpVtsm ? link.titleSet : domain.titleSet;
      const SetData* set = number >= 1 && number <= titleSets ? TitleSet(number) : nullptr;
      if (set == nullptr) {
        fail(link.target == NavTarget::kJumpVtsm ? "a title set from 1 to " + Number(titleSets)
                                                 : std::string("a command of a title set"),
             "the title set it names does not exist");
        break;
      }
      if (!set->modelRead) break;
      if (link.target == NavTarget::kJumpVtsm && link.vtsTitle > vtsTitles(*set)) {
        fail("a VTS title from 1 to " + Number(vtsTitles(*set)) + " of " + set->ifoName,
             "the title it names does not exist");
        break;
      }
      if (link.number < kFirstVtsMenu || link.number > kLastVtsMenu)
        fail("a menu type from 3 (root) to 7 (chapter)", "no title set menu has this type");
      else
        menuMissing(MissingMenu(set->vts.vtsmPgciUt, link.number, set->ifoName + " VTSM"));
      break;
    }
  }
}

}  // namespace kestrune::verify
