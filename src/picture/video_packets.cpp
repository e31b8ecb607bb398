#include "video_packets.h"

#include "sector.h"

namespace kestrune::picture {

namespace {

constexpr std::uint8_t kPackStart = 0xBA;
constexpr std::uint8_t kVideoStream = 0xE0;
constexpr std::uint8_t kSequenceHeader = 0xB3;
constexpr std::uint8_t kGroupStart = 0xB8;
constexpr std::uint8_t kPictureStart = 0x00;
constexpr std::uint8_t kSequenceEnd = 0xB7;
// An MPEG-2 pack header: 14 bytes, the low three bits of the last one the
// count of stuffing bytes after it.
constexpr std::size_t kPackHeader = 14;
// A PES packet: start code and stream id, a 16-bit length of what follows,
// then (MPEG-2) two flag bytes and the length of the header data.
constexpr std::size_t kPesLength = 4;
constexpr std::size_t kPesHeader = 9;

bool StartCodeAt(std::span<const std::uint8_t> s, std::size_t at) {
  return at + 4 <= s.size() && s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 1;
}

// The next start code 00 00 01 xx at or after `from`, or s.size().
std::size_t NextStartCode(std::span<const std::uint8_t> s, std::size_t from) {
  for (std::size_t i = from; i + 4 <= s.size(); ++i)
    if (StartCodeAt(s, i)) return i;
  return s.size();
}

void TakeVideoOfPack(std::span<const std::uint8_t> pack, std::vector<std::uint8_t>& out) {
  if (!StartCodeAt(pack, 0) || pack[3] != kPackStart || (pack[4] & 0xC0) != 0x40) return;
  std::size_t at = kPackHeader + (pack[13] & 0x07);
  while (StartCodeAt(pack, at) && at + kPesLength + 2 <= pack.size()) {
    const std::uint8_t id = pack[at + 3];
    const std::size_t length = static_cast<std::size_t>(pack[at + 4]) << 8 | pack[at + 5];
    const std::size_t end = at + kPesLength + 2 + length;
    if (end > pack.size()) return;
    if (id == kVideoStream && length >= kPesHeader - 6 && (pack[at + 6] & 0xC0) == 0x80) {
      const std::size_t payload = at + kPesHeader + pack[at + 8];
      if (payload <= end) out.insert(out.end(), pack.begin() + static_cast<std::ptrdiff_t>(payload),
                                     pack.begin() + static_cast<std::ptrdiff_t>(end));
    }
    at = end;
  }
}

}  // namespace

std::vector<std::uint8_t> VideoElementaryStream(std::span<const std::uint8_t> sectors) {
  std::vector<std::uint8_t> video;
  const std::size_t sector = static_cast<std::size_t>(kSectorSize);
  for (std::size_t at = 0; at + sector <= sectors.size(); at += sector)
    TakeVideoOfPack(sectors.subspan(at, sector), video);
  return video;
}

std::span<const std::uint8_t> FirstPicture(std::span<const std::uint8_t> video) {
  std::size_t start = NextStartCode(video, 0);
  while (start < video.size() && video[start + 3] != kSequenceHeader) start = NextStartCode(video, start + 1);
  if (start == video.size()) return {};
  std::size_t picture = NextStartCode(video, start + 4);
  while (picture < video.size() && video[picture + 3] != kPictureStart) picture = NextStartCode(video, picture + 1);
  if (picture == video.size()) return {};
  std::size_t end = NextStartCode(video, picture + 4);
  // Slices (01 .. AF) and extensions (B5) and user data (B2) belong to the picture.
  while (end < video.size() && video[end + 3] != kPictureStart && video[end + 3] != kGroupStart &&
         video[end + 3] != kSequenceHeader && video[end + 3] != kSequenceEnd)
    end = NextStartCode(video, end + 1);
  return video.subspan(start, end - start);
}

}  // namespace kestrune::picture
