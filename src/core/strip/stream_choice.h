// Which audio and sub-picture streams of a title set's titles a strip run
// drops, as the user names them (stream numbers as `info` prints them, from
// 1, or the languages to keep), and what that means in the title VOB set:
// the physical streams whose packs go. A stream number is what a player
// offers; each program chain's stream control says which physical stream
// (AC-3 0x80, MPEG audio 0xC1, sub-picture 0x22, ...) it plays for it.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "chain_tables.h"
#include "stream_attributes.h"

namespace kestrune::strip {

// A run that cannot be made as asked, found before anything changes: the
// message names the file, the table or stream and what is wrong.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The user's choice, the same for every chosen title set.
struct StreamChoice {
  std::set<int> dropAudio, dropSubpictures;  // stream numbers from 1
  // Keep the streams with these language codes and drop the others that
  // have one; a stream without a code stays unless named by number above.
  std::optional<std::set<std::string>> keepAudioLanguages, keepSubpictureLanguages;

  bool Empty() const {
    return dropAudio.empty() && dropSubpictures.empty() && !keepAudioLanguages && !keepSubpictureLanguages;
  }
};

// What one title set drops.
struct DroppedStreams {
  std::vector<bool> audio;        // by stream number - 1, as VTSI_MAT lists them
  std::vector<bool> subpictures;
  std::set<std::uint8_t> physical;  // streams whose packs go
  std::set<std::uint8_t> kept;      // streams a kept stream number plays

  bool Any() const { return !physical.empty() || Count(audio) + Count(subpictures) > 0; }
  static int Count(const std::vector<bool>& v);
};

// The physical streams a chain plays for stream number `index` (from 0), as
// its stream control says; empty when the chain does not offer it.
std::set<std::uint8_t> AudioStreamsOf(const ifo::ProgramChain& pgc, std::size_t index,
                                      const ifo::AudioAttributes& attributes);
std::set<std::uint8_t> SubpictureStreamsOf(const ifo::ProgramChain& pgc, std::size_t index,
                                           const ifo::VideoAttributes& video);

// Resolves `choice` against the title attributes and the title chains of the
// title set in `file`. Throws Refusal for a stream number the set does not
// have, an audio format whose packs cannot be told apart, and a physical
// stream that one chain drops and another keeps.
DroppedStreams ResolveChoice(const StreamChoice& choice, const ifo::StreamAttributes& titles,
                             const std::vector<const ifo::ProgramChain*>& chains, const std::string& file);

}  // namespace kestrune::strip
