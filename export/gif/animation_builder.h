#pragma once
// The window-free half of the AVI-to-GIF import: each decoded 32-bit movie frame is prepared
// (channels rotated for "SwapRG", rows reversed when asked), reduced with the current palette
// and dither modes — the palette made from frame 1 only — and appended to the document with
// the palette copy, disposal 3 and the movie's frame time; Finish sets the screen and the
// global palette.

#include <cstdint>
#include <functional>

#include "export/gif/best_palette.h"
#include "export/gif/dib.h"
#include "export/gif/dither8bpp.h"
#include "export/gif/gif_document.h"
#include "export/gif/pal8bpp.h"

namespace lumetrix::gif {

class GifAnimationBuilder {
 public:
  // Empties the document. The dither module supplies the palette and dither modes.
  GifAnimationBuilder(cGIF& document, mDither8bpp& dither);

  // Milliseconds per frame: the stream's end time divided by the frame count, rounded half to
  // even; 0 when there are no frames.
  static int32_t TimePerFrameMs(double streamEndMs, int32_t frameCount);
  // Hundredths of a second for the GIF delay: milliseconds / 10 rounded half to even,
  // limited to 0 … 65535.
  static uint16_t DelayHundredths(int32_t timePerFrameMs);
  // "SwapRG": new blue = old red, new green = old blue, new red = old green (32-bit only).
  static void SwapRG(cDIB& picture);

  // Applies SwapRG and the vertical flip to `work` when asked, then appends it as the next
  // frame. False when work is not a 32-bit bitmap or a frame cannot be made.
  bool AddFrame(cDIB& work, bool swapRG, bool flip, int32_t timePerFrameMs);
  // The same with the best-quality reduction (its palette built from all frames beforehand) and
  // the dither module's dither mode: the frame carries the palette it uses as its local palette.
  bool AddFrameBest(cDIB& work, bool swapRG, bool flip, int32_t timePerFrameMs, BestPalette& best);
  // Screen size from the frames, pixel aspect 1.0, the palette as the global palette.
  void Finish();

  const cPal8bpp& Palette() const { return palette_; }

 private:
  // Appends a frame made from `work` (turned and flipped as asked); `reduce` fills its 8-bit
  // picture and local palette, or fails, and then the frame is taken out again.
  bool InsertFrame(cDIB& work, bool swapRG, bool flip, int32_t timePerFrameMs,
                   const std::function<bool(int index, clsGIFframe& frame)>& reduce);
  cGIF& document_;
  mDither8bpp& dither_;
  cPal8bpp palette_;
};

}  // namespace lumetrix::gif
