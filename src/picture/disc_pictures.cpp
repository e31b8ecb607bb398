#include "disc_pictures.h"

#include "dvd_files.h"
#include "first_picture.h"
#include "menu_chains.h"

namespace kestrune::picture {

namespace {

constexpr int kTitleVobFiles = 9;  // VTS_nn_1.VOB .. VTS_nn_9.VOB

// The title VOB set as far as its files follow one another: a missing file
// would shift every sector after it.
VobSet TitleVobs(const disc::VideoTitleSet& set) {
  VobSet vobs;
  vobs.name = VtsPrefix(set.number) + "*.VOB";
  for (int k = 1; k <= kTitleVobFiles; ++k) {
    const std::int64_t bytes = set.titleVobBytes[static_cast<std::size_t>(k)];
    if (bytes < 0) break;
    vobs.files.push_back({VtsPrefix(set.number) + static_cast<char>('0' + k) + ".VOB", bytes});
  }
  return vobs;
}

VobSet MenuVobs(const std::string& name, std::int64_t bytes) {
  VobSet vobs;
  vobs.name = name;
  if (bytes >= 0) vobs.files.push_back({name, bytes});
  return vobs;
}

// The cell program `pgn` of `pgc` starts with, or null.
const ifo::Cell* ProgramCell(const ifo::ProgramChain& pgc, int pgn) {
  if (pgn < 1 || pgn > static_cast<int>(pgc.programMap.size())) return nullptr;
  const int cell = pgc.programMap[static_cast<std::size_t>(pgn - 1)];
  if (cell < 1 || cell > static_cast<int>(pgc.cells.size())) return nullptr;
  return &pgc.cells[static_cast<std::size_t>(cell - 1)];
}

void SetCell(PictureRequest& request, const ifo::Cell& cell) {
  request.firstSector = cell.playback.firstVobuStartSector;
  request.lastVobuStart = cell.playback.lastVobuStartSector;
}

PictureRequest TitleRequest(const disc::Disc& disc, const disc::Title& title) {
  PictureRequest request;
  request.name = disc::TitleName(title.number);
  request.label = "title " + std::to_string(title.number);
  request.title = title.number;
  const disc::VideoTitleSet* set = disc.TitleSet(title.entry.titleSet);
  if (set == nullptr || !set->read) {
    request.none = "its title set's IFO could not be read";
    return request;
  }
  request.vobs = TitleVobs(*set);
  request.aspect = set->mat.titles.video.aspect;
  const auto& titles = set->vtsPttSrpt.titles;
  if (title.entry.vtsTitle < 1 || title.entry.vtsTitle > titles.size() || titles[title.entry.vtsTitle - 1].empty()) {
    request.none = "its first chapter is not in " + set->file + "'s VTS_PTT_SRPT";
    return request;
  }
  const ifo::Ptt& chapter = titles[title.entry.vtsTitle - 1].front();
  const auto& srps = set->vtsPgci.srps;
  if (chapter.pgcn < 1 || chapter.pgcn > srps.size() || !srps[chapter.pgcn - 1u].pgc) {
    request.none = "its first chapter's chain (PGC " + std::to_string(chapter.pgcn) + ") could not be read";
    return request;
  }
  const ifo::Cell* cell = ProgramCell(*srps[chapter.pgcn - 1u].pgc, chapter.pgn);
  if (cell == nullptr) {
    request.none = "its first chapter (PGC " + std::to_string(chapter.pgcn) + " program " +
                   std::to_string(chapter.pgn) + ") has no cell";
    return request;
  }
  SetCell(request, *cell);
  return request;
}

PictureRequest MenuRequest(const disc::Disc& disc, const disc::MenuChain& chain) {
  PictureRequest request;
  request.name = chain.name;
  request.label = chain.Label();
  if (chain.titleSet == 0) {
    request.vobs = MenuVobs("VIDEO_TS.VOB", disc.vmg.menuVobBytes);
    request.aspect = disc.vmg.mat.menu.video.aspect;
  } else if (const disc::VideoTitleSet* set = disc.TitleSet(chain.titleSet)) {
    request.vobs = MenuVobs(VtsPrefix(set->number) + "0.VOB", set->menuVobBytes);
    request.aspect = set->mat.menu.video.aspect;
  }
  if (chain.pgc == nullptr)
    request.none = "its chain could not be read";
  else if (!chain.HasVideo())
    request.none = "has no video: its chain holds commands only";
  else
    SetCell(request, chain.pgc->cells.front());
  return request;
}

class VobSectors final : public SectorSource {
 public:
  VobSectors(const std::string& folder, const VobSet& vobs) : folder_(folder), vobs_(vobs) {}
  bool Read(std::int64_t first, std::int64_t count, std::vector<std::uint8_t>& out, std::string& why) override {
    return ReadVobSectors(folder_, vobs_, first, count, out, bytesRead, why);
  }
  std::int64_t bytesRead = 0;

 private:
  const std::string& folder_;
  const VobSet& vobs_;
};

MadePicture Make(const std::string& folder, const PictureRequest& request, FrameDecoder& decoder) {
  MadePicture made;
  made.name = request.name;
  made.label = request.label;
  if (!request.none.empty()) {
    made.why = request.none;
    // A menu of commands only has no picture to make; anything else the IFOs
    // cannot lead to is damage.
    made.failed = request.none.rfind("has no video", 0) != 0;
    return made;
  }
  if (!request.vobs.Present()) {
    made.why = request.vobs.name + " is not there";
    made.failed = true;
    return made;
  }
  VobSectors source(folder, request.vobs);
  const FoundPicture found = FindFirstPicture(source, request.firstSector, request.lastVobuStart, decoder);
  made.vobBytesRead = source.bytesRead;
  made.why = found.why;
  if (!found.frame) {
    made.why = "no picture in " + request.vobs.name + ": " + found.why;
    made.failed = true;
    return made;
  }
  made.vobuSector = found.vobuSector;
  made.width = kPictureWidth;
  made.height = PictureHeight(request.aspect);
  std::string why;
  made.png = PngOf(*found.frame, made.width, made.height, why);
  if (made.png.empty()) {
    made.why = why;
    made.failed = true;
  }
  return made;
}

}  // namespace

int PictureHeight(ifo::AspectRatio aspect) {
  return aspect == ifo::AspectRatio::k16x9 ? kPictureWidth * 9 / 16 : kPictureWidth * 3 / 4;
}

std::vector<PictureRequest> PictureRequests(const disc::Disc& disc) {
  std::vector<PictureRequest> requests;
  for (const disc::Title& title : disc.titles) requests.push_back(TitleRequest(disc, title));
  for (const disc::MenuChain& chain : disc::MenuChainsOf(disc)) requests.push_back(MenuRequest(disc, chain));
  return requests;
}

std::vector<MadePicture> MakePictures(const disc::Disc& disc,
                                      const std::function<void(std::size_t, std::size_t)>& progress) {
  const std::vector<PictureRequest> requests = PictureRequests(disc);
  std::vector<MadePicture> made;
  FrameDecoder decoder;
  for (const PictureRequest& request : requests) {
    made.push_back(Make(disc.folder, request, decoder));
    if (progress) progress(made.size(), requests.size());
  }
  return made;
}

}  // namespace kestrune::picture
