// The disc model: a read-only picture of a VIDEO_TS folder built from its
// IFO files and the sizes of its files, without reading a VOB. It holds the
// video manager, every title set, every title of TT_SRPT joined to the chains
// it plays, and the problems met on the way: a damaged table is noted (file,
// table, field) and the rest of the disc is still read.
//
//   const disc::Disc d = disc::ReadDisc("/media/x/VIDEO_TS/");
//   for (const disc::Title& t : d.titles) ... t.entry.titleSet, t.DurationSeconds()
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "disc_capacity.h"
#include "ifo_problem.h"
#include "dvd_time.h"
#include "sector.h"
#include "title_tables.h"
#include "video_manager.h"
#include "video_title_set.h"

namespace kestrune::disc {

// One cell a title plays: program chain PGCN's cell `cell` (from 1).
struct TitleCell {
  int pgcn = 0;
  int cell = 0;
  std::uint32_t firstSector = 0;  // C_PBI first VOBU start sector
  std::uint32_t lastSector = 0;   // C_PBI last VOBU end sector
  std::uint16_t vobId = 0;        // C_POSI
  std::uint8_t cellId = 0;
};

// A title of TT_SRPT with what its title set says of it.
struct Title {
  int number = 0;  // from 1, in TT_SRPT order
  TitleSearchPointer entry;
  int firstPgcn = 0;                     // the PGC its first chapter starts in; 0 when unknown
  std::optional<DvdTime> playbackTime;   // of that PGC
  std::vector<int> pgcns;                // the distinct PGCs its chapters start in, in chapter order
  std::vector<TitleCell> cells;          // the cells of those PGCs
  std::vector<int> audioStreams;         // streams (from 0) the first PGC makes available
  std::vector<int> subpictureStreams;
  // The sectors of `cells` (from C_PBI), a sector that several cells or
  // chains of the title play counted once.
  std::int64_t sectors = 0;

  double DurationSeconds() const { return playbackTime ? playbackTime->Seconds() : 0.0; }
  std::int64_t Bytes() const { return SectorStart(sectors); }
};

struct Disc {
  std::string folder;  // as given, with a trailing delimiter
  VideoManager vmg;
  std::vector<VideoTitleSet> titleSets;  // ascending; those whose IFO is there or that VMGI_MAT counts
  std::vector<Title> titles;
  Problems problems;
  std::int64_t folderBytes = 0;  // every file of the folder
  // The DVD files (VIDEO_TS.IFO, .BUP, .VOB and every title set's IFO, BUP
  // and VOBs), each in whole sectors: what a disc of the folder holds,
  // backups and other files left out.
  std::int64_t dvdFileBytes = 0;
  int mainFeature = 0;  // the number of the main feature (MainFeatureOf); 0 when there are no titles

  const VideoTitleSet* TitleSet(int number) const;
  const Title* TitleNumbered(int number) const;
  DiscFit Fit() const { return FitOf(dvdFileBytes); }
};

// The sectors that the ranges [first, last] cover, a sector in several
// ranges counted once; a range whose last sector lies before its first
// covers none.
std::int64_t SectorsCovered(std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges);

// The main feature: the title with the longest playback time, on a tie the
// larger (more sectors), then the first. 0 when `titles` is empty.
int MainFeatureOf(const std::vector<Title>& titles);

// Reads the folder. Never throws for a damaged or missing file: what could
// not be read is in `problems`. VIDEO_TS.IFO unreadable leaves vmg.read false
// and reads every title set IFO that is there.
Disc ReadDisc(const std::string& folder);

}  // namespace kestrune::disc
