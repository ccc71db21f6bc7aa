#include "tests/avi/avi_test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <stdexcept>

#include "export/avi/avi_recorder.h"

namespace lumetrix::avi::test {

std::array<uint8_t, 3> OwnedFrame::At(int32_t x, int32_t y) const {
  const uint8_t* p = Pixels.data() + (Height - 1 - y) * DibRowStride(Width) + x * 3;
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
  const int32_t sx = (index * 7) % std::max(1, width - side), sy = (index * 5) % std::max(1, height - side);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = frame.Pixels.data() + (height - 1 - y) * stride + x * 3;  // y from the top
      if (x >= sx && x < sx + side && y >= sy && y < sy + side) {
        p[0] = 220, p[1] = 230, p[2] = 240;
        continue;
      }
      p[0] = static_cast<uint8_t>(40 + 160 * x / std::max(1, width - 1));
      p[1] = static_cast<uint8_t>(40 + 160 * y / std::max(1, height - 1));
      p[2] = static_cast<uint8_t>(128 + 60 * std::sin((x + y) / 16.0 + index * 0.3));
    }
  return frame;
}

std::vector<OwnedFrame> SyntheticFrames(int32_t width, int32_t height, int count) {
  std::vector<OwnedFrame> frames;
  for (int i = 0; i < count; ++i) frames.push_back(SyntheticFrame(width, height, i));
  return frames;
}

CompressionOptions OptionsFor(const std::string& codec, int32_t quality) {
  CompressionOptions options;
  options.Codec = codec;
  options.Quality = quality;
  return options;
}

bool RecordMovie(const std::string& path, const std::vector<OwnedFrame>& frames, double rate,
                 const std::string& codec) {
  RecordingSink sink;
  ScriptedOptions options(OptionsFor(codec));
  AviRecorder recorder(sink, options);
  if (frames.empty() || !recorder.AVIStart(path, rate, frames.front().View())) return false;
  for (const OwnedFrame& f : frames) recorder.AVIAdd(f.View());
  const bool ok = recorder.IsRecording() && recorder.FrameCounter() == static_cast<int32_t>(frames.size());
  recorder.AVIend();
  return ok && sink.Messages.empty();
}

std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

ProbedMovie ProbeMovie(const std::string& path) {
  ProbedMovie movie;
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) return movie;
  const int index =
      avformat_find_stream_info(input, nullptr) < 0 ? -1 : av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index < 0) {
    avformat_close_input(&input);
    return movie;
  }
  const AVStream* stream = input->streams[index];
  movie.Codec = avcodec_get_name(stream->codecpar->codec_id);
  movie.Width = stream->codecpar->width;
  movie.Height = stream->codecpar->height;
  movie.RateNum = stream->avg_frame_rate.num;
  movie.RateDen = stream->avg_frame_rate.den;

  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  AVCodecContext* decoder = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(decoder, stream->codecpar);
  decoder->pkt_timebase = stream->time_base;
  const bool decode = avcodec_open2(decoder, codec, nullptr) >= 0;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* sws = nullptr;
  const int64_t stride = DibRowStride(movie.Width);
  auto take = [&] {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      Bytes dib(static_cast<size_t>(stride * movie.Height), 0);
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
      if (decode && avcodec_send_packet(decoder, packet) >= 0) take();
    }
    av_packet_unref(packet);
  }
  if (decode && avcodec_send_packet(decoder, nullptr) >= 0) take();
  sws_freeContext(sws);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&decoder);
  avformat_close_input(&input);
  return movie;
}

namespace {

uint32_t U32(const Bytes& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}
int16_t I16(const Bytes& b, size_t at) { return static_cast<int16_t>(b[at] | b[at + 1] << 8); }

// Body of the first chunk `id` of at least `size` bytes, or 0. The header chunks come before
// the movie data, so the first match is the header's.
size_t Chunk(const Bytes& b, const char* id, uint32_t size) {
  const auto at = std::search(b.begin(), b.end(), id, id + 4);
  return at == b.end() || at + 8 + size > b.end() || U32(b, at - b.begin() + 4) < size ? 0 : at - b.begin() + 8;
}

}  // namespace

AviHeaders ReadAviHeaders(const std::string& path) {
  AviHeaders h;
  const Bytes b = ReadBytes(path);
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "AVI ", 4) != 0) return h;
  const size_t avih = Chunk(b, "avih", 24), strh = Chunk(b, "strh", 56), strf = Chunk(b, "strf", 40);
  if (avih) h.TotalFrames = U32(b, avih + 16);
  if (!strh || !strf) return h;
  h.Found = true;
  h.Type = std::string(b.begin() + strh, b.begin() + strh + 4);
  h.Scale = U32(b, strh + 20), h.Rate = U32(b, strh + 24), h.Length = U32(b, strh + 32);
  h.SuggestedBufferSize = U32(b, strh + 36);
  for (int k = 0; k < 4; ++k) h.Frame[k] = I16(b, strh + 48 + 2 * k);
  h.BiWidth = static_cast<int32_t>(U32(b, strf + 4)), h.BiHeight = static_cast<int32_t>(U32(b, strf + 8));
  h.BiBitCount = static_cast<uint16_t>(I16(b, strf + 14)), h.BiCompression = U32(b, strf + 16);
  return h;
}

double Psnr(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - double(b[i])) * (double(a[i]) - double(b[i]));
  return sum == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

void ExpectAlike(const Bytes& got, const Bytes& want, bool exact, double minPsnr) {
  if (exact) {
    EXPECT_EQ(got, want);
  } else {
    EXPECT_GT(Psnr(got, want), minPsnr);
  }
}

void Truncate(const std::string& path, double share) {
  const Bytes bytes = ReadBytes(path);
  WriteBytes(path, Bytes(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() * share)));
}

void WriteAudioOnlyAvi(const std::string& path) {
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i anullsrc=r=8000:cl=mono -t 0.4 -c:a pcm_s16le -f avi '" + path + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("ffmpeg could not write " + path);
}

}  // namespace lumetrix::avi::test
