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
// A size for people, in decimal units as disc sizes are given: "3.2 MB",
// "4.38 GB"; SizeText adds the exact bytes: "3.2 MB (3213312 bytes)".
std::string ShortSizeText(std::int64_t bytes);
std::string SizeText(std::int64_t bytes);
// Whether the DVD files fit a DVD-5 or a DVD-9, and by how much they are
// over: "fits a DVD-5 (4700372992 bytes), 3764436992 bytes to spare".
std::string FitText(const disc::DiscFit& fit);

}  // namespace kestrune
