#include "export/gif/animation_builder.h"

#include <algorithm>
#include <cmath>

#include "export/gif/round_half_even.h"

namespace lumetrix::gif {

GifAnimationBuilder::GifAnimationBuilder(cGIF& document, mDither8bpp& dither)
    : document_(document), dither_(dither) {
  document_.Destroy();
}

int32_t GifAnimationBuilder::TimePerFrameMs(double streamEndMs, int32_t frameCount) {
  if (frameCount < 1 || !std::isfinite(streamEndMs) || streamEndMs <= 0.0) return 0;
  return static_cast<int32_t>(std::min(RoundHalfEven(streamEndMs / frameCount), 2147483647.0));
}

uint16_t GifAnimationBuilder::DelayHundredths(int32_t timePerFrameMs) {
  return static_cast<uint16_t>(std::clamp(RoundHalfEven(timePerFrameMs / 10.0), 0.0, 65535.0));
}

void GifAnimationBuilder::SwapRG(cDIB& picture) {
  if (picture.BitsPerPixel() != 32) return;
  for (int32_t y = 0; y < picture.Height(); ++y) {
    uint8_t* p = picture.Row(y);
    for (int32_t x = 0; x < picture.Width(); ++x, p += 4) {
      const uint8_t blue = p[0], green = p[1], red = p[2];
      p[0] = red;
      p[1] = blue;
      p[2] = green;
    }
  }
}

bool GifAnimationBuilder::InsertFrame(cDIB& work, bool swapRG, bool flip, int32_t timePerFrameMs,
                                      const std::function<bool(int index, clsGIFframe& frame)>& reduce) {
  if (work.BitsPerPixel() != 32) return false;
  const int index = document_.FramesCount() + 1;
  if (!document_.FrameInsert(index, work.Width(), work.Height())) return false;
  if (swapRG) SwapRG(work);
  if (flip) work.FlipVertical();
  clsGIFframe& frame = document_.Frame(index);
  if (!reduce(index, frame)) {
    document_.FrameRemove(index);
    return false;
  }
  frame.SetFrameDisposalMethod(clsGIFframe::kRestorePrevious);
  frame.SetframeDelay(DelayHundredths(timePerFrameMs));
  return true;
}

bool GifAnimationBuilder::AddFrame(cDIB& work, bool swapRG, bool flip, int32_t timePerFrameMs) {
  return InsertFrame(work, swapRG, flip, timePerFrameMs, [&](int index, clsGIFframe& frame) {
    if (!dither_.Reduce(work, frame.FrameDIBXOR(), palette_, index > 1)) return false;
    frame.SetLocalPalette(palette_.lpPalette(), palette_.Entries());
    return true;
  });
}

bool GifAnimationBuilder::AddFrameBest(cDIB& work, bool swapRG, bool flip, int32_t timePerFrameMs,
                                       BestPalette& best) {
  const bool added = InsertFrame(work, swapRG, flip, timePerFrameMs, [&](int, clsGIFframe& frame) {
    std::vector<RGBQuad> used;
    bool own = false;
    if (!best.Map(work, frame.FrameDIBXOR(), used, own, dither_.DitherMode())) return false;
    frame.SetLocalPalette(used.data(), static_cast<int>(used.size()));
    // A frame's own colours are written as its colour table; the others use the global one.
    frame.SetLocalPaletteUsed(own);
    return true;
  });
  if (!added) return false;
  // The common palette becomes the global one.
  const auto& common = best.Entries();
  palette_.Initialize(static_cast<int>(common.size()));
  for (size_t i = 0; i < common.size(); ++i) {
    palette_.SetrgbR(static_cast<int>(i), common[i].red);
    palette_.SetrgbG(static_cast<int>(i), common[i].green);
    palette_.SetrgbB(static_cast<int>(i), common[i].blue);
  }
  return true;
}

void GifAnimationBuilder::Finish() {
  if (document_.FramesCount() > 0) {
    document_.SetScreenWidth(static_cast<uint16_t>(document_.Frame(1).Width()));
    document_.SetScreenHeight(static_cast<uint16_t>(document_.Frame(1).Height()));
  }
  document_.SetScreenPixelAspectRatio(1.0);
  document_.SetGlobalPaletteExists(true);
  document_.SetGlobalPalette(palette_.lpPalette(), palette_.Entries());
}

}  // namespace lumetrix::gif
