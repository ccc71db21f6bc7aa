#include "palettes/shipped_palettes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <functional>
#include <numbers>

#include "core/rounding.h"

namespace lumetrix::palettes {
namespace {

struct Rgbd {
  double r, g, b;  // 0..1
};

uint8_t ToByte(double v) {
  return static_cast<uint8_t>(RoundHalfEven(std::clamp(v, 0.0, 1.0) * 255.0));
}

Lut FromFunction(const std::function<Rgbd(double)>& colourAt) {
  Lut lut;
  for (std::size_t c = 0; c < Lut::kEntries; ++c) {
    const Rgbd v = colourAt(static_cast<double>(c) / 255.0);
    lut.Set(c, ToByte(v.r), ToByte(v.g), ToByte(v.b));
  }
  return lut;
}

struct Stop {
  double t;
  Rgbd colour;  // sRGB 0..255
};

// Piecewise linear through control points in sRGB.
Lut Through(std::initializer_list<Stop> stops) {
  const std::vector<Stop> s(stops);
  return FromFunction([&](double t) {
    std::size_t k = 0;
    while (k + 2 < s.size() && t > s[k + 1].t) ++k;
    const double f = std::clamp((t - s[k].t) / (s[k + 1].t - s[k].t), 0.0, 1.0);
    auto mix = [&](double a, double b) { return (a + (b - a) * f) / 255.0; };
    return Rgbd{mix(s[k].colour.r, s[k + 1].colour.r), mix(s[k].colour.g, s[k + 1].colour.g),
                mix(s[k].colour.b, s[k + 1].colour.b)};
  });
}

// OKLab (L, a, b) to linear sRGB.
Rgbd OkLabToLinear(double L, double a, double b) {
  const double l = std::pow(L + 0.3963377774 * a + 0.2158037573 * b, 3);
  const double m = std::pow(L - 0.1055613458 * a - 0.0638541728 * b, 3);
  const double s = std::pow(L - 0.0894841775 * a - 1.2914855480 * b, 3);
  return {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
          -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
          -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
}

double Encode(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

bool InGamut(const Rgbd& c) {
  constexpr double e = 1e-9;
  return c.r >= -e && c.r <= 1 + e && c.g >= -e && c.g <= 1 + e && c.b >= -e && c.b <= 1 + e;
}

double Decode(double encoded) {
  return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

// OKLab lightness of an 8-bit sRGB colour.
double OkLightness(uint8_t r8, uint8_t g8, uint8_t b8) {
  const double r = Decode(r8 / 255.0), g = Decode(g8 / 255.0), b = Decode(b8 / 255.0);
  const double l = 0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b;
  const double m = 0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b;
  const double s = 0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b;
  return 0.2104542553 * std::cbrt(l) + 0.7936177850 * std::cbrt(m) - 0.0040720468 * std::cbrt(s);
}

// A ramp whose OKLab lightness grows linearly, so equal steps in grey value look like equal
// steps in brightness. Hue and chroma follow the given functions; chroma is reduced where the
// colour would leave the sRGB gamut, which keeps lightness (and so uniformity) intact. Each
// channel is rounded up or down, whichever combination lands closest to the wanted lightness,
// so 8-bit rounding does not make the lightness jitter.
Lut PerceptualRamp(double lightFrom, double lightTo, const std::function<double(double)>& hueDegrees,
                   const std::function<double(double)>& chroma) {
  Lut lut;
  for (std::size_t c = 0; c < Lut::kEntries; ++c) {
    const double t = static_cast<double>(c) / 255.0;
    const double L = lightFrom + (lightTo - lightFrom) * t;
    const double h = hueDegrees(t) * std::numbers::pi / 180.0;
    double lo = 0, hi = chroma(t);
    auto at = [&](double C) { return OkLabToLinear(L, C * std::cos(h), C * std::sin(h)); };
    if (!InGamut(at(hi))) {
      for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (InGamut(at(mid)) ? lo : hi) = mid;
      }
      hi = lo;
    }
    const Rgbd lin = at(hi);
    const double want[3] = {Encode(std::clamp(lin.r, 0.0, 1.0)) * 255, Encode(std::clamp(lin.g, 0.0, 1.0)) * 255,
                            Encode(std::clamp(lin.b, 0.0, 1.0)) * 255};
    double bestError = 1e9;
    uint8_t best[3] = {};
    for (int combo = 0; combo < 8; ++combo) {
      uint8_t v[3];
      double offset = 0;
      for (int k = 0; k < 3; ++k) {
        const double rounded = (combo >> k & 1) ? std::ceil(want[k]) : std::floor(want[k]);
        v[k] = static_cast<uint8_t>(std::clamp(rounded, 0.0, 255.0));
        offset += (v[k] - want[k]) * (v[k] - want[k]);
      }
      const double error = std::fabs(OkLightness(v[0], v[1], v[2]) - L) + 1e-6 * offset;
      if (error < bestError) {
        bestError = error;
        std::copy(v, v + 3, best);
      }
    }
    lut.Set(c, best[0], best[1], best[2]);
  }
  return lut;
}

}  // namespace

std::vector<ShippedPalette> ShippedPalettes() {
  std::vector<ShippedPalette> out;
  // Black through purple and red to yellow and white: dim structures stay visible.
  out.push_back({"Fire.pal", Through({{0.0, {0, 0, 0}},
                                      {0.2, {70, 0, 120}},
                                      {0.45, {210, 30, 40}},
                                      {0.7, {255, 150, 0}},
                                      {0.9, {255, 235, 90}},
                                      {1.0, {255, 255, 255}}})});
  // Black through deep blue and cyan to white.
  out.push_back({"Ice.pal", Through({{0.0, {0, 0, 0}},
                                     {0.35, {20, 40, 160}},
                                     {0.7, {60, 190, 230}},
                                     {1.0, {255, 255, 255}}})});
  // Black through orange to white.
  out.push_back({"Orange hot.pal", Through({{0.0, {0, 0, 0}},
                                            {0.45, {255, 100, 0}},
                                            {0.8, {255, 200, 90}},
                                            {1.0, {255, 255, 255}}})});
  out.push_back({"Cyan.pal", FromFunction([](double t) { return Rgbd{0, t, t}; })});
  out.push_back({"Magenta.pal", FromFunction([](double t) { return Rgbd{t, 0, t}; })});
  // Dark violet through blue and teal to yellow.
  out.push_back({"Uniform violet-yellow.pal",
                 PerceptualRamp(
                     0.26, 0.94, [](double t) { return 300.0 - 190.0 * t; },
                     [](double t) { return 0.10 + 0.08 * t; })});
  // Near black through purple, red and orange to pale yellow.
  out.push_back({"Uniform ember.pal",
                 PerceptualRamp(
                     0.16, 0.97, [](double t) { return 300.0 + 150.0 * t; },
                     [](double t) { return 0.08 + 0.12 * std::sin(std::numbers::pi * t); })});
  return out;
}

}  // namespace lumetrix::palettes
