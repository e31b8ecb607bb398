// kestrune-cli report: the page of a disc, opened in headless Chromium
// (Debian's chromium) on a desktop's width and a phone's. The page holds no
// script; the test puts it in a frame of a page of its own, whose script
// counts the pictures that loaded and sees whether anything runs wider than
// the frame, and reads the count from the DOM Chromium dumps.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>

#include "big_endian.h"
#include "disc.h"
#include "disc_pictures.h"
#include "dvd_check.h"
#include "picture_commands.h"
#include "run_cli.h"
#include "report_page.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

using CommandRun = test::CliResult;

// kestrune-cli report DIR FILE, in the test's process.
CommandRun Report(const std::string& dir, const std::string& file) { return test::Cli({"report", dir, file}); }

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
  return n;
}

// Chromium's flags for a headless run that reaches nothing outside.
std::vector<std::string> Chromium(const std::string& profile, int width, int height) {
  return {"chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
          "--disable-background-networking", "--disable-component-update", "--disable-sync", "--hide-scrollbars",
          "--user-data-dir=" + profile, "--window-size=" + std::to_string(width) + "," + std::to_string(height)};
}

// What the page shows in Chromium in a frame of this size (Chromium's
// headless window is no narrower than 500 pixels, a phone is): "images=N
// loaded=N wide=W window=W", W the frame's width and how wide the page runs.
std::string Loaded(const std::string& page, int width, int height) {
  TempFolder scratch;
  const std::string wrapper =
      "<!DOCTYPE html><html><body style=\"margin:0\"><iframe id=\"page\" style=\"border:0;width:" +
      std::to_string(width) + "px;height:" + std::to_string(height) + "px\" srcdoc=\"" + HtmlEscaped(page) +
      "\"></iframe><script>addEventListener('load', () => {"
      "const d = document.getElementById('page').contentDocument; const i = [...d.images];"
      "document.body.insertAdjacentHTML('beforeend', '<pre id=\"probe\">images=' + i.length + ' loaded=' +"
      "i.filter(x => x.complete && x.naturalWidth > 0).length + ' wide=' + d.documentElement.scrollWidth +"
      "' window=' + d.defaultView.innerWidth + '</pre>'); });</script></body></html>";
  test::WriteBytes(scratch / "wrapper.html", std::vector<std::uint8_t>(wrapper.begin(), wrapper.end()));
  std::vector<std::string> args = Chromium(scratch / "profile", 1400, 1000);
  args.insert(args.end(), {"--virtual-time-budget=5000", "--dump-dom", "file://" + (scratch / "wrapper.html")});
  const dvdcheck::ProcessResult r = dvdcheck::Run(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::smatch m;
  // The probe's own text is in the script too; its result is digits.
  if (!std::regex_search(r.out, m, std::regex("<pre id=\"probe\">(images=[0-9]+ loaded=[0-9]+ wide=[0-9]+ window=[0-9]+)</pre>")))
    return "no probe: " + r.err;
  return m[1];
}

TEST(ReportPage, Base64AndHtmlTextAsTheyMustBe) {
  const std::pair<const char*, const char*> base64[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                                                        {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
                                                        {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}};
  for (const auto& [in, out] : base64) EXPECT_EQ(Base64(std::vector<std::uint8_t>(in, in + std::strlen(in))), out) << in;
  EXPECT_EQ(HtmlEscaped("<a href=\"x\">Tom & Jerry's</a>"), "&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry&#39;s&lt;/a&gt;");
  EXPECT_EQ(HtmlEscaped("VTS_01_0.VOB ü"), "VTS_01_0.VOB ü");
}

TEST(ReportPage, HoldsEveryPictureInlineAndNothingToFetchOrRun) {
  const fs::path dir = dvdcheck::FixtureVideoTs("pal_languages");
  TempFolder out;
  const CommandRun r = Report(dir.string(), out / "report.html");
  EXPECT_EQ(r.code, 0) << r.err;
  const std::vector<std::uint8_t> bytes = test::ReadBytes(out / "report.html");
  const std::string page(bytes.begin(), bytes.end());
  const disc::Disc disc = disc::ReadDisc(dir.string());
  std::size_t pictures = 0;
  for (const auto& p : picture::MakePictures(disc)) pictures += !p.png.empty();
  EXPECT_EQ(pictures, 7u);  // 2 titles, 2 + 2 + 1 menus
  EXPECT_EQ(Count(page, "<img "), pictures);
  EXPECT_EQ(Count(page, "src=\"data:image/png;base64,"), pictures);
  EXPECT_EQ(Count(page, "src="), pictures);
  EXPECT_EQ(Count(page, "<script"), 0u);
  EXPECT_EQ(Count(page, "http:") + Count(page, "https:") + Count(page, "url("), 0u);
  EXPECT_EQ(Count(page, "main feature</span>"), 1u);
  EXPECT_NE(page.find("<meta name=\"viewport\""), std::string::npos);
  EXPECT_NE(page.find("fits a DVD-5 (4700372992 bytes)"), std::string::npos);
  EXPECT_NE(page.find("Title set 1 root menu (de)"), std::string::npos);
  EXPECT_NE(page.find("Commands only, without video: title set 1 chapter menu (en)"), std::string::npos);
  for (const disc::VideoTitleSet& set : disc.titleSets)
    EXPECT_NE(page.find("title set " + std::to_string(set.number) + " titles (VTS_0" + std::to_string(set.number) + "_*.VOB)"),
              std::string::npos);
}

// In Chromium: every picture loads, and on a phone's width nothing is wider
// than the screen. A screenshot of the desktop's width is taken too.
TEST(ReportPage, ChromiumShowsEveryPictureOnADesktopAndAPhone) {
  for (const char* name : {"pal_languages", "ntsc_two_sets"}) {
    SCOPED_TRACE(name);
    TempFolder out;
    const CommandRun r = Report(dvdcheck::FixtureVideoTs(name).string(), out / "report.html");
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::uint8_t> bytes = test::ReadBytes(out / "report.html");
    const std::string page(bytes.begin(), bytes.end());
    const std::string images = std::to_string(Count(page, "<img "));
    EXPECT_EQ(Loaded(page, 1280, 900), "images=" + images + " loaded=" + images + " wide=1280 window=1280");
    EXPECT_EQ(Loaded(page, 390, 844), "images=" + images + " loaded=" + images + " wide=390 window=390");

    std::vector<std::string> args = Chromium(out / "profile", 1280, 1600);
    args.insert(args.end(), {"--screenshot=" + (out / "shot.png"), "file://" + (out / "report.html")});
    const dvdcheck::ProcessResult shot = dvdcheck::Run(args);
    EXPECT_EQ(shot.exitCode, 0) << shot.err;
    const std::vector<std::uint8_t> png = test::ReadBytes(out / "shot.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(GetBigEndian<std::uint32_t>(&png[16]), 1280u);
    EXPECT_EQ(GetBigEndian<std::uint32_t>(&png[20]), 1600u);
  }
}

// A disc missing a VOB: its pictures' places say why, the page still loads,
// and the command says so and exits 1.
TEST(ReportPage, SaysWhyAPictureIsMissing) {
  TempFolder copy, out;
  test::CopyFolder(dvdcheck::FixtureVideoTs("ntsc_two_sets").string(), copy.Dir());
  fs::remove(copy / "VTS_02_1.VOB");
  const CommandRun r = Report(copy.Dir(), out / "report.html");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("title 2: no picture: VTS_02_*.VOB is not there"), std::string::npos) << r.err;
  const std::vector<std::uint8_t> bytes = test::ReadBytes(out / "report.html");
  const std::string page(bytes.begin(), bytes.end());
  EXPECT_EQ(Count(page, "no picture: VTS_02_*.VOB is not there"), 2u);
  const std::string images = std::to_string(Count(page, "<img "));
  EXPECT_EQ(Loaded(page, 390, 844), "images=" + images + " loaded=" + images + " wide=390 window=390");
}

}  // namespace
}  // namespace kestrune
