#include "report_page.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <sstream>

#include "disc_info_text.h"
#include "dvd_files.h"
#include "menu_chains.h"

namespace kestrune {

namespace {

// One colour per title set, its titles dark and its menus light.
constexpr std::array<const char*, 6> kHues = {"210", "30", "140", "280", "0", "180"};

constexpr char kStyle[] = R"(
:root { color-scheme: light; --ink: #1d232b; --muted: #5b6673; --line: #d9dee4; --main: #c2410c; }
* { box-sizing: border-box; }
body { margin: 0; font: 16px/1.45 system-ui, "Liberation Sans", Arial, sans-serif; color: var(--ink); background: #f4f6f8; }
main { max-width: 1180px; margin: 0 auto; padding: 16px; }
h1 { font-size: 1.5em; margin: 0 0 4px; }
h2 { font-size: 1.2em; margin: 0 0 8px; }
h3 { font-size: 1em; margin: 16px 0 8px; color: var(--muted); text-transform: uppercase; letter-spacing: .04em; }
.path { color: var(--muted); overflow-wrap: anywhere; margin: 0 0 8px; }
section { background: #fff; border: 1px solid var(--line); border-radius: 10px; padding: 16px; margin: 16px 0; }
.fit { font-weight: 600; margin: 8px 0 0; }
.fit.ok { color: #166534; } .fit.over { color: #b91c1c; }
.notice { background: #fef3c7; border: 1px solid #f59e0b; border-radius: 8px; padding: 8px 12px; }
.bar { display: flex; height: 28px; border-radius: 6px; overflow: hidden; background: #e5e7eb; }
.bar span { display: block; height: 100%; min-width: 2px; }
.legend { list-style: none; padding: 0; margin: 10px 0 0; display: flex; flex-wrap: wrap; gap: 6px 18px; font-size: .9em; }
.legend i { display: inline-block; width: 12px; height: 12px; border-radius: 3px; margin-right: 6px; vertical-align: -1px; }
.about { color: var(--muted); margin: 0; font-size: .95em; }
.grid { display: grid; grid-template-columns: repeat(auto-fill, minmax(min(100%, 240px), 1fr)); gap: 14px; }
figure { margin: 0; border: 1px solid var(--line); border-radius: 8px; overflow: hidden; background: #fafbfc; }
figure.main { border: 2px solid var(--main); }
figure img, .none { display: block; width: 100%; height: auto; background: #111; }
.none { display: flex; align-items: center; justify-content: center; padding: 12px; color: #e5e7eb; font-size: .9em; text-align: center; }
figcaption { padding: 8px 10px; font-size: .92em; }
figcaption b { font-size: 1.05em; }
.badge { display: inline-block; background: var(--main); color: #fff; border-radius: 999px; padding: 0 8px; font-size: .8em; margin-left: 6px; }
.facts { color: var(--muted); }
.commands { color: var(--muted); font-size: .9em; margin: 8px 0 0; }
footer { color: var(--muted); font-size: .85em; text-align: center; padding: 8px 0 24px; }
)";

std::string Percent(std::int64_t part, std::int64_t whole, int decimals) {
  char text[24];
  const double share = whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
  std::snprintf(text, sizeof text, "%.*f%%", decimals, share);
  return text;
}

std::string Colour(std::size_t index, bool light) {
  return std::string("hsl(") + kHues[index % kHues.size()] + (light ? " 70% 72%)" : " 65% 42%)");
}

std::string Languages(const std::vector<int>& streams, const auto& attributes) {
  std::string text;
  for (const int s : streams) {
    if (s < 0 || static_cast<std::size_t>(s) >= attributes.size()) continue;
    text += (text.empty() ? "" : " ") + LanguageText(attributes[static_cast<std::size_t>(s)].language);
  }
  return text.empty() ? "none" : text;
}

class Page {
 public:
  Page(const disc::Disc& disc, const ReportPictures& pictures) : disc_(disc), pictures_(pictures) {}

  std::string Make(const std::string& notice) {
    const std::string folder = FolderName();
    out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         << "<title>" << HtmlEscaped(folder) << " – DVD report</title>\n<style>" << kStyle << "</style>\n</head>\n"
         << "<body>\n<main>\n";
    Header(notice);
    Bytes();
    const std::vector<disc::MenuChain> chains = disc::MenuChainsOf(disc_);
    for (std::size_t i = 0; i < disc_.titleSets.size(); ++i) TitleSet(disc_.titleSets[i], i, chains);
    VideoManager(chains);
    out_ << "<footer>Made by Kestrune " << KESTRUNE_VERSION
         << " from the IFO files and the first VOBU of each title and menu.</footer>\n</main>\n</body>\n</html>\n";
    return out_.str();
  }

 private:
  std::string FolderName() const {
    std::string path = disc_.folder;
    while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    const std::size_t cut = path.find_last_of("/\\");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    // "VIDEO_TS" says less than the folder that holds it.
    if (name == "VIDEO_TS" && cut != std::string::npos && cut > 0) {
      const std::string parent = path.substr(0, cut);
      const std::size_t up = parent.find_last_of("/\\");
      name = (up == std::string::npos ? parent : parent.substr(up + 1)) + "/VIDEO_TS";
    }
    return name.empty() ? disc_.folder : name;
  }

  void Header(const std::string& notice) {
    const disc::DiscFit fit = disc_.Fit();
    out_ << "<header>\n<h1>" << HtmlEscaped(FolderName()) << "</h1>\n<p class=\"path\">" << HtmlEscaped(disc_.folder)
         << "</p>\n";
    out_ << "<p class=\"about\">" << disc_.titles.size() << (disc_.titles.size() == 1 ? " title" : " titles") << " in "
         << disc_.titleSets.size() << (disc_.titleSets.size() == 1 ? " title set" : " title sets");
    if (const disc::Title* main = disc_.TitleNumbered(disc_.mainFeature))
      out_ << "; the main feature is title " << main->number << " ("
           << (main->playbackTime ? main->playbackTime->Clock() : "?:??:??") << ", " << ShortSizeText(main->Bytes())
           << ")";
    out_ << ".</p>\n<p class=\"fit " << (fit.dvd5 ? "ok" : "over") << "\">DVD files: " << HtmlEscaped(SizeText(fit.bytes))
         << ": " << HtmlEscaped(FitText(fit)) << ".</p>\n";
    if (!notice.empty()) out_ << "<p class=\"notice\">" << HtmlEscaped(notice) << "</p>\n";
    for (const ifo::Problem& p : disc_.problems) out_ << "<p class=\"notice\">" << HtmlEscaped(p.text) << "</p>\n";
    out_ << "</header>\n";
  }

  void Segment(const std::string& what, std::int64_t bytes, const std::string& colour, std::string& legend) {
    if (bytes <= 0) return;
    const std::string text = what + ": " + ShortSizeText(bytes);
    out_ << "<span style=\"width:" << Percent(bytes, disc_.folderBytes, 3) << ";background:" << colour << "\" title=\""
         << HtmlEscaped(text) << "\"></span>";
    legend += "<li><i style=\"background:" + colour + "\"></i>" + HtmlEscaped(text) + " (" +
              Percent(bytes, disc_.folderBytes, 1) + ")</li>";
  }

  void Bytes() {
    out_ << "<section>\n<h2>The folder's " << HtmlEscaped(SizeText(disc_.folderBytes)) << " by VOB set</h2>\n"
         << "<div class=\"bar\">";
    std::string legend;
    std::int64_t vobs = 0;
    if (disc_.vmg.menuVobBytes > 0) {
      Segment("video manager menus (VIDEO_TS.VOB)", disc_.vmg.menuVobBytes, "hsl(0 0% 45%)", legend);
      vobs += disc_.vmg.menuVobBytes;
    }
    for (std::size_t i = 0; i < disc_.titleSets.size(); ++i) {
      const disc::VideoTitleSet& set = disc_.titleSets[i];
      const std::string prefix = VtsPrefix(set.number);
      Segment("title set " + std::to_string(set.number) + " titles (" + prefix + "*.VOB)", set.TitleVobBytes(),
              Colour(i, false), legend);
      Segment("title set " + std::to_string(set.number) + " menus (" + prefix + "0.VOB)",
              std::max<std::int64_t>(set.menuVobBytes, 0), Colour(i, true), legend);
      vobs += set.TitleVobBytes() + std::max<std::int64_t>(set.menuVobBytes, 0);
    }
    Segment("IFO, BUP and other files", disc_.folderBytes - vobs, "hsl(0 0% 78%)", legend);
    out_ << "</div>\n<ul class=\"legend\">" << legend << "</ul>\n</section>\n";
  }

  void Picture(const std::string& name, const std::string& alt, ifo::AspectRatio aspect) {
    const auto it = pictures_.find(name);
    if (it != pictures_.end() && !it->second.png.empty()) {
      out_ << "<img src=\"data:image/png;base64," << Base64(it->second.png) << "\" width=\"" << it->second.width
           << "\" height=\"" << it->second.height << "\" alt=\"" << HtmlEscaped(alt) << "\">";
      return;
    }
    const std::string why = it == pictures_.end() ? "no picture" : "no picture: " + it->second.why;
    out_ << "<div class=\"none\" style=\"aspect-ratio:" << (aspect == ifo::AspectRatio::k16x9 ? "16/9" : "4/3")
         << "\">" << HtmlEscaped(why) << "</div>";
  }

  void TitleSet(const disc::VideoTitleSet& set, std::size_t index, const std::vector<disc::MenuChain>& chains) {
    out_ << "<section>\n<h2><i style=\"display:inline-block;width:14px;height:14px;border-radius:3px;margin-right:8px;"
         << "background:" << Colour(index, false) << "\"></i>Title set " << set.number << "</h2>\n";
    if (!set.read) {
      out_ << "<p class=\"notice\">" << HtmlEscaped(set.file) << " could not be read.</p>\n</section>\n";
      return;
    }
    const ifo::VideoAttributes& v = set.mat.titles.video;
    out_ << "<p class=\"about\">" << ifo::TvSystemName(v.tvSystem) << " " << ifo::AspectRatioName(v.aspect);
    if (v.width != 0) out_ << " " << v.width << "×" << v.height;
    out_ << "; titles " << HtmlEscaped(ShortSizeText(set.TitleVobBytes())) << ", menus "
         << HtmlEscaped(ShortSizeText(std::max<std::int64_t>(set.menuVobBytes, 0))) << ".</p>\n";
    out_ << "<h3>Titles</h3>\n<div class=\"grid\">\n";
    for (const disc::Title& t : disc_.titles) {
      if (t.entry.titleSet != set.number) continue;
      const bool main = t.number == disc_.mainFeature;
      out_ << "<figure" << (main ? " class=\"main\"" : "") << ">";
      Picture(disc::TitleName(t.number), "Title " + std::to_string(t.number), v.aspect);
      out_ << "<figcaption><b>Title " << t.number << "</b>" << (main ? "<span class=\"badge\">main feature</span>" : "")
           << "<br><span class=\"facts\">" << (t.playbackTime ? t.playbackTime->Clock() : "?:??:??") << " · "
           << HtmlEscaped(ShortSizeText(t.Bytes())) << " · " << t.entry.chapters
           << (t.entry.chapters == 1 ? " chapter" : " chapters");
      if (t.entry.angles > 1) out_ << " · " << static_cast<int>(t.entry.angles) << " angles";
      out_ << "<br>audio " << HtmlEscaped(Languages(t.audioStreams, set.mat.titles.audio)) << " · subtitles "
           << HtmlEscaped(Languages(t.subpictureStreams, set.mat.titles.subpictures)) << "</span></figcaption></figure>\n";
    }
    out_ << "</div>\n";
    Menus(set.number, chains, set.mat.menu.video.aspect);
    out_ << "</section>\n";
  }

  // The menu chains of one domain: a picture of each with video; those of
  // commands only are named in one line.
  void Menus(int titleSet, const std::vector<disc::MenuChain>& chains, ifo::AspectRatio aspect) {
    std::string commandsOnly;
    bool any = false;
    for (const disc::MenuChain& chain : chains) {
      if (chain.titleSet != titleSet) continue;
      if (!chain.HasVideo()) {
        commandsOnly += (commandsOnly.empty() ? "" : ", ") + chain.Label();
        continue;
      }
      if (!any) out_ << "<h3>Menus</h3>\n<div class=\"grid\">\n";
      any = true;
      std::string label = chain.Label();
      label[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(label[0])));
      out_ << "<figure>";
      Picture(chain.name, label, aspect);
      out_ << "<figcaption><b>" << HtmlEscaped(label) << "</b><br><span class=\"facts\">"
           << (chain.pgc->playbackTime.Clock()) << " · " << chain.pgc->cells.size()
           << (chain.pgc->cells.size() == 1 ? " cell" : " cells") << "</span></figcaption></figure>\n";
    }
    if (any) out_ << "</div>\n";
    if (!commandsOnly.empty())
      out_ << "<p class=\"commands\">Commands only, without video: " << HtmlEscaped(commandsOnly) << ".</p>\n";
    if (!any && commandsOnly.empty()) out_ << "<h3>Menus</h3>\n<p class=\"about\">None.</p>\n";
  }

  void VideoManager(const std::vector<disc::MenuChain>& chains) {
    out_ << "<section>\n<h2>Video manager</h2>\n";
    if (!disc_.vmg.read) {
      out_ << "<p class=\"notice\">VIDEO_TS.IFO could not be read.</p>\n</section>\n";
      return;
    }
    out_ << "<p class=\"about\">Menus " << HtmlEscaped(ShortSizeText(std::max<std::int64_t>(disc_.vmg.menuVobBytes, 0)))
         << "; first play: " << (disc_.vmg.firstPlayPgc ? "a chain of commands" : "none") << ".</p>\n";
    Menus(0, chains, disc_.vmg.mat.menu.video.aspect);
    out_ << "</section>\n";
  }

  const disc::Disc& disc_;
  const ReportPictures& pictures_;
  std::ostringstream out_;
};

}  // namespace

std::string Base64(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n = static_cast<std::uint32_t>(bytes[i]) << 16 |
                            (i + 1 < bytes.size() ? static_cast<std::uint32_t>(bytes[i + 1]) << 8 : 0) |
                            (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    text += kDigits[n >> 18 & 63];
    text += kDigits[n >> 12 & 63];
    text += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
    text += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return text;
}

std::string HtmlEscaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string ReportPage(const disc::Disc& disc, const ReportPictures& pictures, const std::string& notice) {
  return Page(disc, pictures).Make(notice);
}

}  // namespace kestrune
