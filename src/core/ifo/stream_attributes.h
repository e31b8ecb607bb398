// Video, audio and sub-picture attributes as VMGI_MAT and VTSI_MAT hold them
// for the menus (from 0x100) and a title set's titles (from 0x200).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ifo_problem.h"
#include "table_reader.h"

namespace kestrune::ifo {

enum class TvSystem { kNtsc, kPal, kUnknown };        // 525/60, 625/50
enum class AspectRatio { k4x3, k16x9, kUnknown };
enum class AudioFormat { kAc3, kMpeg1, kMpeg2, kLpcm, kDts, kSdds, kUnknown };

// Two bytes: coding mode, TV system, aspect ratio, display modes; line 21,
// bit rate, picture size, letterbox, film mode.
struct VideoAttributes {
  std::uint16_t raw = 0;
  int mpegVersion = 0;  // 1 or 2; 0 for the reserved codes
  TvSystem tvSystem = TvSystem::kUnknown;
  AspectRatio aspect = AspectRatio::kUnknown;
  int width = 0, height = 0;  // 0 when the TV system or picture size is unknown
};

// Eight bytes: coding mode, language type, application mode; quantization,
// sample rate, channels; language code; code extension.
struct AudioAttributes {
  std::array<std::uint8_t, 8> raw{};
  AudioFormat format = AudioFormat::kUnknown;
  int channels = 0;
  int sampleRate = 0;    // Hz; 0 for the reserved codes
  std::string language;  // two letters, "" when the stream names none
  std::uint8_t codeExtension = 0;  // 1 normal, 2 visually impaired, 3 and 4 director's comments
};

// Six bytes: coding mode, language type; language code; code extension.
struct SubpictureAttributes {
  std::array<std::uint8_t, 6> raw{};
  std::string language;  // two letters, "" when the stream names none
  std::uint8_t codeExtension = 0;  // 1 normal caption, 5 children's ..., 9 forced ...
};

// The attributes of one domain: menus or titles.
struct StreamAttributes {
  VideoAttributes video;
  std::vector<AudioAttributes> audio;
  std::vector<SubpictureAttributes> subpictures;
};

// The two letters of an ISO 639 language code field, or "" when it holds
// no letters (some tools leave it 0, or set the language type and leave it 0).
std::string LanguageLetters(std::uint8_t first, std::uint8_t second);

VideoAttributes DecodeVideoAttributes(std::uint16_t raw);
AudioAttributes DecodeAudioAttributes(const std::array<std::uint8_t, 8>& raw);
SubpictureAttributes DecodeSubpictureAttributes(const std::array<std::uint8_t, 6>& raw);

// The video attributes at MAT offset `at`, the audio stream count and
// attributes after them and the sub-picture count and attributes at
// `at` + 0x54. A stream count beyond `maxAudio` or `maxSubpictures` is a
// problem, and only that many are read.
StreamAttributes ReadStreamAttributes(const TableReader& mat, std::int64_t at, int maxAudio, int maxSubpictures,
                                      const char* domain, Problems& problems);

const char* TvSystemName(TvSystem tv);          // "PAL", "NTSC", "unknown"
const char* AspectRatioName(AspectRatio aspect);  // "4:3", "16:9", "unknown"
const char* AudioFormatName(AudioFormat format);  // "AC-3", "MPEG-1", "MPEG-2", "LPCM", "DTS", "SDDS", "unknown"

}  // namespace kestrune::ifo
