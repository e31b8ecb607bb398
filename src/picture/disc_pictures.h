// A picture of every title and of every menu program chain with video, as
// `kestrune-cli thumbnails` writes them and the report shows them: the
// title's first chapter's first picture that is not black, or the menu
// chain's first cell's, 320 pixels wide at the display aspect ratio of its
// domain (320x240 for 4:3, 320x180 for 16:9), as a PNG. Only the sectors a
// picture needs are read (first_picture.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "disc.h"
#include "vob_set.h"

namespace kestrune::picture {

constexpr int kPictureWidth = 320;

// What one picture is of, and where its cell lies.
struct PictureRequest {
  std::string name;   // "title-03", "vts-02-menu-root-en": the file is name + ".png"
  std::string label;  // "title 3", "title set 2 root menu (en)"
  int title = 0;      // the title's number; 0 for a menu
  VobSet vobs;        // the VOB set the cell lies in
  std::int64_t firstSector = -1, lastVobuStart = -1;  // the cell's C_PBI sectors in `vobs`
  ifo::AspectRatio aspect = ifo::AspectRatio::k4x3;
  // Why there is no cell to read, found from the IFOs alone ("has no video:
  // its chain holds commands only"); "" when there is one.
  std::string none;
};

struct MadePicture {
  std::string name, label;
  std::vector<std::uint8_t> png;  // empty when none was made
  int width = 0, height = 0;
  std::string why;     // why there is none, or a note on the one made ("black in the first 5 VOBUs")
  bool failed = false; // none although the IFOs give it a cell: a damaged or missing VOB
  std::int64_t vobuSector = -1;  // the VOBU the picture comes from, in its VOB set
  std::int64_t vobBytesRead = 0;
};

// Every title in TT_SRPT order, then every menu chain (menu_chains.h).
std::vector<PictureRequest> PictureRequests(const disc::Disc& disc);

// The height of a kPictureWidth-wide picture of this aspect ratio.
int PictureHeight(ifo::AspectRatio aspect);

// Makes every picture of `disc`, calling `progress` (done, total) after each.
// A picture that cannot be made is one without PNG, with the reason; the
// others are still made.
std::vector<MadePicture> MakePictures(const disc::Disc& disc,
                                      const std::function<void(std::size_t, std::size_t)>& progress = {});

}  // namespace kestrune::picture
