#include "frame_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace kestrune::picture {

namespace {

constexpr int kLitLuma = 64;
constexpr int kGrid = 4;

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

std::shared_ptr<AVFrame> NewFrame() {
  return std::shared_ptr<AVFrame>(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
}

struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ContextDeleter {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct ScalerDeleter {
  void operator()(SwsContext* s) const { sws_freeContext(s); }
};

}  // namespace

int Frame::Width() const { return frame_->width; }
int Frame::Height() const { return frame_->height; }

template <typename Sample>
double Frame::MeanOverGrid(Sample&& sample) const {
  std::int64_t samples = 0;
  double sum = 0;
  for (int y = 0; y < frame_->height; y += kGrid) {
    const std::uint8_t* line = frame_->data[0] + static_cast<std::ptrdiff_t>(y) * frame_->linesize[0];
    for (int x = 0; x < frame_->width; x += kGrid) {
      ++samples;
      sum += sample(line[x]);
    }
  }
  return samples == 0 ? 0.0 : sum / static_cast<double>(samples);
}

double Frame::LitShare() const {
  return MeanOverGrid([](std::uint8_t luma) { return luma > kLitLuma ? 1.0 : 0.0; });
}

double Frame::MeanLuma() const {
  return MeanOverGrid([](std::uint8_t luma) { return static_cast<double>(luma); });
}

FrameDecoder::FrameDecoder() {
  // A damaged picture is this layer's to report, not libavcodec's to print.
  av_log_set_level(AV_LOG_FATAL);
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG2VIDEO);
  if (codec == nullptr) return;
  context_ = avcodec_alloc_context3(codec);
  if (context_ == nullptr) return;
  context_->thread_count = 1;  // one picture at a time: threads would only cost their start-up
  if (avcodec_open2(context_, codec, nullptr) < 0) avcodec_free_context(&context_);
}

FrameDecoder::~FrameDecoder() { avcodec_free_context(&context_); }

std::optional<Frame> FrameDecoder::Decode(std::span<const std::uint8_t> picture, std::string& why) {
  if (context_ == nullptr) {
    why = "this build's libavcodec has no MPEG-2 video decoder";
    return std::nullopt;
  }
  avcodec_flush_buffers(context_);
  std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
  // The decoder reads up to AV_INPUT_BUFFER_PADDING_SIZE bytes past the end.
  if (!packet || av_new_packet(packet.get(), static_cast<int>(picture.size())) < 0) {
    why = "no memory for the picture";
    return std::nullopt;
  }
  std::copy(picture.begin(), picture.end(), packet->data);
  auto frame = NewFrame();
  int code = avcodec_send_packet(context_, packet.get());
  if (code >= 0) code = avcodec_send_packet(context_, nullptr);  // the picture is the last: let it out
  if (code >= 0 || code == AVERROR_EOF) {
    code = avcodec_receive_frame(context_, frame.get());
  }
  if (code < 0) {
    why = "the picture cannot be decoded (" + AvError(code) + ")";
    return std::nullopt;
  }
  if (frame->width <= 0 || frame->height <= 0 || frame->data[0] == nullptr) {
    why = "the picture decodes to nothing";
    return std::nullopt;
  }
  return Frame(std::move(frame));
}

std::vector<std::uint8_t> PngOf(const Frame& frame, int width, int height, std::string& why) {
  const AVFrame& in = frame.Av();
  std::unique_ptr<SwsContext, ScalerDeleter> scaler(
      sws_getContext(in.width, in.height, static_cast<AVPixelFormat>(in.format), width, height, AV_PIX_FMT_RGB24,
                     SWS_AREA, nullptr, nullptr, nullptr));
  auto rgb = NewFrame();
  if (!scaler || !rgb) {
    why = "the picture cannot be scaled";
    return {};
  }
  rgb->format = AV_PIX_FMT_RGB24;
  rgb->width = width;
  rgb->height = height;
  if (av_frame_get_buffer(rgb.get(), 0) < 0) {
    why = "no memory for the scaled picture";
    return {};
  }
  sws_scale(scaler.get(), in.data, in.linesize, 0, in.height, rgb->data, rgb->linesize);

  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
  std::unique_ptr<AVCodecContext, ContextDeleter> png(codec ? avcodec_alloc_context3(codec) : nullptr);
  if (!png) {
    why = "this build's libavcodec has no PNG encoder";
    return {};
  }
  png->width = width;
  png->height = height;
  png->pix_fmt = AV_PIX_FMT_RGB24;
  png->time_base = AVRational{1, 25};
  png->thread_count = 1;
  std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
  int code = avcodec_open2(png.get(), codec, nullptr);
  if (code >= 0) code = avcodec_send_frame(png.get(), rgb.get());
  if (code >= 0) code = avcodec_receive_packet(png.get(), packet.get());
  if (code < 0) {
    why = "the PNG cannot be written (" + AvError(code) + ")";
    return {};
  }
  return std::vector<std::uint8_t>(packet->data, packet->data + packet->size);
}

}  // namespace kestrune::picture
