#include "export/gif/octree_quantizer.h"

#include <algorithm>

#include "export/gif/round_half_even.h"

namespace lumetrix::gif {

namespace {

// The halves a weighted channel value takes from level 1 down: each level splits the current
// range at round(lo / 2 + hi / 2).
uint8_t PathBits(int value, double weight, int depth) {
  const double weighted = value * weight;
  double lo = 0.0;
  double hi = 255.0;
  uint8_t bits = 0;
  for (int level = 1; level <= depth; ++level) {
    const double middle = RoundHalfEven(lo / 2.0 + hi / 2.0);
    if (weighted < middle) {
      hi = middle;
    } else {
      bits = static_cast<uint8_t>(bits | (1u << (level - 1)));
      lo = middle;
    }
  }
  return bits;
}

uint8_t RoundedMean(uint64_t sum, uint32_t count) {
  const int64_t mean = DivideRoundHalfEven(static_cast<int64_t>(sum), count);
  return static_cast<uint8_t>(std::clamp<int64_t>(mean, 0, 255));
}

}  // namespace

OctreeQuantizer::OctreeQuantizer(int maxColours, int depth, double weightRed, double weightGreen,
                                 double weightBlue)
    : maxColours_(std::clamp(maxColours, 1, kPaletteSize)), depth_(std::clamp(depth, 1, kMaxDepth)) {
  reducible_.fill(kNone);
  pool_.reserve(50);
  NewNode(false);  // the root, level 1
  const double weights[3] = {weightRed, weightGreen, weightBlue};
  for (int channel = 0; channel < 3; ++channel)
    for (int v = 0; v < 256; ++v) pathBits_[channel][v] = PathBits(v, weights[channel], depth_);
}

int32_t OctreeQuantizer::NewNode(bool leaf) {
  int32_t index;
  if (freeList_ != kNone) {
    index = freeList_;
    freeList_ = pool_[index].next;
    pool_[index] = Node{};
  } else {
    index = static_cast<int32_t>(pool_.size());
    pool_.emplace_back();
  }
  pool_[index].inUse = true;
  pool_[index].leaf = leaf;
  if (leaf) ++leafCount_;
  return index;
}

void OctreeQuantizer::FreeNode(int32_t node) {
  Node& n = pool_[node];
  if (n.leaf) --leafCount_;
  n = Node{};
  n.next = freeList_;
  freeList_ = node;
}

void OctreeQuantizer::AddToLeaf(Node& leaf, uint8_t red, uint8_t green, uint8_t blue) {
  ++leaf.pixelCount;
  leaf.redSum += red;
  leaf.greenSum += green;
  leaf.blueSum += blue;
}

void OctreeQuantizer::AddColour(uint8_t red, uint8_t green, uint8_t blue) {
  const uint32_t colour = (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
  if (cacheValid_ && colour == cachedColour_) {
    // Same path as last time: the inner nodes on it are already listed, no leaf is added.
    AddToLeaf(pool_[cachedLeaf_], red, green, blue);
    return;
  }
  const unsigned bitsR = pathBits_[0][red];
  const unsigned bitsG = pathBits_[1][green];
  const unsigned bitsB = pathBits_[2][blue];
  int32_t node = 0;
  for (int level = 1;; ++level) {
    if (pool_[node].leaf) {
      AddToLeaf(pool_[node], red, green, blue);
      break;
    }
    const unsigned shift = static_cast<unsigned>(level - 1);
    const unsigned which = ((bitsR >> shift) & 1u) | (((bitsG >> shift) & 1u) << 1) |
                           (((bitsB >> shift) & 1u) << 2);
    int32_t child = pool_[node].child[which];
    if (child == kNone) {
      child = NewNode(level == depth_);  // may move the pool: index again below
      pool_[node].child[which] = child;
    }
    Node& c = pool_[child];
    if (!c.leaf && !c.listed) {
      c.listed = true;
      c.next = reducible_[level];
      reducible_[level] = child;
    }
    node = child;
  }
  cacheValid_ = true;
  cachedColour_ = colour;
  cachedLeaf_ = node;
  while (leafCount_ > maxColours_) {
    if (!ReduceOnce()) break;
  }
}

bool OctreeQuantizer::ReduceOnce() {
  int level = depth_;
  while (level >= 1 && reducible_[level] == kNone) --level;
  if (level < 1) return false;
  const int32_t node = reducible_[level];
  reducible_[level] = pool_[node].next;
  pool_[node].next = kNone;
  pool_[node].listed = false;
  // The deepest listed level is taken first, so every child here is a leaf.
  for (int32_t& child : pool_[node].child) {
    if (child == kNone) continue;
    const Node& c = pool_[child];
    pool_[node].pixelCount += c.pixelCount;
    pool_[node].redSum += c.redSum;
    pool_[node].greenSum += c.greenSum;
    pool_[node].blueSum += c.blueSum;
    FreeNode(child);
    child = kNone;
  }
  pool_[node].leaf = true;
  ++leafCount_;
  cacheValid_ = false;
  return true;
}

void OctreeQuantizer::AddPicture(const cDIB& source) {
  if (source.BitsPerPixel() != 32) return;
  for (int32_t y = 0; y < source.Height(); ++y) {
    const uint8_t* p = source.Row(y);
    for (int32_t x = 0; x < source.Width(); ++x, p += 4) AddColour(p[2], p[1], p[0]);
  }
}

std::vector<RGBQuad> OctreeQuantizer::LeafColours() const {
  std::vector<RGBQuad> colours;
  for (const Node& n : pool_) {
    if (!n.inUse || !n.leaf) continue;
    if (n.pixelCount == 0) {
      colours.push_back(RGBQuad{});
      continue;
    }
    colours.push_back(MakeRGBQuad(RoundedMean(n.redSum, n.pixelCount),
                                  RoundedMean(n.greenSum, n.pixelCount),
                                  RoundedMean(n.blueSum, n.pixelCount)));
  }
  return colours;
}

}  // namespace lumetrix::gif
