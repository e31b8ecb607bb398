// DVD playback times, as in a program chain (PGC +0x04) and a cell playback
// entry (C_PBI +4): BCD hours, minutes and seconds, then a frame byte whose top
// two bits give the frame rate (01 = 25 fps, 11 = 30 fps) and whose low six
// bits hold the frame count in BCD.
#pragma once

#include <cstdint>

namespace kestrune {

constexpr std::uint32_t kOneFramePal = 0x41;   // 00:00:00, frame 1 at 25 fps
constexpr std::uint32_t kOneFrameNtsc = 0xC1;  // 00:00:00, frame 1 at 30 fps

// `frames` frames at 25 (pal) or 30 frames per second as a playback time.
std::uint32_t FramesAsPlaybackTime(std::uint32_t frames, bool pal);

}  // namespace kestrune
