// Fuzz target: damaged VOB sectors through the search for a title's or
// menu's picture: the NAV pack, VOBU_EA and VOBU_1STREF_EA, the packs and
// video packets up to the first reference picture, the decoding (libavcodec)
// and the PNG (libswscale, libavcodec). Every input must end in a picture or
// a reason; a picture out of the VOBUs it could come from aborts, as a crash
// does.
//
// Input layout:
//   byte 0  the VOBUs to look at (1 + byte % 8)
//   rest    sectors of a VOB set from the cell's first VOBU on (a partial
//           last sector is left out)
//
// Built twice: with clang's libFuzzer (KESTRUNE_FUZZ=ON), and with any
// compiler next to replay_main.cpp, which feeds it the saved corpus
// (fuzz/picture_corpus: the first VOBUs of authored discs and the blank VOB).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "first_picture.h"

namespace {

std::string gLastOutcome;

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "picture_fuzzer: %s\n", what);
  std::abort();
}

}  // namespace

std::string FuzzerLastOutcome() { return gLastOutcome; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrune::picture;
  if (size < 1) return 0;
  static FrameDecoder decoder;
  const int vobus = 1 + data[0] % 8;
  const std::size_t sectors = (size - 1) / 2048;
  MemorySectors source(std::vector<std::uint8_t>(data + 1, data + 1 + sectors * 2048));
  const FoundPicture found =
      FindFirstPicture(source, 0, static_cast<std::int64_t>(sectors) - 1, decoder, {.maxVobus = vobus});
  Check(found.vobusLooked <= vobus, "looked at more VOBUs than asked");
  Check(source.bytesRead <= static_cast<std::int64_t>(sectors) * 2048 * vobus, "read more than the input");
  if (!found.frame) {
    Check(!found.why.empty(), "no picture and no reason");
    gLastOutcome = "no picture: " + found.why;
    return 0;
  }
  Check(found.vobuSector >= 0 && found.vobuSector < static_cast<std::int64_t>(sectors), "a picture from outside the input");
  Check(found.frame->Width() > 0 && found.frame->Height() > 0, "a picture without size");
  std::string why;
  const std::vector<std::uint8_t> png = PngOf(*found.frame, 320, 180, why);
  Check(!png.empty() || !why.empty(), "no PNG and no reason");
  gLastOutcome = "picture " + std::to_string(found.frame->Width()) + "x" + std::to_string(found.frame->Height()) +
                 " from sector " + std::to_string(found.vobuSector) + (found.why.empty() ? "" : " (" + found.why + ")");
  return 0;
}
