#include "pack_walk.h"

#include "big_endian.h"
#include "stream_choice.h"

namespace kestrune::strip {

void PackWalker::Add(std::span<const std::uint8_t> sectors) {
  for (std::size_t at = 0; sectors.size() - at >= static_cast<std::size_t>(kSectorSize); at += kSectorSize) {
    const std::int64_t sector = next_++;
    const auto bytes = sectors.subspan(at, kSectorSize);
    std::string why;
    const auto pack = nav::ReadPack(bytes, why);
    if (!pack) throw PackError(sector, why);
    PackCounts& c = walk_.counts;
    switch (pack->kind) {
      case nav::PackKind::kNav: {
        ++c.nav;
        const std::uint32_t lbn = GetBigEndian<std::uint32_t>(&bytes[nav::DsiField(nav::kDsiNvPckLbn)]);
        if (lbn != sector)
          throw PackError(sector, "is a NAV pack whose DSI NV_PCK_LBN holds " + std::to_string(lbn) +
                                      ": a NAV pack names its own sector");
        const std::int64_t end = sector + GetBigEndian<std::uint32_t>(&bytes[nav::DsiField(nav::kDsiVobuEa)]);
        if (end >= sectors_)
          throw PackError(sector, "is a NAV pack whose VOBU_EA ends its VOBU at sector " + std::to_string(end) +
                                      ", past the title VOB set's " + std::to_string(sectors_) + " sectors");
        walk_.navPacks.push_back(static_cast<std::uint32_t>(sector));
        break;
      }
      case nav::PackKind::kVideo: ++c.video; break;
      case nav::PackKind::kPadding: ++c.padding; break;
      case nav::PackKind::kOther: ++c.other; break;
      case nav::PackKind::kAudio:
      case nav::PackKind::kSubpicture: ++c.streams[pack->stream]; break;
    }
    const bool drop = (pack->kind == nav::PackKind::kAudio || pack->kind == nav::PackKind::kSubpicture) &&
                      dropped_.count(pack->stream);
    if (drop)
      walk_.map.Remove(1);
    else
      walk_.map.Keep(1);
  }
}

PackWalk WalkTitleVobs(const TitleVobs& vobs, const std::set<std::uint8_t>& dropped, const Progress& progress) {
  const std::int64_t sectors = vobs.Sectors();
  PackWalker walker(sectors, dropped);
  std::vector<std::uint8_t> chunk;
  for (std::int64_t first = 0; first < sectors; first += kChunkSectors) {
    const std::int64_t count = std::min(kChunkSectors, sectors - first);
    vobs.Read(first, count, chunk);
    try {
      walker.Add(chunk);
    } catch (const PackError& e) {
      throw Refusal(vobs.Where(e.Sector()) + " " + e.what() + ". The title VOB set is damaged; nothing was changed.");
    }
    if (progress) progress(first + count, sectors);
  }
  return walker.Finish();
}

}  // namespace kestrune::strip
