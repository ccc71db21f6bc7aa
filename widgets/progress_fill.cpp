#include "widgets/progress_fill.h"

#include <algorithm>
#include <limits>

namespace lumetrix::widgets {

int32_t ProgressFill::RawFillLength(int32_t size, int32_t value, int32_t max) {
  const int64_t product = int64_t{size} * int64_t{value};
  const int64_t quotient = product / int64_t{max < 1 ? 1 : max};  // C++ truncates toward zero
  return static_cast<int32_t>(std::clamp<int64_t>(quotient, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

void ProgressFill::SetClientSize(int32_t width, int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
}

bool ProgressFill::SetOrientation(int32_t orientation) {
  if (orientation != kHorizontal && orientation != kVertical) return false;
  orientation_ = orientation;
  return true;
}

int32_t ProgressFill::ComputeFill() const {
  return std::clamp(RawFillLength(Size(), value_, max_), 0, Size());
}

bool ProgressFill::SetValue(int32_t value) {
  value_ = value;
  const int32_t fill = ComputeFill();
  if (fill == fill_) return false;
  fill_ = fill;
  return true;
}

void ProgressFill::Recompute() { fill_ = ComputeFill(); }

PixelRect ProgressFill::BarRect() const {
  if (orientation_ == kVertical) return PixelRect{0, height_ - fill_, width_, height_};
  return PixelRect{0, 0, fill_, height_};
}

PixelRect ProgressFill::RestRect() const {
  if (orientation_ == kVertical) return PixelRect{0, 0, width_, height_ - fill_};
  return PixelRect{fill_, 0, width_, height_};
}

}  // namespace lumetrix::widgets
