#include "tests/avi/avi_test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

namespace lumetrix::avi::test {

std::array<uint8_t, 3> OwnedFrame::At(int32_t x, int32_t y) const {
  const int64_t stride = DibRowStride(Width);
  const uint8_t* p = Pixels.data() + (Height - 1 - y) * stride + x * 3;
  return {p[0], p[1], p[2]};
}

OwnedFrame SyntheticFrame(int32_t width, int32_t height, int32_t index) {
  OwnedFrame frame;
  frame.Width = width;
  frame.Height = height;
  frame.Info = MakeBitmapInfo(width, height);
  const int64_t stride = DibRowStride(width);
  frame.Pixels.assign(static_cast<size_t>(stride * height), 0);
  const int32_t side = std::max(1, std::min(width, height) / 4);
  const int32_t sx = (index * 7) % std::max(1, width - side);
  const int32_t sy = (index * 5) % std::max(1, height - side);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = frame.Pixels.data() + (height - 1 - y) * stride;  // y from the top
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = row + x * 3;
      const bool inSquare = x >= sx && x < sx + side && y >= sy && y < sy + side;
      if (inSquare) {
        p[0] = 220, p[1] = 230, p[2] = 240;
        continue;
      }
      p[0] = static_cast<uint8_t>(40 + 160 * x / std::max(1, width - 1));
      p[1] = static_cast<uint8_t>(40 + 160 * y / std::max(1, height - 1));
      p[2] = static_cast<uint8_t>(128 + 60 * std::sin((x + y) / 16.0 + index * 0.3));
    }
  }
  return frame;
}

CompressionOptions OptionsFor(const std::string& codec, int32_t quality) {
  CompressionOptions options;
  options.Codec = codec;
  options.Quality = quality;
  return options;
}

void RecordingProgress::ShowProgress(const std::string& caption, int32_t start, int32_t maximum) {
  Caption = caption;
  Maximum = maximum;
  value_ = start;
  Shown = true;
}
void RecordingProgress::SetProgress(int32_t value) {
  value_ = value;
  Values.push_back(value);
}
void RecordingProgress::HideProgress() {
  Shown = false;
  value_ = 0;
  ++Hides;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lumetrix-avi-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = buffer.data();
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

ProbedMovie ProbeMovie(const std::string& path, bool decode) {
  ProbedMovie movie;
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) return movie;
  if (avformat_find_stream_info(input, nullptr) < 0) {
    avformat_close_input(&input);
    return movie;
  }
  const int index = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    avformat_close_input(&input);
    return movie;
  }
  AVStream* stream = input->streams[index];
  movie.Opened = true;
  movie.Codec = avcodec_get_name(stream->codecpar->codec_id);
  movie.Width = stream->codecpar->width;
  movie.Height = stream->codecpar->height;
  movie.RateNum = stream->avg_frame_rate.num;
  movie.RateDen = stream->avg_frame_rate.den;

  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, stream->codecpar);
  decoder->pkt_timebase = stream->time_base;
  if (decode && avcodec_open2(decoder, codec, nullptr) < 0) decode = false;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* sws = nullptr;
  const int64_t stride = DibRowStride(movie.Width);
  auto take = [&] {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      std::vector<uint8_t> dib(static_cast<size_t>(stride * movie.Height), 0);
      sws = sws_getCachedContext(sws, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                 movie.Width, movie.Height, AV_PIX_FMT_BGR24,
                                 SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
      uint8_t* dst[4] = {dib.data() + (movie.Height - 1) * stride, nullptr, nullptr, nullptr};
      int dstStride[4] = {-static_cast<int>(stride), 0, 0, 0};
      sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
      movie.Frames.push_back(std::move(dib));
      av_frame_unref(frame);
    }
  };
  while (av_read_frame(input, packet) >= 0) {
    if (packet->stream_index == index && packet->size > 0) {
      ++movie.Packets;
      if (!(packet->flags & AV_PKT_FLAG_KEY)) movie.AllKey = false;
      if (decode) {
        avcodec_send_packet(decoder, packet);
        take();
      }
    }
    av_packet_unref(packet);
  }
  if (decode) {
    avcodec_send_packet(decoder, nullptr);
    take();
  }
  sws_freeContext(sws);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&input);
  return movie;
}

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
std::string Four(const std::vector<uint8_t>& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

void Walk(const std::vector<uint8_t>& b, size_t from, size_t to, AviHeaders& h, bool& sawStrh, bool& sawStrf) {
  size_t at = from;
  while (at + 8 <= to) {
    const std::string id = Four(b, at);
    const uint32_t size = U32(b, at + 4);
    const size_t body = at + 8;
    if (body + size > to) return;
    if (id == "LIST" && size >= 4) {
      const std::string kind = Four(b, body);
      if (kind != "movi") Walk(b, body + 4, body + size, h, sawStrh, sawStrf);
    } else if (id == "avih" && size >= 24) {
      h.TotalFrames = U32(b, body + 16);
    } else if (id == "strh" && !sawStrh && size >= 56) {
      sawStrh = true;
      h.Type = Four(b, body);
      h.Handler = Four(b, body + 4);
      h.Scale = U32(b, body + 20);
      h.Rate = U32(b, body + 24);
      h.Length = U32(b, body + 32);
      h.SuggestedBufferSize = U32(b, body + 36);
      h.FrameLeft = static_cast<int16_t>(U16(b, body + 48));
      h.FrameTop = static_cast<int16_t>(U16(b, body + 50));
      h.FrameRight = static_cast<int16_t>(U16(b, body + 52));
      h.FrameBottom = static_cast<int16_t>(U16(b, body + 54));
    } else if (id == "strf" && !sawStrf && size >= 40) {
      sawStrf = true;
      h.BiWidth = static_cast<int32_t>(U32(b, body + 4));
      h.BiHeight = static_cast<int32_t>(U32(b, body + 8));
      h.BiBitCount = U16(b, body + 14);
      h.BiCompression = U32(b, body + 16);
    }
    at = body + size + (size & 1);
  }
}

}  // namespace

AviHeaders ReadAviHeaders(const std::string& path) {
  AviHeaders headers;
  const std::vector<uint8_t> b = ReadFileBytes(path);
  if (b.size() < 12 || Four(b, 0) != "RIFF" || Four(b, 8) != "AVI ") return headers;
  bool sawStrh = false, sawStrf = false;
  Walk(b, 12, std::min<size_t>(b.size(), 8 + size_t{U32(b, 4)}), headers, sawStrh, sawStrf);
  headers.Found = sawStrh && sawStrf;
  return headers;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = double(a[i]) - double(b[i]);
    sum += d * d;
  }
  if (sum == 0.0) return 99.0;
  const double mse = sum / static_cast<double>(a.size());
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteAudioOnlyAvi(const std::string& path) {
  AVFormatContext* output = nullptr;
  if (avformat_alloc_output_context2(&output, nullptr, "avi", path.c_str()) < 0)
    throw std::runtime_error("no AVI muxer");
  AVStream* stream = avformat_new_stream(output, nullptr);
  stream->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
  stream->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
  stream->codecpar->sample_rate = 8000;
  av_channel_layout_default(&stream->codecpar->ch_layout, 1);
  stream->codecpar->bits_per_coded_sample = 16;
  stream->codecpar->block_align = 2;
  stream->time_base = AVRational{1, 8000};
  if (avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 || avformat_write_header(output, nullptr) < 0)
    throw std::runtime_error("cannot write " + path);
  AVPacket* packet = av_packet_alloc();
  for (int i = 0; i < 4; ++i) {
    av_new_packet(packet, 1600);
    std::memset(packet->data, i * 16, 1600);
    packet->pts = packet->dts = i * 800;
    packet->duration = 800;
    packet->stream_index = 0;
    av_interleaved_write_frame(output, packet);
  }
  av_packet_free(&packet);
  av_write_trailer(output);
  avio_closep(&output->pb);
  avformat_free_context(output);
}

}  // namespace lumetrix::avi::test
