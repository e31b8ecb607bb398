#include "dvd_time.h"

#include "ifo_fields.h"

namespace kestrune::ifo {

namespace {

int FromBcd(std::uint32_t byte, bool& valid) {
  const int high = static_cast<int>(byte >> 4 & 0xF), low = static_cast<int>(byte & 0xF);
  if (high > 9 || low > 9) valid = false;
  return high * 10 + low;
}

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

DvdTime DecodeDvdTime(std::uint32_t raw) {
  DvdTime t;
  t.raw = raw;
  t.hours = FromBcd(raw >> 24 & 0xFF, t.validBcd);
  t.minutes = FromBcd(raw >> 16 & 0xFF, t.validBcd);
  t.seconds = FromBcd(raw >> 8 & 0xFF, t.validBcd);
  t.frames = FromBcd(raw & kFrameDigits, t.validBcd);
  if (t.minutes > 59 || t.seconds > 59) t.validBcd = false;
  const std::uint32_t rate = raw & kFrameRateBits;
  t.framesPerSecond = rate == kFrameRate25 ? 25 : rate == kFrameRate30 ? 30 : 0;
  return t;
}

double DvdTime::Seconds() const {
  double s = hours * 3600.0 + minutes * 60.0 + seconds;
  if (framesPerSecond != 0) s += static_cast<double>(frames) / framesPerSecond;
  return s;
}

std::string DvdTime::Clock() const {
  return std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

}  // namespace kestrune::ifo
