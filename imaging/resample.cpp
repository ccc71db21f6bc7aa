#include "imaging/resample.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "imaging/image_data.h"

namespace lumetrix::imaging {

namespace {

constexpr int kWeightBits = 16;
constexpr int32_t kOne = 1 << kWeightBits;

struct Tap {
  int32_t source;
  int32_t weight;
};

// For each destination index, its source taps (first tap index and count into `taps`).
struct AxisPlan {
  std::vector<Tap> taps;
  std::vector<int32_t> first;
  std::vector<int32_t> count;
};

// Rounds the running sum rather than each weight: the integer weights then add up to exactly
// kOne and each stays within one unit of its true value.
void Quantise(std::vector<Tap>& taps, size_t begin, const std::vector<double>& weights) {
  double total = 0;
  for (const double w : weights) total += w;
  double running = 0;
  int64_t previous = 0;
  for (size_t k = 0; k < weights.size(); ++k) {
    running += weights[k];
    const int64_t now = k + 1 == weights.size() ? kOne : std::llround(running / total * kOne);
    taps[begin + k].weight = static_cast<int32_t>(now - previous);
    previous = now;
  }
}

AxisPlan PlanAxis(int from, int to) {
  AxisPlan plan;
  plan.first.resize(static_cast<size_t>(to));
  plan.count.resize(static_cast<size_t>(to));
  std::vector<double> weights;
  for (int i = 0; i < to; ++i) {
    const size_t begin = plan.taps.size();
    weights.clear();
    if (from == to) {
      plan.taps.push_back({i, 0});
      weights.push_back(1.0);
    } else if (to < from) {
      // Destination pixel i covers source interval [a, b) in source pixel units.
      const double a = static_cast<double>(i) * from / to;
      const double b = static_cast<double>(i + 1) * from / to;
      const double width = b - a;
      const int j0 = static_cast<int>(std::floor(a));
      const int j1 = std::min(from, static_cast<int>(std::ceil(b)));
      for (int j = j0; j < j1; ++j) {
        const double overlap = std::min(b, j + 1.0) - std::max(a, static_cast<double>(j));
        if (overlap <= 1e-12) continue;
        plan.taps.push_back({j, 0});
        weights.push_back(overlap / width);
      }
    } else {
      // Pixel centres line up: destination centre i + 0.5 sits at source (i + 0.5) * from / to.
      double x = (i + 0.5) * from / to - 0.5;
      x = std::clamp(x, 0.0, static_cast<double>(from - 1));
      const int j0 = static_cast<int>(std::floor(x));
      const int j1 = std::min(j0 + 1, from - 1);
      const double f = x - j0;
      plan.taps.push_back({j0, 0});
      weights.push_back(1.0 - f);
      if (j1 != j0 && f > 0) {
        plan.taps.push_back({j1, 0});
        weights.push_back(f);
      }
    }
    Quantise(plan.taps, begin, weights);
    plan.first[static_cast<size_t>(i)] = static_cast<int32_t>(begin);
    plan.count[static_cast<size_t>(i)] = static_cast<int32_t>(plan.taps.size() - begin);
  }
  return plan;
}

constexpr uint32_t kRound = uint32_t{1} << (kWeightBits - 1);

// Only the number of rows changes: one weighted sum of source rows per row, rounded once (the
// same result as the general two passes with an identity horizontal pass).
std::vector<uint8_t> ResampleRowsOnly(const uint8_t* src, size_t row_bytes, int nh, const AxisPlan& down) {
  std::vector<uint8_t> result(row_bytes * static_cast<size_t>(nh));
  std::vector<uint32_t> acc(row_bytes);
  for (int y = 0; y < nh; ++y) {
    std::fill(acc.begin(), acc.end(), kRound);
    const Tap* tap = &down.taps[static_cast<size_t>(down.first[y])];
    for (int t = 0; t < down.count[y]; ++t) {
      const uint8_t* row = src + static_cast<size_t>(tap[t].source) * row_bytes;
      const uint32_t weight = static_cast<uint32_t>(tap[t].weight);
      for (size_t i = 0; i < row_bytes; ++i) acc[i] += weight * row[i];
    }
    uint8_t* out = result.data() + static_cast<size_t>(y) * row_bytes;
    for (size_t i = 0; i < row_bytes; ++i) out[i] = static_cast<uint8_t>(std::min<uint32_t>(255, acc[i] >> kWeightBits));
  }
  return result;
}

// Only the number of columns changes.
std::vector<uint8_t> ResampleColumnsOnly(const uint8_t* src, int w, int h, int nw, size_t c, const AxisPlan& across) {
  std::vector<uint8_t> result(static_cast<size_t>(nw) * c * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = src + static_cast<size_t>(y) * static_cast<size_t>(w) * c;
    uint8_t* out = result.data() + static_cast<size_t>(y) * static_cast<size_t>(nw) * c;
    for (int x = 0; x < nw; ++x) {
      const Tap* tap = &across.taps[static_cast<size_t>(across.first[x])];
      const int n = across.count[x];
      for (size_t k = 0; k < c; ++k) {
        uint32_t sum = kRound;
        for (int t = 0; t < n; ++t) sum += static_cast<uint32_t>(tap[t].weight) * row[size_t(tap[t].source) * c + k];
        out[size_t(x) * c + k] = static_cast<uint8_t>(std::min<uint32_t>(255, sum >> kWeightBits));
      }
    }
  }
  return result;
}

}  // namespace

std::vector<uint8_t> ResampleBgr(const uint8_t* src, int w, int h, int nw, int nh, int channels) {
  if (w < 1 || h < 1 || nw < 1 || nh < 1 || channels < 1 || channels > 4 || src == nullptr) {
    throw std::invalid_argument("resampling needs positive sizes and 1 to 4 channels");
  }
  const uint64_t out_bytes = uint64_t(nw) * uint64_t(nh) * uint64_t(channels);
  const uint64_t mid_bytes = uint64_t(nw) * uint64_t(h) * uint64_t(channels) * sizeof(uint32_t);
  if (out_bytes > detail::kMaxImageBytes || mid_bytes > 2 * detail::kMaxImageBytes) {
    throw std::invalid_argument("the resampled image would be too large");
  }
  const AxisPlan across = PlanAxis(w, nw);
  const AxisPlan down = PlanAxis(h, nh);
  const size_t c = static_cast<size_t>(channels);
  if (w == nw) return ResampleRowsOnly(src, static_cast<size_t>(w) * c, nh, down);
  if (h == nh) return ResampleColumnsOnly(src, w, h, nw, c, across);

  // Horizontal pass into 16-bit fixed point rows, so the vertical pass rounds only once.
  const size_t mid_row = static_cast<size_t>(nw) * c;
  std::vector<uint32_t> mid(mid_row * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = src + static_cast<size_t>(y) * static_cast<size_t>(w) * c;
    uint32_t* out = mid.data() + static_cast<size_t>(y) * mid_row;
    for (int x = 0; x < nw; ++x) {
      const Tap* tap = &across.taps[static_cast<size_t>(across.first[x])];
      const int n = across.count[x];
      for (size_t k = 0; k < c; ++k) {
        uint32_t sum = 0;
        for (int t = 0; t < n; ++t) sum += static_cast<uint32_t>(tap[t].weight) * row[size_t(tap[t].source) * c + k];
        out[size_t(x) * c + k] = sum;
      }
    }
  }

  std::vector<uint8_t> result(out_bytes);
  std::vector<uint64_t> acc(mid_row);
  constexpr uint64_t kHalf = uint64_t{1} << (2 * kWeightBits - 1);
  for (int y = 0; y < nh; ++y) {
    std::fill(acc.begin(), acc.end(), 0);
    const Tap* tap = &down.taps[static_cast<size_t>(down.first[y])];
    for (int t = 0; t < down.count[y]; ++t) {
      const uint32_t* row = mid.data() + static_cast<size_t>(tap[t].source) * mid_row;
      const uint64_t weight = static_cast<uint64_t>(tap[t].weight);
      for (size_t i = 0; i < mid_row; ++i) acc[i] += weight * row[i];
    }
    uint8_t* out = result.data() + static_cast<size_t>(y) * mid_row;
    for (size_t i = 0; i < mid_row; ++i) {
      out[i] = static_cast<uint8_t>(std::min<uint64_t>(255, (acc[i] + kHalf) >> (2 * kWeightBits)));
    }
  }
  return result;
}

}  // namespace lumetrix::imaging
