#include "volume_frames.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace lumetrix::bench {

namespace {

struct Bead {
  double x, y, z;  // -1 … 1
  double sigma;    // in pixels at scale 1
  double r, g, b;
};

const std::vector<Bead>& Beads() {
  static const std::vector<Bead> beads = [] {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> pos(-1.0, 1.0);
    std::uniform_real_distribution<double> size(2.0, 9.0);
    std::uniform_int_distribution<int> channel(0, 2);
    std::vector<Bead> list;
    for (int i = 0; i < 90; ++i) {
      const int c = channel(random);
      list.push_back({pos(random), pos(random), pos(random), size(random), c == 0 ? 1.0 : 0.25,
                      c == 1 ? 1.0 : 0.3, c == 2 ? 1.0 : 0.2});
    }
    return list;
  }();
  return beads;
}

}  // namespace

gif::cDIB VolumeFrame(int32_t width, int32_t height, int frame) {
  std::vector<float> rgb(static_cast<size_t>(width) * height * 3, 0.0f);
  // Faint autofluorescence: a smooth gradient.
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      float* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = 12.0f + 10.0f * x / width;
      p[1] = 8.0f + 14.0f * y / height;
      p[2] = 20.0f;
    }
  const double angle = frame * 2.0 * 3.14159265358979 / 100.0;
  const double scale = std::min(width, height) * 0.42;
  const double unit = std::min(width, height) / 480.0;
  for (const Bead& bead : Beads()) {
    const double rx = bead.x * std::cos(angle) + bead.z * std::sin(angle);
    const double rz = -bead.x * std::sin(angle) + bead.z * std::cos(angle);
    const double cx = width / 2.0 + rx * scale;
    const double cy = height / 2.0 + bead.y * scale;
    const double sigma = bead.sigma * unit * (1.0 + 0.25 * rz);
    const double brightness = 230.0 * (0.7 + 0.3 * rz);
    const int reach = static_cast<int>(std::ceil(3.0 * sigma));
    for (int y = std::max(0, static_cast<int>(cy) - reach); y <= std::min(height - 1, static_cast<int>(cy) + reach); ++y)
      for (int x = std::max(0, static_cast<int>(cx) - reach); x <= std::min(width - 1, static_cast<int>(cx) + reach); ++x) {
        const double d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (2.0 * sigma * sigma);
        const double v = brightness * std::exp(-d2);
        float* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        p[0] += static_cast<float>(v * bead.r);
        p[1] += static_cast<float>(v * bead.g);
        p[2] += static_cast<float>(v * bead.b);
      }
  }
  gif::cDIB dib;
  dib.Create(width, height, 32);
  std::mt19937 random(static_cast<uint32_t>(frame) + 7);
  std::normal_distribution<float> grain(0.0f, 2.0f);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* out = dib.Row(y);
    for (int32_t x = 0; x < width; ++x, out += 4) {
      const float* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      out[2] = static_cast<uint8_t>(std::clamp(p[0] + grain(random), 0.0f, 255.0f));
      out[1] = static_cast<uint8_t>(std::clamp(p[1] + grain(random), 0.0f, 255.0f));
      out[0] = static_cast<uint8_t>(std::clamp(p[2] + grain(random), 0.0f, 255.0f));
    }
  }
  return dib;
}

}  // namespace lumetrix::bench
