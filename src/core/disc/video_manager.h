// The video manager as VIDEO_TS.IFO describes it: VMGI_MAT, the first-play
// PGC, TT_SRPT, the menus (VMGM_PGCI_UT with VMGM_C_ADT and
// VMGM_VOBU_ADMAP), and where the other tables lie.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "address_tables.h"
#include "chain_tables.h"
#include "ifo_problem.h"
#include "program_chain_info.h"
#include "stream_attributes.h"
#include "title_tables.h"

namespace kestrune::disc {

using namespace kestrune::ifo;  // the model is made of the IFO tables it reads

struct VmgiMat {
  std::uint32_t vmgLastSector = 0;   // 0x0C: last sector of the video manager set
  std::uint32_t vmgiLastSector = 0;  // 0x1C: last sector of VIDEO_TS.IFO
  std::uint8_t version = 0;          // 0x21
  std::uint32_t category = 0;        // 0x22: region mask in byte 1
  std::uint16_t volumeCount = 0, volumeNumber = 0;  // 0x26, 0x28
  std::uint8_t side = 0;             // 0x2A
  std::uint16_t titleSetCount = 0;   // 0x3E
  std::string providerId;            // 0x40, 32 bytes, trailing zeros and spaces left out
  std::uint32_t matEndAddress = 0;   // 0x80
  std::uint32_t firstPlayPgcOffset = 0;  // 0x84: byte offset, 0 = none
  std::uint32_t vmgmVobsSector = 0;  // 0xC0: start of VIDEO_TS.VOB, 0 = none
  StreamAttributes menu;             // 0x100
};

struct VideoManager {
  std::string file = "VIDEO_TS.IFO";
  bool read = false;  // the file was read and its VMGI_MAT could be taken
  VmgiMat mat;
  std::optional<ProgramChain> firstPlayPgc;
  TtSrpt ttSrpt;
  PgciUt vmgmPgciUt;
  TableSpan ptlMait, vtsAtrt, txtdtMg;  // kept as where they lie
  CAdt vmgmCAdt;
  VobuAdmap vmgmVobuAdmap;
  // Sizes of the files on disk, -1 when absent.
  std::int64_t ifoBytes = -1, bupBytes = -1;
  std::int64_t menuVobBytes = -1;  // VIDEO_TS.VOB
};

// Where the model keeps table `t`'s place.
TableSpan& SpanOf(VideoManager& vmg, VmgTable t);
const TableSpan& SpanOf(const VideoManager& vmg, VmgTable t);

// Reads `image` (VIDEO_TS.IFO); every damaged table is noted in `problems`
// and the others are still read.
VideoManager ReadVideoManager(const IfoImage& image, Problems& problems);

}  // namespace kestrune::disc
