#include "export/avi/avi_file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstring>
#include <functional>

#include "export/avi/bitmap_info.h"
#include "export/avi/encoder_setup.h"
#include "export/avi/ffmpeg_util.h"
#include "core/staged_file.h"

namespace lumetrix::avi {

bool IsMp4Name(const std::string& path) {
  if (path.size() < 4) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".mp4";
}

namespace detail {

struct AviFileCore {
  std::string path;
  std::unique_ptr<StagedFile> temporary;  // empty once discarded
  AVFormatContext* format = nullptr;
  AVStream* stream = nullptr;
  bool headerWritten = false;
  bool finished = false;
  // Set while a compressed stream is attached: flushes its encoder into the file.
  std::function<bool(std::string&)> flushEncoder;

  ~AviFileCore() { Drop(); }

  // Closes FFmpeg's side of the file without finishing it, and removes the temporary file.
  void Drop() {
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
      format = nullptr;
      stream = nullptr;
    }
    flushEncoder = nullptr;
    temporary.reset();
    finished = true;
  }

  bool IoFailed(std::string& error) const {
    if (format && format->pb && format->pb->error < 0) {
      error = "cannot write \"" + path + "\": " + AvErrorText(format->pb->error);
      return true;
    }
    return false;
  }
};

}  // namespace detail

using detail::AviFileCore;

// ---------------------------------------------------------------------------------------------
// AviFile

AviFile::AviFile(std::shared_ptr<AviFileCore> core) : core_(std::move(core)) {}

AviFile::~AviFile() { Abandon(); }

std::unique_ptr<AviFile> AviFile::OpenForWriting(const std::string& path, std::string& error) {
  detail::QuietFfmpegLog();
  auto core = std::make_shared<AviFileCore>();
  core->path = path;
  core->temporary = std::make_unique<StagedFile>(path);
  if (!core->temporary->Ok()) {
    error = core->temporary->Error();
    return nullptr;
  }
  const char* container = IsMp4Name(path) ? "mp4" : "avi";
  if (avformat_alloc_output_context2(&core->format, nullptr, container, nullptr) < 0 || !core->format) {
    error = std::string("FFmpeg cannot write ") + container + " files";
    core->Drop();
    return nullptr;
  }
  const int result = avio_open(&core->format->pb, detail::LocalFileUrl(core->temporary->TemporaryPath()).c_str(),
                               AVIO_FLAG_WRITE);
  if (result < 0) {
    error = "cannot open \"" + path + "\" for writing: " + detail::AvErrorText(result);
    core->Drop();
    return nullptr;
  }
  return std::unique_ptr<AviFile>(new AviFile(std::move(core)));
}

std::unique_ptr<AviStream> AviFile::CreateStream(const AviStreamHeader& header, std::string& error) {
  if (!core_ || core_->finished) {
    error = "the file is closed";
    return nullptr;
  }
  if (core_->stream) {
    error = "the file already has its video stream";
    return nullptr;
  }
  if (header.Scale == 0 || header.Rate == 0 || header.Width() < 1 || header.Height() < 1 ||
      header.Width() > kMaxFrameSide || header.Height() > kMaxFrameSide) {
    error = "the stream header has no valid frame rate or frame size";
    return nullptr;
  }
  AVStream* stream = avformat_new_stream(core_->format, nullptr);
  if (!stream) {
    error = "out of memory";
    return nullptr;
  }
  stream->time_base = AVRational{static_cast<int>(header.Scale), static_cast<int>(header.Rate)};
  stream->avg_frame_rate = av_inv_q(stream->time_base);
  stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
  stream->codecpar->width = header.Width();
  stream->codecpar->height = header.Height();
  core_->stream = stream;
  return std::unique_ptr<AviStream>(new AviStream(core_, header));
}

bool AviFile::Close(std::string& error) {
  if (!core_ || core_->finished) {
    error = "the file is already closed";
    return false;
  }
  AviFileCore& core = *core_;
  if (core.flushEncoder) {
    auto flush = std::move(core.flushEncoder);
    core.flushEncoder = nullptr;
    if (!flush(error)) {
      core.Drop();
      return false;
    }
  }
  if (!core.headerWritten) {
    error = "the movie was never given a format";
    core.Drop();
    return false;
  }
  const int trailer = av_write_trailer(core.format);
  if (trailer < 0 || core.IoFailed(error)) {
    if (trailer < 0) error = "cannot finish \"" + core.path + "\": " + detail::AvErrorText(trailer);
    core.Drop();
    return false;
  }
  const int closed = avio_closep(&core.format->pb);
  if (closed < 0) {
    error = "cannot finish \"" + core.path + "\": " + detail::AvErrorText(closed);
    core.Drop();
    return false;
  }
  if (!core.temporary || !core.temporary->Commit()) {
    error = core.temporary ? core.temporary->Error() : "the movie was abandoned";
    core.Drop();
    return false;
  }
  core.Drop();  // frees FFmpeg's context; the committed file stays
  return true;
}

void AviFile::Abandon() {
  if (core_) core_->Drop();
}

const std::string& AviFile::Path() const { return core_->path; }

std::string AviFile::TemporaryPath() const {
  return core_ && core_->temporary ? core_->temporary->TemporaryPath() : std::string();
}

// ---------------------------------------------------------------------------------------------
// AviStream

AviStream::AviStream(std::weak_ptr<AviFileCore> core, const AviStreamHeader& header)
    : core_(std::move(core)), header_(header) {}

AviStream::~AviStream() = default;

// ---------------------------------------------------------------------------------------------
// AviCompressedStream

struct AviCompressedStream::Impl {
  std::weak_ptr<AviFileCore> core;
  EncoderInfo encoder;
  bool raw = false;
  int width = 0, height = 0;
  bool padded = false;  // the encoder's frame is a row or column larger (even sides)
  int64_t imageSize = 0;
  AVRational timeBase{1, 1};
  detail::CodecContextPtr codec;
  detail::SwsPtr scaler;
  detail::FramePtr frame;
  detail::PacketPtr packet;
  bool formatSet = false;
  bool released = false;
  int64_t lastPosition = -1;
  int64_t written = 0;

  ~Impl() {
    if (auto file = core.lock()) file->flushEncoder = nullptr;
  }

  // Writes every packet the encoder has ready.
  bool Drain(AviFileCore& file, std::string& error) {
    for (;;) {
      const int got = avcodec_receive_packet(codec.get(), packet.get());
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
      if (got < 0) {
        error = "the encoder failed: " + detail::AvErrorText(got);
        return false;
      }
      if (!WritePacket(file, error)) return false;
    }
  }

  bool WritePacket(AviFileCore& file, std::string& error) {
    packet->stream_index = file.stream->index;
    av_packet_rescale_ts(packet.get(), timeBase, file.stream->time_base);
    const int result = av_interleaved_write_frame(file.format, packet.get());
    av_packet_unref(packet.get());
    if (result < 0) {
      error = "cannot write \"" + file.path + "\": " + detail::AvErrorText(result);
      return false;
    }
    if (file.IoFailed(error)) return false;
    ++written;
    return true;
  }

  bool Flush(std::string& error) {
    released = true;
    auto file = core.lock();
    if (!file || file->finished) return true;
    file->flushEncoder = nullptr;
    if (!formatSet || raw) return true;
    const int sent = avcodec_send_frame(codec.get(), nullptr);
    if (sent < 0 && sent != AVERROR_EOF) {
      error = "the encoder failed: " + detail::AvErrorText(sent);
      return false;
    }
    return Drain(*file, error);
  }
};

AviCompressedStream::AviCompressedStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

AviCompressedStream::~AviCompressedStream() {
  if (impl_ && !impl_->released) {
    std::string ignored;
    impl_->Flush(ignored);
  }
}

std::unique_ptr<AviCompressedStream> AviCompressedStream::Make(AviStream& stream,
                                                               const CompressionOptions& options,
                                                               const EncoderCatalog& catalog,
                                                               bool everyFrameKey, std::string& error) {
  auto file = stream.core_.lock();
  if (!file || file->finished || !file->stream) {
    error = "the file is closed";
    return nullptr;
  }
  if (file->flushEncoder || file->headerWritten) {
    error = "the stream already has a compressed stream";
    return nullptr;
  }
  const EncoderInfo* encoder = catalog.Find(options.Codec);
  if (!encoder) {
    error = "no encoder named \"" + options.Codec + "\" (this machine has: " + EncoderNames(catalog) + ")";
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->core = file;
  impl->encoder = *encoder;
  impl->raw = encoder->ShortName == detail::kRawName;
  impl->width = stream.header_.Width();
  impl->height = stream.header_.Height();
  impl->imageSize = DibRowStride(impl->width) * impl->height;
  impl->timeBase = AVRational{static_cast<int>(stream.header_.Scale), static_cast<int>(stream.header_.Rate)};
  impl->packet = detail::MakePacket();
  if (!impl->packet) {
    error = "out of memory";
    return nullptr;
  }
  if (!impl->raw) {
    const CompressionOptions sane = Sanitize(options, catalog);
    // MP4 movies are padded to the even sides 4:2:0 needs; AVI movies keep their size and
    // refuse what the encoder cannot take, as recordings always have.
    const AVPixelFormat format = IsMp4Name(file->path) ? detail::EncoderPixelFormat(encoder->ShortName) : AV_PIX_FMT_NONE;
    const int codedWidth = detail::EncodedSide(format, impl->width);
    const int codedHeight = detail::EncodedSide(format, impl->height);
    impl->padded = codedWidth != impl->width || codedHeight != impl->height;
    impl->codec = detail::OpenEncoder(*encoder, sane, codedWidth, codedHeight, impl->timeBase, everyFrameKey, error,
                                      (file->format->oformat->flags & AVFMT_GLOBALHEADER) != 0);
    if (!impl->codec) return nullptr;
    impl->frame = detail::MakeFrame();
    if (!impl->frame) {
      error = "out of memory";
      return nullptr;
    }
    impl->frame->format = impl->codec->pix_fmt;
    impl->frame->width = codedWidth;
    impl->frame->height = codedHeight;
    if (av_frame_get_buffer(impl->frame.get(), 0) < 0) {
      error = "out of memory";
      return nullptr;
    }
    impl->scaler.reset(sws_getContext(impl->width, impl->height, AV_PIX_FMT_BGR24, impl->width, impl->height,
                                      impl->codec->pix_fmt,
                                      SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr,
                                      nullptr));
    if (!impl->scaler) {
      error = "cannot convert frames for " + encoder->DisplayName;
      return nullptr;
    }
  }
  Impl* raw_impl = impl.get();
  file->flushEncoder = [raw_impl](std::string& e) { return raw_impl->Flush(e); };
  return std::unique_ptr<AviCompressedStream>(new AviCompressedStream(std::move(impl)));
}

bool AviCompressedStream::SetFormat(int64_t position, std::span<const uint8_t> bitmapInfo, std::string& error) {
  Impl& s = *impl_;
  auto file = s.core.lock();
  if (!file || file->finished || s.released) {
    error = "the stream is released";
    return false;
  }
  if (s.formatSet) {
    error = "the stream's format is already set";
    return false;
  }
  if (position != 0) {
    error = "the format can only be set at position 0";
    return false;
  }
  std::string why;
  const auto info = ParseBitmapInfo(bitmapInfo, &why);
  if (!info) {
    error = "the frame format is not usable: " + why;
    return false;
  }
  if (info->Width != s.width || info->Height != s.height) {
    error = "the frame format (" + std::to_string(info->Width) + " x " + std::to_string(info->Height) +
            ") differs from the stream's frame (" + std::to_string(s.width) + " x " + std::to_string(s.height) +
            ")";
    return false;
  }
  AVCodecParameters* par = file->stream->codecpar;
  if (s.raw) {
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_RAWVIDEO;
    par->codec_tag = 0;  // BI_RGB
    par->format = AV_PIX_FMT_BGR24;
    par->bits_per_coded_sample = 24;
    par->width = s.width;
    par->height = s.height;
  } else {
    const int copied = avcodec_parameters_from_context(par, s.codec.get());
    if (copied < 0) {
      error = "cannot describe the stream: " + detail::AvErrorText(copied);
      return false;
    }
  }
  par->sample_aspect_ratio = AVRational{1, 1};
  file->stream->time_base = s.timeBase;
  file->stream->avg_frame_rate = av_inv_q(s.timeBase);
  AVDictionary* muxerOptions = nullptr;
  // Our samples are DIB rows, bottom row first: the header says so with a positive height.
  av_dict_set(&muxerOptions, "flipped_raw_rgb", "1", 0);
  const int result = avformat_write_header(file->format, &muxerOptions);
  av_dict_free(&muxerOptions);
  if (result < 0 || file->IoFailed(error)) {
    if (result < 0) error = "cannot write the movie header: " + detail::AvErrorText(result);
    return false;
  }
  file->headerWritten = true;
  s.formatSet = true;
  return true;
}

bool AviCompressedStream::Write(int64_t position, std::span<const uint8_t> pixels, bool keyFrame,
                                std::string& error) {
  Impl& s = *impl_;
  auto file = s.core.lock();
  if (!file || file->finished || s.released) {
    error = "the stream is released";
    return false;
  }
  if (!s.formatSet) {
    error = "the stream has no format yet";
    return false;
  }
  if (position <= s.lastPosition || position < 0) {
    error = "sample " + std::to_string(position) + " comes after sample " + std::to_string(s.lastPosition);
    return false;
  }
  if (static_cast<int64_t>(pixels.size()) != s.imageSize) {
    error = "the sample has " + std::to_string(pixels.size()) + " bytes, the format needs " +
            std::to_string(s.imageSize);
    return false;
  }
  if (s.raw) {
    if (av_new_packet(s.packet.get(), static_cast<int>(s.imageSize)) < 0) {
      error = "out of memory";
      return false;
    }
    std::memcpy(s.packet->data, pixels.data(), pixels.size());
    s.packet->pts = s.packet->dts = position;
    s.packet->duration = 1;
    s.packet->flags |= AV_PKT_FLAG_KEY;  // every full frame stands alone
    if (!s.WritePacket(*file, error)) return false;
    s.lastPosition = position;
    return true;
  }
  if (av_frame_make_writable(s.frame.get()) < 0) {
    error = "out of memory";
    return false;
  }
  if (s.padded) {
    const ptrdiff_t lines[4] = {s.frame->linesize[0], s.frame->linesize[1], s.frame->linesize[2], 0};
    av_image_fill_black(s.frame->data, lines, static_cast<AVPixelFormat>(s.frame->format), s.codec->color_range,
                        s.frame->width, s.frame->height);
  }
  const int64_t stride = DibRowStride(s.width);
  // Bottom-up rows: start at the last row in memory (the top of the picture) and walk back.
  const uint8_t* top = pixels.data() + (s.height - 1) * stride;
  const uint8_t* const source[4] = {top, nullptr, nullptr, nullptr};
  const int sourceStride[4] = {-static_cast<int>(stride), 0, 0, 0};
  sws_scale(s.scaler.get(), source, sourceStride, 0, s.height, s.frame->data, s.frame->linesize);
  s.frame->pts = position;
  s.frame->pict_type = keyFrame ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
  s.frame->key_frame = keyFrame ? 1 : 0;
  const int sent = avcodec_send_frame(s.codec.get(), s.frame.get());
  if (sent < 0) {
    error = "the encoder failed: " + detail::AvErrorText(sent);
    return false;
  }
  if (!s.Drain(*file, error)) return false;
  s.lastPosition = position;
  return true;
}

bool AviCompressedStream::Release(std::string& error) {
  if (impl_->released) return true;
  return impl_->Flush(error);
}

const EncoderInfo& AviCompressedStream::Encoder() const { return impl_->encoder; }

int64_t AviCompressedStream::SamplesWritten() const { return impl_->written; }

}  // namespace lumetrix::avi
