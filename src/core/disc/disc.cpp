#include "disc.h"

#include <algorithm>

#include "dvd_files.h"
#include "folder_sizes.h"
#include "ifo_file.h"

namespace kestrune::disc {

namespace {

constexpr int kMaxTitleSets = 99;
constexpr int kTitleVobs = 9;  // VTS_nn_1.VOB .. VTS_nn_9.VOB

void Fail(Problems& problems, const Title& title, const std::string& field, const std::string& what) {
  Note(problems, "VIDEO_TS.IFO", "TT_SRPT", "title " + std::to_string(title.number) + " " + field, what);
}

// Joins a TT_SRPT entry to its title set: the chains its chapters start in,
// their cells, and the first chain's playback time and streams.
std::vector<std::pair<std::uint32_t, std::uint32_t>> CellRanges(const std::vector<const Title*>& titles);

Title JoinTitle(const Disc& disc, int number, const TitleSearchPointer& entry, Problems& problems) {
  Title title;
  title.number = number;
  title.entry = entry;
  const VideoTitleSet* set = disc.TitleSet(entry.titleSet);
  if (set == nullptr) {
    Fail(problems, title, "title set number", std::to_string(entry.titleSet) + " names no title set of the disc");
    return title;
  }
  if (!set->read) return title;  // its IFO's problem is noted already
  const auto& ptts = set->vtsPttSrpt.titles;
  if (entry.vtsTitle < 1 || entry.vtsTitle > ptts.size()) {
    Fail(problems, title, "VTS title number",
         std::to_string(entry.vtsTitle) + " is not one of the " + std::to_string(ptts.size()) + " titles of " +
             set->file + "'s VTS_PTT_SRPT");
    return title;
  }
  const std::vector<Ptt>& chapters = ptts[entry.vtsTitle - 1];
  if (chapters.empty()) {
    Note(problems, set->file, "VTS_PTT_SRPT", "VTS title " + std::to_string(entry.vtsTitle),
         "has no chapters, so no chain to play");
    return title;
  }
  const auto& srps = set->vtsPgci.srps;
  for (const Ptt& ptt : chapters) {
    if (ptt.pgcn < 1 || ptt.pgcn > srps.size()) {
      Note(problems, set->file, "VTS_PTT_SRPT", "VTS title " + std::to_string(entry.vtsTitle) + " PGCN",
           std::to_string(ptt.pgcn) + " is not one of the " + std::to_string(srps.size()) + " PGCs of VTS_PGCI");
      continue;
    }
    if (std::find(title.pgcns.begin(), title.pgcns.end(), ptt.pgcn) == title.pgcns.end()) title.pgcns.push_back(ptt.pgcn);
  }
  // The first chapter's chain, unless its PGCN was one of the bad ones.
  if (!title.pgcns.empty() && chapters.front().pgcn == title.pgcns.front()) title.firstPgcn = title.pgcns.front();
  for (const int pgcn : title.pgcns) {
    const auto& pgc = srps[static_cast<std::size_t>(pgcn - 1)].pgc;
    if (!pgc) continue;  // noted when VTS_PGCI was read
    if (pgcn == title.firstPgcn) {
      title.playbackTime = pgc->playbackTime;
      if (!pgc->playbackTime.validBcd)
        Note(problems, set->file, "VTS_PGCI", "PGC " + std::to_string(pgcn) + " playback time",
             Hex(pgc->playbackTime.raw) + " is not a BCD time");
      for (std::size_t s = 0; s < set->mat.titles.audio.size(); ++s)
        if (pgc->AudioAvailable(s)) title.audioStreams.push_back(static_cast<int>(s));
      for (std::size_t s = 0; s < set->mat.titles.subpictures.size(); ++s)
        if (pgc->SubpictureAvailable(s)) title.subpictureStreams.push_back(static_cast<int>(s));
    }
    for (std::size_t c = 0; c < pgc->cells.size(); ++c) {
      const Cell& cell = pgc->cells[c];
      title.cells.push_back({pgcn, static_cast<int>(c + 1), cell.playback.firstVobuStartSector,
                             cell.playback.lastVobuEndSector, cell.position.vobId, cell.position.cellId});
      const std::string field = "PGC " + std::to_string(pgcn) + " cell " + std::to_string(c + 1) + " last sector";
      const bool noted = std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
        return p.file == set->file && p.field == field;  // by another title playing the chain
      });
      if (cell.playback.lastVobuEndSector < cell.playback.firstVobuStartSector && !noted)
        Note(problems, set->file, "VTS_PGCI", field,
             std::to_string(cell.playback.lastVobuEndSector) + " lies before its first sector " +
                 std::to_string(cell.playback.firstVobuStartSector));
    }
  }
  title.sectors = SectorsCovered(CellRanges({&title}));
  return title;
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> CellRanges(const std::vector<const Title*>& titles) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
  for (const Title* title : titles)
    for (const TitleCell& cell : title->cells) ranges.emplace_back(cell.firstSector, cell.lastSector);
  return ranges;
}

// The files a disc of the folder holds, each in whole sectors.
std::int64_t DvdFileBytes(const Disc& disc) {
  std::int64_t total = 0;
  const auto add = [&](std::int64_t bytes) {
    if (bytes > 0) total += RoundUpToSector(bytes);
  };
  for (const std::int64_t bytes : {disc.vmg.ifoBytes, disc.vmg.bupBytes, disc.vmg.menuVobBytes}) add(bytes);
  for (const VideoTitleSet& set : disc.titleSets) {
    for (const std::int64_t bytes : {set.ifoBytes, set.bupBytes, set.menuVobBytes}) add(bytes);
    for (std::size_t k = 1; k < set.titleVobBytes.size(); ++k) add(set.titleVobBytes[k]);
  }
  return total;
}

void MeasureFiles(VideoTitleSet& set, const FolderSizes& sizes) {
  const std::string prefix = VtsPrefix(set.number);
  set.ifoBytes = sizes.Size(prefix + "0.IFO");
  set.bupBytes = sizes.Size(prefix + "0.BUP");
  set.menuVobBytes = sizes.Size(prefix + "0.VOB");
  for (int k = 1; k <= kTitleVobs; ++k)
    set.titleVobBytes[static_cast<std::size_t>(k)] = sizes.Size(prefix + static_cast<char>('0' + k) + ".VOB");
}

}  // namespace

const VideoTitleSet* Disc::TitleSet(int number) const {
  for (const VideoTitleSet& set : titleSets)
    if (set.number == number) return &set;
  return nullptr;
}

const Title* Disc::TitleNumbered(int number) const {
  return number >= 1 && number <= static_cast<int>(titles.size()) ? &titles[static_cast<std::size_t>(number - 1)]
                                                                   : nullptr;
}

std::int64_t SectorsCovered(std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges) {
  std::sort(ranges.begin(), ranges.end());
  std::int64_t sectors = 0;
  std::int64_t next = 0;  // the first sector not counted yet
  for (const auto& [first, last] : ranges) {
    if (last < first) continue;
    const std::int64_t from = std::max<std::int64_t>(first, next);
    if (from <= static_cast<std::int64_t>(last)) sectors += static_cast<std::int64_t>(last) - from + 1;
    next = std::max<std::int64_t>(next, static_cast<std::int64_t>(last) + 1);
  }
  return sectors;
}

int MainFeatureOf(const std::vector<Title>& titles) {
  const Title* best = nullptr;
  for (const Title& t : titles) {
    if (best == nullptr || t.DurationSeconds() > best->DurationSeconds() ||
        (t.DurationSeconds() == best->DurationSeconds() && t.sectors > best->sectors))
      best = &t;
  }
  return best == nullptr ? 0 : best->number;
}

Disc ReadDisc(const std::string& folder) {
  Disc disc;
  disc.folder = WithTrailingDelimiter(folder);
  const FolderSizes sizes(disc.folder);
  disc.folderBytes = sizes.Total();

  if (auto image = ReadIfoFile(disc.folder, "VIDEO_TS.IFO", IfoKind::kVmg, disc.problems)) {
    ReadGuarded(disc.problems, [&] { disc.vmg = ReadVideoManager(*image, disc.problems); });
  }
  disc.vmg.ifoBytes = sizes.Size("VIDEO_TS.IFO");
  disc.vmg.bupBytes = sizes.Size("VIDEO_TS.BUP");
  disc.vmg.menuVobBytes = sizes.Size("VIDEO_TS.VOB");

  const int counted = disc.vmg.read ? disc.vmg.mat.titleSetCount : 0;
  for (int n = 1; n <= kMaxTitleSets; ++n) {
    const std::string name = VtsPrefix(n) + "0.IFO";
    const bool present = sizes.Size(name) >= 0;
    if (!present && n > counted) continue;
    if (present && disc.vmg.read && n > counted)
      Note(disc.problems, "VIDEO_TS.IFO", "VMGI_MAT", "title set count",
           std::to_string(counted) + " leaves out " + name + ", which is there");
    VideoTitleSet set;
    set.number = n;
    set.file = name;
    if (auto image = ReadIfoFile(disc.folder, name, IfoKind::kVts, disc.problems)) {
      ReadGuarded(disc.problems, [&] { set = ReadVideoTitleSet(n, *image, disc.problems); });
    }
    MeasureFiles(set, sizes);
    disc.titleSets.push_back(std::move(set));
  }

  for (std::size_t j = 0; j < disc.vmg.ttSrpt.titles.size(); ++j)
    disc.titles.push_back(JoinTitle(disc, static_cast<int>(j + 1), disc.vmg.ttSrpt.titles[j], disc.problems));
  for (VideoTitleSet& set : disc.titleSets) {
    std::vector<const Title*> played;
    for (const Title& t : disc.titles)
      if (t.entry.titleSet == set.number) played.push_back(&t);
    set.titleSectors = SectorsCovered(CellRanges(played));
  }
  disc.mainFeature = MainFeatureOf(disc.titles);
  disc.dvdFileBytes = DvdFileBytes(disc);
  return disc;
}

}  // namespace kestrune::disc
