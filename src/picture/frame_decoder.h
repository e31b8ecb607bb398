// Decoding one MPEG-2 picture (libavcodec) and making a small PNG of it
// (libswscale scales it, libavcodec's PNG encoder writes it). The libav types
// stay inside this layer's .cpp files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFrame;

namespace kestrune::picture {

// A decoded picture.
class Frame {
 public:
  explicit Frame(std::shared_ptr<AVFrame> frame) : frame_(std::move(frame)) {}
  int Width() const;
  int Height() const;
  // The share of the picture, from 0 to 1, that is lit: luma samples (on a
  // grid of every fourth sample of every fourth line) above 64, a fifth of
  // the way from black (16) to white (235), well over the noise of a black
  // picture and the first pictures of a fade from black.
  double LitShare() const;
  // Fewer than 1 % of the samples lit: a black or nearly black picture, as
  // many titles and menus start.
  bool Black() const { return LitShare() < 0.01; }
  // The mean of those luma samples: which of several black pictures is the
  // least black.
  double MeanLuma() const;
  const AVFrame& Av() const { return *frame_; }

 private:
  template <typename Sample>
  double MeanOverGrid(Sample&& sample) const;
  std::shared_ptr<AVFrame> frame_;
};

// One MPEG-2 video decoder, used for picture after picture.
class FrameDecoder {
 public:
  FrameDecoder();
  ~FrameDecoder();
  FrameDecoder(const FrameDecoder&) = delete;
  FrameDecoder& operator=(const FrameDecoder&) = delete;
  // Decodes `picture` (a sequence header and one picture, as FirstPicture
  // gives them); nothing, with the reason in `why`, when it cannot.
  std::optional<Frame> Decode(std::span<const std::uint8_t> picture, std::string& why);

 private:
  AVCodecContext* context_ = nullptr;
};

// `frame` scaled to `width` x `height` pixels (the display aspect ratio's)
// and written as a PNG; empty, with the reason in `why`, when it cannot be.
std::vector<std::uint8_t> PngOf(const Frame& frame, int width, int height, std::string& why);

}  // namespace kestrune::picture
