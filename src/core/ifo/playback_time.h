// DVD playback times as the engine writes them (ifo_fields.h says where the
// fields lie and dvd_time.h reads them).
#pragma once

#include <cstdint>

namespace kestrune {

// The playback time of one frame: 00:00:00, frame 1, at 25 and 30 fps.
constexpr std::uint32_t kOneFramePal = 0x41;
constexpr std::uint32_t kOneFrameNtsc = 0xC1;

// `frames` frames at 25 (pal) or 30 frames per second as a playback time.
std::uint32_t FramesAsPlaybackTime(std::uint32_t frames, bool pal);

}  // namespace kestrune
