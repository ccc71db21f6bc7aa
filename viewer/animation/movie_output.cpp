#include "viewer/animation/movie_output.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "core/spool_file.h"
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

// With the best-quality reduction the frames wait in a spool file until all their colours are
// counted; the other reductions take each frame as it comes.
class GifOutput : public MovieOutput {
 public:
  GifOutput(std::string path, double fps, const gif::ReductionOptions& reduction)
      : path_(std::move(path)), builder_(document_, dither_), best_(reduction.Best) {
    delay_ms_ = static_cast<int32_t>(std::lround(1000.0 / fps));
    dither_.SetPaletteMode(reduction.PaletteMode);
    dither_.SetDitherMode(reduction.DitherMode);
    if (best_) {
      palette_ = std::make_unique<gif::BestPalette>();
      spool_ = std::make_unique<SpoolFile>();
    }
  }

  // False, with `error`, when the spool file the best-quality reduction needs cannot be made.
  bool Ready(std::string& error) const {
    if (!best_ || spool_->Ok()) return true;
    error = spool_->Error();
    return false;
  }

  bool Add(const CapturedFrame& frame, std::string& error) override {
    if (!ToWork(frame, error)) return false;
    if (best_) {
      if (frames_ == 0) width_ = frame.Width, height_ = frame.Height;
      if (frame.Width != width_ || frame.Height != height_) {
        error = "the frames of a GIF differ in size";
        return false;
      }
      palette_->Count(work_);
      if (!spool_->Append(frame.Pixels.data(), frame.Pixels.size())) {
        error = spool_->Error();
        return false;
      }
      ++frames_;
      return true;
    }
    if (!builder_.AddFrame(work_, false, false, delay_ms_)) {
      error = "the frame could not be added to the GIF";
      return false;
    }
    return true;
  }

  bool Finish(std::string& error) override {
    if (best_ && !ReduceSpooled(error)) return false;
    builder_.Finish();
    return document_.Save(path_, &error);
  }

 private:
  // The captured frame as a 32-bit picture, top row first.
  bool ToWork(const CapturedFrame& frame, std::string& error) {
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
    return true;
  }

  // The second pass: the palette from every frame's colours, then each frame mapped to it.
  bool ReduceSpooled(std::string& error) {
    palette_->Build();
    CapturedFrame frame;
    frame.Width = width_;
    frame.Height = height_;
    frame.Pixels.resize(static_cast<size_t>(FrameRowStride(width_)) * static_cast<size_t>(height_));
    for (int32_t i = 0; i < frames_; ++i) {
      if (!spool_->ReadAt(static_cast<uint64_t>(i) * frame.Pixels.size(), frame.Pixels.data(), frame.Pixels.size())) {
        error = spool_->Error();
        return false;
      }
      if (!ToWork(frame, error)) return false;
      if (!builder_.AddFrameBest(work_, false, false, delay_ms_, *palette_)) {
        error = "the frame could not be added to the GIF";
        return false;
      }
    }
    return true;
  }

  std::string path_;
  gif::cGIF document_;
  gif::mDither8bpp dither_;
  gif::GifAnimationBuilder builder_;
  gif::cDIB work_;
  int32_t delay_ms_ = 40;
  bool best_ = true;
  // Only for the best-quality reduction (its tables take 96 MiB).
  std::unique_ptr<gif::BestPalette> palette_;
  std::unique_ptr<SpoolFile> spool_;
  int32_t frames_ = 0, width_ = 0, height_ = 0;
};

}  // namespace

bool IsGifMovieName(const std::string& path) { return Extension(path) == ".gif"; }

std::unique_ptr<MovieOutput> OpenMovieOutput(const std::string& path, int32_t width, int32_t height, double fps,
                                             const avi::CompressionOptions& aviOptions, double rateFactor,
                                             const gif::ReductionOptions& gifReduction, std::string& error) {
  const std::string kind = Extension(path);
  if (kind == ".gif") {
    const std::string problem = DestinationProblem(path);
    if (!problem.empty()) {
      error = "Cannot write " + path + ": " + problem;
      return nullptr;
    }
    auto gif = std::make_unique<GifOutput>(path, fps, gifReduction);
    if (!gif->Ready(error)) return nullptr;
    return gif;
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
