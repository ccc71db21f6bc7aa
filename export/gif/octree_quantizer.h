#pragma once
// Octree colour quantisation behind cPal8bpp::CreateOptimal: colours are sorted into a tree of
// nested colour boxes; when there are more leaves than colours wanted, the most recently
// added node of the deepest level is folded into one leaf.

#include <array>
#include <cstdint>
#include <vector>

#include "export/gif/dib.h"
#include "export/gif/rgb_quad.h"

namespace lumetrix::gif {

class OctreeQuantizer {
 public:
  static constexpr int kMaxDepth = 8;

  OctreeQuantizer(int maxColours, int depth, double weightRed, double weightGreen,
                  double weightBlue);

  // Adds every pixel of a 32-bit bitmap, rows in memory order; other depths are ignored.
  void AddPicture(const cDIB& source);
  // Adds one colour, then reduces while there are more leaves than colours wanted.
  void AddColour(uint8_t red, uint8_t green, uint8_t blue);

  int LeafCount() const { return leafCount_; }
  // One colour per leaf in pool order: each channel's sum / count rounded half to even.
  std::vector<RGBQuad> LeafColours() const;

 private:
  static constexpr int32_t kNone = -1;

  struct Node {
    bool leaf = false;
    bool listed = false;  // in its level's reducible list
    bool inUse = false;
    uint32_t pixelCount = 0;
    uint64_t redSum = 0, greenSum = 0, blueSum = 0;
    std::array<int32_t, 8> child{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
    int32_t next = kNone;  // reducible list or free list
  };

  int32_t NewNode(bool leaf);
  void FreeNode(int32_t node);
  bool ReduceOnce();
  void AddToLeaf(Node& leaf, uint8_t red, uint8_t green, uint8_t blue);

  int maxColours_;
  int depth_;
  std::vector<Node> pool_;
  int32_t freeList_ = kNone;
  std::array<int32_t, kMaxDepth + 1> reducible_{};  // by level 1 … depth
  int leafCount_ = 0;
  // Per channel and value: bit L - 1 is the half chosen at level L.
  std::array<std::array<uint8_t, 256>, 3> pathBits_{};
  // The leaf the previous colour went to; valid until the next reduction.
  bool cacheValid_ = false;
  uint32_t cachedColour_ = 0;
  int32_t cachedLeaf_ = kNone;
};

}  // namespace lumetrix::gif
