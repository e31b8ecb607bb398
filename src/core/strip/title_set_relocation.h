// The title set's IFO after packs of its title VOB set were taken out: every
// field that addresses a sector of that set follows the sector map (C_ADT,
// VOBU_ADMAP, VTS_TMAPTI, the four sectors of every cell in C_PBI, VTSI_MAT's
// last sector), and the dropped streams are marked not available in every
// title chain. Nothing else changes: the tables keep their places and sizes.
#pragma once

#include <string>

#include "ifo_image.h"
#include "sector_map.h"
#include "stream_choice.h"

namespace kestrune::strip {

// Throws Refusal naming `file` and the field when a table is damaged, a
// field names a removed sector or one outside the set, or a cell belongs to
// an interleaved block (angles, seamless branching), whose packs this run
// does not move.
void RelocateTitleVobs(IfoImage& image, const std::string& file, const SectorMap& map);

// Marks each dropped stream's control entry not available (all zero) in
// every title chain (VTS_PGCI). Throws Refusal for a damaged chain list.
void MarkStreamsUnavailable(IfoImage& image, const std::string& file, const DroppedStreams& dropped);

// Throws Refusal when a title chain has a cell in an angle block or an
// interleaved one.
void RefuseInterleavedCells(const IfoImage& image, const std::string& file);

}  // namespace kestrune::strip
