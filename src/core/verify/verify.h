// The verifier: is a VIDEO_TS folder a sound DVD-Video, as a player that
// finds title sets by the sector numbers in TT_SRPT and the MATs sees it?
//
// It reads every IFO and BUP whole and, of the VOBs, only the sectors it
// needs: the NAV pack at every VOBU_ADMAP entry and the first pack of each
// VOB file (a blanked set's five sectors whole). Each finding names the file,
// the table and field with its byte offset in that file, what was found and
// what was expected.
//
//   const verify::Report r = verify::VerifyFolder("/media/x/VIDEO_TS/");
//   for (const verify::Finding& f : r.findings) std::cout << Describe(f) << '\n';
//   return r.Errors() == 0 ? 0 : 1;
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kestrune::verify {

enum class Severity {
  kError,    // a player is likely to fail on it
  kWarning,  // odd, but seen on discs that play
  kNote,     // worth knowing, harmless
};

struct Finding {
  Severity severity = Severity::kError;
  std::string file;         // "VTS_01_0.IFO", "VTS_01_1.VOB"
  std::string table;        // "VTSI_MAT", "TT_SRPT", "VTS_PGCI", "NAV pack", ...
  std::string field;        // "last sector", "title 2 title set start sector", ...
  std::int64_t offset = -1; // of the field from the file's first byte; -1 when the whole file is meant
  std::string found;        // what is there
  std::string expected;     // what should be there; "" when nothing better can be said
  std::string why;          // what it means, for the user; may be ""
};

struct Report {
  std::string folder;  // with a trailing delimiter
  std::vector<Finding> findings;
  std::int64_t ifoBytesRead = 0;  // IFO and BUP bytes
  std::int64_t vobBytesRead = 0;
  std::int64_t vobBytes = 0;      // every VOB file of the folder, summed

  int Count(Severity severity) const;
  int Errors() const { return Count(Severity::kError); }
  int Warnings() const { return Count(Severity::kWarning); }
  int Notes() const { return Count(Severity::kNote); }
};

// Where a file of a disc image lies in the image: its first sector (from the
// image's start) and its size. Players find a set's files by sector numbers,
// not by name, so an image whose files lie elsewhere fails on them.
struct ImagePlacement {
  std::int64_t firstSector = 0;
  std::int64_t bytes = 0;
};
using ImageLayout = std::map<std::string, ImagePlacement>;  // by DVD file name, "VTS_01_1.VOB"

// Verifies the folder. Never throws for a damaged or missing file: each is
// a finding, and the other files are still verified. With `image`, the
// folder is the VIDEO_TS of a disc image whose files lie as it says: each is
// also checked to lie where the MATs and TT_SRPT put it, the sets one after
// another from VIDEO_TS.IFO on (table "image", field "first sector").
Report VerifyFolder(const std::string& folder, const ImageLayout* image = nullptr);

const char* SeverityName(Severity severity);  // "error", "warning", "note"
// "0x000C": how offsets appear in findings.
std::string HexOffset(std::int64_t offset);
// One line: "error: VTS_01_0.IFO VTSI_MAT last sector (0x000C): 375, expected 374; ..."
std::string Describe(const Finding& finding);

}  // namespace kestrune::verify
