// dvd-check FOLDER: prints what the independent DVD checker sees in a
// VIDEO_TS folder: the IFO tables, the sector layout, every title played
// and the menus reached. Exits 1 if anything is wrong.
#include <cstdio>
#include <cstring>
#include <string>

#include "dvd_check.h"

namespace dc = kestrune::dvdcheck;

int main(int argc, char** argv) {
  bool paddedVmg = false;
  const char* folder = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--allow-padded-vmg") == 0) {
      paddedVmg = true;
    } else if (folder == nullptr && argv[i][0] != '-') {
      folder = argv[i];
    } else {
      folder = nullptr;
      break;
    }
  }
  if (folder == nullptr) {
    std::fprintf(stderr,
                 "usage: dvd-check [--allow-padded-vmg] FOLDER\n"
                 "  FOLDER is a VIDEO_TS folder or a folder holding one.\n"
                 "  --allow-padded-vmg accepts a video manager set larger than its files,\n"
                 "  as dvdauthor writes for a disc without a video manager menu.\n");
    return 2;
  }
  bool ok = true;

  const dc::IfoReport ifos = dc::OpenAllIfos(folder);
  std::printf("== IFO tables (libdvdread)\n%s", dc::Describe(ifos).c_str());
  ok = ok && ifos.ok;

  std::printf("\n== Sector layout\n");
  auto problems = dc::SectorLayoutCheck(folder, {.allowPaddedVmg = paddedVmg});
  const auto atr = dc::VtsAtrCheck(folder);
  problems.insert(problems.end(), atr.begin(), atr.end());
  for (const std::string& p : problems) std::printf("PROBLEM: %s\n", p.c_str());
  if (problems.empty()) std::printf("consistent\n");
  ok = ok && problems.empty();

  std::printf("\n== Titles played (libdvdnav)\n");
  for (const dc::TitlePlayback& p : dc::PlayAllTitles(folder)) {
    std::printf("%s", dc::Describe(p).c_str());
    ok = ok && p.ok;
  }

  std::printf("\n== Menus reached (libdvdnav)\n");
  const dc::NavigationReport nav = dc::FollowMenus(folder);
  std::printf("%s", dc::Describe(nav).c_str());
  ok = ok && nav.ok;

  std::printf("\n%s\n", ok ? "OK" : "PROBLEMS FOUND");
  return ok ? 0 : 1;
}
