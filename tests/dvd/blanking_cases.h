// The blanking runs the end-to-end tests make on the authored discs: a disc
// and the kestrune-cli options before DIR. Every test of a whole run (the
// run's result, its dry run) goes through all of them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kestrune::test {

struct Blanking {
  const char* disc;
  std::vector<std::string> options;  // kestrune-cli options before DIR
  bool paddedVmg = false;            // dvdauthor's VMG without menu: see LayoutOptions
  bool playsToItsEnd = false;        // playback from first play stops, as on the untouched disc
};

inline std::ostream& operator<<(std::ostream& os, const Blanking& b) {
  os << b.disc;
  for (const auto& o : b.options) os << ' ' << o;
  return os;
}

inline const std::vector<Blanking>& BlankingCases() {
  static const std::vector<Blanking> cases = {
      {"pal_menu", {"--titles", "1"}},
      {"pal_menu", {"--menus", "1"}},
      {"pal_menu", {"--titles", "1", "--menus", "1"}},
      {"pal_menu", {"--titles", "1", "--menus", "1", "--no-backup"}},
      {"pal_menu", {"--titles", "1", "--merge-cells", "--merge-programs"}},
      {"pal_menu", {"--titles", "1", "--menus", "1", "--merge-cells"}},
      {"pal_links", {"--titles", "1", "--menus", "1", "--merge-cells"}, true, true},
      {"pal_links", {"--titles", "1", "--menus", "1", "--merge-cells", "--merge-programs"}, true, true},
      {"pal_links", {"--menus", "1", "--merge-programs", "--no-backup"}, true, true},
      {"pal_menu", {"--titles", "1", "--menus", "1", "--merge-cells", "--merge-programs", "--keep-stops", "--keep-audio-sub"}},
      {"ntsc_two_sets", {"--titles", "1,2"}},
      {"ntsc_two_sets", {"--menus", "2"}},
      {"ntsc_two_sets", {"--titles", "1,2", "--merge-cells"}},
      {"ntsc_two_sets", {"--titles", "1", "--menus", "1,2", "--merge-programs"}},
      {"pal_split", {"--titles", "1"}, true},
      {"pal_split", {"--titles", "1", "--no-backup"}, true},
      {"pal_nomenu_vts", {"--titles", "1,2"}},
      {"pal_menu", {"--vmg-menu"}},
      {"pal_menu", {"--vmg-menu", "--titles", "1", "--menus", "1"}},
      {"ntsc_two_sets", {"--vmg-menu", "--titles", "2"}},
      {"pal_languages", {"--vmg-menu", "--titles", "1,2", "--menus", "1,2"}},
      {"pal_languages", {"--titles", "1", "--menus", "1", "--keep-audio-sub", "--no-backup"}},
  };
  return cases;
}

}  // namespace kestrune::test
