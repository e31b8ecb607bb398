// Moves a NAV pack's sector fields to where a SectorMap puts the sectors of
// its VOB set: NV_PCK_LBN (PCI and DSI), VOBU_EA, VOBU_1STREF_EA to
// VOBU_3RDREF_EA, every VOBU_SRI entry (its flag bits kept) and the SYNCI
// offsets. The SYNCI entries of streams that no longer exist become "none".
// Everything else in the pack stays byte for byte.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "sector_map.h"

namespace kestrune {

// A NAV pack field that cannot be moved: it names a removed sector or one
// outside the set, or belongs to an interleaved block. Says which field.
class NavPackError : public std::runtime_error {
 public:
  NavPackError(std::string field, const std::string& what)
      : std::runtime_error(field + " " + what), field_(std::move(field)) {}
  const std::string& Field() const { return field_; }

 private:
  std::string field_;
};

// SYNCI entries to set to "none": bit i stands for stream number i + 1.
struct SynciDrops {
  std::uint8_t audio = 0;
  std::uint32_t subpictures = 0;
};

// Rewrites `pack` (the 2048 bytes of a NAV pack that stood at sector `old`
// of the set) for `map`. Throws NavPackError, leaving `pack` partly changed,
// when NV_PCK_LBN is not `old`, the VOBU or a reference picture ends past the
// set, an entry names a removed sector or one outside the set, or the pack
// belongs to an interleaved block (ILVU, seamless or non-seamless angles).
void RelocateNavPack(std::span<std::uint8_t> pack, std::int64_t old, const SectorMap& map, const SynciDrops& drops);

}  // namespace kestrune
