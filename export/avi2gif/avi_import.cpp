#include "export/avi2gif/avi_import.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "export/avi/avi_reader.h"
#include "export/gif/animation_builder.h"
#include "export/gif/dib.h"
#include "core/progress_scope.h"

namespace lumetrix::avi2gif {
namespace {

int64_t Stride(int64_t width, int bits) { return ((width * bits + 31) / 32) * 4; }

ImportResult Fail(gif::cGIF& document, ImportStatus status, std::string detail) {
  document.Destroy();
  ImportResult result;
  result.Status = status;
  result.Detail = std::move(detail);
  return result;
}

}  // namespace

int64_t DocumentBytes(int64_t frames, int32_t width, int32_t height) {
  if (frames <= 0 || width <= 0 || height <= 0) return 0;
  const int64_t perFrame = (Stride(width, 8) + Stride(width, 1)) * int64_t{height};
  // Saturate instead of overflowing: anything this large is refused anyway.
  if (perFrame > 0 && frames > INT64_MAX / perFrame) return INT64_MAX;
  return frames * perFrame;
}

ImportResult ImportAvi(const std::string& path, gif::cGIF& document, gif::mDither8bpp& dither,
                       const ImportSettings& settings, ProgressSink* progress) {
  document.Destroy();
  avi::AviReader reader;
  if (!reader.Open(path)) return Fail(document, ImportStatus::Failed, reader.Error());

  const int64_t count = reader.FrameCount();
  const int32_t width = reader.Width();
  const int32_t height = reader.Height();
  if (count < 1) return Fail(document, ImportStatus::Failed, "The movie has no frames: " + path);
  if (count > INT32_MAX) return Fail(document, ImportStatus::Failed, "The movie has too many frames: " + path);
  if (width < 1 || height < 1 || width > gif::cDIB::kMaxSide || height > gif::cDIB::kMaxSide)
    return Fail(document, ImportStatus::Failed,
                "A GIF cannot hold frames of " + std::to_string(width) + "x" + std::to_string(height) + " pixels");
  if (DocumentBytes(count, width, height) > kMaxDocumentBytes)
    return Fail(document, ImportStatus::Failed,
                "The movie is too large to convert (" + std::to_string(count) + " frames of " +
                    std::to_string(width) + "x" + std::to_string(height) + " pixels)");

  const int32_t frames = static_cast<int32_t>(count);
  const int32_t timePerFrame = reader.MillisecondsPerFrame();
  const int32_t passes = settings.BestPalette ? 2 : 1;
  ProgressScope scope(progress, "", frames * passes);

  gif::cDIB work;
  if (!work.Create(width, height, 32)) return Fail(document, ImportStatus::Failed, "Out of memory");
  gif::GifAnimationBuilder builder(document, dither);
  avi::DecodedFrame decoded;
  std::unique_ptr<gif::BestPalette> best;
  if (settings.BestPalette) {
    best = std::make_unique<gif::BestPalette>();
    for (int32_t i = 1; i <= frames; ++i) {
      if (!reader.ReadFrame(i - 1, avi::PixelLayout::Bgr32, avi::RowOrder::BottomUp, decoded))
        return Fail(document, ImportStatus::Failed, reader.Error());
      scope.Step(i);
      if (decoded.Width != width || decoded.Height != height || decoded.Stride < int64_t{width} * 4 ||
          static_cast<int64_t>(decoded.Pixels.size()) < decoded.Stride * height)
        return Fail(document, ImportStatus::Failed, "Frame " + std::to_string(i) + " has an unexpected size");
      for (int32_t y = 0; y < height; ++y)
        std::memcpy(work.Row(y), decoded.Pixels.data() + static_cast<size_t>(decoded.Stride) * static_cast<size_t>(y),
                    static_cast<size_t>(width) * 4);
      if (settings.SwapRG) gif::GifAnimationBuilder::SwapRG(work);
      best->Count(work);
      if (scope.Cancelled()) return Fail(document, ImportStatus::Cancelled, "Cancelled");
    }
    best->Build();
  }
  for (int32_t i = 1; i <= frames; ++i) {
    if (!reader.ReadFrame(i - 1, avi::PixelLayout::Bgr32, avi::RowOrder::BottomUp, decoded))
      return Fail(document, ImportStatus::Failed, reader.Error());
    scope.Step(i + (passes - 1) * frames);
    if (decoded.Width != width || decoded.Height != height || decoded.Stride < int64_t{width} * 4 ||
        static_cast<int64_t>(decoded.Pixels.size()) < decoded.Stride * height)
      return Fail(document, ImportStatus::Failed, "Frame " + std::to_string(i) + " has an unexpected size");
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(work.Row(y), decoded.Pixels.data() + static_cast<size_t>(decoded.Stride) * static_cast<size_t>(y),
                  rowBytes);
    const bool added = best ? builder.AddFrameBest(work, settings.SwapRG, settings.Flip, timePerFrame, *best)
                            : builder.AddFrame(work, settings.SwapRG, settings.Flip, timePerFrame);
    if (!added)
      return Fail(document, ImportStatus::Failed, "Out of memory at frame " + std::to_string(i));
    if (scope.Cancelled()) return Fail(document, ImportStatus::Cancelled, "Cancelled");
  }
  builder.Finish();

  ImportResult result;
  result.Status = ImportStatus::Ok;
  result.Frames = document.FramesCount();
  result.TimePerFrameMs = timePerFrame;
  return result;
}

}  // namespace lumetrix::avi2gif
