#include "viewer/animation/movie_output.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "core/staged_file.h"
#include "export/avi/avi_file.h"
#include "export/avi/bitmap_info.h"
#include "export/gif/animation_builder.h"

namespace lumetrix::animation {
namespace {

std::string Extension(const std::string& path) {
  const auto dot = path.find_last_of('.');
  std::string e = dot == std::string::npos ? "" : path.substr(dot);
  for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return e;
}

class VideoOutput : public MovieOutput {
 public:
  bool Open(const std::string& path, int32_t width, int32_t height, double fps, const avi::CompressionOptions& options,
            std::string& error) {
    file_ = avi::AviFile::OpenForWriting(path, error);
    if (!file_) return false;
    avi::AviStreamHeader header;
    // Whole rates as they are; others to a thousandth of a frame per second.
    const bool whole = fps == std::floor(fps);
    header.Scale = whole ? 1 : 1000;
    header.Rate = static_cast<uint32_t>(whole ? fps : std::lround(fps * 1000));
    header.SuggestedBufferSize = static_cast<uint32_t>(avi::DibRowStride(width) * height);
    header.Frame = {0, 0, width, height};
    stream_ = file_->CreateStream(header, error);
    if (!stream_) return false;
    // MP4 frames may lean on earlier ones; AVI keeps every frame a key frame like recordings.
    const bool mp4 = avi::IsMp4Name(path);
    compressed_ = avi::AviCompressedStream::Make(*stream_, options, avi::EncoderCatalog::Installed(), !mp4, error);
    if (!compressed_) return false;
    key_frames_ = !mp4;
    const auto info = avi::MakeBitmapInfo(width, height);
    return compressed_->SetFormat(0, info, error);
  }

  bool Add(const CapturedFrame& frame, std::string& error) override {
    return compressed_->Write(position_++, frame.Pixels, key_frames_, error);
  }

  bool Finish(std::string& error) override {
    stream_.reset();
    if (!compressed_->Release(error)) return false;
    compressed_.reset();
    return file_->Close(error);
  }

 private:
  std::unique_ptr<avi::AviFile> file_;  // abandoned unless closed
  std::unique_ptr<avi::AviStream> stream_;
  std::unique_ptr<avi::AviCompressedStream> compressed_;
  int64_t position_ = 0;
  bool key_frames_ = true;
};

class GifOutput : public MovieOutput {
 public:
  GifOutput(std::string path, double fps) : path_(std::move(path)), builder_(document_, dither_) {
    delay_ms_ = static_cast<int32_t>(std::lround(1000.0 / fps));
  }

  bool Add(const CapturedFrame& frame, std::string& error) override {
    if (!work_.Create(frame.Width, frame.Height, 32)) {
      error = "the frame is too large for a GIF";
      return false;
    }
    const int32_t stride = FrameRowStride(frame.Width);
    for (int32_t y = 0; y < frame.Height; ++y) {
      // Captured rows run bottom-up; GIF rows top-down.
      const uint8_t* in = frame.Pixels.data() + static_cast<size_t>(frame.Height - 1 - y) * stride;
      uint8_t* out = work_.Row(y);
      for (int32_t x = 0; x < frame.Width; ++x, in += 3, out += 4) {
        std::memcpy(out, in, 3);
        out[3] = 0;
      }
    }
    if (!builder_.AddFrame(work_, false, false, delay_ms_)) {
      error = "the frame could not be added to the GIF";
      return false;
    }
    return true;
  }

  bool Finish(std::string& error) override {
    builder_.Finish();
    return document_.Save(path_, &error);
  }

 private:
  std::string path_;
  gif::cGIF document_;
  gif::mDither8bpp dither_;
  gif::GifAnimationBuilder builder_;
  gif::cDIB work_;
  int32_t delay_ms_ = 40;
};

}  // namespace

std::unique_ptr<MovieOutput> OpenMovieOutput(const std::string& path, int32_t width, int32_t height, double fps,
                                             const avi::CompressionOptions& aviOptions, double rateFactor,
                                             std::string& error) {
  const std::string kind = Extension(path);
  if (kind == ".gif") {
    const std::string problem = DestinationProblem(path);
    if (!problem.empty()) {
      error = "Cannot write " + path + ": " + problem;
      return nullptr;
    }
    return std::make_unique<GifOutput>(path, fps);
  }
  if (kind != ".mp4" && kind != ".avi") {
    error = "A movie is written as .mp4, .avi or .gif, not " + (kind.empty() ? std::string("a name without one") : kind);
    return nullptr;
  }
  if (kind == ".mp4" && !avi::EncoderCatalog::Installed().Find("h264")) {
    error = "This computer's FFmpeg has no H.264 encoder for MP4 movies";
    return nullptr;
  }
  auto video = std::make_unique<VideoOutput>();
  const avi::CompressionOptions options = kind == ".mp4" ? avi::Mp4Options(rateFactor) : aviOptions;
  if (!video->Open(path, width, height, fps, avi::Sanitize(options, avi::EncoderCatalog::Installed()), error))
    return nullptr;
  return video;
}

}  // namespace lumetrix::animation
