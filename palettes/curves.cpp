#include "palettes/curves.h"

#include <algorithm>
#include <cmath>

#include "core/rounding.h"

namespace lumetrix::palettes {

CurveSet CurveSet::Defaults() {
  CurveSet s;
  for (int c = 0; c < kChannels; ++c) {
    const auto cc = static_cast<std::size_t>(c);
    s.pointCount[cc] = 3;
    for (int i = 0; i < kCurvePoints; ++i) {
      const auto ii = static_cast<std::size_t>(i);
      s.pointX[cc][ii] = i < 8 ? 32 * i : 255;
      s.pointY[cc][ii] = 255;
    }
  }
  return s;
}

int32_t StepOf(int32_t pointCount) {
  const int32_t intervals = std::clamp(pointCount, 2, 9) - 1;
  return 8 / intervals;
}

int32_t PointCountOfScroll(int32_t scrollValue) {
  const int32_t v = std::clamp(scrollValue, 1, 4);
  return (1 << (v - 1)) + 1;
}

int32_t ScrollOfPointCount(int32_t pointCount) {
  const int32_t n = std::clamp(pointCount, 2, 9);
  const double v = std::log(static_cast<double>(n - 1)) / std::log(2.0) + 1.0;
  return std::clamp(static_cast<int32_t>(RoundHalfEven(v)), 1, 4);
}

std::vector<int> ActivePoints(const CurveSet& curves, int c) {
  const int32_t step = StepOf(curves.pointCount[static_cast<std::size_t>(c)]);
  std::vector<int> points;
  for (int i = 0; i < kCurvePoints; i += step) points.push_back(i);
  return points;
}

void ComputeChannel(const CurveSet& curves, int c, ChannelValues& values) {
  const auto cc = static_cast<std::size_t>(c);
  const int32_t step = StepOf(curves.pointCount[cc]);
  for (int p = 0; p + step < kCurvePoints; p += step) {
    const auto pi = static_cast<std::size_t>(p);
    const auto qi = static_cast<std::size_t>(p + step);
    const int32_t xp = curves.pointX[cc][pi], xq = curves.pointX[cc][qi];
    const int32_t yp = curves.pointY[cc][pi], yq = curves.pointY[cc][qi];
    const float dx = static_cast<float>(xq - xp);
    const float dy = static_cast<float>(yq - yp);
    float slope;
    if (dx > 0) {
      slope = dy / dx;
    } else {
      slope = 10000.0f * static_cast<float>((dy > 0) - (dy < 0));
    }
    const auto intercept = static_cast<float>(static_cast<double>(yp) - static_cast<double>(slope) * xp);
    const int32_t from = std::max(xp, 0), to = std::min(xq, 255);
    for (int32_t e = from; e <= to; ++e) {
      const double row = static_cast<double>(slope) * e + static_cast<double>(intercept);
      const double v = std::clamp(RoundHalfEven(row), 0.0, 255.0);
      values[static_cast<std::size_t>(e)] = 255 - static_cast<int32_t>(v);
    }
  }
}

}  // namespace lumetrix::palettes
