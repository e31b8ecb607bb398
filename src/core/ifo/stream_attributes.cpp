#include "stream_attributes.h"

#include "ifo_fields.h"

namespace kestrune::ifo {

namespace {

// Language type 01: the language code field holds an ISO 639 code.
constexpr std::uint8_t kLanguageCodePresent = 1;

bool IsLetter(std::uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A stream's language code counts only when its language type says so.
std::string LanguageCode(std::uint8_t type, std::uint8_t first, std::uint8_t second) {
  return type == kLanguageCodePresent ? LanguageLetters(first, second) : "";
}

}  // namespace

std::string LanguageLetters(std::uint8_t first, std::uint8_t second) {
  if (!IsLetter(first) || !IsLetter(second)) return "";
  return {static_cast<char>(first), static_cast<char>(second)};
}

VideoAttributes DecodeVideoAttributes(std::uint16_t raw) {
  VideoAttributes v;
  v.raw = raw;
  const int first = raw >> 8, second = raw & 0xFF;
  const int coding = first >> 6 & 3;
  v.mpegVersion = coding == 0 ? 1 : coding == 1 ? 2 : 0;
  const int tv = first >> 4 & 3;
  v.tvSystem = tv == 0 ? TvSystem::kNtsc : tv == 1 ? TvSystem::kPal : TvSystem::kUnknown;
  const int aspect = first >> 2 & 3;
  v.aspect = aspect == 0 ? AspectRatio::k4x3 : aspect == 3 ? AspectRatio::k16x9 : AspectRatio::kUnknown;
  if (v.tvSystem != TvSystem::kUnknown) {
    const bool pal = v.tvSystem == TvSystem::kPal;
    // Picture size codes: 720, 704 and 352 full height, 352 half height.
    static constexpr int kWidths[] = {720, 704, 352, 352};
    const int size = second >> 2 & 3;
    v.width = kWidths[size];
    v.height = (pal ? 576 : 480) / (size == 3 ? 2 : 1);
  }
  return v;
}

AudioAttributes DecodeAudioAttributes(const std::array<std::uint8_t, 8>& raw) {
  AudioAttributes a;
  a.raw = raw;
  static constexpr AudioFormat kFormats[] = {AudioFormat::kAc3,  AudioFormat::kUnknown, AudioFormat::kMpeg1,
                                             AudioFormat::kMpeg2, AudioFormat::kLpcm,   AudioFormat::kUnknown,
                                             AudioFormat::kDts,  AudioFormat::kSdds};
  a.format = kFormats[raw[0] >> 5 & 7];
  const int rate = raw[1] >> 4 & 3;
  a.sampleRate = rate == 0 ? 48000 : rate == 1 ? 96000 : 0;
  a.channels = (raw[1] & 7) + 1;
  a.language = LanguageCode(raw[0] >> 2 & 3, raw[2], raw[3]);
  a.codeExtension = raw[5];
  return a;
}

SubpictureAttributes DecodeSubpictureAttributes(const std::array<std::uint8_t, 6>& raw) {
  SubpictureAttributes s;
  s.raw = raw;
  s.language = LanguageCode(raw[0] & 3, raw[2], raw[3]);
  s.codeExtension = raw[5];
  return s;
}

StreamAttributes ReadStreamAttributes(const TableReader& mat, std::int64_t at, int maxAudio, int maxSubpictures,
                                      const char* domain, Problems& problems) {
  StreamAttributes s;
  s.video = DecodeVideoAttributes(mat.Word(at, "video attributes"));
  const auto capped = [&](int count, int max, const char* what) {
    if (count <= max) return count;
    Note(problems, mat.File(), mat.Table(), std::string(domain) + " " + what + " stream count",
         std::to_string(count) + " is more than the " + std::to_string(max) + " streams the attributes have room for");
    return max;
  };
  const int audio = capped(mat.Word(at + kAttrAudioCount, "audio stream count"), maxAudio, "audio");
  for (int i = 0; i < audio; ++i) {
    std::array<std::uint8_t, 8> raw{};
    for (std::size_t b = 0; b < raw.size(); ++b)
      raw[b] = mat.Byte(at + kAttrAudio + kAttrAudioSize * i + static_cast<std::int64_t>(b), "audio attributes");
    s.audio.push_back(DecodeAudioAttributes(raw));
  }
  const int subpictures = capped(mat.Word(at + kAttrSubpictureCount, "sub-picture stream count"), maxSubpictures, "sub-picture");
  for (int i = 0; i < subpictures; ++i) {
    std::array<std::uint8_t, 6> raw{};
    for (std::size_t b = 0; b < raw.size(); ++b)
      raw[b] = mat.Byte(at + kAttrSubpicture + kAttrSubpictureSize * i + static_cast<std::int64_t>(b),
                        "sub-picture attributes");
    s.subpictures.push_back(DecodeSubpictureAttributes(raw));
  }
  return s;
}

const char* TvSystemName(TvSystem tv) {
  switch (tv) {
    case TvSystem::kNtsc: return "NTSC";
    case TvSystem::kPal: return "PAL";
    case TvSystem::kUnknown: break;
  }
  return "unknown";
}

const char* AspectRatioName(AspectRatio aspect) {
  switch (aspect) {
    case AspectRatio::k4x3: return "4:3";
    case AspectRatio::k16x9: return "16:9";
    case AspectRatio::kUnknown: break;
  }
  return "unknown";
}

const char* AudioFormatName(AudioFormat format) {
  switch (format) {
    case AudioFormat::kAc3: return "AC-3";
    case AudioFormat::kMpeg1: return "MPEG-1";
    case AudioFormat::kMpeg2: return "MPEG-2";
    case AudioFormat::kLpcm: return "LPCM";
    case AudioFormat::kDts: return "DTS";
    case AudioFormat::kSdds: return "SDDS";
    case AudioFormat::kUnknown: break;
  }
  return "unknown";
}

}  // namespace kestrune::ifo
