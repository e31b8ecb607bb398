// The built-in blank one-frame VOBs that replace a blanked VOB set: five
// 2048-byte sectors holding one VOBU (VOB id 1, cell id 1), that is a NAV pack
// followed by one intra-coded MPEG-2 frame of black. The rewritten IFOs
// describe exactly this layout (C_ADT, VOBU_ADMAP, C_PBI, set sizes), so a
// user's replacement VOB is held to the same contract by CheckOneFrameVob.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrune {

constexpr std::int64_t kBlankVobSectors = 5;
constexpr std::int64_t kBlankVobSize = 10240;  // kBlankVobSectors whole sectors

// Asked for an image name that is not one of NTSC, NTSCA, PAL and PALA.
class UnknownBlankVob : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The image for a VOB set with this first video attribute byte (VMGI_MAT 0x100,
// VTSI_MAT 0x100 or 0x200): "PAL" if bit 0x10 (625/50) is set, else "NTSC",
// with "A" appended if bit 0x08 (16:9) is set. No other bit counts.
std::string BlankVobImageName(std::uint8_t videoAttributeByte);
std::string BlankVobImageName(bool pal, bool wide);

// The kBlankVobSize bytes of the image NTSC, NTSCA, PAL or PALA. All four are
// built on first use, once per process; the reference stays valid for the
// life of the program. Any other name throws UnknownBlankVob naming it.
const std::vector<std::uint8_t>& BlankVobImage(const std::string& name);

// Checks a replacement VOB against the contract of the rewritten IFOs:
// exactly five sectors, a NAV pack in sector 0 whose DSI says VOBU_EA 4,
// VOB id 1 and cell id 1, and no other NAV pack. Returns an empty string when
// the file passes, otherwise a short reason fit for the user.
std::string CheckOneFrameVob(const std::vector<std::uint8_t>& bytes);

// Building blocks of the images, exposed for tests.

// The MPEG-2 elementary stream of one black I frame, from the sequence header
// to the sequence end code, for 720x576 at 25 fps (pal) or 720x480 at
// 30000/1001 fps, 16:9 (wide) or 4:3. No stuffing is added.
std::vector<std::uint8_t> BlackFrameVideoStream(bool pal, bool wide);

// Lays out the five sectors around `videoStream`: the NAV pack in sector 0,
// then the stream in video packets over sectors 1 to 4 (the first one carrying
// PTS, DTS and the P-STD buffer size) and a padding packet after the last
// video bytes. VOBU_1STREF_EA names the sector where the stream ends. Throws
// std::length_error if the stream is empty or does not fit.
std::vector<std::uint8_t> BuildOneFrameVob(bool pal, const std::vector<std::uint8_t>& videoStream);

}  // namespace kestrune
