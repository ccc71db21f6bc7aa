#include "export/avi/encoder_setup.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lumetrix::avi::detail {
namespace {

struct Setup {
  const char* shortName;
  AVPixelFormat pixelFormat;
};

// Pixel formats: lossless encoders get an RGB format they store exactly; the lossy ones the
// YUV layout AVI players decode everywhere (4:2:2 JPEG like cameras write, 4:2:0 otherwise).
constexpr Setup kSetups[] = {
    {"raw", AV_PIX_FMT_BGR24},     {"mjpeg", AV_PIX_FMT_YUVJ422P}, {"ffv1", AV_PIX_FMT_BGR0},
    {"huffyuv", AV_PIX_FMT_RGB24}, {"utvideo", AV_PIX_FMT_GBRP},   {"mpeg4", AV_PIX_FMT_YUV420P},
    {"h264", AV_PIX_FMT_YUV420P},
};

// Quality 1..100 onto the MPEG quantiser scale 31..1.
int QuantiserFor(int quality) { return static_cast<int>(std::lround(1.0 + (100 - quality) * 30.0 / 99.0)); }

// Quality 1..100 onto x264's constant rate factor 40..12.
double RateFactorFor(int quality) { return 12.0 + (100 - quality) * 28.0 / 99.0; }

}  // namespace

AVPixelFormat EncoderPixelFormat(const std::string& shortName) {
  for (const Setup& s : kSetups)
    if (shortName == s.shortName) return s.pixelFormat;
  return AV_PIX_FMT_NONE;
}

int EncodedSide(AVPixelFormat format, int side) {
  return format == AV_PIX_FMT_YUV420P ? side + side % 2 : side;
}

CodecContextPtr OpenEncoder(const EncoderInfo& encoder, const CompressionOptions& options, int width,
                            int height, AVRational timeBase, bool everyFrameKey, std::string& error,
                            bool globalHeader) {
  const AVPixelFormat format = EncoderPixelFormat(encoder.ShortName);
  const AVCodec* codec = avcodec_find_encoder_by_name(encoder.FfmpegName.c_str());
  if (!codec || format == AV_PIX_FMT_NONE) {
    error = "the encoder " + encoder.DisplayName + " is not available";
    return nullptr;
  }
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) {
    error = "out of memory";
    return nullptr;
  }
  AVCodecContext* c = context.get();
  c->width = width;
  c->height = height;
  c->time_base = timeBase;
  c->framerate = av_inv_q(timeBase);
  c->pix_fmt = format;
  c->sample_aspect_ratio = AVRational{1, 1};
  // AVI has no room for reordered frames.
  c->max_b_frames = 0;
  c->thread_count = 1;
  if (globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ422P) {
    c->colorspace = AVCOL_SPC_SMPTE170M;  // what swscale converts with
    c->color_range = format == AV_PIX_FMT_YUVJ422P ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
  }
  if (everyFrameKey)
    c->gop_size = 1;
  else if (options.KeyFramesOn)
    c->gop_size = options.KeyFrameEvery;

  const bool byDataRate = encoder.HasDataRate && options.DataRateOn;
  if (byDataRate) {
    const int64_t bitsPerSecond = int64_t{options.DataRateKBps} * 1024 * 8;
    // An average only: FFmpeg wants a buffer size and a peak rate together or neither.
    c->bit_rate = bitsPerSecond;
    c->bit_rate_tolerance = static_cast<int>(std::min<int64_t>(bitsPerSecond, INT32_MAX));
  }
  if (encoder.ShortName == "mjpeg" || encoder.ShortName == "mpeg4") {
    if (!byDataRate) {
      c->flags |= AV_CODEC_FLAG_QSCALE;
      c->global_quality = QuantiserFor(options.Quality) * FF_QP2LAMBDA;
    }
    c->qmin = 1;
    c->qmax = 31;
  } else if (encoder.ShortName == "h264") {
    av_opt_set(c->priv_data, "preset", "veryfast", 0);
    if (!byDataRate)
      av_opt_set_double(c->priv_data, "crf", options.RateFactor > 0 ? options.RateFactor : RateFactorFor(options.Quality),
                        0);
    // A forced key frame must be one a player can start from.
    av_opt_set_int(c->priv_data, "forced-idr", 1, 0);
  } else if (encoder.ShortName == "ffv1") {
    av_opt_set_int(c->priv_data, "slicecrc", 1, 0);
  }

  const int result = avcodec_open2(c, codec, nullptr);
  if (result < 0) {
    error = "the encoder " + encoder.DisplayName + " cannot encode frames of " + std::to_string(width) +
            " x " + std::to_string(height) + " pixels (" + AvErrorText(result) + ")";
    return nullptr;
  }
  return context;
}

}  // namespace lumetrix::avi::detail
