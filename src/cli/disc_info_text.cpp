#include "disc_info_text.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "run_options.h"

namespace kestrune {

namespace {

using ifo::AudioAttributes;
using disc::Disc;
using ifo::StreamAttributes;
using disc::Title;
using ifo::VideoAttributes;
using disc::VideoTitleSet;

constexpr std::int64_t kKilobyte = 1024;

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

std::string Plural(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string VideoText(const VideoAttributes& v) {
  std::string text = std::string(ifo::TvSystemName(v.tvSystem)) + " " + ifo::AspectRatioName(v.aspect);
  if (v.width != 0) text += " " + std::to_string(v.width) + "x" + std::to_string(v.height);
  return text;
}

std::string AudioText(const AudioAttributes& a) {
  std::string text = a.language.empty() ? "" : a.language + " ";
  text += std::string(ifo::AudioFormatName(a.format)) + " " + std::to_string(a.channels) + "ch";
  if (a.sampleRate != 0) text += " " + std::to_string(a.sampleRate / 1000) + "kHz";
  return text;
}

std::string StreamsText(const StreamAttributes& s) {
  std::vector<std::string> audio, subpictures;
  for (const AudioAttributes& a : s.audio) audio.push_back(AudioText(a));
  for (const auto& sp : s.subpictures) subpictures.push_back(LanguageText(sp.language));
  return VideoText(s.video) + "; audio " + (audio.empty() ? "none" : Join(audio, ", ")) + "; subtitles " +
         (subpictures.empty() ? "none" : Join(subpictures, ", "));
}

std::string MenusText(const ifo::PgciUt& ut) {
  std::vector<std::string> units;
  for (const ifo::MenuLanguageUnit& unit : ut.units) {
    const std::vector<std::string> menus = MenuNames(unit.menus);
    units.push_back(LanguageText(unit.language) + " (" + (menus.empty() ? "no menus" : Join(menus, ", ")) + ")");
  }
  return units.empty() ? "none" : Join(units, ", ");
}

std::string CommandsText(const ifo::ProgramChain& pgc) {
  if (!pgc.commands) return "no commands";
  const auto& c = *pgc.commands;
  return Plural(static_cast<std::int64_t>(c.pre.size() + c.post.size() + c.cell.size()), "command", "commands") +
         " (" + std::to_string(c.pre.size()) + " pre, " + std::to_string(c.post.size()) + " post, " +
         std::to_string(c.cell.size()) + " cell)";
}

std::string TitleText(const Title& t, const VideoTitleSet& set) {
  std::string text = "Title " + std::to_string(t.number) + ": ";
  text += t.playbackTime ? t.playbackTime->Clock() : "?:??:??";
  text += ", " + Plural(t.entry.chapters, "chapter", "chapters") + ", " + Plural(t.entry.angles, "angle", "angles");
  std::vector<std::string> audio, subtitles;
  for (const int s : t.audioStreams) audio.push_back(LanguageText(set.mat.titles.audio[static_cast<std::size_t>(s)].language));
  for (const int s : t.subpictureStreams)
    subtitles.push_back(LanguageText(set.mat.titles.subpictures[static_cast<std::size_t>(s)].language));
  text += ", audio " + (audio.empty() ? "none" : Join(audio, " "));
  text += ", subtitles " + (subtitles.empty() ? "none" : Join(subtitles, " "));
  return text;
}

// The title's size, and whether it is the main feature.
std::string TitleSizeText(const Title& t, const Disc& disc) {
  std::string text =
      "Size: " + SizeText(t.Bytes()) + " in " + Plural(static_cast<std::int64_t>(t.cells.size()), "cell", "cells");
  if (t.number == disc.mainFeature) text += ", the main feature";
  return text;
}

// The rows of title set `titleSet`, found as "Blank!" finds a row's title set.
void PrintRowsOf(int titleSet, const ScanRows& rows, std::ostream& out) {
  const std::string number = std::to_string(titleSet);
  for (const auto* list : {&rows.videos, &rows.menus})
    for (const ScanRow& row : *list)
      if (TitleSetNumberOfRow(row.text) == number) out << "  " << row.text << '\n';
}

}  // namespace

std::string LanguageText(const std::string& language) { return language.empty() ? "--" : language; }

std::vector<std::string> MenuNames(const ifo::ExistingMenus& menus) {
  std::vector<std::string> names;
  const std::pair<bool, const char*> kinds[] = {{menus.title, "title"},     {menus.root, "root"},
                                                {menus.subpicture, "sub-picture"}, {menus.audio, "audio"},
                                                {menus.angle, "angle"},     {menus.chapter, "chapter"}};
  for (const auto& [present, name] : kinds)
    if (present) names.push_back(name);
  return names;
}

std::string ShortSizeText(std::int64_t bytes) {
  char text[32];
  if (bytes < 999'950'000)  // what would round to "1000.0 MB" is given in GB
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  else
    std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(bytes) / 1e9);
  return text;
}

std::string SizeText(std::int64_t bytes) { return ShortSizeText(bytes) + " (" + std::to_string(bytes) + " bytes)"; }

std::string FitText(const disc::DiscFit& fit) {
  const std::string dvd5 = "a DVD-5 (" + std::to_string(disc::kDvd5Bytes) + " bytes)";
  const std::string dvd9 = "a DVD-9 (" + std::to_string(disc::kDvd9Bytes) + " bytes)";
  if (fit.dvd5) return "fits " + dvd5 + ", " + std::to_string(fit.freeDvd5) + " bytes to spare";
  std::string text = "over " + dvd5 + " by " + std::to_string(fit.overDvd5) + " bytes";
  if (fit.dvd9) return text + "; fits " + dvd9 + ", " + std::to_string(fit.freeDvd9) + " bytes to spare";
  return text + " and over " + dvd9 + " by " + std::to_string(fit.overDvd9) + " bytes";
}

void PrintDiscInfo(const Disc& disc, const ScanRows& rows, std::ostream& out) {
  const disc::VideoManager& vmg = disc.vmg;
  out << "Video manager";
  if (vmg.read)
    out << ": " << Plural(static_cast<std::int64_t>(disc.titles.size()), "title", "titles") << " in "
        << Plural(vmg.mat.titleSetCount, "title set", "title sets");
  else
    out << ": VIDEO_TS.IFO could not be read";
  out << '\n';
  for (const ScanRow& row : rows.vmg) out << "  " << row.text << '\n';
  if (vmg.read) {
    out << "  Menus: " << MenusText(vmg.vmgmPgciUt) << '\n';
    if (!vmg.vmgmPgciUt.units.empty()) out << "  Menu video: " << StreamsText(vmg.mat.menu) << '\n';
    out << "  First play: " << (vmg.firstPlayPgc ? CommandsText(*vmg.firstPlayPgc) : "none") << '\n';
  }
  if (const Title* main = disc.TitleNumbered(disc.mainFeature))
    out << "  Main feature: title " << main->number << " ("
        << (main->playbackTime ? main->playbackTime->Clock() : "?:??:??") << ", " << SizeText(main->Bytes()) << ")\n";

  for (const VideoTitleSet& set : disc.titleSets) {
    out << "\nTitle set " << set.number << (set.read ? "" : ": " + set.file + " could not be read") << '\n';
    PrintRowsOf(set.number, rows, out);
    if (!set.read) continue;
    out << "  Video: " << StreamsText(set.mat.titles) << '\n';
    for (const Title& t : disc.titles)
      if (t.entry.titleSet == set.number)
        out << "  " << TitleText(t, set) << "\n    " << TitleSizeText(t, disc) << '\n';
    out << "  Titles' cells: " << SizeText(set.TitleBytes()) << ", a cell several titles play counted once\n";
    out << "  Menus: " << MenusText(set.vtsmPgciUt) << '\n';
    if (!set.vtsmPgciUt.units.empty()) out << "  Menu video: " << StreamsText(set.mat.menu) << '\n';
  }
  out << "\nFolder: " << disc.folderBytes / kKilobyte << "KB (" << disc.folderBytes << " bytes)\n";
  out << "DVD files: " << SizeText(disc.dvdFileBytes) << ": " << FitText(disc.Fit()) << '\n';
}

}  // namespace kestrune
