// kestrune-cli --info: the disc model as a readable table, one block for the
// video manager and one per title set, each with the rows the folder scan
// gives it (as the window lists them), then the size of the folder.
#pragma once

#include <iosfwd>
#include <string>

#include "disc.h"
#include "folder_scan.h"

namespace kestrune {

void PrintDiscInfo(const disc::Disc& disc, const ScanRows& rows, std::ostream& out);

// Texts shared with the JSON form.
std::string LanguageText(const std::string& language);  // "en", or "--" for none
// The menus a language unit holds: "title", "root", "sub-picture", "audio", "angle", "chapter".
std::vector<std::string> MenuNames(const ifo::ExistingMenus& menus);

}  // namespace kestrune
