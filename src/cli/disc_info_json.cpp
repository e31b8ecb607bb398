#include "disc_info_json.h"

#include "disc_info_text.h"

namespace kestrune {

namespace {

using Json = nlohmann::ordered_json;

Json VideoJson(const ifo::VideoAttributes& v) {
  return {{"tv_system", ifo::TvSystemName(v.tvSystem)},
          {"aspect", ifo::AspectRatioName(v.aspect)},
          {"width", v.width},
          {"height", v.height}};
}

Json AudioJson(const std::vector<ifo::AudioAttributes>& streams) {
  Json list = Json::array();
  for (const ifo::AudioAttributes& a : streams)
    list.push_back({{"format", ifo::AudioFormatName(a.format)},
                    {"channels", a.channels},
                    {"sample_rate", a.sampleRate},
                    {"language", a.language}});
  return list;
}

Json SubpicturesJson(const std::vector<ifo::SubpictureAttributes>& streams) {
  Json list = Json::array();
  for (const ifo::SubpictureAttributes& s : streams) list.push_back({{"language", s.language}});
  return list;
}

Json MenuLanguagesJson(const ifo::PgciUt& ut) {
  Json list = Json::array();
  for (const ifo::MenuLanguageUnit& unit : ut.units) {
    int pgcs = 0;
    for (const ifo::PgciSrp& srp : unit.pgci.srps) pgcs += srp.pgc.has_value();
    list.push_back({{"language", unit.language}, {"menus", MenuNames(unit.menus)}, {"pgcs", pgcs}});
  }
  return list;
}

Json FirstPlayJson(const disc::VideoManager& vmg) {
  Json fp = {{"present", vmg.firstPlayPgc.has_value()}, {"pre_commands", 0}, {"post_commands", 0}, {"cell_commands", 0}};
  if (vmg.firstPlayPgc && vmg.firstPlayPgc->commands) {
    const ifo::CommandTable& c = *vmg.firstPlayPgc->commands;
    fp["pre_commands"] = c.pre.size();
    fp["post_commands"] = c.post.size();
    fp["cell_commands"] = c.cell.size();
  }
  return fp;
}

std::int64_t Bytes(std::int64_t size) { return size < 0 ? 0 : size; }

Json TitleJson(const disc::Title& t, const disc::Disc& disc) {
  Json audio = Json::array(), subpictures = Json::array();
  if (const disc::VideoTitleSet* set = disc.TitleSet(t.entry.titleSet)) {
    for (const int s : t.audioStreams) audio.push_back(set->mat.titles.audio[static_cast<std::size_t>(s)].language);
    for (const int s : t.subpictureStreams)
      subpictures.push_back(set->mat.titles.subpictures[static_cast<std::size_t>(s)].language);
  }
  return {{"number", t.number},
          {"title_set", t.entry.titleSet},
          {"vts_title", t.entry.vtsTitle},
          {"chapters", t.entry.chapters},
          {"angles", t.entry.angles},
          {"duration_seconds", t.DurationSeconds()},
          {"playback_time", t.playbackTime ? t.playbackTime->Clock() : ""},
          {"frame_rate", t.playbackTime ? t.playbackTime->framesPerSecond : 0},
          {"title_set_sector", t.entry.titleSetSector},
          {"pgcs", t.pgcns},
          {"cells", t.cells.size()},
          {"audio_languages", audio},
          {"subpicture_languages", subpictures},
          {"bytes", t.Bytes()},
          {"main_feature", t.number == disc.mainFeature}};
}

Json FitJson(std::int64_t capacity, bool fits, std::int64_t over, std::int64_t free) {
  return {{"capacity_bytes", capacity}, {"fits", fits}, {"over_bytes", over}, {"free_bytes", free}};
}

}  // namespace

Json DiscInfoJson(const disc::Disc& disc) {
  const disc::VideoManager& vmg = disc.vmg;
  Json out;
  out["folder"] = disc.folder;
  out["folder_bytes"] = disc.folderBytes;
  out["vmg"] = {{"readable", vmg.read},
                {"title_count", vmg.ttSrpt.titles.size()},
                {"title_set_count", vmg.mat.titleSetCount},
                {"menu_vob_bytes", Bytes(vmg.menuVobBytes)},
                {"menu_video", VideoJson(vmg.mat.menu.video)},
                {"menu_languages", MenuLanguagesJson(vmg.vmgmPgciUt)},
                {"first_play", FirstPlayJson(vmg)}};
  Json sets = Json::array();
  for (const disc::VideoTitleSet& set : disc.titleSets) {
    Json titles = Json::array();
    for (const disc::Title& t : disc.titles)
      if (t.entry.titleSet == set.number) titles.push_back(t.number);
    sets.push_back({{"number", set.number},
                    {"readable", set.read},
                    {"title_vob_bytes", set.TitleVobBytes()},
                    {"menu_vob_bytes", Bytes(set.menuVobBytes)},
                    {"video", VideoJson(set.mat.titles.video)},
                    {"audio", AudioJson(set.mat.titles.audio)},
                    {"subpictures", SubpicturesJson(set.mat.titles.subpictures)},
                    {"menu_video", VideoJson(set.mat.menu.video)},
                    {"menu_languages", MenuLanguagesJson(set.vtsmPgciUt)},
                    {"titles", titles},
                    {"title_bytes", set.TitleBytes()}});
  }
  out["title_sets"] = sets;
  Json titles = Json::array();
  for (const disc::Title& t : disc.titles) titles.push_back(TitleJson(t, disc));
  out["titles"] = titles;
  Json problems = Json::array();
  for (const ifo::Problem& p : disc.problems) problems.push_back(p.text);
  out["problems"] = problems;
  out["main_feature"] = disc.mainFeature == 0 ? Json(nullptr) : Json(disc.mainFeature);
  const disc::DiscFit fit = disc.Fit();
  out["dvd_file_bytes"] = disc.dvdFileBytes;
  out["fit"] = {{"dvd5", FitJson(disc::kDvd5Bytes, fit.dvd5, fit.overDvd5, fit.freeDvd5)},
                {"dvd9", FitJson(disc::kDvd9Bytes, fit.dvd9, fit.overDvd9, fit.freeDvd9)}};
  return out;
}

}  // namespace kestrune
