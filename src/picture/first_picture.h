// The first picture of a cell that is not black, read from as few sectors
// as it takes: the NAV pack at the cell's first VOBU, then the sectors up to
// the end of the VOBU's first reference picture (VOBU_1STREF_EA in the DSI),
// never the rest of the VOBU. A black picture (titles and menus often start
// with one) sends it on to the next VOBU, a few at most.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frame_decoder.h"

namespace kestrune::picture {

// Where sectors come from: a VOB set's files, or bytes in memory.
class SectorSource {
 public:
  virtual ~SectorSource() = default;
  // Reads `count` whole sectors from `first` on into `out`; false, with the
  // reason in `why`, when they cannot all be read.
  virtual bool Read(std::int64_t first, std::int64_t count, std::vector<std::uint8_t>& out, std::string& why) = 0;
};

// Sectors held in memory (the fuzz target's input, tests' damaged copies).
class MemorySectors final : public SectorSource {
 public:
  explicit MemorySectors(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Read(std::int64_t first, std::int64_t count, std::vector<std::uint8_t>& out, std::string& why) override;
  std::int64_t bytesRead = 0;

 private:
  std::vector<std::uint8_t> bytes_;
};

struct PictureSearch {
  int maxVobus = 5;  // VOBUs looked at for a picture that is not black
  // The most sectors a first reference picture may take (1 MiB): a larger
  // VOBU_1STREF_EA is damage.
  std::int64_t maxPictureSectors = 512;
};

struct FoundPicture {
  std::optional<Frame> frame;  // none when no VOBU gave a picture
  std::string why;             // why not, or a note on the picture taken ("black")
  std::int64_t vobuSector = -1;  // the NAV pack of the VOBU it comes from
  int vobusLooked = 0;
};

// The first picture that is not black of the VOBUs from sector `first` up to
// `lastVobuStart` (the cell's C_PBI sectors in its VOB set), each VOBU
// following the previous one's VOBU_EA. When every picture looked at is
// black, the least black (the brightest) of them. Never throws for damaged sectors: a VOBU
// that cannot be read or decoded is passed over, and without any picture the
// reason the first VOBU gave is in `why`.
FoundPicture FindFirstPicture(SectorSource& source, std::int64_t first, std::int64_t lastVobuStart,
                              FrameDecoder& decoder, const PictureSearch& search = {});

}  // namespace kestrune::picture
