#include "menu_chains.h"

#include <cstdio>
#include <set>

namespace kestrune::disc {

namespace {

// The menu a PGC is the entry of (PGCI_SRP byte 0: bit 7 entry, low four bits
// the menu type); "" when none.
std::string EntryKind(const PgciSrp& srp, MenuDomain domain) {
  if (!srp.IsEntry()) return "";
  switch (srp.MenuType()) {
    case 2: return domain == MenuDomain::kVmgm ? "title" : "";
    case 3: return "root";
    case 4: return "sub-picture";
    case 5: return "audio";
    case 6: return "angle";
    case 7: return "chapter";
    default: return "";
  }
}

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

void AddChains(int titleSet, const PgciUt& ut, MenuDomain domain, std::vector<MenuChain>& out,
               std::set<std::string>& taken) {
  const std::string prefix = titleSet == 0 ? "vmg-menu-" : "vts-" + TwoDigits(titleSet) + "-menu-";
  for (std::size_t u = 0; u < ut.units.size(); ++u) {
    const MenuLanguageUnit& unit = ut.units[u];
    // The unit's language, or its number when it names none and is not alone.
    std::string suffix;
    if (!unit.language.empty())
      suffix = "-" + unit.language;
    else if (ut.units.size() > 1)
      suffix = "-unit-" + std::to_string(u + 1);
    for (std::size_t k = 0; k < unit.pgci.srps.size(); ++k) {
      const PgciSrp& srp = unit.pgci.srps[k];
      MenuChain chain;
      chain.titleSet = titleSet;
      chain.unit = static_cast<int>(u + 1);
      chain.pgcn = static_cast<int>(k + 1);
      chain.language = unit.language;
      chain.kind = EntryKind(srp, domain);
      chain.pgc = srp.pgc ? &*srp.pgc : nullptr;
      chain.name = prefix + (chain.kind.empty() ? "pgc-" + TwoDigits(chain.pgcn) : chain.kind) + suffix;
      // A second entry of one menu, or a language named by two units.
      if (taken.count(chain.name)) chain.name = prefix + "pgc-" + TwoDigits(chain.pgcn) + suffix;
      for (int n = 2; taken.count(chain.name); ++n) chain.name = prefix + "pgc-" + TwoDigits(chain.pgcn) + suffix + "-" + std::to_string(n);
      taken.insert(chain.name);
      out.push_back(std::move(chain));
    }
  }
}

}  // namespace

std::string MenuChain::Label() const {
  std::string text = titleSet == 0 ? "video manager " : "title set " + std::to_string(titleSet) + " ";
  text += kind.empty() ? "menu PGC " + std::to_string(pgcn) : kind + " menu";
  if (!language.empty()) text += " (" + language + ")";
  return text;
}

std::vector<MenuChain> MenuChainsOf(const Disc& disc) {
  std::vector<MenuChain> chains;
  std::set<std::string> taken;
  AddChains(0, disc.vmg.vmgmPgciUt, MenuDomain::kVmgm, chains, taken);
  for (const VideoTitleSet& set : disc.titleSets) AddChains(set.number, set.vtsmPgciUt, MenuDomain::kVtsm, chains, taken);
  return chains;
}

std::string TitleName(int title) { return "title-" + TwoDigits(title); }

}  // namespace kestrune::disc
