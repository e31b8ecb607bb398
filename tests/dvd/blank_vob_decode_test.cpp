// The built-in blank VOBs as other DVD software sees them: ffprobe and ffmpeg
// (on PATH) must find one Main-profile MPEG-2 frame of black and decode it
// without a warning, and libdvdread's own NAV pack parser must read VOBU_EA 4,
// VOB 1 and cell 1 without a consistency complaint.
#include <dvdread/nav_read.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "blank_vob.h"

namespace kestrune {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Runs `command` through the shell; returns its standard output, and its
// standard error in `errors`.
std::string RunShell(const std::string& command, std::string& errors) {
  const fs::path errorFile = fs::temp_directory_path() / ("kestrune_stderr_" + std::to_string(getpid()));
  std::string out;
  if (FILE* pipe = popen((command + " 2>" + errorFile.string()).c_str(), "r")) {
    char buffer[65536];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
  }
  std::ifstream in(errorFile);
  errors.assign(std::istreambuf_iterator<char>(in), {});
  fs::remove(errorFile);
  return out;
}

class BlankVobDecode : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const std::string name = GetParam();
    path_ = fs::temp_directory_path() / ("kestrune_" + name + "_" + std::to_string(getpid()) + ".VOB");
    const Bytes& image = BlankVobImage(name);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  }
  void TearDown() override { fs::remove(path_); }
  bool Pal() const { return std::string(GetParam()).starts_with("PAL"); }
  bool Wide() const { return std::string(GetParam()).ends_with("A"); }

  fs::path path_;
};

// The frame count is checked on ffmpeg's decoded output below.
TEST_P(BlankVobDecode, FfprobeSeesOneMainProfileVideoStream) {
  std::string errors;
  std::istringstream lines(RunShell("ffprobe -v warning -show_streams -of flat " + path_.string(), errors));
  // ffprobe has no decoder for the NAV packets of any VOB (AV_CODEC_ID_DVD_NAV) and says so.
  const std::string navNotice = "Unsupported codec with id 98312 for input stream 0\n";
  if (errors.starts_with(navNotice)) errors.erase(0, navNotice.size());
  EXPECT_EQ(errors, "");
  const std::string prefix = "streams.stream.";
  std::map<std::string, std::string> field;  // "streams.stream.1.codec_name" as "1.codec_name"
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (!line.starts_with(prefix) || eq == std::string::npos) continue;
    std::string value = line.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
    field[line.substr(prefix.size(), eq - prefix.size())] = value;
  }
  int videoStreams = 0;
  for (int i = 0; field.count(std::to_string(i) + ".codec_type"); ++i) {
    const std::string s = std::to_string(i) + ".";
    // Besides the video only the NAV packets: no audio, no sub-pictures.
    EXPECT_TRUE(field[s + "codec_type"] == "video" || field[s + "codec_name"] == "dvd_nav_packet")
        << field[s + "codec_name"];
    if (field[s + "codec_type"] != "video") continue;
    ++videoStreams;
    EXPECT_EQ(field[s + "codec_name"], "mpeg2video");
    EXPECT_EQ(field[s + "profile"], "Main");
    EXPECT_EQ(field[s + "level"], "8");  // Main level
    EXPECT_EQ(field[s + "width"], "720");
    EXPECT_EQ(field[s + "height"], Pal() ? "576" : "480");
    EXPECT_EQ(field[s + "display_aspect_ratio"], Wide() ? "16:9" : "4:3");
    EXPECT_EQ(field[s + "r_frame_rate"], Pal() ? "25/1" : "30000/1001");
  }
  EXPECT_EQ(videoStreams, 1);
}

TEST_P(BlankVobDecode, FfmpegDecodesOneBlackFrameWithoutWarnings) {
  std::string errors;
  const std::string raw =
      RunShell("ffmpeg -nostdin -v warning -i " + path_.string() + " -f rawvideo -pix_fmt yuv420p -", errors);
  EXPECT_EQ(errors, "");
  const std::size_t lumaSize = 720u * (Pal() ? 576u : 480u);
  ASSERT_EQ(raw.size(), lumaSize * 3 / 2);  // exactly one 4:2:0 frame
  for (std::size_t i = 0; i < raw.size(); ++i) {
    ASSERT_EQ(static_cast<unsigned char>(raw[i]), i < lumaSize ? 16 : 128) << "sample " << i;
  }
}

TEST_P(BlankVobDecode, LibdvdreadReadsTheNavPack) {
  Bytes nav(BlankVobImage(GetParam()).begin(), BlankVobImage(GetParam()).begin() + 2048);
  pci_t pci{};
  dsi_t dsi{};
  // The parser reports failed consistency checks on stderr only.
  std::fflush(stderr);
  FILE* capture = std::tmpfile();
  const int savedStderr = dup(2);
  dup2(fileno(capture), 2);
  navRead_PCI(&pci, &nav[0x2D]);
  navRead_DSI(&dsi, &nav[0x407]);
  std::fflush(stderr);
  dup2(savedStderr, 2);
  close(savedStderr);
  EXPECT_EQ(std::ftell(capture), 0L) << "libdvdread complained about the NAV pack";
  std::fclose(capture);

  EXPECT_EQ(dsi.dsi_gi.vobu_ea, 4u);
  EXPECT_EQ(dsi.dsi_gi.vobu_1stref_ea, 4u);
  EXPECT_EQ(dsi.dsi_gi.vobu_vob_idn, 1u);
  EXPECT_EQ(dsi.dsi_gi.vobu_c_idn, 1u);
  EXPECT_EQ(dsi.vobu_sri.next_video, 0xBFFFFFFFu);
  EXPECT_EQ(dsi.vobu_sri.next_vobu, SRI_END_OF_CELL);
  EXPECT_EQ(pci.pci_gi.vobu_s_ptm, Pal() ? 25200u : 21021u);
  EXPECT_EQ(pci.pci_gi.vobu_se_e_ptm - pci.pci_gi.vobu_s_ptm, Pal() ? 3600u : 3003u);
  EXPECT_EQ(pci.hli.hl_gi.hli_ss, 0u);
}

INSTANTIATE_TEST_SUITE_P(AllFour, BlankVobDecode, testing::Values("NTSC", "NTSCA", "PAL", "PALA"),
                         [](const testing::TestParamInfo<const char*>& p) { return std::string(p.param); });

}  // namespace
}  // namespace kestrune
