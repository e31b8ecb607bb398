#include "stream_choice.h"

#include <algorithm>
#include <map>

#include "ifo_fields.h"
#include "nav_pack.h"

namespace kestrune::strip {

namespace {

// Display modes of 16:9 video (first video attribute byte, bits 1-0): which
// of the wide, letterbox and pan-scan sub-picture streams a player may show.
constexpr int kDisplayPanScanOnly = 1;
constexpr int kDisplayLetterboxOnly = 2;

std::string Numbers(const std::set<int>& numbers) {
  std::string text;
  for (int n : numbers) text += (text.empty() ? "" : ", ") + std::to_string(n);
  return text;
}

// Marks the streams `choice` names by number or by language in `dropped`.
void Choose(const std::set<int>& byNumber, const std::optional<std::set<std::string>>& keepLanguages,
            const std::vector<std::string>& languages, const char* what, const std::string& file,
            std::vector<bool>& dropped) {
  dropped.assign(languages.size(), false);
  std::set<int> missing;
  for (int n : byNumber) {
    if (n < 1 || n > static_cast<int>(languages.size()))
      missing.insert(n);
    else
      dropped[n - 1] = true;
  }
  if (!missing.empty())
    throw Refusal(file + " has " + std::to_string(languages.size()) + " " + what + " stream" +
                  (languages.size() == 1 ? "" : "s") + " in its titles; there is no " + what + " stream " +
                  Numbers(missing) + " to drop (see kestrune-cli info).");
  if (!keepLanguages) return;
  for (std::size_t i = 0; i < languages.size(); ++i)
    if (!languages[i].empty() && !keepLanguages->count(languages[i])) dropped[i] = true;
}

}  // namespace

int DroppedStreams::Count(const std::vector<bool>& v) { return static_cast<int>(std::count(v.begin(), v.end(), true)); }

std::set<std::uint8_t> AudioStreamsOf(const ifo::ProgramChain& pgc, std::size_t index,
                                      const ifo::AudioAttributes& attributes) {
  if (index >= pgc.audioControl.size() || !(pgc.audioControl[index] & kAudioControlAvailable)) return {};
  const auto number =
      static_cast<std::uint8_t>(pgc.audioControl[index] >> kAudioControlNumberShift & kAudioControlNumber);
  switch (attributes.format) {
    case ifo::AudioFormat::kAc3: return {static_cast<std::uint8_t>(nav::kAc3First + number)};
    case ifo::AudioFormat::kDts: return {static_cast<std::uint8_t>(nav::kDtsFirst + number)};
    case ifo::AudioFormat::kLpcm: return {static_cast<std::uint8_t>(nav::kLpcmFirst + number)};
    case ifo::AudioFormat::kMpeg1:
    case ifo::AudioFormat::kMpeg2: return {static_cast<std::uint8_t>(nav::kMpegAudioFirst + number)};
    default: return {};
  }
}

std::set<std::uint8_t> SubpictureStreamsOf(const ifo::ProgramChain& pgc, std::size_t index,
                                           const ifo::VideoAttributes& video) {
  if (index >= pgc.subpictureControl.size() || !(pgc.subpictureControl[index] & kSubpictureControlAvailable))
    return {};
  const std::uint32_t entry = pgc.subpictureControl[index];
  const auto field = [&](int shift) {
    return static_cast<std::uint8_t>(nav::kSubpictureFirst + (entry >> shift & kSubpictureControlNumber));
  };
  // 4:3 video shows the 4:3 stream only; the other fields are unused and
  // often 0. 16:9 video shows the wide stream and, as its display mode
  // allows, the letterbox and pan-scan ones.
  if (video.aspect != ifo::AspectRatio::k16x9) return {field(kSubpicture4x3Shift)};
  const int mode = video.raw >> 8 & 3;
  std::set<std::uint8_t> streams{field(kSubpictureWideShift)};
  if (mode != kDisplayPanScanOnly) streams.insert(field(kSubpictureLetterboxShift));
  if (mode != kDisplayLetterboxOnly) streams.insert(field(kSubpicturePanScanShift));
  return streams;
}

DroppedStreams ResolveChoice(const StreamChoice& choice, const ifo::StreamAttributes& titles,
                             const std::vector<const ifo::ProgramChain*>& chains, const std::string& file) {
  DroppedStreams d;
  std::vector<std::string> audioLanguages, subpictureLanguages;
  for (const auto& a : titles.audio) audioLanguages.push_back(a.language);
  for (const auto& s : titles.subpictures) subpictureLanguages.push_back(s.language);
  Choose(choice.dropAudio, choice.keepAudioLanguages, audioLanguages, "audio", file, d.audio);
  Choose(choice.dropSubpictures, choice.keepSubpictureLanguages, subpictureLanguages, "sub-picture", file,
         d.subpictures);

  for (std::size_t i = 0; i < d.audio.size(); ++i) {
    const auto format = titles.audio[i].format;
    if (d.audio[i] && format != ifo::AudioFormat::kAc3 && format != ifo::AudioFormat::kDts &&
        format != ifo::AudioFormat::kLpcm && format != ifo::AudioFormat::kMpeg1 && format != ifo::AudioFormat::kMpeg2)
      throw Refusal(file + ": audio stream " + std::to_string(i + 1) + " is " + ifo::AudioFormatName(format) +
                    ", whose packs cannot be told apart from the others; it cannot be dropped.");
  }
  // Which physical stream each chain plays for each stream number, and who
  // wants it: a stream dropped by one chain and kept by another stays in
  // the VOBs that both play.
  std::map<std::uint8_t, std::string> keptBy;
  std::map<std::uint8_t, std::string> droppedBy;
  for (std::size_t c = 0; c < chains.size(); ++c) {
    const std::string pgc = "PGC " + std::to_string(c + 1);
    const auto note = [&](const std::set<std::uint8_t>& streams, bool drop, const std::string& stream) {
      for (std::uint8_t s : streams) (drop ? droppedBy : keptBy).emplace(s, pgc + " " + stream);
    };
    for (std::size_t i = 0; i < d.audio.size(); ++i)
      note(AudioStreamsOf(*chains[c], i, titles.audio[i]), d.audio[i], "audio stream " + std::to_string(i + 1));
    for (std::size_t i = 0; i < d.subpictures.size(); ++i)
      note(SubpictureStreamsOf(*chains[c], i, titles.video), d.subpictures[i],
           "sub-picture stream " + std::to_string(i + 1));
  }
  for (const auto& [stream, by] : droppedBy) {
    const auto kept = keptBy.find(stream);
    if (kept != keptBy.end())
      throw Refusal(file + ": " + nav::StreamName(stream) + " is dropped as " + by + " but kept as " + kept->second +
                    "; drop both stream numbers or neither.");
    d.physical.insert(stream);
  }
  for (const auto& [stream, by] : keptBy) d.kept.insert(stream);
  return d;
}

}  // namespace kestrune::strip
