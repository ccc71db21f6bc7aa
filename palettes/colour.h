#pragma once
// Colours inside the editors: platform colour values 0x00BBGGRR (red in the low byte), and a
// small RGB picture the gradient is drawn into.

#include <cstdint>
#include <vector>

namespace lumetrix::palettes {

using ColorRef = uint32_t;

inline constexpr ColorRef MakeColorRef(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) | (static_cast<ColorRef>(blue) << 16);
}
inline constexpr uint8_t RedOf(ColorRef c) { return static_cast<uint8_t>(c); }
inline constexpr uint8_t GreenOf(ColorRef c) { return static_cast<uint8_t>(c >> 8); }
inline constexpr uint8_t BlueOf(ColorRef c) { return static_cast<uint8_t>(c >> 16); }

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb RgbOf(ColorRef c) { return {RedOf(c), GreenOf(c), BlueOf(c)}; }

// width x height pixels, rows top first. Sizes are clamped to 0 and above.
class RgbImage {
 public:
  RgbImage() = default;
  RgbImage(int32_t width, int32_t height, Rgb fill = {});

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Contains(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Rgb At(int32_t x, int32_t y) const { return pixels_[Index(x, y)]; }
  void Set(int32_t x, int32_t y, Rgb c) { pixels_[Index(x, y)] = c; }
  const std::vector<Rgb>& Pixels() const { return pixels_; }

  friend bool operator==(const RgbImage&, const RgbImage&) = default;

 private:
  std::size_t Index(int32_t x, int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<Rgb> pixels_;
};

}  // namespace lumetrix::palettes
