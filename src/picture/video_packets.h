// The MPEG-2 video of a run of VOB sectors: every pack is 2048 bytes, a pack
// header followed by PES packets; the video is stream 00 00 01 E0. Only what
// a picture needs is taken: the video packets' payloads, joined, and in them
// the first picture with the sequence header before it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kestrune::picture {

// The payloads of the video packets of the packs in `sectors` (whole
// sectors), in order. A pack that is not an MPEG-2 pack, or a packet that
// runs past its pack, ends that pack; nothing is read outside `sectors`.
std::vector<std::uint8_t> VideoElementaryStream(std::span<const std::uint8_t> sectors);

// The part of `video` from its first sequence header (00 00 01 B3) to the end
// of the first picture after it: up to the next picture, GOP or sequence
// header start code, or to the end of `video`. Empty when there is no
// sequence header followed by a picture start code (00 00 01 00).
std::span<const std::uint8_t> FirstPicture(std::span<const std::uint8_t> video);

}  // namespace kestrune::picture
