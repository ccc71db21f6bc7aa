#include "export/avi/avi_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>

#include <cmath>

#include "export/avi/bitmap_info.h"
#include "export/avi/ffmpeg_util.h"
#include "export/avi/riff_header_check.h"

namespace lumetrix::avi {
namespace {

// Frames larger than this (in bytes, 32-bit pixels) are refused before anything is allocated.
constexpr int64_t kMaxFrameBytes = int64_t{1} << 30;

int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

bool IsFullRangeFormat(int format) {
  return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P ||
         format == AV_PIX_FMT_YUVJ440P || format == AV_PIX_FMT_YUVJ411P;
}

}  // namespace

struct AviReader::Impl {
  detail::InputContextPtr input;
  detail::CodecContextPtr decoder;
  detail::PacketPtr packet;
  detail::FramePtr decoded;  // the decoder's latest output
  detail::FramePtr held;     // a frame that belongs to a later index (after a gap)
  detail::FramePtr last;     // the frame most recently handed out, repeated over gaps
  SwsContext* scaler = nullptr;
  int streamIndex = -1;
  AVRational timeBase{1, 1};
  AVRational frameRate{1, 1};
  int64_t startTime = 0;
  int64_t frameCount = 0;
  int width = 0, height = 0;
  int64_t next = 0;  // index of the next frame the decoder will give
  bool demuxEnded = false;
  bool decoderEnded = false;
  bool holding = false;

  ~Impl() { sws_freeContext(scaler); }

  // Which frame index a decoded frame stands for; -1 when its time is unknown.
  int64_t IndexOf(const AVFrame* frame) const {
    const int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) return -1;
    const double seconds = static_cast<double>(ts - startTime) * av_q2d(timeBase);
    const double index = std::floor(seconds * av_q2d(frameRate) + 0.5);
    if (!std::isfinite(index) || index < 0) return -1;
    return index > 1e15 ? int64_t{1} << 50 : static_cast<int64_t>(index);
  }

  // The decoder's next frame into `decoded`; false at the end or on an error (error set).
  bool DecodeNext(std::string& error) {
    for (;;) {
      const int got = avcodec_receive_frame(decoder.get(), decoded.get());
      if (got == 0) return true;
      if (got == AVERROR_EOF) {
        decoderEnded = true;
        return false;
      }
      if (got != AVERROR(EAGAIN)) {
        error = "the video data is truncated or corrupt (" + detail::AvErrorText(got) + ")";
        return false;
      }
      if (demuxEnded) {
        // The decoder wants input after it was told the end: nothing more will come.
        decoderEnded = true;
        return false;
      }
      const int read = av_read_frame(input.get(), packet.get());
      if (read < 0) {
        demuxEnded = true;
        if (read != AVERROR_EOF && input->pb && input->pb->error < 0) {
          error = "the file cannot be read (" + detail::AvErrorText(read) + ")";
          return false;
        }
        avcodec_send_packet(decoder.get(), nullptr);
        continue;
      }
      // Empty samples are dropped frames: they only leave a gap in the timestamps.
      if (packet->stream_index != streamIndex || packet->size <= 0) {
        av_packet_unref(packet.get());
        continue;
      }
      const int sent = avcodec_send_packet(decoder.get(), packet.get());
      av_packet_unref(packet.get());
      if (sent < 0 && sent != AVERROR(EAGAIN)) {
        error = "the video data is truncated or corrupt (" + detail::AvErrorText(sent) + ")";
        return false;
      }
    }
  }

  // Makes `last` the frame of index `next`, then advances. Gaps in time repeat the previous frame.
  bool Advance(std::string& error) {
    if (!holding) {
      if (decoderEnded || !DecodeNext(error)) {
        if (error.empty())
          error = "frame " + std::to_string(next + 1) + " of " + std::to_string(frameCount) +
                  " is missing (the file is truncated or corrupt)";
        return false;
      }
      if (decoded->width < 1 || decoded->height < 1) {
        error = "the video data is corrupt (a frame without a size)";
        return false;
      }
      av_frame_unref(held.get());
      av_frame_move_ref(held.get(), decoded.get());
      holding = true;
    }
    const int64_t index = IndexOf(held.get());
    if (index > next && last->width > 0) {
      ++next;  // `last` stands again for the skipped index
      return true;
    }
    av_frame_unref(last.get());
    av_frame_move_ref(last.get(), held.get());
    holding = false;
    ++next;
    return true;
  }
};

AviReader::AviReader() = default;
AviReader::~AviReader() = default;

void AviReader::Close() { impl_.reset(); }

bool AviReader::IsOpen() const { return impl_ != nullptr; }

bool AviReader::Open(const std::string& path) {
  Close();
  path_ = path;
  error_.clear();
  detail::QuietFfmpegLog();
  auto fail = [&](const std::string& why) {
    error_ = "\"" + path + "\": " + why;
    impl_.reset();
    return false;
  };
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return fail("the file does not exist");
  if (!S_ISREG(st.st_mode)) return fail("not a file");
  if (const std::string problem = AviHeaderProblem(path); !problem.empty())
    return fail("not a movie that can be read (" + problem + ")");

  auto impl = std::make_unique<Impl>();
  AVFormatContext* raw_input = nullptr;
  AVDictionary* options = nullptr;
  // A movie may name other files or URLs (playlists, references): only local files are opened.
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  const int opened = avformat_open_input(&raw_input, detail::LocalFileUrl(path).c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return fail("not a movie that can be read (" + detail::AvErrorText(opened) + ")");
  impl->input.reset(raw_input);
  const int probed = avformat_find_stream_info(raw_input, nullptr);
  if (probed < 0) return fail("the movie cannot be read (" + detail::AvErrorText(probed) + ")");

  AVStream* stream = nullptr;
  for (unsigned i = 0; i < raw_input->nb_streams; ++i) {
    AVStream* s = raw_input->streams[i];
    if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      stream = s;
      break;
    }
  }
  if (!stream) return fail("the file has no video stream");
  impl->streamIndex = stream->index;
  for (unsigned i = 0; i < raw_input->nb_streams; ++i)
    if (static_cast<int>(i) != impl->streamIndex) raw_input->streams[i]->discard = AVDISCARD_ALL;

  const AVCodecParameters* par = stream->codecpar;
  if (par->width < 1 || par->height < 1 || par->width > kMaxFrameSide || par->height > kMaxFrameSide)
    return fail("the video frame size " + std::to_string(par->width) + " x " + std::to_string(par->height) +
                " is not usable");
  if (int64_t{par->width} * par->height * 4 > kMaxFrameBytes) return fail("the video frames are too large");
  impl->width = par->width;
  impl->height = par->height;

  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  if (!codec) return fail("its video codec cannot be decoded on this machine");
  impl->decoder.reset(avcodec_alloc_context3(codec));
  if (!impl->decoder || avcodec_parameters_to_context(impl->decoder.get(), par) < 0)
    return fail("out of memory");
  impl->decoder->thread_count = 1;
  impl->decoder->pkt_timebase = stream->time_base;
  const int decoderOpened = avcodec_open2(impl->decoder.get(), codec, nullptr);
  if (decoderOpened < 0)
    return fail("its video codec cannot be decoded (" + detail::AvErrorText(decoderOpened) + ")");

  impl->timeBase = stream->time_base.num > 0 && stream->time_base.den > 0 ? stream->time_base : AVRational{1, 25};
  AVRational rate = stream->avg_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = stream->r_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = av_inv_q(impl->timeBase);
  if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 100000.0) rate = AVRational{25, 1};
  impl->frameRate = rate;
  impl->startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;

  int64_t frames = stream->nb_frames;
  if (frames <= 0 && stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    frames = RoundHalfEven(static_cast<double>(stream->duration) * av_q2d(impl->timeBase) * av_q2d(rate));
  if (frames <= 0 && raw_input->duration != AV_NOPTS_VALUE && raw_input->duration > 0)
    frames = RoundHalfEven(static_cast<double>(raw_input->duration) / AV_TIME_BASE * av_q2d(rate));
  if (frames <= 0) return fail("the video stream has no frames");
  impl->frameCount = frames;

  impl->packet = detail::MakePacket();
  impl->decoded = detail::MakeFrame();
  impl->held = detail::MakeFrame();
  impl->last = detail::MakeFrame();
  if (!impl->packet || !impl->decoded || !impl->held || !impl->last) return fail("out of memory");
  impl_ = std::move(impl);
  return true;
}

int64_t AviReader::FrameCount() const { return impl_ ? impl_->frameCount : 0; }
int32_t AviReader::FrameRateNumerator() const { return impl_ ? impl_->frameRate.num : 0; }
int32_t AviReader::FrameRateDenominator() const { return impl_ ? impl_->frameRate.den : 1; }
double AviReader::FrameRate() const { return impl_ ? av_q2d(impl_->frameRate) : 0.0; }
int32_t AviReader::Width() const { return impl_ ? impl_->width : 0; }
int32_t AviReader::Height() const { return impl_ ? impl_->height : 0; }

int32_t AviReader::MillisecondsPerFrame() const {
  if (!impl_) return 0;
  const double totalMs = static_cast<double>(impl_->frameCount) * 1000.0 / av_q2d(impl_->frameRate);
  return static_cast<int32_t>(RoundHalfEven(totalMs / static_cast<double>(impl_->frameCount)));
}

std::string AviReader::CodecName() const {
  if (!impl_) return {};
  return avcodec_get_name(impl_->decoder->codec_id);
}

bool AviReader::ReadFrame(int64_t index, PixelLayout layout, RowOrder order, DecodedFrame& frame) {
  if (!impl_) {
    error_ = "no movie is open";
    return false;
  }
  if (index < 0 || index >= impl_->frameCount) {
    error_ = "\"" + path_ + "\" has no frame " + std::to_string(index + 1) + " (it has " +
             std::to_string(impl_->frameCount) + ")";
    return false;
  }
  if (index < impl_->next - 1 || (index == impl_->next - 1 && impl_->last->width <= 0)) {
    // Going back: read the file again from its start.
    const std::string path = path_;
    if (!Open(path)) return false;
  }
  std::string why;
  while (impl_->next <= index) {
    if (!impl_->Advance(why)) {
      error_ = "\"" + path_ + "\": " + why;
      return false;
    }
  }
  const AVFrame* source = impl_->last.get();
  const int width = impl_->width, height = impl_->height;
  const AVPixelFormat target = layout == PixelLayout::Bgr24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGRA;
  const int64_t stride = layout == PixelLayout::Bgr24 ? DibRowStride(width) : int64_t{width} * 4;
  impl_->scaler = sws_getCachedContext(impl_->scaler, source->width, source->height,
                                       static_cast<AVPixelFormat>(source->format), width, height, target,
                                       SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr,
                                       nullptr);
  if (!impl_->scaler) {
    error_ = "\"" + path_ + "\": its pixel format cannot be converted";
    return false;
  }
  const int colorspace = source->colorspace == AVCOL_SPC_UNSPECIFIED || source->colorspace == AVCOL_SPC_RGB
                             ? SWS_CS_DEFAULT
                             : static_cast<int>(source->colorspace);
  const int fullRange = source->color_range == AVCOL_RANGE_JPEG || IsFullRangeFormat(source->format) ? 1 : 0;
  sws_setColorspaceDetails(impl_->scaler, sws_getCoefficients(colorspace), fullRange,
                           sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);

  frame.Width = width;
  frame.Height = height;
  frame.Stride = stride;
  frame.Layout = layout;
  frame.Order = order;
  frame.Pixels.assign(static_cast<size_t>(stride * height), 0);
  uint8_t* first = frame.Pixels.data();
  int lineStride = static_cast<int>(stride);
  if (order == RowOrder::BottomUp) {
    first += (height - 1) * stride;
    lineStride = -lineStride;
  }
  uint8_t* const destination[4] = {first, nullptr, nullptr, nullptr};
  const int destinationStride[4] = {lineStride, 0, 0, 0};
  const int rows = sws_scale(impl_->scaler, source->data, source->linesize, 0, source->height, destination,
                             destinationStride);
  if (rows <= 0) {
    error_ = "\"" + path_ + "\": frame " + std::to_string(index + 1) + " cannot be converted";
    return false;
  }
  return true;
}

}  // namespace lumetrix::avi
