// kestrune-cli thumbnails and report: the pictures of a disc's titles and
// menus as PNG files, and the page of the whole disc. Both read the IFOs and,
// of the VOBs, only the first VOBU of each title and menu (up to its first
// reference picture). A build without libavcodec (Windows) cannot decode
// video: `thumbnails` says so and exits 2; `report` writes the page without
// pictures, says so on it and on standard error, and exits 2 too.
#pragma once

#include <iosfwd>
#include <string>

namespace kestrune {

// Writes title-NN.png and the menus' PNGs into `outDir` (made when missing)
// and names each on `out`; a picture that cannot be made is named on `err`
// with the reason, and the others are made. Exit 0 when every title and menu
// with video has its picture, 1 when one has none or a table is damaged,
// 2 without libavcodec, 3 when a file cannot be written.
int WriteThumbnails(const std::string& dir, const std::string& outDir, std::ostream& out, std::ostream& err);

// Writes the page to `file`. Exit statuses as WriteThumbnails.
int WriteReport(const std::string& dir, const std::string& file, std::ostream& out, std::ostream& err);

// "This build cannot decode video ..." (Windows).
extern const char kNoVideoDecoding[];

}  // namespace kestrune
