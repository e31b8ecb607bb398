// A DVD playback time as a PGC (+0x04) and a C_PBI entry (+4) hold it: hours,
// minutes and seconds in BCD, then a frame byte whose top two bits give the
// frame rate (01 = 25 fps, 11 = 30 fps) and whose low six bits count frames
// in BCD.
#pragma once

#include <cstdint>
#include <string>

namespace kestrune::ifo {

struct DvdTime {
  std::uint32_t raw = 0;
  int hours = 0, minutes = 0, seconds = 0, frames = 0;
  int framesPerSecond = 0;  // 25 or 30; 0 when the rate bits are 00 or 10
  bool validBcd = true;     // every digit 0..9 and minutes, seconds below 60

  // The time in seconds; frames count only when the frame rate is known.
  double Seconds() const;
  // "h:mm:ss", the frames left out.
  std::string Clock() const;
};

DvdTime DecodeDvdTime(std::uint32_t raw);

}  // namespace kestrune::ifo
