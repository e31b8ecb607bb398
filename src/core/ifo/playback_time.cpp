#include "playback_time.h"

#include "ifo_fields.h"

namespace kestrune {

namespace {
std::uint32_t Bcd(std::uint32_t value) { return ((value / 10) % 10) << 4 | (value % 10); }
}  // namespace

std::uint32_t FramesAsPlaybackTime(std::uint32_t frames, bool pal) {
  const std::uint32_t fps = pal ? 25 : 30;
  const std::uint32_t seconds = frames / fps;
  const std::uint32_t hours = seconds / 3600;
  const std::uint32_t frameByte = Bcd(frames % fps) | (pal ? kFrameRate25 : kFrameRate30);
  return Bcd(hours % 100) << 24 | Bcd(seconds / 60 % 60) << 16 | Bcd(seconds % 60) << 8 | frameByte;
}

}  // namespace kestrune
