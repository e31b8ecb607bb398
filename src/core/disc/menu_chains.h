// Every menu program chain of a disc, in the order the IFOs hold them (the
// video manager's language units, then each title set's), each with a name
// fit for a file: "vmg-menu-title-en", "vts-02-menu-root-en",
// "vts-02-menu-pgc-03-de". The titles are named "title-03". Pictures of the
// menus and titles and the report find them by these names.
#pragma once

#include <string>
#include <vector>

#include "disc.h"

namespace kestrune::disc {

struct MenuChain {
  int titleSet = 0;     // 0 for the video manager
  int unit = 0;         // language unit, from 1
  int pgcn = 0;         // from 1, in the unit's PGCI_LU
  std::string language; // two letters, "" when the unit names none
  std::string kind;     // "title", "root", "sub-picture", "audio", "angle", "chapter"; "" for a chain no menu enters
  const ProgramChain* pgc = nullptr;  // null when it could not be read
  std::string name;     // unique on the disc

  bool HasVideo() const { return pgc != nullptr && !pgc->cells.empty(); }
  // "title set 2 root menu (en)", "video manager title menu", "title set 1 menu PGC 3 (de)"
  std::string Label() const;
};

std::vector<MenuChain> MenuChainsOf(const Disc& disc);

// "title-03".
std::string TitleName(int title);

}  // namespace kestrune::disc
