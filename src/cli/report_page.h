// kestrune-cli report: one self-contained HTML page of the disc at a glance.
// A bar of the folder's bytes by VOB set, then per title set its titles
// (picture, length, size, chapters, audio and sub-picture languages, the main
// feature marked) and its menus (a picture per menu chain with video), then
// the video manager's menus, with the DVD-5/DVD-9 line. The pictures are
// inlined (data: URIs); the page needs no network and holds no script, and
// its layout follows the width of the screen, a phone's or a desktop's.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "disc.h"

namespace kestrune {

// A picture of a title or menu chain, by its name (menu_chains.h).
struct ReportPicture {
  std::vector<std::uint8_t> png;  // empty when there is none
  int width = 0, height = 0;
  std::string why;                // why there is none, or a note on it
};
using ReportPictures = std::map<std::string, ReportPicture>;

// The page. `notice`, when not empty, is said at its top (the Windows build
// says there that it cannot decode video, so the page has no pictures).
std::string ReportPage(const disc::Disc& disc, const ReportPictures& pictures, const std::string& notice = "");

// The text of `bytes` in base64, as a data: URI holds it.
std::string Base64(const std::vector<std::uint8_t>& bytes);
// `text` with &, <, >, " and ' written as HTML character references.
std::string HtmlEscaped(const std::string& text);

}  // namespace kestrune
