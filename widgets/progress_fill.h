#pragma once
// The arithmetic of the progress bar: how much of the client area the value fills, and the
// filled and unfilled rectangles. No window needed.

#include <cstdint>

namespace lumetrix::widgets {

// Left and top inclusive, right and bottom exclusive, in client pixels.
struct PixelRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

class ProgressFill {
 public:
  enum Orientation : int32_t { kHorizontal = 0, kVertical = 1 };

  // (size × value) integer-divided by max, truncating toward zero, computed in 64 bits and
  // saturated to 32 (the product of two whole numbers needs no rounding). max below 1 counts
  // as 1.
  static int32_t RawFillLength(int32_t size, int32_t value, int32_t max);

  void SetClientSize(int32_t width, int32_t height);
  int32_t ClientWidth() const { return width_; }
  int32_t ClientHeight() const { return height_; }

  // 0 horizontal (fills from the left), 1 vertical (fills from the bottom); false for others.
  bool SetOrientation(int32_t orientation);
  int32_t Orientation() const { return orientation_; }
  // Stored as 1 when below 1. Takes effect at the next SetValue or Recompute.
  void SetMax(int32_t max) { max_ = max < 1 ? 1 : max; }
  int32_t Max() const { return max_; }
  // Stores the value and recomputes the fill; true when the drawn fill changed (repaint).
  bool SetValue(int32_t value);
  int32_t Value() const { return value_; }

  // Recomputes the fill and the rectangles (after a resize, orientation or border change).
  void Recompute();

  // The filled length in pixels, limited to the client size so that values past Max or below
  // 0 never reach outside the control.
  int32_t FillLength() const { return fill_; }
  PixelRect BarRect() const;
  PixelRect RestRect() const;

 private:
  int32_t Size() const { return orientation_ == kVertical ? height_ : width_; }
  int32_t ComputeFill() const;

  int32_t width_ = 0, height_ = 0;
  int32_t orientation_ = kHorizontal;
  int32_t max_ = 100;
  int32_t value_ = 0;
  int32_t fill_ = 0;  // the length drawn last
};

}  // namespace lumetrix::widgets
