#include <algorithm>
#include <cstring>
#include <vector>

#include "core/progress_scope.h"
#include "export/gif/gif_optimize.h"

namespace lumetrix::gif {

namespace {

// Left and top inclusive, right and bottom exclusive.
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

// Bounding box of the pixels for which differs(x, y) holds, rows searched from the top and the
// bottom, columns from the left and the right.
template <typename Differs>
Rect BoundingBox(int32_t width, int32_t height, Differs differs) {
  Rect r;
  int32_t top = 0;
  auto rowDiffers = [&](int32_t y) {
    for (int32_t x = 0; x < width; ++x)
      if (differs(x, y)) return true;
    return false;
  };
  while (top < height && !rowDiffers(top)) ++top;
  if (top == height) return r;
  int32_t bottom = height;
  while (bottom - 1 > top && !rowDiffers(bottom - 1)) --bottom;
  auto columnDiffers = [&](int32_t x) {
    for (int32_t y = top; y < bottom; ++y)
      if (differs(x, y)) return true;
    return false;
  };
  int32_t left = 0;
  while (!columnDiffers(left)) ++left;
  int32_t right = width;
  while (right - 1 > left && !columnDiffers(right - 1)) --right;
  return Rect{left, top, right, bottom};
}

Rect OpaqueBox(const clsGIFframe& f, uint8_t transparent) {
  const cDIB& image = f.FrameDIBXOR();
  return BoundingBox(image.Width(), image.Height(),
                     [&](int32_t x, int32_t y) { return image.Row(y)[x] != transparent; });
}

Rect DifferenceBox(const cGIF& doc, int previous, int current) {
  const cDIB& a = doc.Frame(previous).FrameDIBXOR();
  const cDIB& b = doc.Frame(current).FrameDIBXOR();
  const RGBQuad* pa = doc.FramePalette(previous);
  const RGBQuad* pb = doc.FramePalette(current);
  if (std::memcmp(pa, pb, sizeof(RGBQuad) * kPaletteSize) == 0)
    return BoundingBox(b.Width(), b.Height(), [&](int32_t x, int32_t y) { return a.Row(y)[x] != b.Row(y)[x]; });
  // Different colour tables: the same index need not be the same colour.
  return BoundingBox(b.Width(), b.Height(), [&](int32_t x, int32_t y) {
    const RGBQuad ca = pa[a.Row(y)[x]];
    const RGBQuad cb = pb[b.Row(y)[x]];
    return ca.red != cb.red || ca.green != cb.green || ca.blue != cb.blue;
  });
}

bool CutFrame(clsGIFframe& f, const Rect& r) {
  const cDIB& image = f.FrameDIBXOR();
  cDIB cut;
  if (!cut.Create(r.right - r.left, r.bottom - r.top, 8)) return false;
  cut.Palette() = image.Palette();
  for (int32_t y = r.top; y < r.bottom; ++y)
    std::memcpy(cut.Row(y - r.top), image.Row(y) + r.left, static_cast<size_t>(r.right - r.left));
  f.FrameDIBXOR() = std::move(cut);
  f.FrameMask();
  f.SetFrameLeft(static_cast<uint16_t>(r.left));
  f.SetFrameTop(static_cast<uint16_t>(r.top));
  return true;
}

bool NoDisposal(uint8_t disposal) {
  return disposal == clsGIFframe::kDisposalNone || disposal == clsGIFframe::kDoNotDispose;
}

}  // namespace

void CropFrames(cGIF& document, ProgressSink* progress) {
  ProgressScope scope(progress, "", document.FramesCount());
  const int count = document.FramesCount();
  if (count == 0) return;
  const Rect full{0, 0, document.ScreenWidth(), document.ScreenHeight()};
  for (int i = 1; i <= count; ++i) {
    const clsGIFframe& f = document.Frame(i);
    if (f.FrameLeft() != 0 || f.FrameTop() != 0 || f.Width() != full.right || f.Height() != full.bottom ||
        f.FrameDIBXOR().BitsPerPixel() != 8)
      return;
  }
  const bool transparent = document.Frame(1).FrameUseTransparentColor();
  const uint8_t t = document.Frame(1).FrameTransparentColorIndex();
  if (!transparent) {
    // Difference cutting relies on each frame being drawn opaque over the one before it.
    for (int i = 2; i <= count; ++i)
      if (document.Frame(i).FrameUseTransparentColor()) return;
  }
  const int first = transparent ? 1 : 2;

  // Rectangles from the pixels as they were before this pass (index 0 unused).
  std::vector<Rect> rects(static_cast<size_t>(count) + 1, full);
  for (int i = first; i <= count; ++i) {
    const clsGIFframe& f = document.Frame(i);
    if (transparent) {
      // Cutting away pixels of index t removes nothing only if they are transparent in this
      // frame, and "restore to background" would clear a smaller area once cut.
      const bool cuttable = f.FrameUseTransparentColor() && f.FrameTransparentColorIndex() == t &&
                            f.FrameDisposalMethod() != clsGIFframe::kRestoreBackground;
      if (cuttable) rects[static_cast<size_t>(i)] = OpaqueBox(f, t);
    } else {
      rects[static_cast<size_t>(i)] = DifferenceBox(document, i - 1, i);
    }
    scope.Step(i);
  }

  // Frames that change nothing are removed; the one before shows for their time too.
  for (int i = first; i <= document.FramesCount();) {
    Rect& r = rects[static_cast<size_t>(i)];
    if (!r.Empty()) {
      ++i;
      continue;
    }
    bool removable = i >= 2;
    if (removable) {
      clsGIFframe& before = document.Frame(i - 1);
      const uint32_t delay = uint32_t{before.frameDelay()} + document.Frame(i).frameDelay();
      removable = delay <= 0xFFFF;
      // With transparency the frame before must stay on screen for the picture to stay.
      if (transparent) removable = removable && NoDisposal(before.FrameDisposalMethod());
      if (removable) {
        before.SetframeDelay(static_cast<uint16_t>(delay));
        document.FrameRemove(i);
        rects.erase(rects.begin() + i);
        continue;
      }
    }
    r = full;  // kept as it is
    ++i;
  }

  if (!transparent) {
    document.Frame(1).SetFrameDisposalMethod(clsGIFframe::kDoNotDispose);
    // A frame cut to its difference rectangle is drawn over the frame before it, which must
    // therefore stay on screen.
    for (int i = 2; i <= document.FramesCount(); ++i)
      if (!(rects[static_cast<size_t>(i)] == full))
        document.Frame(i - 1).SetFrameDisposalMethod(clsGIFframe::kDoNotDispose);
  }
  for (int i = first; i <= document.FramesCount(); ++i) {
    const Rect& r = rects[static_cast<size_t>(i)];
    if (!(r == full)) CutFrame(document.Frame(i), r);
  }
}

}  // namespace lumetrix::gif
