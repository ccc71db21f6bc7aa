#include "export/gif/best_palette.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

#include "export/gif/pixel_mapping.h"

namespace lumetrix::gif {

namespace {

constexpr uint32_t kColours = 1u << 24;

uint32_t Pack(const uint8_t* bgra) { return (uint32_t{bgra[2]} << 16) | (uint32_t{bgra[1]} << 8) | bgra[0]; }
int Channel(uint32_t rgb, int c) { return static_cast<int>((rgb >> (16 - 8 * c)) & 0xFF); }  // 0 red, 1 green, 2 blue

struct Weighted {
  uint32_t rgb;
  uint32_t count;
};

// A box of colours of the median cut: [begin, end) of the colour list.
struct Box {
  size_t begin, end;
  double error;  // count-weighted squared spread, summed over the channels
  int axis;      // the channel of the largest spread
};

Box Measure(const std::vector<Weighted>& colours, size_t begin, size_t end) {
  double n = 0;
  std::array<double, 3> sum{}, sq{};
  for (size_t i = begin; i < end; ++i)
    for (int c = 0; c < 3; ++c) {
      const double v = Channel(colours[i].rgb, c);
      sum[static_cast<size_t>(c)] += v * colours[i].count;
      sq[static_cast<size_t>(c)] += v * v * colours[i].count;
      if (c == 0) n += colours[i].count;
    }
  Box box{begin, end, 0, 0};
  double widest = -1;
  for (int c = 0; c < 3; ++c) {
    const double spread = sq[static_cast<size_t>(c)] - sum[static_cast<size_t>(c)] * sum[static_cast<size_t>(c)] / n;
    box.error += spread;
    if (spread > widest) widest = spread, box.axis = c;
  }
  if (end - begin < 2) box.error = 0;
  return box;
}

RGBQuad Mean(const std::vector<Weighted>& colours, size_t begin, size_t end) {
  double n = 0;
  std::array<double, 3> sum{};
  for (size_t i = begin; i < end; ++i) {
    n += colours[i].count;
    for (int c = 0; c < 3; ++c) sum[static_cast<size_t>(c)] += static_cast<double>(Channel(colours[i].rgb, c)) * colours[i].count;
  }
  auto at = [&](int c) { return static_cast<uint8_t>(std::lround(sum[static_cast<size_t>(c)] / n)); };
  return MakeRGBQuad(at(0), at(1), at(2));
}

int Distance(uint32_t rgb, const RGBQuad& e) {
  const int dr = Channel(rgb, 0) - e.red, dg = Channel(rgb, 1) - e.green, db = Channel(rgb, 2) - e.blue;
  return dr * dr + dg * dg + db * db;
}

uint8_t Closest(uint32_t rgb, const std::vector<RGBQuad>& entries) {
  int best = 1 << 30;
  size_t at = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const int d = Distance(rgb, entries[i]);
    if (d < best) best = d, at = i;
  }
  return static_cast<uint8_t>(at);
}

}  // namespace

BestPalette::BestPalette() : counts_(kColours, 0) {}

void BestPalette::Count(const cDIB& frame) {
  for (int32_t y = 0; y < frame.Height(); ++y) {
    const uint8_t* p = frame.Row(y);
    for (int32_t x = 0; x < frame.Width(); ++x, p += 4) ++counts_[Pack(p)];
  }
}

void BestPalette::Build() {
  std::vector<Weighted> colours;
  for (uint32_t rgb = 0; rgb < kColours; ++rgb)
    if (counts_[rgb]) colours.push_back({rgb, counts_[rgb]});
  std::vector<uint32_t>().swap(counts_);
  entries_.clear();
  if (colours.empty()) return;
  // Median cut: split the box of the largest spread at the count-weighted median of its widest
  // channel, until there are 256 boxes or none can be split.
  std::vector<Box> boxes{Measure(colours, 0, colours.size())};
  while (boxes.size() < 256) {
    auto worst = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.error < b.error; });
    if (worst->error <= 0) break;
    const Box box = *worst;
    auto first = colours.begin() + static_cast<std::ptrdiff_t>(box.begin);
    auto last = colours.begin() + static_cast<std::ptrdiff_t>(box.end);
    std::sort(first, last, [&](const Weighted& a, const Weighted& b) { return Channel(a.rgb, box.axis) < Channel(b.rgb, box.axis); });
    double total = 0, running = 0;
    for (auto it = first; it != last; ++it) total += it->count;
    size_t split = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
      running += colours[i].count;
      split = i + 1;
      if (running >= total / 2) break;
    }
    *worst = Measure(colours, box.begin, split);
    boxes.push_back(Measure(colours, split, box.end));
  }
  for (const Box& b : boxes) entries_.push_back(Mean(colours, b.begin, b.end));
  // A few rounds of k-means over the distinct colours move each entry to the mean of the
  // colours nearest to it.
  for (int round = 0; round < 3; ++round) {
    std::vector<std::array<double, 4>> sums(entries_.size(), std::array<double, 4>{});
    for (const Weighted& w : colours) {
      auto& s = sums[Closest(w.rgb, entries_)];
      for (int c = 0; c < 3; ++c) s[static_cast<size_t>(c)] += static_cast<double>(Channel(w.rgb, c)) * w.count;
      s[3] += w.count;
    }
    for (size_t i = 0; i < entries_.size(); ++i)
      if (sums[i][3] > 0)
        entries_[i] = MakeRGBQuad(static_cast<uint8_t>(std::lround(sums[i][0] / sums[i][3])),
                                  static_cast<uint8_t>(std::lround(sums[i][1] / sums[i][3])),
                                  static_cast<uint8_t>(std::lround(sums[i][2] / sums[i][3])));
  }
  nearest_.assign(kColours, -1);
}

uint8_t BestPalette::Nearest(uint32_t rgb) {
  int16_t& known = nearest_[rgb];
  if (known < 0) known = Closest(rgb, entries_);
  return static_cast<uint8_t>(known);
}

bool BestPalette::Map(const cDIB& frame, cDIB& to, std::vector<RGBQuad>& used, bool& own, int ditherMode) {
  if (!to.Create(frame.Width(), frame.Height(), 8)) return false;
  // The frame's own colours, while there are at most 256 of them.
  std::unordered_map<uint32_t, uint8_t> local;
  own = true;
  for (int32_t y = 0; y < frame.Height() && own; ++y) {
    const uint8_t* p = frame.Row(y);
    for (int32_t x = 0; x < frame.Width(); ++x, p += 4) {
      const uint32_t rgb = Pack(p);
      if (local.count(rgb)) continue;
      if (local.size() == 256) {
        own = false;
        break;
      }
      local.emplace(rgb, static_cast<uint8_t>(local.size()));
    }
  }
  if (own) {
    used.assign(local.size(), RGBQuad{});
    for (const auto& [rgb, i] : local)
      used[i] = MakeRGBQuad(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
  } else {
    used = entries_;
  }
  to.SetPalette(used.data(), static_cast<int>(used.size()));
  auto packed = [](int r, int g, int b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
  };
  if (own) {
    MapPlain(frame, to, [&](int r, int g, int b, int32_t, int32_t) { return local[packed(r, g, b)]; });
    return true;
  }
  const DitherTables& t = DitherTables::Get();
  switch (ditherMode) {
    case mDither8bpp::kOrdered:
      MapPlain(frame, to, [&](int r, int g, int b, int32_t x, int32_t y) {
        const int offset = OrderedOffset(t, x, y);
        auto at = [offset](int v) { return std::clamp(v + offset, 0, 255); };
        return Nearest(packed(at(r), at(g), at(b)));
      });
      break;
    case mDither8bpp::kFloydSteinberg: {
      cDIB work = frame;
      MapDiffused(work, to, to.Palette(), [&](int r, int g, int b, int32_t, int32_t) { return Nearest(packed(r, g, b)); });
      break;
    }
    default:
      MapPlain(frame, to, [&](int r, int g, int b, int32_t, int32_t) { return Nearest(packed(r, g, b)); });
      break;
  }
  return true;
}

}  // namespace lumetrix::gif
