#pragma once
// What every pyramid source's test checks against files its generator wrote beside the image:
// the levels (worked by hand), the samples' meaning, box_<i>.raw (numpy's cut of box i, edges
// padded by np.pad(mode="edge")), the cache budget, and two threads reading at once.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <thread>

#include "streaming/brick_source.h"

namespace lumetrix::streaming {

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

using Box = std::array<int, 9>;  // level, c, t, x0, y0, z0, w, h, d

struct Expected {
  int channels, frames;
  const char* type;  // Values().TypeName()
  std::vector<std::array<int, 6>> levels;  // width, height, depth, factors
};

// Levels, channels and time points written -1 are the last; beyond the file's, its last.
inline std::vector<Box> Resolve(const std::vector<Box>& table, const Expected& e, std::string& json) {
  std::vector<Box> boxes;
  json.assign(1, '[');
  for (Box b : table) {
    const int last[3] = {static_cast<int>(e.levels.size()) - 1, e.channels - 1, e.frames - 1};
    for (int i = 0; i < 3; ++i) b[size_t(i)] = std::min(b[size_t(i)] < 0 ? last[i] : b[size_t(i)], last[i]);
    for (size_t i = 0; i < 9; ++i) {
      json += i ? "," : boxes.empty() ? "[" : "],[";
      json += std::to_string(b[i]);
    }
    boxes.push_back(b);
  }
  json += "]]";
  return boxes;
}

// `open(budget)` opens the source; `slack`: the one piece kept whatever the budget.
inline void CheckSource(const std::function<std::unique_ptr<BrickSource>(uint64_t)>& open, const std::filesystem::path& dir,
                        const Expected& e, const std::vector<Box>& boxes, uint64_t budget, uint64_t slack) {
  const auto source = open(budget);
  ASSERT_EQ(source->Levels().size(), e.levels.size());
  for (size_t l = 0; l < e.levels.size(); ++l) {
    const PyramidLevel& p = source->Levels()[l];
    EXPECT_EQ((std::array{p.width, p.height, p.depth, p.factor[0], p.factor[1], p.factor[2]}), e.levels[l]) << l;
  }
  const std::string type = e.type;
  EXPECT_EQ(std::tuple(source->Channels(), source->TimePoints(), source->Bits(), source->Values().TypeName()),
            std::tuple(e.channels, e.frames, type == "8-bit" ? 8 : 16, type));
  if (type == "16-bit signed" || type == "32-bit float") {
    double lo = -32768, hi = 32767;  // float: the coarsest level's finite range, as numpy found it
    if (type == "32-bit float") std::istringstream(ReadAll(dir / "box_range.txt")) >> lo >> hi;
    EXPECT_EQ(std::pair(source->Values().Stored(0), source->Values().Stored(65535)), std::pair(lo, hi));
  }
  const auto check_all = [&](const BrickSource& s, bool backwards) {
    for (size_t i = 0; i < boxes.size(); ++i) {
      const size_t n = backwards ? boxes.size() - 1 - i : i;
      const Box& b = boxes[n];
      const VoxelBox box{b[3], b[4], b[5], b[6], b[7], b[8]};
      std::string got(box.Voxels() * size_t(s.Bits() / 8), '\0');
      s.ReadBox(size_t(b[0]), b[1], b[2], box, reinterpret_cast<uint8_t*>(got.data()));
      EXPECT_EQ(got, ReadAll(dir / ("box_" + std::to_string(n) + ".raw"))) << "box " << n;
    }
  };
  check_all(*source, false);
  EXPECT_LE(source->HeldBytes(), budget + slack);
  EXPECT_GT(source->HeldBytes(), 0u);
  // Two threads at once on a source that keeps one piece: the same bytes.
  const auto shared = open(1);
  std::thread other([&] { check_all(*shared, true); });
  check_all(*shared, false);
  other.join();
}

}  // namespace lumetrix::streaming
