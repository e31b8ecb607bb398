// One video title set as VTS_nn_0.IFO describes it: VTSI_MAT, VTS_PTT_SRPT,
// the title chains (VTS_PGCI), the menus (VTSM_PGCI_UT) and the address
// tables of its menu and title VOB sets, with the sizes of its VOB files.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "address_tables.h"
#include "chain_tables.h"
#include "ifo_problem.h"
#include "sector.h"
#include "stream_attributes.h"
#include "title_tables.h"

namespace kestrune::disc {

using namespace kestrune::ifo;  // the model is made of the IFO tables it reads

struct VtsiMat {
  std::uint32_t vtsLastSector = 0;   // 0x0C: last sector of the title set
  std::uint32_t vtsiLastSector = 0;  // 0x1C: last sector of VTS_nn_0.IFO
  std::uint8_t version = 0;          // 0x21
  std::uint32_t category = 0;        // 0x22
  std::uint32_t matEndAddress = 0;   // 0x80
  std::uint32_t vtsmVobsSector = 0;  // 0xC0: start of the menu VOB set, 0 = none
  std::uint32_t vtsttVobsSector = 0; // 0xC4: start of the title VOB set
  StreamAttributes menu;             // 0x100
  StreamAttributes titles;           // 0x200
};

struct VideoTitleSet {
  int number = 0;     // 1 .. 99
  std::string file;   // "VTS_03_0.IFO"
  bool read = false;  // the file was read and its VTSI_MAT could be taken
  VtsiMat mat;
  VtsPttSrpt vtsPttSrpt;
  TableSpan vtsPgciTable;
  Pgci vtsPgci;
  PgciUt vtsmPgciUt;
  TableSpan vtsTmapti;  // kept as where it lies
  CAdt vtsmCAdt;
  VobuAdmap vtsmVobuAdmap;
  CAdt vtsCAdt;
  VobuAdmap vtsVobuAdmap;
  // Sizes of the files on disk, -1 when absent: the IFO and BUP, the menu
  // VOB (VTS_nn_0.VOB) and the title VOBs ([k] = VTS_nn_k.VOB, k = 1 .. 9;
  // [0] unused).
  std::int64_t ifoBytes = -1, bupBytes = -1;
  std::int64_t menuVobBytes = -1;
  std::array<std::int64_t, 10> titleVobBytes{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  // The sectors of the cells its titles play, a cell that several titles
  // play counted once (the disc model fills it in after joining the titles).
  std::int64_t titleSectors = 0;

  std::int64_t TitleVobBytes() const;  // the title VOB files that are there, summed
  std::int64_t TitleBytes() const { return SectorStart(titleSectors); }
};

// Where the model keeps table `t`'s place.
TableSpan& SpanOf(VideoTitleSet& vts, VtsTable t);
const TableSpan& SpanOf(const VideoTitleSet& vts, VtsTable t);

// Reads `image` (the IFO of title set `number`); every damaged table is noted
// in `problems` and the others are still read.
VideoTitleSet ReadVideoTitleSet(int number, const IfoImage& image, Problems& problems);

}  // namespace kestrune::disc
