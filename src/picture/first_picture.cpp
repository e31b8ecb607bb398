#include "first_picture.h"

#include "nav_pack.h"
#include "sector.h"
#include "video_packets.h"

namespace kestrune::picture {

namespace {

// The picture of the VOBU whose NAV pack is at `sector`; `next` is set to the
// next VOBU's sector when the NAV pack could be read.
std::optional<Frame> PictureOfVobu(SectorSource& source, std::int64_t sector, FrameDecoder& decoder,
                                   const PictureSearch& search, std::int64_t& next, std::string& why) {
  std::vector<std::uint8_t> bytes;
  if (!source.Read(sector, 1, bytes, why)) return std::nullopt;
  const std::optional<nav::NavPack> nav = nav::ReadNavPack(bytes);
  if (!nav) {
    why = "no NAV pack at sector " + std::to_string(sector);
    return std::nullopt;
  }
  next = sector + static_cast<std::int64_t>(nav->vobuEnd) + 1;
  const std::string vobu = "the VOBU at sector " + std::to_string(sector);
  if (nav->firstRefEnd == 0) {
    why = vobu + " has no reference picture (VOBU_1STREF_EA 0)";
    return std::nullopt;
  }
  if (nav->firstRefEnd > nav->vobuEnd || nav->firstRefEnd > search.maxPictureSectors) {
    why = vobu + " has VOBU_1STREF_EA " + std::to_string(nav->firstRefEnd) + ", past its VOBU_EA " +
          std::to_string(nav->vobuEnd) + " or " + std::to_string(search.maxPictureSectors) + " sectors";
    return std::nullopt;
  }
  if (!source.Read(sector + 1, nav->firstRefEnd, bytes, why)) return std::nullopt;
  const std::vector<std::uint8_t> video = VideoElementaryStream(bytes);
  const std::span<const std::uint8_t> picture = FirstPicture(video);
  if (picture.empty()) {
    why = vobu + " has no sequence header and picture before its VOBU_1STREF_EA";
    return std::nullopt;
  }
  std::optional<Frame> frame = decoder.Decode(picture, why);
  if (!frame) why = vobu + ": " + why;
  return frame;
}

}  // namespace

bool MemorySectors::Read(std::int64_t first, std::int64_t count, std::vector<std::uint8_t>& out, std::string& why) {
  const std::int64_t sectors = static_cast<std::int64_t>(bytes_.size()) / kSectorSize;
  if (first < 0 || count <= 0 || first >= sectors || count > sectors - first) {
    why = "sectors " + std::to_string(first) + " to " + std::to_string(first + count - 1) + " lie past the last, " +
          std::to_string(sectors - 1);
    return false;
  }
  out.assign(bytes_.begin() + SectorStart(first), bytes_.begin() + SectorStart(first + count));
  bytesRead += SectorStart(count);
  return true;
}

FoundPicture FindFirstPicture(SectorSource& source, std::int64_t first, std::int64_t lastVobuStart,
                              FrameDecoder& decoder, const PictureSearch& search) {
  FoundPicture found;
  std::optional<Frame> leastBlack;
  std::int64_t leastBlackSector = -1;
  std::string firstWhy;
  for (std::int64_t sector = first; sector <= lastVobuStart && found.vobusLooked < search.maxVobus;) {
    ++found.vobusLooked;
    std::int64_t next = -1;
    std::string why;
    std::optional<Frame> frame = PictureOfVobu(source, sector, decoder, search, next, why);
    if (frame && !frame->Black()) {
      found.frame = std::move(frame);
      found.vobuSector = sector;
      return found;
    }
    if (frame && (!leastBlack || frame->MeanLuma() > leastBlack->MeanLuma())) {
      leastBlack = std::move(frame);
      leastBlackSector = sector;
    }
    if (!frame && firstWhy.empty()) firstWhy = why;
    if (next <= sector) break;  // no NAV pack to go on from
    sector = next;
  }
  if (leastBlack) {
    found.frame = std::move(leastBlack);
    found.vobuSector = leastBlackSector;
    found.why = "black in the first " + std::to_string(found.vobusLooked) + " VOBUs";
    return found;
  }
  found.why = firstWhy.empty() ? "the cell has no VOBU" : firstWhy;
  return found;
}

}  // namespace kestrune::picture
